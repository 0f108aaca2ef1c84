// The caption's arithmetic: the long date without its weekday, the side away from
// the clock with its fades, and the shadow under white letters.
#include <gtest/gtest.h>

#include "data/caption_list.h"
#include "render/caption_layout.h"
#include "render/overlay_text.h"

namespace {

TEST(CaptionLayout, LongDatePicturesLoseTheirWeekday) {
  const std::pair<std::u16string, std::u16string> rows[] = {
      {u"dddd, d. MMMM yyyy", u"d. MMMM yyyy"},  // German
      {u"dddd, MMMM d, yyyy", u"MMMM d, yyyy"},  // English (United States)
      {u"dd MMMM yyyy", u"dd MMMM yyyy"},        // English (United Kingdom)
      {u"d MMMM yyyy, dddd", u"d MMMM yyyy"},    // weekday last
      {u"yyyy'\u5E74'M'\u6708'd'\u65E5'dddd", u"yyyy'\u5E74'M'\u6708'd'\u65E5'"},  // Japanese
      {u"d MMMM, ddd, yyyy", u"d MMMM, yyyy"},  // in the middle, abbreviated
      {u"'dddd' d MMMM", u"'dddd' d MMMM"},     // quoted letters are text
  };
  for (const auto& [picture, expected] : rows) EXPECT_TRUE(RemoveWeekday(picture) == expected);
}

TEST(CaptionLayout, SideAwayFromTheClockWithFades) {
  // Clock corners with the counter off: bottom right, top right, bottom left, top left.
  struct Row {
    double time;
    bool clock;
    CaptionSide side;
    float opacity;  // shown from 0 to 100 s
  };
  const Row rows[] = {
      {10, true, CaptionSide::Left, 1},
      {45, true, CaptionSide::Right, 1},
      {45, false, CaptionSide::Left, 1},
      {40, true, CaptionSide::Right, 0},  // side changes
      {39.9f, true, CaptionSide::Left, 1.0f / 3},
      {0.3, true, CaptionSide::Left, 0.5f},
      {99.7, true, CaptionSide::Left, 0.5f},
      {100.5, true, CaptionSide::Left, 0},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(CaptionSideAt(row.time, row.clock, false), row.side) << row.time;
    EXPECT_NEAR(CaptionOpacity(row.time, 0, 100, row.clock, false), row.opacity, 1e-3) << row.time;
  }
  ScreenVertex quad[4];
  CaptionQuad(CaptionSide::Right, 200, 20, 1000, 800, 0.5f, quad);
  EXPECT_NEAR(quad[3].x, 0.98f, 1.0f / 1000);  // flush with the right margin, then snapped
  EXPECT_FLOAT_EQ(quad[3].y, quad[0].y + 20.0f / 800);
  EXPECT_LE(quad[3].y, kCaptionBottom);
  EXPECT_EQ(quad[0].diffuse, 0x80FFFFFFu);
  EXPECT_EQ(CaptionPixelHeight(768), 17);
  EXPECT_EQ(CaptionMaxPixels(1000, 0.0f), 600);   // no clock: 60 % of the width
  EXPECT_EQ(CaptionMaxPixels(1000, 0.7f), 240);   // short of a wide clock
  EXPECT_EQ(CaptionMaxPixels(1000, 0.95f), 100);  // and never under a tenth
  EXPECT_EQ(JoinCaption("Harbour", "14 July 2023"), "Harbour \xE2\x80\x94 14 July 2023");
}

// A pair's two captions: each in its own half at its widest, clear of a clock 0.15
// screens wide in either bottom corner, and of the other half.
TEST(CaptionLayout, APairsCaptionsStayInTheirHalvesAndClearOfTheClock) {
  constexpr float kClock = 0.15f;
  for (const auto& [width, height] : {std::pair{1000, 600}, std::pair{600, 1000}}) {
    for (int index = 0; index < 2; ++index) {
      const CaptionRegion region = PairCaptionRegion(width, height, index);
      const int wide = CaptionMaxPixels(width, kClock, region);
      for (CaptionSide side : {CaptionSide::Left, CaptionSide::Right}) {
        SCOPED_TRACE(testing::Message() << width << "x" << height << " half " << index);
        ScreenVertex quad[4];
        CaptionQuad(side, wide, 20, width, height, 1, quad, region);
        EXPECT_GE(quad[0].x, region.left);
        EXPECT_LE(quad[3].x, region.right);
        EXPECT_LE(quad[3].y, region.bottom);
        EXPECT_GT(quad[0].y, index == 0 && height > width ? 0.3f : 0.8f);  // its half's foot
        // The clock stands a margin from the side it is on, opposite the caption.
        const bool nearClockBand = quad[3].y > kCaptionBottom - 0.06f;
        if (nearClockBand && side == CaptionSide::Left) {
          EXPECT_LT(quad[3].x, 1.0f - kCaptionMargin - kClock);
        }
        if (nearClockBand && side == CaptionSide::Right) {
          EXPECT_GT(quad[0].x, kCaptionMargin + kClock);
        }
      }
    }
  }
}

TEST(CaptionLayout, WhiteLettersOverASoftShadowAndCleanText) {
  const int w = 16, h = 16;
  std::vector<uint8_t> coverage(w * h, 0);
  for (int y = 4; y < 8; ++y)
    for (int x = 4; x < 8; ++x) coverage[y * w + x] = 255;
  const std::vector<uint32_t> pixels = ShadeCaption(coverage, w, h);
  EXPECT_EQ(pixels[5 * w + 5], 0xFFFFFFFFu);    // a letter: opaque white
  EXPECT_GT(pixels[9 * w + 9] >> 24, 0u);       // below right: shadow
  EXPECT_EQ(pixels[9 * w + 9] & 0xFFFFFF, 0u);  // and black
  EXPECT_EQ(pixels[1 * w + 14], 0u);            // far away: nothing
  bool removed = false, cut = false;
  const std::string greek = "\xCE\xB1";  // two bytes, one character
  std::string text = "\x01 a\xFF" + std::string(200, 'b');
  EXPECT_EQ(CleanCaptionText(text, &removed, &cut),
            "a" + std::string(118, 'b'));  // cut, then trimmed
  EXPECT_TRUE(removed && cut);
  text.clear();
  for (int i = 0; i < 130; ++i) text += greek;
  EXPECT_EQ(CleanCaptionText(text, &removed, &cut).size(), 240u);
  EXPECT_FALSE(removed);
}

}  // namespace
