// Placement of a picture on its screen by fit mode.
#include "render/picture_placement.h"

#include <algorithm>
#include <cmath>

namespace {
bool ArePositive(int a, int b, int c, int d) { return a > 0 && b > 0 && c > 0 && d > 0; }
}  // namespace

TextureRect PlacePicture(int pictureWidth, int pictureHeight, int screenWidth, int screenHeight,
                         FitMode mode) {
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
  const auto low = static_cast<float>(0.5 - share / 2.0);
  const auto high = static_cast<float>(0.5 + share / 2.0);
  // fill crops along the picture's longer axis; fit adds bars across the other one.
  const bool horizontal = pictureWider == (mode == FitMode::Fill);
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
