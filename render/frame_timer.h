// Wall-clock seconds since a zero point. Prefers the high-resolution performance
// counter and falls back to the millisecond clock when the counter is unavailable.
#pragma once

#include <cstdint>

// Where the timer reads the time: the platform's counter functions, or a script in
// tests. A query function returns false when the counter is unavailable.
struct TimerSource {
  bool (*queryFrequency)(int64_t* countsPerSecond);
  bool (*queryCounter)(int64_t* count);
  uint32_t (*milliseconds)();
};

// QueryPerformanceFrequency/Counter and GetTickCount on Windows, a monotonic clock
// elsewhere.
const TimerSource& PlatformTimerSource();

// Seconds between two readings of the 32-bit millisecond clock; one wrap of the
// clock between them is harmless.
double MillisecondsToSeconds(uint32_t start, uint32_t now);

class CFrameTimer {
 public:
  explicit CFrameTimer(const TimerSource& source = PlatformTimerSource());
  // Makes now the zero point.
  void Start();
  // Seconds since the zero point.
  double Elapsed() const;

 private:
  const TimerSource* m_source;
  int64_t m_frequency = 0;           // counts per second
  double m_secondsPerCount = 0.0;    // 1 / frequency
  uint32_t m_startMilliseconds = 0;  // millisecond clock at the zero point (fallback)
  int64_t m_startCount = 0;          // counter at the zero point (counter mode)
  int m_usePerformanceCounter = 0;   // 1 in counter mode, 0 in fallback mode
};
