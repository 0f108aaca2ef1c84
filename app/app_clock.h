// The application clock: turns the frame timer's readings into per-frame times. The
// run time grows by at most 0.1 s a frame, so a stalled frame (a debugger, a slow
// decode) does not skip the input grace time or a slideshow cycle.
#pragma once

class CAppClock {
 public:
  // Sets the zero point: current and previous time to elapsed, the rest to 0.
  void Start(double elapsed);
  // Advances by one frame to the timer reading elapsed.
  void Tick(double elapsed);

  double Time() const { return m_currentTime; }
  double FrameTime() const { return m_frameTime; }
  double RunTime() const { return m_runTime; }
  double FrameStep() const { return m_frameStep; }

 private:
  double m_currentTime = 0.0;   // timer reading at the last tick, seconds
  double m_previousTime = 0.0;  // reading at the tick before, seconds
  double m_frameTime = 0.0;     // current minus previous, seconds, not capped
  double m_runTime = 0.0;       // sum of the frame steps since Start, seconds
  double m_frameStep = 0.0;     // frame time capped at kMaxFrameStep, seconds
};

// The longest step one frame may add to the run time, seconds.
constexpr double kMaxFrameStep = 0.1;
