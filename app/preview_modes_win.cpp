// The two modes without a frame loop: the settings dialog and the preview inside the
// host's window.
#include "app/saver_app.h"
#include "base/error_trace.h"

// FIXME: the settings dialog and the preview are not part of the program yet.
void CSaverApp::DoConfig() {
  RunInErrorFrame("CSaverApp::DoConfig", [] {});
}

void CSaverApp::DoPreview() {
  RunInErrorFrame("CSaverApp::DoPreview", [] {});
}
