// Pair composition and backdrops, done by the decode worker so that the render thread
// still uploads one prepared picture a slide.
#include "render/slide_composer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <utility>

#include "render/image_scaler.h"
#include "render/mip_chain.h"
#include "render/picture_placement.h"

namespace {

// Copies the part of `source` under `crop` (0..1 coordinates, clamped to the picture),
// scaled to width x height, into `out` at (left, top).
void DrawCropped(const MipLevel& source, const TextureRect& crop, MipLevel& out, int left, int top,
                 int width, int height) {
  const int x0 =
      std::clamp(static_cast<int>(std::floor(crop.left * source.width)), 0, source.width - 1);
  const int y0 =
      std::clamp(static_cast<int>(std::floor(crop.top * source.height)), 0, source.height - 1);
  const int x1 =
      std::clamp(static_cast<int>(std::ceil(crop.right * source.width)), x0 + 1, source.width);
  const int y1 =
      std::clamp(static_cast<int>(std::ceil(crop.bottom * source.height)), y0 + 1, source.height);
  MipLevel part;
  part.width = x1 - x0;
  part.height = y1 - y0;
  part.pixels.resize(static_cast<size_t>(part.width) * part.height);
  for (int y = 0; y < part.height; ++y)
    std::copy_n(source.pixels.data() + static_cast<size_t>(y0 + y) * source.width + x0, part.width,
                part.pixels.data() + static_cast<size_t>(y) * part.width);
  MipLevel scaled;
  ScaleImage(part, width, height, scaled);
  for (int y = 0; y < height; ++y)
    std::copy_n(scaled.pixels.data() + static_cast<size_t>(y) * width, width,
                out.pixels.data() + static_cast<size_t>(top + y) * out.width + left);
}

// One pass of a box blur of `radius` along rows (or columns), edges clamped.
void BoxBlur(MipLevel& image, int radius, bool rows) {
  const int length = rows ? image.width : image.height;
  const int lines = rows ? image.height : image.width;
  const size_t step = rows ? 1 : static_cast<size_t>(image.width);
  std::vector<uint32_t> line(length);
  for (int l = 0; l < lines; ++l) {
    uint32_t* first = image.pixels.data() + (rows ? static_cast<size_t>(l) * image.width : l);
    for (int i = 0; i < length; ++i) line[i] = first[i * step];
    for (int i = 0; i < length; ++i) {
      uint32_t sum[3] = {0, 0, 0};
      for (int k = -radius; k <= radius; ++k) {
        const uint32_t p = line[std::clamp(i + k, 0, length - 1)];
        sum[0] += (p >> 16) & 0xFF;
        sum[1] += (p >> 8) & 0xFF;
        sum[2] += p & 0xFF;
      }
      const uint32_t n = 2 * radius + 1;
      first[i * step] = 0xFF000000u | (sum[0] / n) << 16 | (sum[1] / n) << 8 | (sum[2] / n);
    }
  }
}

}  // namespace

PairLayout LayOutPair(int screenWidth, int screenHeight) {
  PairLayout layout;
  const bool across = screenWidth >= screenHeight;
  const int longSide = across ? screenWidth : screenHeight;
  const int shortSide = across ? screenHeight : screenWidth;
  const int gap = std::max(1, static_cast<int>(std::lround(longSide * kPairGapShare)));
  const int half = std::max(1, (longSide - gap) / 2);
  // The second half ends at the screen's edge; any odd pixel widens the gap.
  const int second = longSide - half;
  layout.width = across ? half : shortSide;
  layout.height = across ? shortSide : half;
  layout.secondLeft = across ? second : 0;
  layout.secondTop = across ? 0 : second;
  return layout;
}

ImageRequest PairHalfRequest(const ImageRequest& slide) {
  const PairLayout layout = LayOutPair(slide.screenWidth, slide.screenHeight);
  ImageRequest half = slide;
  half.width = 0;
  half.height = 0;
  half.screenWidth = layout.width;
  half.screenHeight = layout.height;
  half.powerOfTwo = false;
  half.mipLevels = 1;
  half.fit = FitMode::Fill;
  half.backdrop = false;  // a pair covers its screen
  return half;
}

