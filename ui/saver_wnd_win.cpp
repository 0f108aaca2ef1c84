// The screensaver and debug window: its class, creation and the message table that
// decides when a run ends.
#include "ui/saver_wnd.h"

#include "base/app_base.h"
#include "base/pending_failure.h"
#include "ui/input_rules.h"
#include "ui/window_class.h"

namespace {
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

// Asks the run to end: the WM_CLOSE handler clears the keep-running flag.
void RequestClose(HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }
}  // namespace

// Records a new client size once a resize is over; a move alone changes nothing.
void CSaverWnd::NoteClientSize(HWND window) {
  const SIZE size = ReadClientSize(window);
  if (size.cx == m_clientSize.cx && size.cy == m_clientSize.cy) return;
  m_clientSize = size;
  m_resized = true;
}

LRESULT CSaverWnd::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const bool saver = m_saver;
  switch (message) {
    case WM_CREATE:
      if (saver) {
        ShowCursor(FALSE);
        m_cursorHidden = true;
      }
      m_initialCursor = ReadCursor();
      m_wheelTurned = 0;
      m_clientSize = ReadClientSize(window);
      m_sizing = m_resized = false;
      break;
    case WM_CLOSE:
      // Closing never destroys the window: the run loop does that after its loop.
      g_keepRunning = 0;
      return 0;
    case WM_DESTROY:
      // The cursor is shown as often as this window hid it, however often it closed.
      if (m_cursorHidden) ShowCursor(TRUE);
      m_cursorHidden = false;
      if (!m_destroying) g_keepRunning = 0;
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
      const bool notch = AddWheelTurn(m_wheelTurned, GET_WHEEL_DELTA_WPARAM(wParam));
      if (saver && notch && IsPastGraceTime(CurrentRunTime())) RequestClose(window);
      break;
    }
    case WM_MOUSEMOVE:
      // The message's own position is not used: the cursor is read again and
      // compared with where it was at creation, so slow drift adds up.
      if (saver && IsPastGraceTime(CurrentRunTime()) &&
          HasCursorMovedFar(m_initialCursor, ReadCursor()))
        RequestClose(window);
      break;
    // Only the debug window can be resized by its frame.
    case WM_ENTERSIZEMOVE:
      m_sizing = !saver;
      break;
    case WM_EXITSIZEMOVE:
      m_sizing = false;
      if (!saver) NoteClientSize(window);
      break;
    case WM_SIZE:
      // Maximise and restore come without a resize by the frame; the sizes during
      // one wait for its end, so the device is reset once, at the final size.
      if (!saver && !m_sizing && (wParam == SIZE_MAXIMIZED || wParam == SIZE_RESTORED))
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
    case WM_NCDESTROY:
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      m_window = nullptr;
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

CSaverWnd::~CSaverWnd() { Destroy(); }

bool CSaverWnd::Create(HINSTANCE instance, int debug) {
  if (debug == 0)
    return CreateOver(instance, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  m_saver = false;
  return Open(instance, 0, kDebugWindowTitle,
              WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, CW_USEDEFAULT,
              CW_USEDEFAULT, kDebugWindowWidth, kDebugWindowHeight);
}

bool CSaverWnd::CreateOver(HINSTANCE instance, int x, int y, int width, int height) {
  m_saver = true;
  return Open(instance, WS_EX_TOPMOST, kSaverWindowTitle,
              WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, x, y, width, height);
}

bool CSaverWnd::Open(HINSTANCE instance, DWORD exStyle, const char* title, DWORD style, int x,
                     int y, int width, int height) {
  Destroy();
  // Registered by an earlier Create in this process: no failure.
  if (!RegisterWindowClass(instance, kSaverWindowClass, &CSaverWnd::WndProc, nullptr)) return false;
  m_window = CreateWindowExA(exStyle, kSaverWindowClass, title, style, x, y, width, height, nullptr,
                             nullptr, instance, this);
  return m_window != nullptr;
}

bool CSaverWnd::TakeResize() {
  const bool resized = m_resized;
  m_resized = false;
  return resized;
}

void CSaverWnd::Destroy() {
  if (m_window != nullptr && IsWindow(m_window)) {
    m_destroying = true;
    DestroyWindow(m_window);
    m_destroying = false;
  }
  m_window = nullptr;
}

LRESULT CALLBACK CSaverWnd::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<CSaverWnd*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  // The few messages before WM_NCCREATE (WM_GETMINMAXINFO) need no state.
  if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  return RunInWindowFrame("CSaverWnd::WndProc", LRESULT{0},
                          [&] { return self->HandleMessage(window, message, wParam, lParam); });
}
