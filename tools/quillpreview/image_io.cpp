// Picture input and PNG output for quillpreview. The stb implementations are compiled
// here with internal linkage, so they never clash with the renderer's own copy.
#include "tools/quillpreview/image_io.h"

#include <climits>
#include <cstdio>
#include <memory>

#include "render/image_decoder.h"
#include "render/image_types.h"
#include "render/picture_placement.h"
#include "tools/common/whole_file.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 16384
#include <stb_image.h>

#define STB_IMAGE_RESIZE_STATIC
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb_image_resize.h>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace {

// Largest file read: far above any picture a product carries.
constexpr long kMaxFileBytes = 512L * 1024 * 1024;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

struct StbFree {
  void operator()(unsigned char* pixels) const { stbi_image_free(pixels); }
};

bool FitsStb(const std::vector<uint8_t>& bytes) {
  return bytes.size() <= static_cast<size_t>(INT_MAX);
}

}  // namespace

bool ReadPictureFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
  return ReadWholeFile(path, &bytes, &error, kMaxFileBytes);
}

bool ReadPictureSize(const std::vector<uint8_t>& bytes, int& width, int& height) {
  ImageInfo info;
  if (ReadImageInfo(bytes.data(), bytes.size(), info)) {
    width = info.width;
    height = info.height;
    return true;
  }
  int channels = 0;
  return FitsStb(bytes) && stbi_info_from_memory(bytes.data(), static_cast<int>(bytes.size()),
                                                 &width, &height, &channels) != 0;
}

bool DecodeStretched(const std::vector<uint8_t>& bytes, int width, int height, RgbImage& image) {
  image = RgbImage(width, height);
  const size_t pixels = static_cast<size_t>(width) * height;

  // The product's decoder, asked for the output size and no mip levels.
  ImageRequest request;
  request.width = width;
  request.height = height;
  request.mipLevels = 1;
  DecodedImage decoded;
  if (DecodeImage(bytes.data(), bytes.size(), request, decoded) && !decoded.levels.empty() &&
      decoded.levels[0].width == width && decoded.levels[0].height == height) {
    const PixelBuffer& source = decoded.levels[0].pixels;
    for (size_t i = 0; i < pixels; ++i) {
      const uint32_t argb = source[i];
      image.pixels[i * 3 + 0] = static_cast<uint8_t>(argb >> 16);
      image.pixels[i * 3 + 1] = static_cast<uint8_t>(argb >> 8);
      image.pixels[i * 3 + 2] = static_cast<uint8_t>(argb);
    }
    return true;
  }

  if (!FitsStb(bytes)) return false;
  int ownWidth = 0, ownHeight = 0, channels = 0;
  std::unique_ptr<unsigned char, StbFree> rgb(stbi_load_from_memory(
      bytes.data(), static_cast<int>(bytes.size()), &ownWidth, &ownHeight, &channels, 3));
  if (!rgb) return false;
  return stbir_resize_uint8(rgb.get(), ownWidth, ownHeight, 0, image.pixels.data(), width, height,
                            0, 3) != 0;
}

bool WritePng(const std::string& path, const RgbImage& image) {
  return stbi_write_png(path.c_str(), image.width, image.height, 3, image.pixels.data(),
                        image.width * 3) != 0;
}

bool DecodePlaced(const std::vector<uint8_t>& bytes, int width, int height, FitMode fit,
                  RgbImage& image) {
  int ownWidth = 0, ownHeight = 0;
  if (fit == FitMode::Stretch || !ReadPictureSize(bytes, ownWidth, ownHeight))
    return DecodeStretched(bytes, width, height, image);
  // The picture at the scale that covers (fill) or fits inside (fit) the output, then
  // its centre cut out or black put around it.
  int placedWidth = 0, placedHeight = 0;
  PlacementDecodeSize(ownWidth, ownHeight, width, height, fit, placedWidth, placedHeight);
  RgbImage placed;
  if (!DecodeStretched(bytes, placedWidth, placedHeight, placed)) return false;
  image = RgbImage(width, height);
  PasteImage(placed, (width - placedWidth) / 2, (height - placedHeight) / 2, image);
  return true;
}
