// The screensaver and debug window: its class, creation and the message table that
// decides when a run ends.
#include "ui/saver_wnd.h"

#include "base/app_base.h"
#include "base/pending_failure.h"
#include "ui/input_rules.h"
#include "ui/window_class.h"

namespace {
// Only one window of the class exists at a time, so the procedure's state is kept
// here rather than looked up from the handle.
int g_debug = 0;                // 0: the screensaver window; else the debug window
CursorPoint g_initialCursor;    // where the cursor was when the window was created
constexpr WPARAM kEscape = 27;  // WM_CHAR code of the Escape key

CursorPoint ReadCursor() {
  POINT point{};
  GetCursorPos(&point);
  return CursorPoint{point.x, point.y};
}

// Asks the run to end: the WM_CLOSE handler clears the keep-running flag.
void RequestClose(HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }

LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const bool saver = g_debug == 0;
  switch (message) {
    case WM_CREATE:
      if (saver) ShowCursor(FALSE);
      g_initialCursor = ReadCursor();
      break;
    case WM_CLOSE:
    case WM_DESTROY:
      // Closing never destroys the window: the run loop does that after its loop.
      ShowCursor(TRUE);
      g_keepRunning = 0;
      return 0;
    case WM_ACTIVATEAPP:
      if (wParam == 0) RequestClose(window);  // another application is activated
      break;
    case WM_POWERBROADCAST:
      if (wParam == PBT_APMQUERYSUSPEND || wParam == PBT_APMSUSPEND) RequestClose(window);
      break;
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (saver && IsPastGraceTime(CurrentRunTime())) RequestClose(window);
      break;
    case WM_MOUSEMOVE:
      // The message's own position is not used: the cursor is read again and
      // compared with where it was at creation, so slow drift adds up.
      if (saver && IsPastGraceTime(CurrentRunTime()) &&
          HasCursorMovedFar(g_initialCursor, ReadCursor()))
        RequestClose(window);
      break;
    case WM_CHAR:
      if (saver) break;
      if (wParam == kEscape) SendMessageA(window, WM_CLOSE, 0, 0);
      return 0;
    case WM_SYSCOMMAND:
      // The system must not start a second screensaver over this one, nor close it
      // behind the run loop's back.
      if (saver && (wParam == SC_SCREENSAVE || wParam == SC_CLOSE)) return 0;
      break;
    case WM_SETCURSOR:
      if (!saver) SetCursor(LoadCursorA(nullptr, IDC_ARROW));
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
}  // namespace

CSaverWnd::~CSaverWnd() { Destroy(); }

bool CSaverWnd::Create(HINSTANCE instance, int debug) {
  g_debug = debug;
  // Registered by an earlier Create in this process: no failure.
  if (!RegisterWindowClass(instance, kSaverWindowClass, &CSaverWnd::WndProc, nullptr)) return false;
  if (debug == 0) {
    m_window = CreateWindowExA(WS_EX_TOPMOST, kSaverWindowClass, kSaverWindowTitle,
                               WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                               GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                               nullptr, nullptr, instance, nullptr);
  } else {
    m_window = CreateWindowExA(0, kSaverWindowClass, kDebugWindowTitle,
                               WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                               CW_USEDEFAULT, CW_USEDEFAULT, kDebugWindowWidth, kDebugWindowHeight,
                               nullptr, nullptr, instance, nullptr);
  }
  return m_window != nullptr;
}

void CSaverWnd::Destroy() {
  if (m_window != nullptr && IsWindow(m_window)) DestroyWindow(m_window);
  m_window = nullptr;
}

LRESULT CALLBACK CSaverWnd::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return RunInWindowFrame("CSaverWnd::WndProc", LRESULT{0},
                          [&] { return HandleMessage(window, message, wParam, lParam); });
}
