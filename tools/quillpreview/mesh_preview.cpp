// CPU version of the renderer's grid-mesh composite, plus the contact sheet's helpers.
#include "tools/quillpreview/mesh_preview.h"

#include <algorithm>
#include <cstdio>

namespace {

// Where pixel i of n lands on a mesh axis of `vertices` vertices: the vertex to its
// left or above and the fraction of the way to the next one.
struct AxisSample {
  unsigned vertex;
  float fraction;
};

std::vector<AxisSample> SampleAxis(int pixels, unsigned vertices) {
  std::vector<AxisSample> samples(pixels > 0 ? pixels : 0);
  for (int i = 0; i < pixels; ++i) {
    if (vertices < 2) {
      samples[i] = {0, 0.0f};
      continue;
    }
    const double position = static_cast<double>(i) / pixels * (vertices - 1);
    const unsigned vertex = std::min(static_cast<unsigned>(position), vertices - 2);
    samples[i] = {vertex, static_cast<float>(position - vertex)};
  }
  return samples;
}

// 3 × 5 glyphs, one row per entry, bit 2 the leftmost column.
struct Glyph {
  char c;
  uint8_t rows[5];
};
const Glyph kGlyphs[] = {
    {'0', {7, 5, 5, 5, 7}}, {'1', {2, 6, 2, 2, 7}}, {'2', {7, 1, 7, 4, 7}}, {'3', {7, 1, 7, 1, 7}},
    {'4', {5, 5, 7, 1, 1}}, {'5', {7, 4, 7, 1, 7}}, {'6', {7, 4, 7, 5, 7}}, {'7', {7, 1, 1, 1, 1}},
    {'8', {7, 5, 7, 5, 7}}, {'9', {7, 5, 7, 1, 7}}, {'.', {0, 0, 0, 0, 2}}, {' ', {0, 0, 0, 0, 0}},
    {'E', {7, 4, 6, 4, 7}}, {'P', {6, 5, 6, 4, 4}},
};
constexpr int kGlyphWidth = 3;
constexpr int kGlyphHeight = 5;

const Glyph* FindGlyph(char c) {
  for (const Glyph& glyph : kGlyphs)
    if (glyph.c == c) return &glyph;
  return nullptr;
}

void FillRect(int x0, int y0, int x1, int y1, uint8_t value, RgbImage& image) {
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, image.width);
  y1 = std::min(y1, image.height);
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) std::fill_n(image.At(x, y), 3, value);
}

}  // namespace

std::vector<float> SpreadMask(const float* mask, unsigned gridWidth, unsigned gridHeight,
                              int outWidth, int outHeight) {
  std::vector<float> weights(static_cast<size_t>(std::max(outWidth, 0)) * std::max(outHeight, 0),
                             0.0f);
  if (gridWidth == 0 || gridHeight == 0) return weights;

  // The vertex colour carries the weight as an 8-bit alpha, truncated.
  std::vector<float> alpha(static_cast<size_t>(gridWidth) * gridHeight);
  for (size_t i = 0; i < alpha.size(); ++i) {
    const int a = std::clamp(static_cast<int>(mask[i] * 255.0f), 0, 255);
    alpha[i] = static_cast<float>(a) / 255.0f;
  }

  const std::vector<AxisSample> columns = SampleAxis(outWidth, gridWidth);
  const std::vector<AxisSample> rows = SampleAxis(outHeight, gridHeight);
  const unsigned right = gridWidth > 1 ? 1 : 0;
  const size_t down = gridHeight > 1 ? gridWidth : 0;
  for (int y = 0; y < outHeight; ++y) {
    const float fy = rows[y].fraction;
    const float* top = &alpha[static_cast<size_t>(rows[y].vertex) * gridWidth];
    for (int x = 0; x < outWidth; ++x) {
      const float fx = columns[x].fraction;
      const float* v = top + columns[x].vertex;
      const float upper = v[0] + (v[right] - v[0]) * fx;
      const float lower = v[down] + (v[down + right] - v[down]) * fx;
      weights[static_cast<size_t>(y) * outWidth + x] = upper + (lower - upper) * fy;
    }
  }
  return weights;
}

void BlendImages(const RgbImage& a, const RgbImage& b, const std::vector<float>& weights,
                 RgbImage& out) {
  const size_t pixels = static_cast<size_t>(out.width) * out.height;
  for (size_t i = 0; i < pixels; ++i) {
    const float w = std::clamp(weights[i], 0.0f, 1.0f);
    for (size_t k = 0; k < 3; ++k) {
      const float value = (1.0f - w) * a.pixels[i * 3 + k] + w * b.pixels[i * 3 + k];
      out.pixels[i * 3 + k] = static_cast<uint8_t>(std::clamp(value + 0.5f, 0.0f, 255.0f));
    }
  }
}

void PasteImage(const RgbImage& cell, int x, int y, RgbImage& sheet) {
  for (int row = 0; row < cell.height; ++row) {
    const int sy = y + row;
    if (sy < 0 || sy >= sheet.height) continue;
    for (int column = 0; column < cell.width; ++column) {
      const int sx = x + column;
      if (sx < 0 || sx >= sheet.width) continue;
      std::copy_n(cell.At(column, row), 3, sheet.At(sx, sy));
    }
  }
}

void DrawLabel(const std::string& text, int x, int y, int scale, RgbImage& image) {
  const int advance = (kGlyphWidth + 1) * scale;
  FillRect(x, y, x + static_cast<int>(text.size()) * advance + scale,
           y + (kGlyphHeight + 2) * scale, 0, image);
  for (size_t n = 0; n < text.size(); ++n) {
    const Glyph* glyph = FindGlyph(text[n]);
    if (glyph == nullptr) continue;
    const int left = x + scale + static_cast<int>(n) * advance;
    for (int row = 0; row < kGlyphHeight; ++row)
      for (int column = 0; column < kGlyphWidth; ++column)
        if (glyph->rows[row] & (4 >> column))
          FillRect(left + column * scale, y + (row + 1) * scale, left + (column + 1) * scale,
                   y + (row + 2) * scale, 255, image);
  }
}

std::string FormatMask(const float* mask, unsigned gridWidth, unsigned gridHeight, int digits) {
  std::string text;
  char number[32];
  for (unsigned r = 0; r < gridHeight; ++r) {
    for (unsigned c = 0; c < gridWidth; ++c) {
      std::snprintf(number, sizeof(number), "%.*f", digits,
                    static_cast<double>(mask[r * gridWidth + c]));
      if (c > 0) text += ' ';
      text += number;
    }
    text += '\n';
  }
  return text;
}
