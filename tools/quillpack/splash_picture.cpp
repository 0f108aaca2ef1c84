// Cover-and-crop over the engine's image scaler, and the BMP writer.
#include "tools/quillpack/splash_picture.h"

#include <algorithm>
#include <cmath>

#include "render/image_scaler.h"

namespace {

void PutLe(std::string* out, size_t at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) (*out)[at + i] = static_cast<char>(value >> (8 * i));
}

}  // namespace

void CoverAndCrop(const MipLevel& photo, int width, int height, MipLevel* out) {
  // The largest window of the target's shape that fits the photo, centred.
  int cropWidth = photo.width;
  int cropHeight = photo.height;
  if (static_cast<int64_t>(photo.width) * height > static_cast<int64_t>(photo.height) * width)
    cropWidth = std::max(1, static_cast<int>(std::lround(double(photo.height) * width / height)));
  else
    cropHeight = std::max(1, static_cast<int>(std::lround(double(photo.width) * height / width)));
  const int left = (photo.width - cropWidth) / 2;
  const int top = (photo.height - cropHeight) / 2;
  MipLevel crop;
  crop.width = cropWidth;
  crop.height = cropHeight;
  crop.pixels.resize(static_cast<size_t>(cropWidth) * cropHeight);
  for (int y = 0; y < cropHeight; ++y) {
    const uint32_t* row = photo.pixels.data() + static_cast<size_t>(top + y) * photo.width + left;
    std::copy(row, row + cropWidth, crop.pixels.data() + static_cast<size_t>(y) * cropWidth);
  }
  ScaleImage(crop, width, height, *out);
}

std::string EncodeBmp24(const MipLevel& image) {
  constexpr uint32_t kHeadersSize = 14 + 40;
  constexpr uint32_t kPixelsPerMetre = 3780;  // 96 dots per inch
  const uint32_t stride = (static_cast<uint32_t>(image.width) * 3 + 3) & ~3u;
  const uint32_t imageSize = stride * static_cast<uint32_t>(image.height);
  std::string out(kHeadersSize + imageSize, '\0');
  out[0] = 'B';
  out[1] = 'M';
  PutLe(&out, 2, static_cast<uint32_t>(out.size()), 4);
  PutLe(&out, 10, kHeadersSize, 4);
  PutLe(&out, 14, 40, 4);
  PutLe(&out, 18, static_cast<uint32_t>(image.width), 4);
  PutLe(&out, 22, static_cast<uint32_t>(image.height), 4);  // positive: bottom row first
  PutLe(&out, 26, 1, 2);                                    // planes
  PutLe(&out, 28, 24, 2);                                   // bits per pixel, BI_RGB
  PutLe(&out, 34, imageSize, 4);
  PutLe(&out, 38, kPixelsPerMetre, 4);
  PutLe(&out, 42, kPixelsPerMetre, 4);
  for (int y = 0; y < image.height; ++y) {
    const uint32_t* src =
        image.pixels.data() + static_cast<size_t>(image.height - 1 - y) * image.width;
    char* dst = &out[kHeadersSize + static_cast<size_t>(y) * stride];
    for (int x = 0; x < image.width; ++x) {
      dst[3 * x + 0] = static_cast<char>(src[x]);
      dst[3 * x + 1] = static_cast<char>(src[x] >> 8);
      dst[3 * x + 2] = static_cast<char>(src[x] >> 16);
    }
  }
  return out;
}
