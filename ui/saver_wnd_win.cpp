// The screensaver and debug window: its class, creation and the message table that
// decides when a run ends.
#include "ui/saver_wnd.h"

#include "base/app_base.h"
#include "base/pending_failure.h"
#include "ui/input_rules.h"
#include "ui/window_class.h"

namespace {
// The procedure's state is kept here rather than looked up from the handle. The debug
// window is always alone; the screensaver windows (one per monitor when the product
// asks for it) are made together at one cursor position, and input on any of them
// ends the run, so one state serves them all.
int g_debug = 0;                // 0: the screensaver window; else the debug window
CursorPoint g_initialCursor;    // where the cursor was when the window was created
long g_wheelTurned = 0;         // the wheel's turn since then, up to a notch
SIZE g_clientSize{};            // the client size when the renderer last took it
bool g_sizing = false;          // inside a resize or move by the window's frame
bool g_resized = false;         // the client size changed since TakeResize last asked
constexpr WPARAM kEscape = 27;  // WM_CHAR code of the Escape key

CursorPoint ReadCursor() {
  POINT point{};
  GetCursorPos(&point);
  return CursorPoint{point.x, point.y};
}

SIZE ReadClientSize(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return SIZE{client.right, client.bottom};
}

// Records a new client size once a resize is over; a move alone changes nothing.
void NoteClientSize(HWND window) {
  const SIZE size = ReadClientSize(window);
  if (size.cx == g_clientSize.cx && size.cy == g_clientSize.cy) return;
  g_clientSize = size;
  g_resized = true;
}

// Asks the run to end: the WM_CLOSE handler clears the keep-running flag.
void RequestClose(HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }

LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const bool saver = g_debug == 0;
  switch (message) {
    case WM_CREATE:
      if (saver) ShowCursor(FALSE);
      g_initialCursor = ReadCursor();
      g_wheelTurned = 0;
      g_clientSize = ReadClientSize(window);
      g_sizing = g_resized = false;
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
    case WM_XBUTTONDOWN:
      if (saver && IsPastGraceTime(CurrentRunTime())) RequestClose(window);
      break;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: {
      // Turns add up from creation on, as cursor movement does.
      const bool notch = AddWheelTurn(g_wheelTurned, GET_WHEEL_DELTA_WPARAM(wParam));
      if (saver && notch && IsPastGraceTime(CurrentRunTime())) RequestClose(window);
      break;
    }
    case WM_MOUSEMOVE:
      // The message's own position is not used: the cursor is read again and
      // compared with where it was at creation, so slow drift adds up.
      if (saver && IsPastGraceTime(CurrentRunTime()) &&
          HasCursorMovedFar(g_initialCursor, ReadCursor()))
        RequestClose(window);
      break;
    // Only the debug window can be resized; the screensaver windows share this state
    // and must not take each other's sizes for a resize.
    case WM_ENTERSIZEMOVE:
      g_sizing = !saver;
      break;
    case WM_EXITSIZEMOVE:
      g_sizing = false;
      if (!saver) NoteClientSize(window);
      break;
    case WM_SIZE:
      // Maximise and restore come without a resize by the frame; the sizes during
      // one wait for its end, so the device is reset once, at the final size.
      if (!saver && !g_sizing && (wParam == SIZE_MAXIMIZED || wParam == SIZE_RESTORED))
        NoteClientSize(window);
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
  if (debug == 0)
    return CreateOver(instance, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  g_debug = debug;
  // Registered by an earlier Create in this process: no failure.
  if (!RegisterWindowClass(instance, kSaverWindowClass, &CSaverWnd::WndProc, nullptr)) return false;
  m_window = CreateWindowExA(0, kSaverWindowClass, kDebugWindowTitle,
                             WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                             CW_USEDEFAULT, CW_USEDEFAULT, kDebugWindowWidth, kDebugWindowHeight,
                             nullptr, nullptr, instance, nullptr);
  return m_window != nullptr;
}

bool CSaverWnd::CreateOver(HINSTANCE instance, int x, int y, int width, int height) {
  g_debug = 0;
  if (!RegisterWindowClass(instance, kSaverWindowClass, &CSaverWnd::WndProc, nullptr)) return false;
  m_window = CreateWindowExA(WS_EX_TOPMOST, kSaverWindowClass, kSaverWindowTitle,
                             WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, x, y, width,
                             height, nullptr, nullptr, instance, nullptr);
  return m_window != nullptr;
}

bool CSaverWnd::TakeResize() {
  const bool resized = g_resized;
  g_resized = false;
  return resized;
}

void CSaverWnd::Destroy() {
  if (m_window != nullptr && IsWindow(m_window)) DestroyWindow(m_window);
  m_window = nullptr;
}

LRESULT CALLBACK CSaverWnd::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return RunInWindowFrame("CSaverWnd::WndProc", LRESULT{0},
                          [&] { return HandleMessage(window, message, wParam, lParam); });
}
