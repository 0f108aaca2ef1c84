// The black, topmost, frameless windows that hide the desktop on every monitor while
// the screensaver runs: one over the primary screen, under the screensaver window,
// and one owned by it over each other display adapter. Input on any of them ends the
// run after the same grace time as the screensaver window.
#pragma once

#include <windows.h>

class CBlackWnd {
 public:
  CBlackWnd() = default;
  virtual ~CBlackWnd();
  CBlackWnd(const CBlackWnd&) = delete;
  CBlackWnd& operator=(const CBlackWnd&) = delete;

  // Creates the primary black window and, when coverAllMonitors is not 0, one over
  // every other adapter of the monitor list. False when the class can neither be
  // registered nor found or the primary window cannot be created; windows on the
  // other monitors fail silently.
  bool Create(HINSTANCE instance, int coverAllMonitors);
  // Destroys the primary black window and with it the windows it owns; safe to call
  // again. A failure inside the procedure is left in g_pendingFailure.
  void Destroy();
  // The primary black window; null before Create succeeds.
  HWND GetHandle() const { return m_window; }

  static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  HWND m_window = nullptr;
};

constexpr char kBlackWindowClass[] = "Quillmark Black Window";
constexpr char kBlackWindowTitle[] = "Black Window";
