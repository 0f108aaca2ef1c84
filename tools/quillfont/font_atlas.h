// Rendering of a TrueType font into the engine's bitmap font: one texture with the
// printable ASCII glyphs (white, coverage in alpha) and the description that says
// where each glyph lies in it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// First and last character put into the texture: printable ASCII.
constexpr int kFirstGlyph = 0x20;
constexpr int kLastGlyph = 0x7E;
// Accepted glyph heights in pixels.
constexpr int kMinPixelHeight = 8;
constexpr int kMaxPixelHeight = 256;
// Screen aspect (width / height) the glyphs are proportioned for, and its limits.
constexpr double kDefaultScreenAspect = 16.0 / 9.0;
constexpr double kMinScreenAspect = 0.5;
constexpr double kMaxScreenAspect = 4.0;

// One glyph's cell in the texture, in pixels. Every cell is as high as a line and as
// wide as the glyph's advance, so drawing cells side by side sets the text.
struct FontCell {
  int code = 0;       // character code
  float advance = 0;  // the glyph's advance as designed, pixels
  int x = 0;          // left edge
  int y = 0;          // top edge
  int width = 0;
  int height = 0;
};

struct FontAtlas {
  int width = 0;                  // power of two
  int height = 0;                 // power of two
  int cellHeight = 0;             // line height in pixels, the same for every cell
  double horizontalScale = 1;     // glyphs are stored this much wider than designed
  std::vector<uint8_t> coverage;  // width * height bytes, row 0 at the top
  std::vector<FontCell> cells;    // kFirstGlyph .. kLastGlyph in order
};

// Renders the glyphs of the TrueType font in `ttf` so that a line is `pixelHeight`
// pixels high and the text keeps its designed proportions on a screen whose width
// is `screenAspect` times its height (the engine sizes text in fractions of the
// screen's width and height, so the texture carries the correction). False with a
// reason in `why` when the font cannot be used.
bool BuildFontAtlas(const uint8_t* ttf, size_t size, int pixelHeight, double screenAspect,
                    FontAtlas* atlas, std::string* why);

// The font description the engine reads ("fonts/basic.font"): a <charset> element
// with one <chXX>u v w h</chXX> child per cell, in texture coordinates.
std::string FormatFontDescription(const FontAtlas& atlas, const std::string& sourceName);

// The texture as an uncompressed 32-bit TGA: white pixels, coverage in alpha.
std::vector<uint8_t> EncodeTga(const FontAtlas& atlas);
