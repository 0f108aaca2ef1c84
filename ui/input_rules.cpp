// The input rules that end a run.
#include "ui/input_rules.h"

#include <algorithm>

bool IsPastGraceTime(double runTime) { return runTime > kInputGraceSeconds; }

bool HasCursorMovedFar(CursorPoint initial, CursorPoint now) {
  const long dx = now.x > initial.x ? now.x - initial.x : initial.x - now.x;
  const long dy = now.y > initial.y ? now.y - initial.y : initial.y - now.y;
  return dx > kMouseMoveLimit || dy > kMouseMoveLimit;
}

bool AddWheelTurn(long& turned, int delta) {
  // Wide enough for the size of any int.
  const long long size = delta < 0 ? -static_cast<long long>(delta) : delta;
  turned = static_cast<long>(std::min<long long>(turned + size, kWheelNotch));
  return turned >= kWheelNotch;
}
