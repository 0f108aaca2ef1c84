// The application interface through which the renderer and the window procedures
// read the clock without knowing the application class, the pointer to the one
// application object, and the flag that ends a run.
#pragma once

class CDrawer;

class CAppBase {
 public:
  virtual double GetTime() = 0;       // timer reading at the last tick, seconds
  virtual double GetFrameTime() = 0;  // length of the last frame, seconds
  virtual double GetRunTime() = 0;    // rendered time since the clock started, seconds
  virtual double GetFrameStep() = 0;  // frame time capped at 0.1 s
  // Dispatches every waiting message; 0 when the quit message arrived, else 1.
  virtual int PumpMessages() = 0;
  virtual CDrawer* GetDrawer() = 0;

 protected:
  ~CAppBase() = default;
};

// The one application object; set by its constructor.
extern CAppBase* g_pApp;

// 1 while the run goes on; window procedures set it to 0 to end the run. Only the
// main thread reads and writes it.
extern int g_keepRunning;

// The accumulated run time of the one application object; 0 before there is one.
inline double CurrentRunTime() { return g_pApp != nullptr ? g_pApp->GetRunTime() : 0.0; }
