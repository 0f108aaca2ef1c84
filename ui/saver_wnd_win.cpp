// The screensaver and debug window.
#include "ui/saver_wnd.h"

CSaverWnd::~CSaverWnd() { Destroy(); }

// FIXME: being written.
bool CSaverWnd::Create(HINSTANCE, int) { return false; }

void CSaverWnd::Destroy() {
  if (m_window != nullptr && IsWindow(m_window)) DestroyWindow(m_window);
  m_window = nullptr;
}

LRESULT CALLBACK CSaverWnd::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}
