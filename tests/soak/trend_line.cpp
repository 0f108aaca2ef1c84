// Least-squares slope of timed readings.
#include "tests/soak/trend_line.h"

double LeastSquaresSlope(const std::vector<TimedReading>& readings) {
  if (readings.empty()) return 0.0;
  double meanTime = 0.0, meanValue = 0.0;
  for (const TimedReading& r : readings) {
    meanTime += r.seconds;
    meanValue += r.value;
  }
  meanTime /= readings.size();
  meanValue /= readings.size();
  // Centred sums keep the precision that raw sums of large byte counts would lose.
  double covariance = 0.0, variance = 0.0;
  for (const TimedReading& r : readings) {
    covariance += (r.seconds - meanTime) * (r.value - meanValue);
    variance += (r.seconds - meanTime) * (r.seconds - meanTime);
  }
  return variance > 0.0 ? covariance / variance : 0.0;
}
