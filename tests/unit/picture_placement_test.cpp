// Placement of pictures on screens of other shapes: the texture rectangle of each fit
// mode and the size a picture is decoded at.
#include "render/picture_placement.h"

#include <gtest/gtest.h>

namespace {
constexpr float kFull[4] = {0.0f, 0.0f, 1.0f, 1.0f};

struct PlacementCase {
  const char* name;
  int pictureWidth, pictureHeight, screenWidth, screenHeight;
  float fill[4];  // left, top, right, bottom
  float fit[4];
  int fillDecode[2];  // width, height
  int fitDecode[2];
};

void ExpectRect(const TextureRect& rect, const float (&expected)[4], const char* mode) {
  SCOPED_TRACE(mode);
  EXPECT_NEAR(rect.left, expected[0], 1e-5);
  EXPECT_NEAR(rect.top, expected[1], 1e-5);
  EXPECT_NEAR(rect.right, expected[2], 1e-5);
  EXPECT_NEAR(rect.bottom, expected[3], 1e-5);
}
}  // namespace

TEST(PicturePlacement, EachShapeOnEachScreenInEachMode) {
  // clang-format off: one row a case reads as a table.
  const PlacementCase cases[] = {
      // 2:1 on 4:3: fill shows the middle two thirds across; fit leaves a sixth of
      // the screen's height black above and below.
      {"landscape on landscape", 2000, 1000, 1024, 768, {1.0f / 6, 0.0f, 5.0f / 6, 1.0f},
       {0.0f, -0.25f, 1.0f, 1.25f}, {1536, 768}, {1024, 512}},
      {"portrait on landscape", 768, 1024, 1024, 768, {0.0f, 0.21875f, 1.0f, 0.78125f},
       {-7.0f / 18, 0.0f, 25.0f / 18, 1.0f}, {1024, 1365}, {576, 768}},
      {"landscape on portrait", 1024, 768, 768, 1024, {0.21875f, 0.0f, 0.78125f, 1.0f},
       {0.0f, -7.0f / 18, 1.0f, 25.0f / 18}, {1365, 1024}, {768, 576}},
      {"square on landscape", 500, 500, 1024, 768, {0.0f, 0.125f, 1.0f, 0.875f},
       {-1.0f / 6, 0.0f, 7.0f / 6, 1.0f}, {1024, 1024}, {768, 768}},
      {"equal shapes", 640, 480, 1024, 768, {0, 0, 1, 1}, {0, 0, 1, 1}, {1024, 768}, {1024, 768}},
      {"unknown picture size", 0, 0, 1024, 768, {0, 0, 1, 1}, {0, 0, 1, 1}, {0, 0}, {0, 0}},
  };
  // clang-format on
  for (const PlacementCase& c : cases) {
    SCOPED_TRACE(c.name);
    const int sizes[4] = {c.pictureWidth, c.pictureHeight, c.screenWidth, c.screenHeight};
    ExpectRect(PlacePicture(sizes[0], sizes[1], sizes[2], sizes[3], FitMode::Stretch), kFull,
               "stretch");
    ExpectRect(PlacePicture(sizes[0], sizes[1], sizes[2], sizes[3], FitMode::Fill), c.fill, "fill");
    ExpectRect(PlacePicture(sizes[0], sizes[1], sizes[2], sizes[3], FitMode::Fit), c.fit, "fit");

    int width = 0, height = 0;
    PlacementDecodeSize(sizes[0], sizes[1], sizes[2], sizes[3], FitMode::Fill, width, height);
    EXPECT_EQ(width, c.fillDecode[0]);
    EXPECT_EQ(height, c.fillDecode[1]);
    PlacementDecodeSize(sizes[0], sizes[1], sizes[2], sizes[3], FitMode::Fit, width, height);
    EXPECT_EQ(width, c.fitDecode[0]);
    EXPECT_EQ(height, c.fitDecode[1]);
    PlacementDecodeSize(sizes[0], sizes[1], sizes[2], sizes[3], FitMode::Stretch, width, height);
    EXPECT_EQ(width, c.pictureWidth > 0 ? c.screenWidth : 0);
  }
}
