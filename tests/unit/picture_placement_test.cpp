// Placement of pictures on screens of other shapes: the texture rectangle of each fit
// mode and the size a picture is decoded at.
#include "render/picture_placement.h"

#include <gtest/gtest.h>

#include <limits>

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
  // One row a case reads as a table.
  // clang-format off
  const PlacementCase cases[] = {
      // 2:1 on 4:3: fill shows the middle two thirds across; fit leaves a sixth of
      // the screen's height black above and below.
      {"landscape on landscape", 2000, 1000, 1024, 768, {1.0f / 6, 0.0f, 5.0f / 6, 1.0f},
       {0.0f, -0.25f, 1.0f, 1.25f}, {1536, 768}, {1024, 512}},
      // Taller pictures are cropped around the point 38 % down from their top.
      {"portrait on landscape", 768, 1024, 1024, 768, {0.0f, 0.09875f, 1.0f, 0.66125f},
       {-7.0f / 18, 0.0f, 25.0f / 18, 1.0f}, {1024, 1365}, {576, 768}},
      {"landscape on portrait", 1024, 768, 768, 1024, {0.21875f, 0.0f, 0.78125f, 1.0f},
       {0.0f, -7.0f / 18, 1.0f, 25.0f / 18}, {1365, 1024}, {768, 576}},
      {"square on landscape", 500, 500, 1024, 768, {0.0f, 0.005f, 1.0f, 0.755f},
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

TEST(PicturePlacement, FillKeepsTheFocusInsideTheCropNearestTheMiddle) {
  struct FocusCase {
    const char* name;
    int pictureWidth, pictureHeight, screenWidth, screenHeight;
    FocusRect focus;
    float cropStart;  // the crop window's left or top edge under fill
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  // One row a case reads as a table.
  // clang-format off
  const FocusCase cases[] = {
      // A portrait on a landscape screen shows 0.5625 of its height.
      {"portrait, focus at the top", 768, 1024, 1024, 768, {0.3f, 0.02f, 0.6f, 0.2f}, 0.02f},
      {"portrait, focus in the middle", 768, 1024, 1024, 768, {0.4f, 0.45f, 0.6f, 0.55f}, 0.21875f},
      {"portrait, focus at the bottom", 768, 1024, 1024, 768, {0.4f, 0.85f, 0.6f, 0.95f}, 0.3875f},
      {"portrait, focus taller than the crop", 768, 1024, 1024, 768, {0.2f, 0.1f, 0.8f, 0.9f}, 0.21875f},
      {"portrait, focus beyond the picture", 768, 1024, 1024, 768, {0.2f, 1.2f, 0.8f, 1.5f}, 0.4375f},
      {"portrait, focus not a number", 768, 1024, 1024, 768, {nan, nan, nan, nan}, 0.09875f},
      // A landscape on a portrait screen shows 0.5625 of its width.
      {"landscape, focus at the left", 1024, 768, 768, 1024, {0.05f, 0.3f, 0.2f, 0.6f}, 0.05f},
      {"landscape, focus in the middle", 1024, 768, 768, 1024, {0.45f, 0.3f, 0.55f, 0.6f}, 0.21875f},
      {"landscape, focus at the right", 1024, 768, 768, 1024, {0.7f, 0.3f, 0.9f, 0.6f}, 0.3375f},
      // A 1:2 portrait on a 3:4 screen shows two thirds of its height.
      {"tall portrait, focus at the top", 600, 1200, 768, 1024, {0.4f, 0.0f, 0.6f, 0.1f}, 0.0f},
      {"tall portrait, focus at the bottom", 600, 1200, 768, 1024, {0.4f, 0.8f, 0.6f, 0.9f}, 0.9f - 2.0f / 3},
  };
  // clang-format on
  for (const FocusCase& c : cases) {
    SCOPED_TRACE(c.name);
    const int sizes[4] = {c.pictureWidth, c.pictureHeight, c.screenWidth, c.screenHeight};
    const TextureRect crop =
        PlacePicture(sizes[0], sizes[1], sizes[2], sizes[3], FitMode::Fill, &c.focus);
    const bool horizontal = c.pictureWidth > c.pictureHeight;
    const float start = horizontal ? crop.left : crop.top;
    const float end = horizontal ? crop.right : crop.bottom;
    EXPECT_NEAR(start, c.cropStart, 1e-5);
    EXPECT_GE(start, 0.0f);
    EXPECT_LE(end, 1.0f + 1e-6f);
    // Inside the picture, a focus that fits the window lies inside it.
    const float low = horizontal ? c.focus.left : c.focus.top;
    const float high = horizontal ? c.focus.right : c.focus.bottom;
    if (high <= 1.0f && high - low <= end - start) {
      EXPECT_LE(start, low + 1e-6f);
      EXPECT_GE(end, high - 1e-6f);
    }
    // The other axis is shown whole, and stretch and fit ignore the focus.
    EXPECT_EQ(horizontal ? crop.top : crop.left, 0.0f);
    for (FitMode mode : {FitMode::Stretch, FitMode::Fit}) {
      const TextureRect with = PlacePicture(sizes[0], sizes[1], sizes[2], sizes[3], mode, &c.focus);
      const TextureRect without = PlacePicture(sizes[0], sizes[1], sizes[2], sizes[3], mode);
      EXPECT_EQ(with.left, without.left);
      EXPECT_EQ(with.top, without.top);
    }
  }
}

TEST(PicturePlacement, ShapesWithinATenthOfSquareAreNeitherOrientation) {
  struct ShapeCase {
    int width, height;
    PictureShape shape;
  };
  const ShapeCase cases[] = {
      {1024, 768, PictureShape::Landscape}, {768, 1024, PictureShape::Portrait},
      {110, 100, PictureShape::Square},     {100, 110, PictureShape::Square},
      {111, 100, PictureShape::Landscape},  {100, 111, PictureShape::Portrait},
      {500, 500, PictureShape::Square},     {0, 100, PictureShape::Unknown},
      {100, -1, PictureShape::Unknown},
  };
  for (const ShapeCase& c : cases)
    EXPECT_EQ(ClassifyShape(c.width, c.height), c.shape) << c.width << " x " << c.height;
}

// A backdrop covering the screen follows its picture's pan and zoom: every screen point
// moves as the picture's does.
TEST(PicturePlacement, ABackdropFollowsItsPicturesPanAndZoom) {
  const TextureRect rest{-0.5f, 0.0f, 1.5f, 1.0f};  // fit's bars beside a portrait
  const TextureRect cover{0.0f, 0.25f, 1.0f, 0.75f};
  const struct {
    const char* what;
    TextureRect shown, expected;
  } cases[] = {
      {"at rest", rest, cover},
      {"zoomed in twice about the centre",
       {0.0f, 0.25f, 1.0f, 0.75f},
       {0.25f, 0.375f, 0.75f, 0.625f}},
      {"panned by a tenth of the screen", {-0.3f, 0.0f, 1.7f, 1.0f}, {0.1f, 0.25f, 1.1f, 0.75f}},
      {"no picture size", {0.0f, 0.0f, 0.0f, 0.0f}, cover},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const TextureRect got = FollowPicture(cover, rest, c.shown);
    EXPECT_NEAR(got.left, c.expected.left, 1e-5);
    EXPECT_NEAR(got.top, c.expected.top, 1e-5);
    EXPECT_NEAR(got.right, c.expected.right, 1e-5);
    EXPECT_NEAR(got.bottom, c.expected.bottom, 1e-5);
  }
}
