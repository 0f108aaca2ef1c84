// Format detection, the choice of output size, and the order of the steps: decode
// (reduced by DCT scaling where that is allowed), resample when the size still
// differs, then the mip chain.
#include "render/image_decoder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>

#include "data/focus_record.h"
#include "render/image_scaler.h"
#include "render/jpeg_reader.h"
#include "render/mip_chain.h"
#include "render/picture_placement.h"
#include "render/slide_composer.h"
#include "render/tga_reader.h"

namespace {

enum class Format { kUnknown, kJpeg, kTga };

Format DetectFormat(const void* data, size_t size, ImageInfo& info) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (!bytes) return Format::kUnknown;
  if (size >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF)
    return ReadJpegInfo(data, size, info) ? Format::kJpeg : Format::kUnknown;
  return ReadTgaInfo(data, size, info) ? Format::kTga : Format::kUnknown;
}

// Builds mip level 1 while the decoder writes level 0: each pair of rows is halved
// as soon as it is complete, while it is still in the cache, instead of reading the
// whole of level 0 back from memory afterwards.
class CLevelOneBuilder : public IRowSink {
 public:
  CLevelOneBuilder(const MipLevel& top, MipLevel& next) : m_top(top), m_next(next) {}

  void AddRows(const uint32_t*, int count) override {
    m_written += count;
    // Row y needs rows 2y and 2y + 1 of level 0 (or 2y alone when it is 1 high).
    while (m_done < m_next.height && std::min(2 * m_done + 1, m_top.height - 1) < m_written) {
      HalveRows(m_top, m_done, 1, m_next);
      ++m_done;
    }
  }
  bool IsComplete() const { return m_done == m_next.height; }

 private:
  const MipLevel& m_top;
  MipLevel& m_next;
  int m_written = 0;  // rows of level 0 written so far
  int m_done = 0;     // rows of level 1 computed so far
};

// A larger screenScale is taken for a mistake and ignored: no view needs more.
constexpr double kMaxScreenScale = 4.0;

int RoundDownToPowerOfTwo(int value) {
  int power = 1;
  while (power * 2 <= value) power *= 2;
  return power;
}

int ChooseSide(int imageSide, int asked, int screenSide, const ImageRequest& request) {
  // A picture bigger than the screen shows no more detail than one of its size.
  if (asked <= 0 && screenSide > 0) imageSide = std::min(imageSide, screenSide);
  int side = asked > 0 ? std::min(asked, kMaxImageSide) : imageSide;
  int limit = request.maxSize > 0 ? std::min(request.maxSize, kMaxImageSide) : kMaxImageSide;
  if (request.powerOfTwo) {
    side = RoundUpToPowerOfTwo(side);
    limit = RoundDownToPowerOfTwo(limit);
  }
  return std::min(side, limit);
}

}  // namespace

void ChooseImageSize(int imageWidth, int imageHeight, const ImageRequest& request, int& width,
                     int& height) {
  int screenWidth = request.screenWidth;
  int screenHeight = request.screenHeight;
  if (request.screenScale > 1.0 && request.screenScale <= kMaxScreenScale) {
    screenWidth = static_cast<int>(std::lround(screenWidth * request.screenScale));
    screenHeight = static_cast<int>(std::lround(screenHeight * request.screenScale));
  }
  if (request.fit != FitMode::Stretch && request.width <= 0 && request.height <= 0) {
    // The part on screen at the screen's resolution, the shape kept; never larger
    // than the picture, which would cost memory and add no detail.
    int placedWidth = 0, placedHeight = 0;
    PlacementDecodeSize(imageWidth, imageHeight, screenWidth, screenHeight, request.fit,
                        placedWidth, placedHeight);
    if (placedWidth < imageWidth) {
      imageWidth = placedWidth;
      imageHeight = placedHeight;
    }
    // Already sized for the screen: a cap of each side by the screen's would squeeze
    // the shape that the placement relies on.
    width = ChooseSide(imageWidth, request.width, 0, request);
    height = ChooseSide(imageHeight, request.height, 0, request);
    return;
  }
  width = ChooseSide(imageWidth, request.width, screenWidth, request);
  height = ChooseSide(imageHeight, request.height, screenHeight, request);
}

int RoundUpToPowerOfTwo(int value) {
  int power = 1;
  while (power < value) power *= 2;
  return power;
}

bool ReadImageInfo(const void* data, size_t size, ImageInfo& info) {
  ImageInfo read;
  if (DetectFormat(data, size, read) == Format::kUnknown) return false;
  info = read;
  return true;
}

bool DecodeImage(const void* data, size_t size, const ImageRequest& request, DecodedImage& out) {
  out = DecodedImage{};
  ImageInfo info;
  const Format format = DetectFormat(data, size, info);
  if (format == Format::kUnknown) return false;
  int width = 0, height = 0;
  ChooseImageSize(info.width, info.height, request, width, height);

  try {
    DecodedImage image;
    image.hasAlpha = info.hasAlpha;
    image.sourceWidth = info.width;
    image.sourceHeight = info.height;
    FocusRecord record;
    if (format == Format::kJpeg && FindFocusRecord(data, size, record) &&
        record.width == info.width && record.height == info.height) {
      image.hasFocus = true;
      image.focus = {record.left, record.top, record.right, record.bottom};
    }
    // The whole chain is reserved first: `top` must stay where it is.
    image.levels.reserve(FullMipLevelCount(width, height));
    image.levels.resize(1);
    MipLevel& top = image.levels[0];
    if (format == Format::kJpeg) {
      const int scale = ChooseJpegScale(info.width, info.height, width, height);
      if (JpegScaledSize(info.width, scale) == width &&
          JpegScaledSize(info.height, scale) == height) {
        if (request.mipLevels == 1 || (width == 1 && height == 1)) {
          if (!DecodeJpeg(data, size, scale, top, nullptr, request.stop)) return false;
        } else {
          image.levels.resize(2);
          MipLevel& next = image.levels[1];
          next.width = std::max(1, width / 2);
          next.height = std::max(1, height / 2);
          next.pixels.resize(static_cast<size_t>(next.width) * next.height);
          CLevelOneBuilder builder(top, next);
          if (!DecodeJpeg(data, size, scale, top, &builder, request.stop) || !builder.IsComplete())
            return false;
        }
      } else {
        // The decoded rows go through the scaler as they come: the image at its
        // decoded size is never stored.
        CImageScaler scaler(JpegScaledSize(info.width, scale), JpegScaledSize(info.height, scale),
                            width, height, top);
        if (!DecodeJpegRows(data, size, scale, scaler, request.stop) || !scaler.IsComplete())
          return false;
      }
    } else {
      MipLevel decoded;
      if (!DecodeTga(data, size, decoded, request.stop)) return false;
      if (decoded.width == width && decoded.height == height) {
        top = std::move(decoded);
      } else if (!ScaleImage(decoded, width, height, top, request.stop)) {
        return false;
      }
    }
    if (request.stop && request.stop->load()) return false;
    if (request.backdrop) MakeBackdrop(top, image.backdrop, request.powerOfTwo);
    if (!BuildMipChain(image.levels, request.mipLevels, request.stop)) return false;
    out = std::move(image);
    return true;
  } catch (const std::bad_alloc&) {
    out = DecodedImage{};
    return false;
  }
}
