// The full-screen video modes the settings dialog offers and the screensaver switches
// to: the list is built from the display's enumeration (16 and 32 bits only, at least
// 640 x 480, one entry per resolution and depth, sorted), and the primary display is
// switched into a mode and back.
#pragma once

#include <cstdint>

// One list entry.
struct DisplayMode {
  uint32_t width;         // pixels
  uint32_t height;        // pixels
  uint32_t bitsPerPixel;  // 16 or 32
};

// The list never holds more entries than this; later enumerated modes are not seen.
constexpr int kMaxDisplayModes = 100;

// Where the modes come from: returns false past the last mode, else fills *mode with
// the index-th enumerated mode (refresh rates make the same resolution appear often).
using ModeEnumerator = bool (*)(void* context, uint32_t index, DisplayMode* mode);

// The entry order: width, then height, then the deeper mode first.
bool IsDisplayModeBefore(const DisplayMode& a, const DisplayMode& b);

class CDisplay {
 public:
  // Reads the primary display's modes on first use of the list.
  CDisplay() = default;
  // Reads the modes from a scripted enumerator instead (tests).
  CDisplay(ModeEnumerator enumerate, void* context);
  virtual ~CDisplay() = default;

  // Fills the list from the enumerator; later calls build it afresh.
  void BuildModeList();
  int GetModesCount();
  // The entry at index, or null past the end (-1 converts to a huge index).
  const DisplayMode* GetModeDescription(unsigned index);

  // Switches the primary display (one CDS_FULLSCREEN change); true on success.
  static bool SetMode(int width, int height, int bitsPerPixel);
  // Puts back the mode stored in the system's settings.
  static void RestoreMode();

 private:
  void EnsureBuilt();

  ModeEnumerator m_enumerate = nullptr;  // null: the platform's enumeration
  void* m_context = nullptr;
  bool m_built = false;
  int m_count = 0;  // valid entries of m_modes
  DisplayMode m_modes[kMaxDisplayModes] = {};
};

// The platform's enumeration of the primary display (display_modes_win.cpp; natively
// there are no modes).
bool EnumeratePlatformModes(void* context, uint32_t index, DisplayMode* mode);
