// Glyph rendering with stb_truetype, cell layout, and the two output formats.
#include "tools/quillfont/font_atlas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>

#include "tools/common/image_writers.h"

namespace {

// Widest texture tried; 95 glyphs at the largest size fit well below it.
constexpr int kMaxTextureSize = 4096;
// Fixed part of a font file's header and one table directory entry, in bytes.
constexpr size_t kFontHeaderSize = 12;
constexpr size_t kTableEntrySize = 16;

uint32_t ReadBig32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// stb_truetype takes no length, so at least the table directory is checked against
// the file before it is let loose on it.
bool CheckTableDirectory(const uint8_t* ttf, size_t size, std::string* why) {
  if (ttf == nullptr || size < kFontHeaderSize) {
    *why = "file too short for a TrueType font";
    return false;
  }
  const uint32_t version = ReadBig32(ttf);
  if (version != 0x00010000 && version != 0x74727565 /* 'true' */ &&
      version != 0x4F54544F /* 'OTTO' */) {
    *why = "not a TrueType or OpenType font (collections are not supported)";
    return false;
  }
  const size_t tables = (size_t{ttf[4]} << 8) | ttf[5];
  if (size < kFontHeaderSize + tables * kTableEntrySize) {
    *why = "font table directory runs past the end of the file";
    return false;
  }
  for (size_t i = 0; i < tables; ++i) {
    const uint8_t* entry = ttf + kFontHeaderSize + i * kTableEntrySize;
    const uint64_t offset = ReadBig32(entry + 8);
    const uint64_t length = ReadBig32(entry + 12);
    if (offset + length > size) {
      *why = "a font table lies outside the file";
      return false;
    }
  }
  return true;
}

// Places the cells in rows of a texture `width` wide, `gap` pixels apart and from the
// edges. Returns the height used, or -1 when a cell is wider than a row.
int LayOutCells(std::vector<FontCell>& cells, int width, int gap) {
  int x = gap, y = gap;
  for (FontCell& cell : cells) {
    if (cell.width + 2 * gap > width) return -1;
    if (x + cell.width + gap > width) {
      x = gap;
      y += cell.height + gap;
    }
    cell.x = x;
    cell.y = y;
    x += cell.width + gap;
  }
  return cells.empty() ? 0 : y + cells.back().height + gap;
}

std::string FormatNumber(double value) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.10g", value);
  return text;
}

// The engine gives a glyph the on-screen width size * w / h in screen widths for a
// height of size in screen heights, with w and h in texture coordinates. So the glyph
// looks as designed on a screen of the given aspect only when it is stored stretched
// by width / (height * aspect); each texture shape implies that stretch. Squeezing
// below this would lose too much of the glyphs' detail.
constexpr double kMinHorizontalScale = 0.75;
// Narrowest texture tried.
constexpr int kMinTextureSize = 64;

// A texture shape and the horizontal stretch it implies.
struct AtlasShape {
  int width = 0;
  int height = 0;
  double stretch = 0;
};

// One line-high cell per printable character, as wide as its designed advance at
// scale; false with a reason when the font lacks a glyph.
bool MeasureGlyphs(const stbtt_fontinfo& font, float scale, int cellHeight,
                   std::vector<FontCell>& cells, std::string* why) {
  for (int code = kFirstGlyph; code <= kLastGlyph; ++code) {
    if (stbtt_FindGlyphIndex(&font, code) == 0 && code != ' ') {
      *why = "the font has no glyph for '" + std::string(1, static_cast<char>(code)) + "'";
      return false;
    }
    int advance = 0, leftBearing = 0;
    stbtt_GetCodepointHMetrics(&font, code, &advance, &leftBearing);
    FontCell cell;
    cell.code = code;
    cell.advance = advance * scale;
    cell.height = cellHeight;
    cells.push_back(cell);
  }
  return true;
}

// The smallest texture, a power of two each way and at most as high as wide, whose
// stretch keeps the glyphs legible and whose rows hold every cell; the cells are left
// placed in it. A zero width when none up to kMaxTextureSize does.
AtlasShape ChooseTextureShape(std::vector<FontCell>& cells, int gap, double screenAspect) {
  for (int w = kMinTextureSize; w <= kMaxTextureSize; w *= 2) {
    for (int h : {w / 4, w / 2, w}) {
      const double candidate = double(w) / (double(h) * screenAspect);
      if (candidate < kMinHorizontalScale) continue;
      for (FontCell& cell : cells)
        cell.width = std::max(1, static_cast<int>(std::lround(cell.advance * candidate)));
      const int used = LayOutCells(cells, w, gap);
      if (used >= 0 && used <= h) return AtlasShape{w, h, candidate};
    }
  }
  return AtlasShape{};
}

