// JPEG through the shared writer, BMP written by hand.
#include "tools/demo/image_files.h"

#include <filesystem>
#include <fstream>

#include "tools/common/image_writers.h"

namespace {

void PutLe16(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  out[at] = value & 0xFF;
  out[at + 1] = (value >> 8) & 0xFF;
}
void PutLe32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  PutLe16(out, at, value & 0xFFFF);
  PutLe16(out, at + 2, value >> 16);
}

}  // namespace

bool EncodeJpeg(const CPicture& picture, int quality, std::vector<uint8_t>* out, std::string* why) {
  const std::vector<uint8_t> rgb = picture.ToRgb8();
  std::vector<uint32_t> pixels(rgb.size() / 3);
  for (size_t i = 0; i < pixels.size(); ++i)
    pixels[i] =
        0xFF000000u | uint32_t{rgb[3 * i]} << 16 | uint32_t{rgb[3 * i + 1]} << 8 | rgb[3 * i + 2];
  JpegOptions options;
  options.quality = quality;
  return EncodeJpeg(pixels, picture.Width(), picture.Height(), options, out, why);
}

std::vector<uint8_t> EncodeBmp(const CPicture& picture) {
  constexpr uint32_t kFileHeaderSize = 14;
  constexpr uint32_t kInfoHeaderSize = 40;
  constexpr uint32_t kPixelsPerMetre = 2835;  // 72 dots per inch
  const uint32_t width = picture.Width(), height = picture.Height();
  const uint32_t stride = (width * 3 + 3) & ~3u;  // rows end on a four-byte boundary
  const uint32_t imageSize = stride * height;
  std::vector<uint8_t> out(kFileHeaderSize + kInfoHeaderSize + imageSize, 0);
  out[0] = 'B';
  out[1] = 'M';
  PutLe32(out, 2, static_cast<uint32_t>(out.size()));
  PutLe32(out, 10, kFileHeaderSize + kInfoHeaderSize);
  PutLe32(out, 14, kInfoHeaderSize);
  PutLe32(out, 18, width);
  PutLe32(out, 22, height);  // positive: bottom row first
  PutLe16(out, 26, 1);       // planes
  PutLe16(out, 28, 24);      // bits per pixel
  PutLe32(out, 30, 0);       // BI_RGB
  PutLe32(out, 34, imageSize);
  PutLe32(out, 38, kPixelsPerMetre);
  PutLe32(out, 42, kPixelsPerMetre);
  const std::vector<uint8_t> rgb = picture.ToRgb8();
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* src = rgb.data() + static_cast<size_t>(height - 1 - y) * width * 3;
    uint8_t* dst = out.data() + kFileHeaderSize + kInfoHeaderSize + static_cast<size_t>(y) * stride;
    for (uint32_t x = 0; x < width; ++x) {
      dst[x * 3 + 0] = src[x * 3 + 2];
      dst[x * 3 + 1] = src[x * 3 + 1];
      dst[x * 3 + 2] = src[x * 3 + 0];
    }
  }
  return out;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}
