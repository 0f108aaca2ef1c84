// The detector-independent half of the face finder: the search copy's size and the
// focus drawn around the faces.
#include "tools/quillpack/face_finder.h"

#include <algorithm>
#include <cmath>

#include "render/image_scaler.h"

namespace {
// Margins around the faces, in face heights: a detector's box runs from the brows to
// the chin, so the forehead and hair need more room than the sides and the chin.
constexpr double kMarginAbove = 0.6;
constexpr double kMarginSides = 0.3;
constexpr double kMarginBelow = 0.3;
}  // namespace

bool FocusAroundFaces(const std::vector<FaceBox>& faces, int imageWidth, int imageHeight,
                      int pictureWidth, int pictureHeight, FocusRecord& focus) {
  if (faces.empty() || imageWidth <= 0 || imageHeight <= 0) return false;
  double left = imageWidth, top = imageHeight, right = 0, bottom = 0;
  for (const FaceBox& face : faces) {
    const double height = face.bottom - face.top;
    left = std::min(left, face.left - kMarginSides * height);
    right = std::max(right, face.right + kMarginSides * height);
    top = std::min(top, face.top - kMarginAbove * height);
    bottom = std::max(bottom, face.bottom + kMarginBelow * height);
  }
  FocusRecord record;
  record.left = static_cast<float>(std::clamp(left / imageWidth, 0.0, 1.0));
  record.right = static_cast<float>(std::clamp(right / imageWidth, 0.0, 1.0));
  record.top = static_cast<float>(std::clamp(top / imageHeight, 0.0, 1.0));
  record.bottom = static_cast<float>(std::clamp(bottom / imageHeight, 0.0, 1.0));
  record.width = pictureWidth;
  record.height = pictureHeight;
  if (!(record.left < record.right) || !(record.top < record.bottom)) return false;
  focus = record;
  return true;
}

bool CFaceFinder::FindFocus(const MipLevel& image, int pictureWidth, int pictureHeight,
                            FocusRecord& focus) {
  if (!IsAvailable() || image.width < kSmallestFace || image.height < kSmallestFace) return false;
  const int longSide = std::max(image.width, image.height);
  if (longSide <= kFaceSearchSide)
    return FocusAroundFaces(Find(image), image.width, image.height, pictureWidth, pictureHeight,
                            focus);
  const double scale = static_cast<double>(kFaceSearchSide) / longSide;
  MipLevel small;
  ScaleImage(image, std::max(1, static_cast<int>(std::lround(image.width * scale))),
             std::max(1, static_cast<int>(std::lround(image.height * scale))), small);
  return FocusAroundFaces(Find(small), small.width, small.height, pictureWidth, pictureHeight,
                          focus);
}
