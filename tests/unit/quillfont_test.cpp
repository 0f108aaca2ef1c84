// Tests of quillfont's rendering: the texture layout, the TGA file and that the
// engine's own reader accepts the description and gets the proportions right.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/bitmap_font.h"
#include "render/tga_reader.h"
#include "tools/common/whole_file.h"
#include "tools/quillfont/font_atlas.h"

namespace {

const char kDejaVuSans[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

std::vector<uint8_t> ReadFont() {
  std::vector<uint8_t> bytes;
  std::string error;
  return ReadWholeFile(kDejaVuSans, &bytes, &error) ? bytes : std::vector<uint8_t>();
}

bool IsPowerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

int CoverageSum(const FontAtlas& atlas, const FontCell& cell) {
  int sum = 0;
  for (int y = cell.y; y < cell.y + cell.height; ++y)
    for (int x = cell.x; x < cell.x + cell.width; ++x) sum += atlas.coverage[y * atlas.width + x];
  return sum;
}

struct AtlasCase {
  int size;
  double aspect;
};

TEST(QuillfontTest, AtlasLoadsInTheEngineAtEverySize) {
  const std::vector<uint8_t> ttf = ReadFont();
  if (ttf.empty()) GTEST_SKIP() << kDejaVuSans << " is not installed";
  const AtlasCase cases[] = {
      {kMinPixelHeight, 16.0 / 9},
      {16, 16.0 / 9},
      {32, 16.0 / 9},
      {64, 16.0 / 9},
      {128, 16.0 / 9},
      {kMaxPixelHeight, 16.0 / 9},
      {64, 4.0 / 3},
      {64, 21.0 / 9},
      {48, 1.0},
      {48, kMinScreenAspect},
      {48, kMaxScreenAspect},
  };
  for (const AtlasCase& c : cases) {
    const int size = c.size;
    SCOPED_TRACE(testing::Message() << size << " px, aspect " << c.aspect);
    FontAtlas atlas;
    std::string why;
    ASSERT_TRUE(BuildFontAtlas(ttf.data(), ttf.size(), size, c.aspect, &atlas, &why)) << why;
    EXPECT_TRUE(IsPowerOfTwo(atlas.width));
    EXPECT_TRUE(IsPowerOfTwo(atlas.height));
    EXPECT_LE(atlas.height, atlas.width);
    ASSERT_EQ(atlas.cells.size(), size_t(kLastGlyph - kFirstGlyph + 1));

    // Every glyph but the space has ink; nothing lies outside the cells, so no
    // neighbour bleeds into a glyph when the texture is filtered.
    std::vector<char> inCell(atlas.coverage.size(), 0);
    for (const FontCell& cell : atlas.cells) {
      ASSERT_GE(cell.x, 0);
      ASSERT_LE(cell.x + cell.width, atlas.width);
      ASSERT_LE(cell.y + cell.height, atlas.height);
      EXPECT_EQ(cell.height, size);
      EXPECT_EQ(CoverageSum(atlas, cell) > 0, cell.code != ' ') << char(cell.code);
      for (int y = cell.y; y < cell.y + cell.height; ++y)
        for (int x = cell.x; x < cell.x + cell.width; ++x) {
          EXPECT_FALSE(inCell[y * atlas.width + x]) << "cells overlap at " << x << "," << y;
          inCell[y * atlas.width + x] = 1;
        }
    }
    for (size_t i = 0; i < atlas.coverage.size(); ++i) {
      if (!inCell[i]) {
        ASSERT_EQ(atlas.coverage[i], 0) << "ink outside the cells";
      }
    }

    const std::string text = FormatFontDescription(atlas, "DejaVuSans.ttf");
    CBitmapFont font;
    ASSERT_TRUE(font.LoadFromMemory(text.data(), static_cast<int>(text.size())))
        << font.GetLoadError();
    EXPECT_FLOAT_EQ(font.GetReferenceHeight(), float(size) / atlas.height);
    // On a screen of the aspect asked for, a glyph drawn one screen height high is
    // as wide as designed: advance / line height screen heights, up to the rounding
    // of the cell to whole pixels.
    for (const FontCell& cell : atlas.cells) {
      const GlyphQuad q = font.GetGlyphQuad(char(cell.code), 1.0f, 1.0f);
      const double tolerance = 0.5 / (atlas.horizontalScale * size) + 1e-5;
      EXPECT_NEAR(q.screenWidth * c.aspect, cell.advance / size, tolerance) << char(cell.code);
      EXPECT_NEAR(q.texLeft * atlas.width, cell.x, 1e-3);
      EXPECT_NEAR(q.texBottom * atlas.height, cell.y + cell.height, 1e-3);
    }
  }
}

TEST(QuillfontTest, TgaIsWhiteWithCoverageInAlphaBottomRowFirst) {
  FontAtlas atlas;
  atlas.width = 4;
  atlas.height = 2;
  atlas.coverage = {1, 2, 3, 4, 5, 6, 7, 8};
  const std::vector<uint8_t> tga = EncodeTga(atlas);
  ASSERT_EQ(tga.size(), 18u + 4 * 2 * 4);
  EXPECT_EQ(tga[2], 2);   // uncompressed true colour
  EXPECT_EQ(tga[12], 4);  // width
  EXPECT_EQ(tga[14], 2);  // height
  EXPECT_EQ(tga[16], 32);
  EXPECT_EQ(tga[17], 0x08);
  // The first stored pixel is the bottom-left one.
  const uint8_t first[] = {255, 255, 255, 5};
  EXPECT_TRUE(std::equal(first, first + 4, tga.begin() + 18));
  EXPECT_EQ(tga.back(), 4);
}

TEST(QuillfontTest, EngineReadsTheTextureBackAsWhiteWithCoverage) {
  const std::vector<uint8_t> ttf = ReadFont();
  if (ttf.empty()) GTEST_SKIP() << kDejaVuSans << " is not installed";
  FontAtlas atlas;
  std::string why;
  ASSERT_TRUE(BuildFontAtlas(ttf.data(), ttf.size(), 32, kDefaultScreenAspect, &atlas, &why));
  const std::vector<uint8_t> tga = EncodeTga(atlas);
  MipLevel level;
  ASSERT_TRUE(DecodeTga(tga.data(), tga.size(), level));
  ASSERT_EQ(level.width, atlas.width);
  ASSERT_EQ(level.height, atlas.height);
  for (int y = 0; y < atlas.height; ++y) {
    for (int x = 0; x < atlas.width; ++x) {
      const uint32_t expected = (uint32_t{atlas.coverage[y * atlas.width + x]} << 24) | 0xFFFFFF;
      ASSERT_EQ(level.pixels[y * level.width + x], expected) << x << "," << y;
    }
  }
}

struct BadFontCase {
  const char* what;
  std::vector<uint8_t> bytes;
  int size;
  double aspect = kDefaultScreenAspect;
};

TEST(QuillfontTest, UnusableInputIsRefused) {
  std::vector<uint8_t> shortDirectory = {0, 1, 0, 0, 0, 40, 0, 0, 0, 0, 0, 0};
  std::vector<uint8_t> tableOutside = {0,   1,   0, 0, 0, 1, 0, 0, 0, 0,  0, 0, 'h', 'e',
                                       'a', 'd', 0, 0, 0, 0, 0, 0, 0, 28, 0, 0, 0,   1};
  const std::vector<uint8_t> ttf = ReadFont();
  const BadFontCase cases[] = {
      {"empty", {}, 32},
      {"text file", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!'}, 32},
      {"directory past the end", shortDirectory, 32},
      {"table outside the file", tableOutside, 32},
      {"directory without tables", {0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 32},
      {"size too small", ttf, kMinPixelHeight - 1, kDefaultScreenAspect},
      {"size too large", ttf, kMaxPixelHeight + 1, kDefaultScreenAspect},
      {"aspect too narrow", ttf, 32, kMinScreenAspect * 0.99},
      {"aspect too wide", ttf, 32, kMaxScreenAspect * 1.01},
  };
  for (const BadFontCase& c : cases) {
    SCOPED_TRACE(c.what);
    FontAtlas atlas;
    std::string why;
    EXPECT_FALSE(BuildFontAtlas(c.bytes.data(), c.bytes.size(), c.size, c.aspect, &atlas, &why));
    EXPECT_FALSE(why.empty());
  }
}

}  // namespace
