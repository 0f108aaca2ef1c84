// The splash child window of the preview mode.
#include "ui/splash_wnd.h"

#include "base/app_base.h"

bool CSplashWnd::Create(HINSTANCE instance, HWND parent) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = &CSplashWnd::WndProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  // Nothing is erased: only the splash thread paints.
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  windowClass.lpszClassName = kSplashWindowClass;
  if (RegisterClassExA(&windowClass) == 0) {
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (!GetClassInfoExA(instance, kSplashWindowClass, &existing)) return false;
  }
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
