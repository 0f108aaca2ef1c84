// Settings dialog decisions, free of window calls.
#include "ui/dialog_rules.h"

int SnapBrightness(int percent) { return percent > 90 && percent < 110 ? 100 : percent; }

int PlaceOnAxis(int areaLow, int areaHigh, int centreLow, int centreHigh, int size) {
  int position = (centreLow + centreHigh) / 2 - size / 2;
  if (position < areaLow) {
    position = areaLow;
  } else if (position + size > areaHigh) {
    position = areaHigh - size;
  }
  return position;
}

std::string DisplayModeText(const DisplayMode& mode) {
  return std::to_string(mode.width) + "x" + std::to_string(mode.height) + " " +
         std::to_string(mode.bitsPerPixel) + " bits";
}

std::string ProductLines(const std::string& title, const std::string& year,
                         const std::string& company) {
  return title + "\r\nCopyright (c) " + year + " " + company;
}

int FindDisplayMode(CDisplay& display, int width, int height, int bitsPerPixel) {
  for (int index = 0; index < display.GetModesCount(); ++index) {
    const DisplayMode* mode = display.GetModeDescription(static_cast<unsigned>(index));
    if (static_cast<int>(mode->width) == width && static_cast<int>(mode->height) == height &&
        static_cast<int>(mode->bitsPerPixel) == bitsPerPixel)
      return index;
  }
  return -1;
}
