// The soak's leak judge: the least-squares slope of timed readings.
#include "tests/soak/trend_line.h"

#include <gtest/gtest.h>

TEST(TrendLine, SlopeOfReadings) {
  const struct {
    std::vector<TimedReading> readings;
    double slope;
  } cases[] = {
      {{}, 0.0},
      {{{60, 5e8}}, 0.0},
      {{{60, 1}, {60, 9}}, 0.0},                       // one time: no line
      {{{60, 7}, {70, 7}, {80, 7}}, 0.0},              // flat
      {{{0, 10}, {10, 12}, {20, 12}, {30, 10}}, 0.0},  // up and down without a trend
      {{{60, 2.6e8}, {70, 2.6e8 + 1000}, {80, 2.6e8 + 2000}}, 100.0},  // large and exact
      {{{0, 30}, {10, 20}, {20, 10}}, -1.0},                           // falling
      {{{0, 0}, {10, 11}, {20, 19}, {30, 30}}, 0.98},                  // noise about a rising line
  };
  for (const auto& c : cases) EXPECT_NEAR(LeastSquaresSlope(c.readings), c.slope, 1e-9);
}
