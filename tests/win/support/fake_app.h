// The application interface for window tests: a clock the test sets by hand, so that
// the grace time and the overlays see exactly the run time a case needs.
#pragma once

#include "base/app_base.h"

class CFakeApp : public CAppBase {
 public:
  double GetTime() override { return runTime; }
  double GetFrameTime() override { return frameTime; }
  double GetRunTime() override { return runTime; }
  double GetFrameStep() override { return frameTime; }
  int PumpMessages() override { return 1; }
  CDrawer* GetDrawer() override { return nullptr; }

  double runTime = 0.0;    // seconds
  double frameTime = 0.0;  // seconds
};
