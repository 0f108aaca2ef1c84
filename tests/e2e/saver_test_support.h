// Test helper for the screensaver-mode tests: the product they run, the windows they
// look for and the waits they share.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/e2e/product_files.h"
#include "tests/win/support/saver_harness.h"
#include "ui/black_wnd.h"
#include "ui/saver_wnd.h"

// Older names of the window classes.
constexpr const char* kSaverWindowClassName = kSaverWindowClass;
constexpr const char* kBlackWindowClassName = kBlackWindowClass;
constexpr DWORD kWindowWaitMs = 15000;
constexpr DWORD kExitWaitMs = 10000;
// Per-channel tolerance of a captured image colour: JPEG and blending shift it a little.
constexpr int kColourTolerance = 40;
// The images' colours (0xRRGGBB): far from black and from each other.
const std::vector<uint32_t> kImageColours = {0xD03030, 0x3050D0};

// True once the pixel at (x, y) of the virtual screen shows one of the images.
inline bool WaitForImageAt(int x, int y, DWORD timeoutMs) {
  return WaitUntil(
      [&] {
        const uint32_t pixel = CaptureScreenRect({x, y, x + 1, y + 1}).At(0, 0);
        for (uint32_t colour : kImageColours)
          if (ColoursMatch(pixel, colour, kColourTolerance)) return true;
        return false;
      },
      timeoutMs);
}

inline bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline RECT WindowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

// Moves the cursor 31 pixels right of start until the run ends, back to start between
// tries: on a busy machine frames are slow and the grace time, which counts rendered
// time, may not be over yet at the first try. Every try is a move of exactly 31 pixels
// from start. False when the run still goes on after all tries.
inline bool EndsOnA31PixelMove(CTestProcess& saver, POINT start, DWORD* exitCode) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    MoveCursorTo(start.x + 31, start.y);
    if (saver.WaitForExit(1000, exitCode)) return true;
    MoveCursorTo(start.x, start.y);
    Sleep(300);
  }
  return saver.WaitForExit(1000, exitCode);
}

// Presses a key once a second until the run ends (see EndsOnA31PixelMove).
inline bool EndsOnAKey(CTestProcess& saver, DWORD* exitCode) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    SendKey(VK_SPACE);
    if (saver.WaitForExit(1000, exitCode)) return true;
  }
  return false;
}

// The grace time counts rendered time, at most 0.1 s a frame, so it ends no sooner
// than one second of frames after the first image: waiting this long once the image
// shows leaves room for slow frames.
constexpr DWORD kPastGraceMs = 2500;
