// The Windows clock sources of the frame timer.
#include <windows.h>

#include "render/frame_timer.h"

namespace {
bool QueryFrequency(int64_t* countsPerSecond) {
  LARGE_INTEGER value;
  if (!QueryPerformanceFrequency(&value)) return false;
  *countsPerSecond = value.QuadPart;
  return true;
}
bool QueryCounter(int64_t* count) {
  LARGE_INTEGER value;
  if (!QueryPerformanceCounter(&value)) return false;
  *count = value.QuadPart;
  return true;
}
uint32_t Milliseconds() { return GetTickCount(); }
}  // namespace

const TimerSource& PlatformTimerSource() {
  static const TimerSource source{&QueryFrequency, &QueryCounter, &Milliseconds};
  return source;
}
