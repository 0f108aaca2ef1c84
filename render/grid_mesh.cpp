// Indices and per-frame vertices of the grid mesh.
#include "render/grid_mesh.h"

void WriteGridIndices(uint16_t* out) {
  int n = 0;
  for (int row = 0; row + 1 < kGridRows; ++row) {
    if (row > 0) {
      // Degenerate pair: the last index of the previous row, then this row's first.
      out[n] = out[n - 1];
      ++n;
      out[n++] = static_cast<uint16_t>(row * kGridColumns);
    }
    for (int column = 0; column < kGridColumns; ++column) {
      out[n++] = static_cast<uint16_t>(row * kGridColumns + column);
      out[n++] = static_cast<uint16_t>((row + 1) * kGridColumns + column);
    }
  }
}

void FillGridVertices(const float* mask, ScreenVertex* out) {
  const float stepX = 1.0f / (kGridColumns - 1);
  const float stepY = 1.0f / (kGridRows - 1);
  float y = 0.0f;
  for (int row = 0; row < kGridRows; ++row) {
    float x = 0.0f;
    const float* weights = mask + row * kGridColumns;
    ScreenVertex* vertex = out + row * kGridColumns;
    for (int column = 0; column < kGridColumns; ++column) {
      const auto alpha = static_cast<uint32_t>(weights[column] * 255.0f);
      vertex[column] = ScreenVertex{x, y, kGridDepth, (alpha << 24) | 0x00FFFFFFu, x, y};
      x += stepX;
    }
    y += stepY;
  }
}
