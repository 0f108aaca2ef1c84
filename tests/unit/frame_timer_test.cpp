// The frame timer on a scripted clock and on the platform's own.
#include "render/frame_timer.h"

#include <gtest/gtest.h>

namespace {
// A scripted clock: the counter and the millisecond clock read from variables.
int64_t g_counter = 0;
uint32_t g_milliseconds = 0;
bool g_hasCounter = true;
const TimerSource kScriptedSource{[](int64_t* frequency) {
                                    *frequency = 1000;
                                    return g_hasCounter;
                                  },
                                  [](int64_t* count) {
                                    *count = g_counter;
                                    return true;
                                  },
                                  [] { return g_milliseconds; }};
}  // namespace

TEST(FrameTimer, CountsFromStartWithTheCounterOrTheMillisecondClock) {
  g_hasCounter = true;
  g_counter = 500;
  CFrameTimer counter(kScriptedSource);
  g_counter = 1500;
  EXPECT_DOUBLE_EQ(counter.Elapsed(), 1.0);  // a new timer counts from construction
  counter.Start();
  EXPECT_EQ(counter.Elapsed(), 0.0);
  g_counter = 1750;
  EXPECT_DOUBLE_EQ(counter.Elapsed(), 0.25);

  g_hasCounter = false;
  g_milliseconds = 0xFFFFFF00u;  // 256 ms before the 32-bit clock wraps
  CFrameTimer fallback(kScriptedSource);
  EXPECT_EQ(fallback.Elapsed(), 0.0);  // same millisecond: exactly zero
  g_milliseconds = 0x100u;             // past the wrap
  EXPECT_DOUBLE_EQ(fallback.Elapsed(), 0.512);
}

TEST(FrameTimer, MillisecondDifferencesSurviveOneWrap) {
  const struct {
    uint32_t start, now;
    double seconds;
  } cases[] = {
      {0, 0, 0.0}, {1000, 3500, 2.5}, {0xFFFFFFFFu, 0, 0.001}, {0xFFFFF000u, 0x1000u, 8.192}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(MillisecondsToSeconds(c.start, c.now), c.seconds);
}

TEST(FrameTimer, ThePlatformClockStartsNearZeroAndNeverGoesBack) {
  CFrameTimer timer;
  timer.Start();
  const double first = timer.Elapsed();
  EXPECT_GE(first, 0.0);
  EXPECT_LT(first, 0.5);
  EXPECT_GE(timer.Elapsed(), first);
}
