// The native clock source of the frame timer, for tools and tests off Windows.
#include <chrono>

#include "render/frame_timer.h"

namespace {
int64_t NowNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
bool QueryFrequency(int64_t* countsPerSecond) {
  *countsPerSecond = 1000000000;
  return true;
}
bool QueryCounter(int64_t* count) {
  *count = NowNanoseconds();
  return true;
}
uint32_t Milliseconds() { return static_cast<uint32_t>(NowNanoseconds() / 1000000); }
}  // namespace

const TimerSource& PlatformTimerSource() {
  static const TimerSource source{&QueryFrequency, &QueryCounter, &Milliseconds};
  return source;
}
