// The decode worker's slide composition: pairs side by side with their gap, each half
// cropped around its focus, and the blurred, darkened backdrop.
#include "render/slide_composer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr uint32_t kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF;
constexpr uint32_t kBlack = 0xFF000000;

// A decoded picture of one colour with a white band over rows [markTop, markBottom).
DecodedImage Picture(int width, int height, uint32_t colour, int markTop = 0, int markBottom = 0) {
  DecodedImage image;
  image.sourceWidth = width;
  image.sourceHeight = height;
  image.levels.resize(1);
  image.levels[0].width = width;
  image.levels[0].height = height;
  image.levels[0].pixels.assign(static_cast<size_t>(width) * height, colour);
  for (int y = markTop; y < markBottom; ++y)
    std::fill_n(image.levels[0].pixels.begin() + static_cast<ptrdiff_t>(y) * width, width, kWhite);
  return image;
}

uint32_t At(const MipLevel& level, int x, int y) {
  return level.pixels[static_cast<size_t>(y) * level.width + x];
}

}  // namespace

TEST(SlideComposer, PairsShareTheLongSideWithAGapAndKeepTheirFocus) {
  struct PairCase {
    int screenWidth, screenHeight;
    int pictureWidth, pictureHeight;  // both pictures
    int gap;                          // pixels between the halves
  };
  const PairCase cases[] = {
      {1024, 768, 400, 1000, 10},  // portraits on a landscape screen: left and right
      {768, 1024, 900, 600, 10},  // landscapes on a portrait screen: top and bottom
      {1001, 600, 300, 500, 11},  // an odd pixel widens the gap
  };
  for (const PairCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.screenWidth << " x " << c.screenHeight);
    ImageRequest slide;
    slide.screenWidth = c.screenWidth;
    slide.screenHeight = c.screenHeight;
    slide.mipLevels = 2;
    const bool across = c.screenWidth > c.screenHeight;
    const PairLayout layout = LayOutPair(c.screenWidth, c.screenHeight);
    const int longSide = across ? c.screenWidth : c.screenHeight;
    const int half = across ? layout.width : layout.height;
    EXPECT_EQ(longSide - 2 * half, c.gap);
    // The red picture's focus is a white band near its top, which its half's crop
    // must show (the 38 % rule alone would cut it off the portraits); the blue one
    // has none.
    const int bandTop = c.pictureHeight / 100, bandBottom = c.pictureHeight * 4 / 100;
    DecodedImage red = Picture(c.pictureWidth, c.pictureHeight, kRed, bandTop, bandBottom);
    red.hasFocus = true;
    red.focus = {0.0f, 0.01f, 1.0f, 0.04f};
    const DecodedImage blue = Picture(c.pictureWidth, c.pictureHeight, kBlue);
    DecodedImage pair;
    ASSERT_TRUE(ComposePair(red, blue, slide, pair));
    ASSERT_EQ(pair.levels.size(), 2u);
    const MipLevel& top = pair.levels[0];
    EXPECT_EQ(top.width, c.screenWidth);
    EXPECT_EQ(top.height, c.screenHeight);
    EXPECT_EQ(pair.sourceWidth, c.screenWidth);
    // Along the long side: red, the black gap, blue; the white band lies in red's half.
    const int mid = (across ? c.screenHeight : c.screenWidth) / 2;
    auto along = [&](int at) { return across ? At(top, at, mid) : At(top, mid, at); };
    EXPECT_EQ(along(half / 4), kRed);
    EXPECT_EQ(along(half + c.gap / 2), kBlack);
    EXPECT_EQ(along(longSide - half / 4), kBlue);
    bool bandShown = false;
    for (int y = 0; y < (across ? c.screenHeight : half); ++y)
      bandShown = bandShown || At(top, across ? half / 2 : mid, y) == kWhite;
    EXPECT_TRUE(bandShown);
  }
}

TEST(SlideComposer, TheBackdropIsSmallBlurredAndDark) {
  // Left half white, right half red: after the blur the edge is a gradual ramp, and no
  // pixel is brighter than the darkening allows nor black.
  DecodedImage sharp = Picture(800, 1200, kWhite);
  for (int y = 0; y < 1200; ++y)
    std::fill_n(sharp.levels[0].pixels.begin() + y * 800 + 400, 400, kRed);
  MipLevel backdrop;
  MakeBackdrop(sharp.levels[0], backdrop);
  ASSERT_EQ(backdrop.height, kBackdropSide);
  EXPECT_EQ(backdrop.width, kBackdropSide * 2 / 3 + 1);  // 42.67 rounds to 43
  const int limit = 255 * kBackdropBrightnessPercent / 100;
  int largestStep = 0;
  for (int y = 0; y < backdrop.height; ++y) {
    for (int x = 0; x < backdrop.width; ++x) {
      const uint32_t p = At(backdrop, x, y);
      EXPECT_LE(static_cast<int>((p >> 16) & 0xFF), limit);
      EXPECT_GT(static_cast<int>((p >> 16) & 0xFF), limit / 2);  // red or white: never dark
      if (x > 0) {
        const int green = (p >> 8) & 0xFF, before = (At(backdrop, x - 1, y) >> 8) & 0xFF;
        largestStep = std::max(largestStep, std::abs(green - before));
      }
    }
  }
  // The sharp edge would step from the full darkened white to 0 in one pixel.
  EXPECT_LT(largestStep, limit / 4);
  EXPECT_GT(static_cast<int>((At(backdrop, 0, 0) >> 8) & 0xFF), limit - 4);  // still white there
}
