// The window the renderer draws into: the frameless full-screen topmost window of the
// screensaver, or the framed 640 x 480 debug window of the test mode. Its procedure
// ends a run by clearing the keep-running flag; it never destroys itself.
#pragma once

#include <windows.h>

#include "ui/input_rules.h"

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
  // Destroys the window if it still exists; safe to call again. The owner's own
  // destruction ends no run (a screen whose renderer failed goes on under its black
  // window); a window destroyed behind its owner's back ends it.
  void Destroy();
  HWND GetHandle() const { return m_window; }
  // True once after the client size changed, when a resize by the window's frame has
  // ended or on maximise and restore: the run loop then resets the renderer to it.
  bool TakeResize();

  // Finds the object through the window's user data, set from the creation
  // parameter at WM_NCCREATE.
  static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  bool Open(HINSTANCE instance, DWORD exStyle, const char* title, DWORD style, int x, int y,
            int width, int height);
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void NoteClientSize(HWND window);

  // Each window keeps its own state: with a slideshow on every monitor several exist
  // at once, and making one must not restart another's input rules.
  HWND m_window = nullptr;
  bool m_saver = true;          // the screensaver variant; false: the debug window
  bool m_cursorHidden = false;  // this window hid the cursor and owes one show
  bool m_destroying = false;    // Destroy is under way: WM_DESTROY ends nothing
  CursorPoint m_initialCursor;  // where the cursor was when the window was created
  long m_wheelTurned = 0;       // the wheel's turn since then, up to a notch
  SIZE m_clientSize{};          // the client size when the renderer last took it
  bool m_sizing = false;        // inside a resize or move by the window's frame
  bool m_resized = false;       // the client size changed since TakeResize last asked
};

constexpr char kSaverWindowClass[] = "Quillmark Window";
// The window's title in the screensaver mode and in the test mode.
constexpr char kSaverWindowTitle[] = "Screensaver Window";
constexpr char kDebugWindowTitle[] = "Debug Window";
// Outer size of the test mode's debug window, pixels.
constexpr int kDebugWindowWidth = 640;
constexpr int kDebugWindowHeight = 480;
