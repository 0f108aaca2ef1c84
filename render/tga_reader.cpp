// TGA header checks and decoding. The pixels are decoded straight into the final
// buffer: the file already stores B, G, R(, A), the order the engine keeps, so no
// intermediate copy of a picture (up to 1 GiB at the size limit) is ever needed.
#include "render/tga_reader.h"

#include <algorithm>
#include <cstdint>
#include <new>

namespace {

constexpr size_t kHeaderSize = 18;
constexpr int kTypeTrueColour = 2;
constexpr int kTypeTrueColourRle = 10;
constexpr int kRightToLeft = 0x10;  // descriptor bit: columns stored right to left
constexpr int kTopToBottom = 0x20;  // descriptor bit: the first stored row is the top
constexpr int kRleRun = 0x80;       // packet header bit: one pixel repeated
// Pixels decoded between two looks at the stop flag: well under a millisecond.
constexpr size_t kPixelsPerStopCheck = size_t{1} << 16;

inline int ReadLe16(const uint8_t* p) { return p[0] | (p[1] << 8); }

struct TgaHeader {
  ImageInfo info;
  bool rle = false;
  bool rightToLeft = false;
  bool topToBottom = false;
  size_t pixelOffset = 0;  // bytes from the file's start to the first pixel or packet
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

  // Every pixel must be present before anything is decoded.
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
  header.topToBottom = (descriptor & kTopToBottom) != 0;
  header.pixelOffset = kHeaderSize + idLength;
  return true;
}

}  // namespace

bool ReadTgaInfo(const void* data, size_t size, ImageInfo& info) {
  TgaHeader header;
  if (!ParseHeader(static_cast<const uint8_t*>(data), size, header)) return false;
  info = header.info;
  return true;
}

bool DecodeTga(const void* data, size_t size, MipLevel& out, const std::atomic<bool>* stop) {
  out = MipLevel{};
  TgaHeader header;
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (!ParseHeader(bytes, size, header)) return false;
  const int width = header.info.width;
  const int height = header.info.height;
  try {
    out.pixels.resize(static_cast<size_t>(width) * height);
  } catch (const std::bad_alloc&) {
    out = MipLevel{};
    return false;
  }
  out.width = width;
  out.height = height;

  // ParseHeader has checked that every pixel and packet lies inside the data, so the
  // walk below reads no further than it did.
  const size_t bytesPerPixel = header.info.hasAlpha ? 4 : 3;
  const uint8_t* source = bytes + header.pixelOffset;
  auto readPixel = [&](const uint8_t* p) {
    const uint32_t alpha = bytesPerPixel == 4 ? p[3] : 0xFF;
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | alpha << 24;
  };
  // Stored order: row after row from the origin corner; the output is top row first,
  // left to right.
  auto place = [&](size_t stored, uint32_t pixel) {
    const size_t row = stored / static_cast<size_t>(width);
    const size_t column = stored % static_cast<size_t>(width);
    const size_t y = header.topToBottom ? row : static_cast<size_t>(height) - 1 - row;
    const size_t x = header.rightToLeft ? static_cast<size_t>(width) - 1 - column : column;
    out.pixels[y * static_cast<size_t>(width) + x] = pixel;
  };
  const size_t pixelCount = out.pixels.size();
  size_t stored = 0;
  size_t nextCheck = 0;
  while (stored < pixelCount) {
    if (stop != nullptr && stored >= nextCheck) {
      if (stop->load()) {
        out = MipLevel{};
        return false;
      }
      nextCheck = stored + kPixelsPerStopCheck;
    }
    size_t count = 1;
    bool run = false;
    if (header.rle) {
      const int packet = *source++;
      count = static_cast<size_t>(packet & 0x7F) + 1;
      run = (packet & kRleRun) != 0;
    } else {
      // Raw pixels in slices, so that the stop flag is seen between them.
      count = std::min(pixelCount - stored, kPixelsPerStopCheck);
    }
    // A packet may run past the last pixel; the surplus is ignored.
    for (size_t i = 0; i < count && stored < pixelCount; ++i, ++stored) {
      place(stored, readPixel(source));
      if (!run) source += bytesPerPixel;
    }
    if (run) source += bytesPerPixel;
  }
  return true;
}
