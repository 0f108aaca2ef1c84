// Elapsed-time arithmetic of the frame timer, independent of the clock's source.
#include "render/frame_timer.h"

double MillisecondsToSeconds(uint32_t start, uint32_t now) {
  // Unsigned subtraction: a wrap of the clock past 2^32 still gives the true difference.
  return static_cast<double>(static_cast<uint32_t>(now - start)) * 0.001;
}

CFrameTimer::CFrameTimer(const TimerSource& source) : m_source(&source) {
  if (m_source->queryFrequency(&m_frequency) && m_frequency > 0) {
    m_usePerformanceCounter = 1;
    m_source->queryCounter(&m_startCount);
    m_secondsPerCount = 1.0 / static_cast<double>(m_frequency);
  } else {
    m_usePerformanceCounter = 0;
    m_startMilliseconds = m_source->milliseconds();
  }
}

void CFrameTimer::Start() {
  if (m_usePerformanceCounter)
    m_source->queryCounter(&m_startCount);
  else
    m_startMilliseconds = m_source->milliseconds();
}

double CFrameTimer::Elapsed() const {
  if (m_usePerformanceCounter) {
    int64_t now = 0;
    m_source->queryCounter(&now);
    return static_cast<double>(now - m_startCount) * m_secondsPerCount;
  }
  return MillisecondsToSeconds(m_startMilliseconds, m_source->milliseconds());
}
