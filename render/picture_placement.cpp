// Placement of a picture on its screen by fit mode.
#include "render/picture_placement.h"

#include <algorithm>
#include <cmath>

namespace {
bool ArePositive(int a, int b, int c, int d) { return a > 0 && b > 0 && c > 0 && d > 0; }

// The start of a crop window of `share` (0 .. 1) along an axis: centred on `centre`
// where no focus is given; else as near the middle as keeps [focusLow, focusHigh]
// inside it, or centred on the focus when that is larger than the window. Never
// outside the picture.
double CropStart(double share, double centre, const float* focusLow, const float* focusHigh) {
  double start = centre - share / 2.0;
  if (focusLow != nullptr && std::isfinite(*focusLow) && std::isfinite(*focusHigh)) {
    const double low = std::clamp(static_cast<double>(*focusLow), 0.0, 1.0);
    const double high = std::clamp(static_cast<double>(*focusHigh), low, 1.0);
    if (high - low > share)
      start = (low + high - share) / 2.0;
    else
      start = std::clamp(0.5 - share / 2.0, high - share, low);
  }
  return std::clamp(start, 0.0, 1.0 - share);
}
}  // namespace

PictureShape ClassifyShape(int width, int height) {
  if (width <= 0 || height <= 0) return PictureShape::Unknown;
  const int longSide = std::max(width, height);
  const int shortSide = std::min(width, height);
  if (longSide <= kSquareTolerance * shortSide) return PictureShape::Square;
  return width > height ? PictureShape::Landscape : PictureShape::Portrait;
}

TextureRect PlacePicture(int pictureWidth, int pictureHeight, int screenWidth, int screenHeight,
                         FitMode mode, const FocusRect* focus) {
  TextureRect rect;
  if (mode == FitMode::Stretch ||
      !ArePositive(pictureWidth, pictureHeight, screenWidth, screenHeight))
    return rect;
  // Cross products keep equal shapes exact: no division decides which side is wider.
  const double pictureByScreen = static_cast<double>(pictureWidth) * screenHeight;
  const double screenByPicture = static_cast<double>(screenWidth) * pictureHeight;
  if (pictureByScreen == screenByPicture) return rect;
  const bool pictureWider = pictureByScreen > screenByPicture;
  // The share of the picture's extent on the mismatched axis that the screen shows:
  // below 1 (a crop) for fill, above 1 (bars) for fit.
  const double ratio =
      pictureWider ? screenByPicture / pictureByScreen : pictureByScreen / screenByPicture;
  const double share = mode == FitMode::Fill ? ratio : 1.0 / ratio;
  // fill crops along the picture's longer axis; fit adds bars across the other one.
  const bool horizontal = pictureWider == (mode == FitMode::Fill);
  auto low = static_cast<float>(0.5 - share / 2.0);
  if (mode == FitMode::Fill) {
    const float* focusLow = nullptr;
    const float* focusHigh = nullptr;
    if (focus != nullptr) {
      focusLow = horizontal ? &focus->left : &focus->top;
      focusHigh = horizontal ? &focus->right : &focus->bottom;
    }
    low = static_cast<float>(
        CropStart(share, horizontal ? 0.5 : kPortraitCropCentre, focusLow, focusHigh));
  }
  const auto high = static_cast<float>(low + share);
  if (horizontal) {
    rect.left = low;
    rect.right = high;
  } else {
    rect.top = low;
    rect.bottom = high;
  }
  return rect;
}

void PlacementDecodeSize(int pictureWidth, int pictureHeight, int screenWidth, int screenHeight,
                         FitMode mode, int& width, int& height) {
  width = pictureWidth;
  height = pictureHeight;
  if (!ArePositive(pictureWidth, pictureHeight, screenWidth, screenHeight)) return;
  if (mode == FitMode::Stretch) {
    width = screenWidth;
    height = screenHeight;
    return;
  }
  const double across = static_cast<double>(screenWidth) / pictureWidth;
  const double down = static_cast<double>(screenHeight) / pictureHeight;
  const double scale = mode == FitMode::Fill ? std::max(across, down) : std::min(across, down);
  width = std::max(1, static_cast<int>(std::lround(pictureWidth * scale)));
  height = std::max(1, static_cast<int>(std::lround(pictureHeight * scale)));
}

Matrix4 PlacementMatrix(const TextureRect& rect) {
  Matrix4 matrix{};
  matrix.m[0][0] = rect.right - rect.left;
  matrix.m[1][1] = rect.bottom - rect.top;
  matrix.m[2][0] = rect.left;
  matrix.m[2][1] = rect.top;
  matrix.m[2][2] = matrix.m[3][3] = 1.0f;
  return matrix;
}

ScreenRect PictureScreenRect(const TextureRect& rect) {
  // The screen position where a texture coordinate runs from 0 to 1, clamped to the
  // screen (fill crops: its rectangle lies inside the picture).
  const auto span = [](float low, float high, float& from, float& to) {
    const float size = high - low;
    if (!(size > 0.0f)) return;
    from = std::clamp(-low / size, 0.0f, 1.0f);
    to = std::clamp((1.0f - low) / size, 0.0f, 1.0f);
  };
  ScreenRect screen;
  span(rect.left, rect.right, screen.left, screen.right);
  span(rect.top, rect.bottom, screen.top, screen.bottom);
  return screen;
}

TextureRect FollowPicture(const TextureRect& cover, const TextureRect& rest,
                          const TextureRect& shown) {
  // Per axis, a screen point x at rest shows at offset + scale * x now; the same map
  // applied to the cover gives the texture coordinates at the screen's edges.
  const auto axis = [](float coverLow, float coverHigh, float restLow, float restHigh,
                       float shownLow, float shownHigh, float& low, float& high) {
    const float shownSpan = shownHigh - shownLow;
    const float restSpan = restHigh - restLow;
    if (!(shownSpan > 0.0f) || !(restSpan > 0.0f)) {
      low = coverLow;
      high = coverHigh;
      return;
    }
    const float offset = (restLow - shownLow) / shownSpan;
    const float scale = restSpan / shownSpan;
    const float span = (coverHigh - coverLow) / scale;
    low = coverLow - offset * span;
    high = low + span;
  };
  TextureRect result;
  axis(cover.left, cover.right, rest.left, rest.right, shown.left, shown.right, result.left,
       result.right);
  axis(cover.top, cover.bottom, rest.top, rest.bottom, shown.top, shown.bottom, result.top,
       result.bottom);
  return result;
}
