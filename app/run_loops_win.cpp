// The two modes that render: the test mode in a window and the screensaver itself,
// and the frame loop they share.
#include "app/saver_app.h"

#include <functional>

#include "base/app_base.h"
#include "base/error_trace.h"
#include "base/pending_failure.h"
#include "base/product_info.h"
#include "base/settings.h"
#include "ui/display_modes.h"

namespace {
// Sleep after each frame with LowCPULoad, milliseconds: fewer than 50 frames a second.
constexpr DWORD kLowLoadSleepMs = 20;
}  // namespace

void CSaverApp::StopRenderers() {
  // Every screen's decode is told to end before any renderer is released and joins
  // its worker: the run's end then waits for the slowest row, not for a sum of them.
  m_drawer.RequestStop();
  m_secondaryScreens.RequestStop();
}

void CSaverApp::RunFrameLoop() {
  MSG message;
  int frames = 0;
  while (g_keepRunning != 0) {
    // One message a turn, and a frame only when none waits: input is never delayed
    // behind rendering. The quit message is not looked at; only the flag ends this.
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      DispatchAndRethrow(message);
      continue;
    }
    TickClock();
    // Only after a resize has ended, so the device is reset once, at the final size.
    if (m_saverWnd.TakeResize()) m_drawer.ResetToWindowSize();
    m_drawer.Frame();
    m_secondaryScreens.Frame();
    if (m_frameLimit > 0 && ++frames >= m_frameLimit) {
      if (m_frameLimitReached != nullptr) m_frameLimitReached();
      break;
    }
    if (g_settings.LowCPULoad != 0) Sleep(kLowLoadSleepMs);
  }
}

// The run both rendering modes share: the window, a failure its creation stored, the
// renderer for it, frames until a window procedure clears the flag, then the
// renderer released, the window destroyed and a failure stored meanwhile rethrown.
// beforeFrames is the mode's own step once everything is up.
void CSaverApp::RunRenderedMode(bool fullScreen, const std::function<void()>& beforeFrames) {
  // The full-screen window is the screensaver's; the other is the debug window.
  const bool created = m_saverWnd.Create(m_instance, fullScreen ? 0 : 1);
  g_pendingFailure.RethrowIfSet();
  if (!created) Raise("\"Could not create main window\"");
  if (!m_drawer.Init(m_saverWnd.GetHandle(), fullScreen))
    Raise("\"Could not init Rendering Engine\"");
  // The test mode keeps its one window whatever the product asks.
  if (fullScreen && g_product.Monitors == MonitorsOption::All) {
    m_secondaryScreens.Create(m_instance);
    g_pendingFailure.RethrowIfSet();
    // Input and activation stay with the primary screen's window.
    SetForegroundWindow(m_saverWnd.GetHandle());
  }
  if (beforeFrames) beforeFrames();
  if (g_settings.Music != 0) m_music.Start(g_settings.MusicVolume);
  RunFrameLoop();
  StopRenderers();
  m_music.Stop();
  m_drawer.Shutdown();
  m_secondaryScreens.Destroy();
  m_saverWnd.Destroy();
  g_pendingFailure.RethrowIfSet();
}

void CSaverApp::DoTest() {
  RunInErrorFrame("CSaverApp::DoTest", [this] {
    try {
      RunRenderedMode(false, nullptr);
    } catch (...) {
      // The music must not play on under the report.
      m_music.Stop();
      throw;
    }
  });
}

// The screensaver: switch the display mode if asked, cover every monitor, run full
// screen until input, check the password over the black window, put everything back
// and write the settings.
void CSaverApp::DoSaver() {
  RunInErrorFrame("CSaverApp::DoSaver", [this] {
    const bool switchMode = g_settings.Desktop == 0;
    try {
      if (switchMode) {
        if (!CDisplay::SetMode(g_settings.Width, g_settings.Height, g_settings.Depth))
          Raise("\"Could not set specified video mode\"");
        Sleep(0);  // gives up the rest of the time slice, no delay
      }
      // Without the cover the run still goes on.
      m_blackWnd.Create(m_instance, 1);
      RunRenderedMode(true, [this] { SetScreenSaverRunning(true); });
      SetForegroundWindow(m_blackWnd.GetHandle());
      VerifyPassword(m_blackWnd.GetHandle());
      m_blackWnd.Destroy();
      g_pendingFailure.RethrowIfSet();
      SetScreenSaverRunning(false);
      if (switchMode) CDisplay::RestoreMode();
      SaveSettings();
    } catch (...) {
      // The report must not appear behind a full-screen device and topmost black
      // windows with the cursor hidden: release and destroy before it is shown. A
      // failure of a procedure meanwhile stays pending behind the one being reported.
      StopRenderers();
      m_music.Stop();
      m_drawer.Shutdown();
      m_secondaryScreens.Destroy();
      m_saverWnd.Destroy();
      m_blackWnd.Destroy();
      SetScreenSaverRunning(false);
      if (switchMode) CDisplay::RestoreMode();
      throw;
    }
  });
}
