// The renderer's composite on the CPU: the transition's weight grid spread over the
// output as the screen-filling grid mesh spreads it, and the two images blended by it.
// Also the contact sheet's layout and labels, and the weight grid as text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An 8-bit RGB picture, rows top to bottom, no padding.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // width × height × 3 bytes

  RgbImage() = default;
  RgbImage(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h * 3, 0) {}
  uint8_t* At(int x, int y) { return &pixels[(static_cast<size_t>(y) * width + x) * 3]; }
  const uint8_t* At(int x, int y) const {
    return &pixels[(static_cast<size_t>(y) * width + x) * 3];
  }
};

// Per-pixel weights of an output of outWidth × outHeight for a mask of gridWidth ×
// gridHeight weights. Vertex (c, r) of the mesh sits at c / (gridWidth - 1) and
// r / (gridHeight - 1) of the output and carries its weight as the 8-bit vertex alpha
// trunc(weight × 255); pixel (x, y) is sampled at x / outWidth, y / outHeight (the
// device samples at the pixel's top-left corner) and its weight is the bilinear mix of
// the four surrounding vertices.
std::vector<float> SpreadMask(const float* mask, unsigned gridWidth, unsigned gridHeight,
                              int outWidth, int outHeight);

// out = (1 - w) · a + w · b per channel, rounded; a, b and weights share out's size.
void BlendImages(const RgbImage& a, const RgbImage& b, const std::vector<float>& weights,
                 RgbImage& out);

// Copies `cell` into `sheet` with its top-left corner at (x, y), clipped to the sheet.
void PasteImage(const RgbImage& cell, int x, int y, RgbImage& sheet);

// Writes `text` (digits, '.', ' ', 'E' and 'P') in a small block font with a dark
// backing box, top-left corner at (x, y), each font pixel `scale` pixels wide.
void DrawLabel(const std::string& text, int x, int y, int scale, RgbImage& image);

// The grid as text: one line per row, top row first, weights separated by spaces, each
// with `digits` decimals.
std::string FormatMask(const float* mask, unsigned gridWidth, unsigned gridHeight, int digits);
