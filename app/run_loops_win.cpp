// The two modes that render: the test mode in a window and the screensaver itself,
// and the frame loop they share.
#include "app/saver_app.h"
#include "base/app_base.h"
#include "base/error_trace.h"
#include "base/pending_failure.h"
#include "base/settings.h"

void CSaverApp::RunFrameLoop() {
  // FIXME: written with the renderer.
}

void CSaverApp::DoTest() {
  RunInErrorFrame("CSaverApp::DoTest", [] {});
}

// FIXME: the screensaver mode is not part of the program yet.
void CSaverApp::DoSaver() {
  RunInErrorFrame("CSaverApp::DoSaver", [] {});
}
