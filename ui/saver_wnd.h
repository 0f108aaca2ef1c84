// The window the renderer draws into: the frameless full-screen topmost window of the
// screensaver, or the framed 640 x 480 debug window of the test mode. Its procedure
// ends a run by clearing the keep-running flag; it never destroys itself.
#pragma once

#include <windows.h>

class CSaverWnd {
 public:
  CSaverWnd() = default;
  virtual ~CSaverWnd();
  CSaverWnd(const CSaverWnd&) = delete;
  CSaverWnd& operator=(const CSaverWnd&) = delete;

  // debug 0: the screensaver window over the primary screen; otherwise the debug
  // window. False when the class can neither be registered nor found, or the window
  // cannot be created.
  bool Create(HINSTANCE instance, int debug);
  // A screensaver window over another monitor's rectangle (virtual-screen pixels), for
  // a slideshow there; it keeps the screensaver window's input rules.
  bool CreateOver(HINSTANCE instance, int x, int y, int width, int height);
  // Destroys the window if it still exists; safe to call again.
  void Destroy();
  HWND GetHandle() const { return m_window; }
  // True once after the client size changed, when a resize by the window's frame has
  // ended or on maximise and restore: the run loop then resets the renderer to it.
  bool TakeResize();

  static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  HWND m_window = nullptr;
};

constexpr char kSaverWindowClass[] = "Quillmark Window";
// The window's title in the screensaver mode and in the test mode.
constexpr char kSaverWindowTitle[] = "Screensaver Window";
constexpr char kDebugWindowTitle[] = "Debug Window";
// Outer size of the test mode's debug window, pixels.
constexpr int kDebugWindowWidth = 640;
constexpr int kDebugWindowHeight = 480;
