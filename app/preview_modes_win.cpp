// The two modes without a frame loop: the settings dialog and the preview inside the
// host's window.
#include <cstdlib>

#include "app/command_line.h"
#include "app/saver_app.h"
#include "base/app_base.h"
#include "base/error_trace.h"
#include "base/pending_failure.h"
#include "ui/main_dlg.h"
#include "ui/splash_thread.h"
#include "ui/splash_wnd.h"

namespace {
// Longest idle wait of the preview loop for new input, milliseconds.
constexpr DWORD kPreviewWaitMs = 10;
}  // namespace

void CSaverApp::DoConfig() {
  RunInErrorFrame("CSaverApp::DoConfig", [this] {
    CMainDlg dialog(&ShowHelp);
    // A handle after the option (as in /c:1234) is not used: the active window owns it.
    if (dialog.DoModal(m_instance, GetActiveWindow()) == IDOK) SaveSettings();
  });
}

void CSaverApp::DoPreview() {
  RunInErrorFrame("CSaverApp::DoPreview", [this] {
    // The host's preview window, in decimal after the option.
    const char* handle = __argc > 2 ? __argv[2] : nullptr;
    const HWND parent = reinterpret_cast<HWND>(static_cast<INT_PTR>(ParseWindowHandle(handle)));
    CSplashWnd splash;
    // Without its window nothing would ever clear the flag: the preview ends at once.
    const bool created = splash.Create(m_instance, parent);
    if (created) {
      StartSplashThread(splash.GetHandle(), m_instance);
      ResumeSplashThread();
    }
    // The mutex is closed and the thread stopped however the loop ends.
    const auto closeMutexAndStopSplash = [this] {
      if (m_instanceMutex != nullptr) {
        CloseHandle(m_instanceMutex);
        m_instanceMutex = nullptr;
      }
      StopSplashThread();
    };
    try {
      MSG message;
      while (created && g_keepRunning != 0) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
          DispatchAndRethrow(message);
        else
          MsgWaitForMultipleObjects(0, nullptr, FALSE, kPreviewWaitMs, QS_ALLEVENTS);
      }
    } catch (...) {
      closeMutexAndStopSplash();
      throw;
    }
    closeMutexAndStopSplash();
  });
}
