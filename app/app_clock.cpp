// Per-frame clock arithmetic of the application.
#include "app/app_clock.h"

void CAppClock::Start(double elapsed) {
  m_currentTime = elapsed;
  m_previousTime = elapsed;
  m_frameTime = 0.0;
  m_runTime = 0.0;
}

void CAppClock::Tick(double elapsed) {
  m_previousTime = m_currentTime;
  m_currentTime = elapsed;
  m_frameTime = m_currentTime - m_previousTime;
  m_frameStep = m_frameTime > kMaxFrameStep ? kMaxFrameStep : m_frameTime;
  m_runTime += m_frameStep;
}
