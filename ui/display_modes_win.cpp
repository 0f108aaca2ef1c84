// The primary display's modes and the mode switch, through the Win32 display settings.
#include <windows.h>

#include "ui/display_modes.h"

bool EnumeratePlatformModes(void*, uint32_t index, DisplayMode* mode) {
  DEVMODEA devmode{};
  devmode.dmSize = sizeof devmode;
  devmode.dmDriverExtra = 0;
  if (!EnumDisplaySettingsA(nullptr, index, &devmode)) return false;
  *mode = DisplayMode{devmode.dmPelsWidth, devmode.dmPelsHeight, devmode.dmBitsPerPel};
  return true;
}

bool CDisplay::SetMode(int width, int height, int bitsPerPixel) {
  DEVMODEA devmode{};
  devmode.dmSize = sizeof devmode;
  devmode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  devmode.dmPelsWidth = static_cast<DWORD>(width);
  devmode.dmPelsHeight = static_cast<DWORD>(height);
  devmode.dmBitsPerPel = static_cast<DWORD>(bitsPerPixel);
  // Temporary: the system also returns to the stored mode when the process ends.
  return ChangeDisplaySettingsA(&devmode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

void CDisplay::RestoreMode() { ChangeDisplaySettingsA(nullptr, 0); }
