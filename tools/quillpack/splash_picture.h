// The pictures of the settings dialog's preview: a photo scaled to cover the
// dialog's picture area, centre-cropped, stored as the 24-bit BMP the engine's
// splash loader reads.
#pragma once

#include <cstdint>
#include <string>

#include "render/image_types.h"

// The picture area is control 1006 of the settings dialog: 197 × 153 dialog units
// in a template set in 8-point "MS Shell Dlg". At 96 DPI that font makes a dialog
// unit 1.5 pixels wide (average character width 6 px / 4) and 1.625 pixels high
// (character height 13 px / 8): 295.5 × 248.6, rounded up so the area is covered.
constexpr int kSplashWidth = 296;
constexpr int kSplashHeight = 249;

// Scales `photo` so that it covers width × height and cuts away what overhangs on
// both sides equally.
void CoverAndCrop(const MipLevel& photo, int width, int height, MipLevel* out);

// An uncompressed bottom-up 24-bit BMP (BITMAPFILEHEADER, BITMAPINFOHEADER, rows
// padded to four bytes).
std::string EncodeBmp24(const MipLevel& image);
