// Natively there is no display to enumerate or switch; the list is empty.
#include "ui/display_modes.h"

bool EnumeratePlatformModes(void*, uint32_t, DisplayMode*) { return false; }

bool CDisplay::SetMode(int, int, int) { return false; }

void CDisplay::RestoreMode() {}
