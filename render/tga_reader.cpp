// TGA header checks and decoding. The pixels are decoded by stb_image, compiled here
// for TGA only and with internal linkage so that no other user of stb_image clashes.
#include "render/tga_reader.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 16384
#include <stb_image.h>

namespace {

constexpr size_t kHeaderSize = 18;
constexpr int kTypeTrueColour = 2;
constexpr int kTypeTrueColourRle = 10;
constexpr int kRightToLeft = 0x10;  // descriptor bit: columns stored right to left
constexpr int kRleRun = 0x80;       // packet header bit: one pixel repeated

inline int ReadLe16(const uint8_t* p) { return p[0] | (p[1] << 8); }

struct TgaHeader {
  ImageInfo info;
  bool rle = false;
  bool rightToLeft = false;
};

bool ParseHeader(const uint8_t* data, size_t size, TgaHeader& header) {
  if (!data || size < kHeaderSize) return false;
  const int idLength = data[0];
  const int colourMapType = data[1];
  const int imageType = data[2];
  const int colourMapLength = ReadLe16(data + 5);
  const int width = ReadLe16(data + 12);
  const int height = ReadLe16(data + 14);
  const int bits = data[16];
  const int descriptor = data[17];
  const int alphaBits = descriptor & 0x0F;

  if (colourMapType != 0 || colourMapLength != 0) return false;
  if (imageType != kTypeTrueColour && imageType != kTypeTrueColourRle) return false;
  if (bits != 24 && bits != 32) return false;
  if (bits == 24 ? alphaBits != 0 : alphaBits != 0 && alphaBits != 8) return false;
  if ((descriptor & 0xC0) != 0) return false;  // interleaved rows: obsolete, never written
  if (!IsDecodableSize(width, height)) return false;

  // Every pixel must be present: stb_image would read zeros past the end instead.
  const size_t bytesPerPixel = static_cast<size_t>(bits / 8);
  const size_t pixelCount = static_cast<size_t>(width) * height;
  size_t offset = kHeaderSize + idLength;
  if (offset > size) return false;
  if (imageType == kTypeTrueColour) {
    if ((size - offset) / bytesPerPixel < pixelCount) return false;
  } else {
    size_t pixels = 0;
    while (pixels < pixelCount) {
      if (offset >= size) return false;
      const int packet = data[offset++];
      const size_t count = static_cast<size_t>(packet & 0x7F) + 1;
      const size_t bytes = (packet & kRleRun) ? bytesPerPixel : count * bytesPerPixel;
      if (size - offset < bytes) return false;
      offset += bytes;
      pixels += count;
    }
  }

  header.info.width = width;
  header.info.height = height;
  header.info.hasAlpha = bits == 32;
  header.rle = imageType == kTypeTrueColourRle;
  header.rightToLeft = (descriptor & kRightToLeft) != 0;
  return true;
}

}  // namespace

bool ReadTgaInfo(const void* data, size_t size, ImageInfo& info) {
  TgaHeader header;
  if (!ParseHeader(static_cast<const uint8_t*>(data), size, header)) return false;
  info = header.info;
  return true;
}

bool DecodeTga(const void* data, size_t size, MipLevel& out) {
  out = MipLevel{};
  TgaHeader header;
  if (!ParseHeader(static_cast<const uint8_t*>(data), size, header) || size > INT_MAX) return false;
  int width = 0, height = 0, channels = 0;
  // stb_image turns the stored B, G, R(, A) into R, G, B, A and puts the top row first
  // whichever origin the file has.
  stbi_uc* rgba = stbi_load_from_memory(static_cast<const stbi_uc*>(data), static_cast<int>(size),
                                        &width, &height, &channels, 4);
  if (!rgba) return false;
  if (width != header.info.width || height != header.info.height) {
    stbi_image_free(rgba);
    return false;
  }
  try {
    out.pixels.resize(static_cast<size_t>(width) * height);
  } catch (const std::bad_alloc&) {
    stbi_image_free(rgba);
    out = MipLevel{};
    return false;
  }
  out.width = width;
  out.height = height;
  for (int y = 0; y < height; ++y) {
    const stbi_uc* src = rgba + static_cast<size_t>(y) * width * 4;
    uint8_t* dst = reinterpret_cast<uint8_t*>(&out.pixels[static_cast<size_t>(y) * width]);
    for (int x = 0; x < width; ++x) {
      // stb_image ignores the right-to-left bit; such rows are mirrored here.
      const int to = header.rightToLeft ? width - 1 - x : x;
      dst[4 * to + 0] = src[4 * x + 2];
      dst[4 * to + 1] = src[4 * x + 1];
      dst[4 * to + 2] = src[4 * x + 0];
      dst[4 * to + 3] = src[4 * x + 3];
    }
  }
  stbi_image_free(rgba);
  return true;
}
