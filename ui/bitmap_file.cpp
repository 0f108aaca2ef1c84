// BMP header checks, independent of GDI.
#include "ui/bitmap_file.h"

namespace {
constexpr uint64_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER
constexpr uint32_t kLargestHeader = 124;  // BITMAPV5HEADER
constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;

uint32_t Le32(const uint8_t* at) {
  return at[0] | at[1] << 8 | at[2] << 16 | static_cast<uint32_t>(at[3]) << 24;
}
uint32_t Le16(const uint8_t* at) { return at[0] | at[1] << 8; }

// Bytes of the pixel data the headers promise, or 0 when they make no sense.
uint64_t PixelBytes(uint32_t compression, uint32_t bitCount, int32_t width, int32_t height,
                    uint32_t sizeImage, bool topDown) {
  switch (compression) {
    case kRgb:
      break;
    case kBitFields:
      if (bitCount != 16 && bitCount != 32) return 0;
      break;
    case kRle8:
    case kRle4:
      // Encoded rows are only defined bottom-up, and their length is the stored size.
      if (topDown || bitCount != (compression == kRle8 ? 8u : 4u)) return 0;
      return sizeImage;
    default:
      return 0;  // JPEG and PNG content is for printers only
  }
  const uint64_t stride = (static_cast<uint64_t>(width) * bitCount + 31) / 32 * 4;
  return stride * static_cast<uint64_t>(height);
}
}  // namespace

bool ParseBitmapFile(const void* data, size_t size, BitmapFileView* view) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (bytes == nullptr || size < kFileHeaderSize + kInfoHeaderSize) return false;
  if (bytes[0] != 'B' || bytes[1] != 'M') return false;
  const uint8_t* header = bytes + kFileHeaderSize;
  const uint32_t headerSize = Le32(header);
  if (headerSize < kInfoHeaderSize || headerSize > kLargestHeader ||
      kFileHeaderSize + headerSize > size)
    return false;
  const int32_t width = static_cast<int32_t>(Le32(header + 4));
  const int32_t rawHeight = static_cast<int32_t>(Le32(header + 8));
  const uint32_t planes = Le16(header + 12);
  const uint32_t bitCount = Le16(header + 14);
  const uint32_t compression = Le32(header + 16);
  const uint32_t sizeImage = Le32(header + 20);
  const uint32_t colorsUsed = Le32(header + 32);
  if (planes != 1 || width <= 0 || width > kMaxBitmapSide || rawHeight == 0 ||
      rawHeight > kMaxBitmapSide || rawHeight < -kMaxBitmapSide)
    return false;
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
      bitCount != 32)
    return false;
  const bool topDown = rawHeight < 0;
  const int32_t height = topDown ? -rawHeight : rawHeight;

  // The masks follow a plain info header; longer headers hold them inside.
  uint64_t tableStart = kFileHeaderSize + headerSize;
  if (compression == kBitFields && headerSize == kInfoHeaderSize) tableStart += 12;
  uint64_t colors = colorsUsed;
  if (bitCount <= 8) {
    const uint32_t most = 1u << bitCount;
    if (colors > most) return false;
    if (colors == 0) colors = most;
  }
  const uint64_t tableEnd = tableStart + colors * 4;
  const uint64_t bitsOffset = Le32(bytes + 10);
  const uint64_t pixelBytes = PixelBytes(compression, bitCount, width, height, sizeImage, topDown);
  if (pixelBytes == 0 || tableEnd > size || bitsOffset < tableEnd || bitsOffset > size ||
      pixelBytes > size - bitsOffset)
    return false;

  view->info = header;
  view->bits = bytes + bitsOffset;
  view->infoBytes = static_cast<size_t>(tableEnd - kFileHeaderSize);
  view->bitsBytes = static_cast<size_t>(pixelBytes);
  view->width = width;
  view->height = height;
  view->topDown = topDown;
  return true;
}
