// The settings dialog's decisions that need no window: the brightness snap, where the
// dialog goes, and the texts it shows.
#pragma once

#include <string>

#include "ui/display_modes.h"

// Brightness values this close to 100 percent snap to exactly 100 (91..109).
int SnapBrightness(int percent);

// One axis of the dialog's position: centred on [centreLow, centreHigh), then pushed
// inside [areaLow, areaHigh) when it sticks out (the low edge wins when it is too big).
int PlaceOnAxis(int areaLow, int areaHigh, int centreLow, int centreHigh, int size);

// A mode list entry as the combo box shows it: "800x600 32 bits".
std::string DisplayModeText(const DisplayMode& mode);

// The dialog's two centred lines: the title, then the copyright of year and company;
// the texts in Windows-1252, as the configuration holds them.
std::string ProductLines(const std::string& title, const std::string& year,
                         const std::string& company);

// The first list index whose entry equals the mode, or -1.
int FindDisplayMode(CDisplay& display, int width, int height, int bitsPerPixel);
