// The preview's child window: fills the screensaver host's preview window so the
// splash thread has a target, and ends the preview when the host destroys it.
#pragma once

#include <windows.h>

constexpr char kSplashWindowClass[] = "Quillmark Splash Window";

class CSplashWnd {
 public:
  CSplashWnd() = default;
  // The host's window owns the child, so the object leaves it alone.
  virtual ~CSplashWnd() = default;
  CSplashWnd(const CSplashWnd&) = delete;
  CSplashWnd& operator=(const CSplashWnd&) = delete;

  // False when the class can neither be registered nor found, or the window cannot be
  // created (for instance when parent is no window).
  bool Create(HINSTANCE instance, HWND parent);
  HWND GetHandle() const { return m_window; }

  static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  HWND m_window = nullptr;  // null until Create succeeds
};
