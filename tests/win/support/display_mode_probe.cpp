// Reports the primary display's current mode in its exit code, for tests: a process
// that has run for a while may keep answering with the mode it saw first (Wine
// caches it), a new one reads it afresh. Exit code: width << 20 | height << 8 | bits.
#include <windows.h>

int main() {
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return 0;
  return static_cast<int>((mode.dmPelsWidth & 0xFFF) << 20 | (mode.dmPelsHeight & 0xFFF) << 8 |
                          (mode.dmBitsPerPel & 0xFF));
}
