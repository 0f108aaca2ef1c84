// The trend of readings taken over time: the slope of their least-squares line, by
// which the soak judges a leak (single readings swing with every decoded image).
#pragma once

#include <vector>

struct TimedReading {
  double seconds;  // since the run started
  double value;
};

// Slope of the least-squares line through the readings, in value per second; 0 when
// there are fewer than two distinct times.
double LeastSquaresSlope(const std::vector<TimedReading>& readings);
