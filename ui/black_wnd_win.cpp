// The black windows over every monitor and their input rules.
#include "ui/black_wnd.h"

#include "ui/window_class.h"

#include "base/app_base.h"
#include "base/error_trace.h"
#include "base/pending_failure.h"
#include "ui/input_rules.h"
#include "ui/monitor_list.h"

namespace {
// The cursor when the last black window was created. Every black window's WM_CREATE
// overwrites it; it is separate from the screensaver window's.
POINT s_initialCursor{};
long s_wheelTurned = 0;  // the wheel's turn since then, up to a notch

// The caller keeps the handle before it rethrows a failure the procedure stored, so
// that no topmost window is left without an owner to destroy it.
HWND CreateBlackWindow(HINSTANCE instance, int x, int y, int width, int height, HWND owner) {
  return CreateWindowExA(WS_EX_TOPMOST, kBlackWindowClass, kBlackWindowTitle, WS_POPUP | WS_VISIBLE,
                         x, y, width, height, owner, nullptr, instance, nullptr);
}
}  // namespace

CBlackWnd::~CBlackWnd() { Destroy(); }

bool CBlackWnd::Create(HINSTANCE instance, int coverAllMonitors) {
  return RunInErrorFrame("CBlackWnd::Create", [&] {
    if (!RegisterWindowClass(instance, kBlackWindowClass, &CBlackWnd::WndProc,
                             static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))))
      return false;
    m_window = CreateBlackWindow(instance, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                 GetSystemMetrics(SM_CYSCREEN), nullptr);
    g_pendingFailure.RethrowIfSet();
    if (m_window == nullptr) return false;
    if (coverAllMonitors == 0) return true;
    CMonitorList monitors(GetSystemDisplayAdapters());
    for (int i = 0; i < monitors.GetCount(); ++i) {
      const MonitorEntry* entry = monitors.GetEntry(i);
      if (entry->primary != 0) continue;
      // Owned by the primary black window, so destroying that one removes them all.
      CreateBlackWindow(instance, entry->rect.left, entry->rect.top,
                        entry->rect.right - entry->rect.left, entry->rect.bottom - entry->rect.top,
                        m_window);
      g_pendingFailure.RethrowIfSet();  // the window, if made, is owned and goes with ours
    }
    return true;
  });
}

// A failure of the procedure during destruction stays pending for the caller's loop:
// the destructor calls this too and must not throw.
void CBlackWnd::Destroy() {
  if (m_window != nullptr && IsWindow(m_window)) DestroyWindow(m_window);
  m_window = nullptr;
}

LRESULT CALLBACK CBlackWnd::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return RunInWindowFrame("CBlackWnd::WndProc", LRESULT{0}, [&]() -> LRESULT {
    switch (message) {
      case WM_CREATE:
        ShowCursor(FALSE);
        GetCursorPos(&s_initialCursor);
        s_wheelTurned = 0;
        break;
      case WM_DESTROY:
        ShowCursor(TRUE);
        break;
      case WM_KEYDOWN:
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
      case WM_XBUTTONDOWN:
        // Unlike the screensaver window, the black windows end the run themselves.
        if (IsPastGraceTime(CurrentRunTime())) g_keepRunning = 0;
        break;
      case WM_MOUSEWHEEL:
      case WM_MOUSEHWHEEL:
        if (AddWheelTurn(s_wheelTurned, GET_WHEEL_DELTA_WPARAM(wParam)) &&
            IsPastGraceTime(CurrentRunTime()))
          g_keepRunning = 0;
        break;
      case WM_MOUSEMOVE:
        if (IsPastGraceTime(CurrentRunTime())) {
          // The position in lParam is the window's own; the rule is about the screen.
          POINT now{};
          GetCursorPos(&now);
          if (HasCursorMovedFar({s_initialCursor.x, s_initialCursor.y}, {now.x, now.y}))
            g_keepRunning = 0;
        }
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  });
}
