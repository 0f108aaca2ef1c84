// The input rules that end a run.
#include "ui/input_rules.h"

bool IsPastGraceTime(double runTime) { return runTime > kInputGraceSeconds; }

bool HasCursorMovedFar(CursorPoint initial, CursorPoint now) {
  const long dx = now.x > initial.x ? now.x - initial.x : initial.x - now.x;
  const long dy = now.y > initial.y ? now.y - initial.y : initial.y - now.y;
  return dx > kMouseMoveLimit || dy > kMouseMoveLimit;
}
