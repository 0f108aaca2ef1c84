// The splash child window of the preview mode.
#include "ui/splash_wnd.h"

#include "base/app_base.h"
#include "ui/window_class.h"

bool CSplashWnd::Create(HINSTANCE instance, HWND parent) {
  // Nothing is erased: only the splash thread paints.
  if (!RegisterWindowClass(instance, kSplashWindowClass, &CSplashWnd::WndProc,
                           static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))))
    return false;
  RECT client{};
  GetClientRect(parent, &client);
  HWND window = CreateWindowExA(0, kSplashWindowClass, "Splash Window", WS_CHILD | WS_VISIBLE,
                                client.left, client.top, client.right - client.left,
                                client.bottom - client.top, parent, nullptr, instance, nullptr);
  if (window == nullptr) return false;
  m_window = window;
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  return true;
}

LRESULT CALLBACK CSplashWnd::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      // The host destroyed its preview window: the preview is over.
      g_keepRunning = 0;
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