// Draws each placed cell's glyph into the atlas's coverage, stretched as the atlas
// says, with the baseline `baseline` pixels below the cell's top.
void RasteriseGlyphs(const stbtt_fontinfo& font, float scale, int baseline, FontAtlas* atlas) {
  const float scaleX = static_cast<float>(scale * atlas->horizontalScale);
  std::vector<uint8_t> bitmap;
  for (const FontCell& cell : atlas->cells) {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    stbtt_GetCodepointBitmapBox(&font, cell.code, scaleX, scale, &x0, &y0, &x1, &y1);
    const int w = x1 - x0, h = y1 - y0;
    if (w <= 0 || h <= 0) continue;  // the space and other blank glyphs
    bitmap.assign(static_cast<size_t>(w) * h, 0);
    stbtt_MakeCodepointBitmap(&font, bitmap.data(), w, h, w, scaleX, scale, cell.code);
    // Ink beyond the advance (a slanted tail) would overlap the neighbour on screen,
    // where cells are drawn edge to edge; it is clipped to the cell.
    for (int row = 0; row < h; ++row) {
      const int ty = baseline + y0 + row;
      if (ty < 0 || ty >= cell.height) continue;
      for (int col = 0; col < w; ++col) {
        const int tx = x0 + col;
        if (tx < 0 || tx >= cell.width) continue;
        atlas->coverage[static_cast<size_t>(cell.y + ty) * atlas->width + cell.x + tx] =
            bitmap[static_cast<size_t>(row) * w + col];
      }
    }
  }
}

}  // namespace

bool BuildFontAtlas(const uint8_t* ttf, size_t size, int pixelHeight, double screenAspect,
                    FontAtlas* atlas, std::string* why) {
  *atlas = FontAtlas();
  if (!(screenAspect >= kMinScreenAspect && screenAspect <= kMaxScreenAspect)) {
    *why = "screen aspect must lie between 1:2 and 4:1";
    return false;
  }
  if (pixelHeight < kMinPixelHeight || pixelHeight > kMaxPixelHeight) {
    *why = "glyph height must be " + std::to_string(kMinPixelHeight) + " to " +
           std::to_string(kMaxPixelHeight) + " pixels";
    return false;
  }
  if (!CheckTableDirectory(ttf, size, why)) return false;
  stbtt_fontinfo font;
  if (!stbtt_InitFont(&font, ttf, 0)) {
    *why = "the font lacks a table it needs (cmap, head, hhea, hmtx, glyf or CFF)";
    return false;
  }

  // The scale maps ascender to descender onto pixelHeight: every glyph fits in a
  // line-high cell with its baseline at the same place.
  const float scale = stbtt_ScaleForPixelHeight(&font, static_cast<float>(pixelHeight));
  int ascent = 0, descent = 0, lineGap = 0;
  stbtt_GetFontVMetrics(&font, &ascent, &descent, &lineGap);
  const int baseline = static_cast<int>(std::lround(ascent * scale));

  std::vector<FontCell> cells;
  if (!MeasureGlyphs(font, scale, pixelHeight, cells, why)) return false;
  // Mip levels average neighbouring texels, so cells keep a gap of empty pixels.
  const int gap = std::max(2, pixelHeight / 16);
  const AtlasShape shape = ChooseTextureShape(cells, gap, screenAspect);
  if (shape.width == 0) {
    *why = "the glyphs do not fit into a " + std::to_string(kMaxTextureSize) + " pixel texture";
    return false;
  }

  atlas->width = shape.width;
  atlas->height = shape.height;
  atlas->cellHeight = pixelHeight;
  atlas->horizontalScale = shape.stretch;
  atlas->coverage.assign(static_cast<size_t>(shape.width) * shape.height, 0);
  atlas->cells = std::move(cells);
  RasteriseGlyphs(font, scale, baseline, atlas);
  return true;
}

std::string FormatFontDescription(const FontAtlas& atlas, const std::string& sourceName) {
  // The engine's reader skips "<!" up to the first ">", so the comment must hold none.
  std::string source;
  for (char c : sourceName)
    if (c != '>' && c != '<' && c != '-') source += c;

  std::string text = "<?xml version=\"1.0\"?>\n";
  text += "<!-- Bitmap font made by quillfont from " + source + ": " +
          std::to_string(atlas.cellHeight) + " pixels per line, texture textures/font.tga " +
          std::to_string(atlas.width) + " x " + std::to_string(atlas.height) + ", glyphs stored " +
          FormatNumber(atlas.horizontalScale) +
          " times as wide as designed to suit the screen shape it was made for.\n"
          "     Element chXX describes the character with hex code XX: u v w h of its cell in "
          "texture coordinates. All cells are one line high. -->\n";
  text += "<font>\n\t<charset>\n";
  for (const FontCell& cell : atlas.cells) {
    char name[8];
    std::snprintf(name, sizeof(name), "ch%02X", cell.code);
    text += std::string("\t\t<") + name + ">" + FormatNumber(double(cell.x) / atlas.width) + " " +
            FormatNumber(double(cell.y) / atlas.height) + " " +
            FormatNumber(double(cell.width) / atlas.width) + " " +
            FormatNumber(double(cell.height) / atlas.height) + "</" + name + ">\n";
  }
  text += "\t</charset>\n</font>\n";
  return text;
}

std::vector<uint8_t> EncodeTga(const FontAtlas& atlas) {
  std::vector<uint32_t> pixels(atlas.coverage.size());
  for (size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = uint32_t{atlas.coverage[i]} << 24 | 0x00FFFFFFu;  // white, coverage in alpha
  TgaOptions options;
  options.idLength = 0;
  return EncodeTga(pixels, atlas.width, atlas.height, options);
}