bool ComposePair(const DecodedImage& first, const DecodedImage& second, const ImageRequest& slide,
                 DecodedImage& out) {
  out = DecodedImage{};
  if (first.levels.empty() || second.levels.empty() || slide.screenWidth <= 0 ||
      slide.screenHeight <= 0)
    return false;
  // The composed picture's texture: the screen's size, as the device takes it.
  ImageRequest whole = slide;
  whole.width = whole.height = 0;
  whole.fit = FitMode::Stretch;
  int width = 0, height = 0;
  ChooseImageSize(slide.screenWidth, slide.screenHeight, whole, width, height);
  const PairLayout screen = LayOutPair(slide.screenWidth, slide.screenHeight);
  const double sx = static_cast<double>(width) / slide.screenWidth;
  const double sy = static_cast<double>(height) / slide.screenHeight;
  try {
    DecodedImage image;
    image.sourceWidth = slide.screenWidth;
    image.sourceHeight = slide.screenHeight;
    image.levels.resize(1);
    MipLevel& top = image.levels[0];
    top.width = width;
    top.height = height;
    top.pixels.assign(static_cast<size_t>(width) * height, 0xFF000000u);  // the gap is black
    const std::pair<const DecodedImage*, std::pair<int, int>> halves[2] = {
        {&first, {screen.firstLeft, screen.firstTop}},
        {&second, {screen.secondLeft, screen.secondTop}}};
    for (const auto& [picture, at] : halves) {
      const TextureRect crop =
          PlacePicture(picture->sourceWidth, picture->sourceHeight, screen.width, screen.height,
                       FitMode::Fill, picture->hasFocus ? &picture->focus : nullptr);
      const int left = static_cast<int>(std::lround(at.first * sx));
      const int topEdge = static_cast<int>(std::lround(at.second * sy));
      const int right =
          std::min(width, static_cast<int>(std::lround((at.first + screen.width) * sx)));
      const int bottom =
          std::min(height, static_cast<int>(std::lround((at.second + screen.height) * sy)));
      if (right <= left || bottom <= topEdge) continue;
      DrawCropped(picture->levels[0], crop, top, left, topEdge, right - left, bottom - topEdge);
      if (slide.stop && slide.stop->load()) return false;
    }
    if (!BuildMipChain(image.levels, slide.mipLevels, slide.stop)) return false;
    out = std::move(image);
    return true;
  } catch (const std::bad_alloc&) {
    out = DecodedImage{};
    return false;
  }
}

void MakeBackdrop(const MipLevel& picture, MipLevel& out, bool powerOfTwo) {
  out = MipLevel{};
  if (picture.width <= 0 || picture.height <= 0) return;
  const int longSide = std::max(picture.width, picture.height);
  const double scale = std::min(1.0, static_cast<double>(kBackdropSide) / longSide);
  MipLevel small;
  ScaleImage(picture, std::max(1, static_cast<int>(std::lround(picture.width * scale))),
             std::max(1, static_cast<int>(std::lround(picture.height * scale))), small);
  for (int pass = 0; pass < kBackdropBlurPasses; ++pass) {
    BoxBlur(small, kBackdropBlurRadius, true);
    BoxBlur(small, kBackdropBlurRadius, false);
  }
  for (uint32_t& p : small.pixels) {
    const uint32_t r = ((p >> 16) & 0xFF) * kBackdropBrightnessPercent / 100;
    const uint32_t g = ((p >> 8) & 0xFF) * kBackdropBrightnessPercent / 100;
    const uint32_t b = (p & 0xFF) * kBackdropBrightnessPercent / 100;
    p = 0xFF000000u | r << 16 | g << 8 | b;
  }
  if (powerOfTwo) {
    // Stretched to the sides such a device takes; the texture transform keeps its shape.
    MipLevel stretched;
    ScaleImage(small, RoundUpToPowerOfTwo(small.width), RoundUpToPowerOfTwo(small.height),
               stretched);
    small = std::move(stretched);
  }
  out = std::move(small);
}
