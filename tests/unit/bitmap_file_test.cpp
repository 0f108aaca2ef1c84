// BMP header checks: well-formed files are accepted, and every header that points
// outside its data or describes something GDI should not read is refused.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/bitmap_file.h"

namespace {
struct Bmp {
  int32_t width = 3;
  int32_t height = 2;
  uint16_t planes = 1;
  uint16_t bitCount = 24;
  uint32_t compression = 0;
  uint32_t sizeImage = 0;
  uint32_t colorsUsed = 0;
  uint32_t headerSize = 40;
  uint32_t tableBytes = 0;  // masks and colour table written after the header
  int64_t offsetShift = 0;  // added to the true offset of the pixels
  uint32_t pixelBytes = 0;  // 0: exactly what the rows need
  int64_t trim = 0;         // bytes cut off the end
};

void Put(std::vector<uint8_t>* out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

std::vector<uint8_t> Make(const Bmp& b) {
  const uint64_t stride = (static_cast<uint64_t>(b.width) * b.bitCount + 31) / 32 * 4;
  const uint64_t rows = static_cast<uint64_t>(b.height < 0 ? -int64_t{b.height} : b.height);
  const uint64_t pixels =
      b.pixelBytes != 0 ? b.pixelBytes : std::min<uint64_t>(stride * rows, 1 << 20);
  std::vector<uint8_t> out = {'B', 'M'};
  Put(&out, 0, 4);
  Put(&out, 0, 4);
  Put(&out, 14 + b.headerSize + b.tableBytes + b.offsetShift, 4);
  Put(&out, b.headerSize, 4);
  Put(&out, static_cast<uint32_t>(b.width), 4);
  Put(&out, static_cast<uint32_t>(b.height), 4);
  Put(&out, b.planes, 2);
  Put(&out, b.bitCount, 2);
  Put(&out, b.compression, 4);
  Put(&out, b.sizeImage, 4);
  Put(&out, 0, 8);
  Put(&out, b.colorsUsed, 4);
  Put(&out, 0, 4);
  out.resize(14 + b.headerSize + b.tableBytes + pixels, 0x5A);
  out.resize(out.size() - b.trim);
  return out;
}
}  // namespace

TEST(BitmapFile, AcceptsWellFormedAndRefusesHostileHeaders) {
  auto with = [](auto change) {
    Bmp b;
    change(b);
    return b;
  };
  const struct {
    const char* what;
    Bmp bmp;
    bool accepted;
  } cases[] = {
      {"24 bits", Bmp{}, true},
      {"8 bits, full table", with([](Bmp& b) { b.bitCount = 8, b.tableBytes = 1024; }), true},
      {"8 bits, two colours",
       with([](Bmp& b) { b.bitCount = 8, b.colorsUsed = 2, b.tableBytes = 8; }), true},
      {"8 bits, table missing", with([](Bmp& b) { b.bitCount = 8; }), false},
      {"8 bits, 300 colours",
       with([](Bmp& b) { b.bitCount = 8, b.colorsUsed = 300, b.tableBytes = 1200; }), false},
      {"1 bit", with([](Bmp& b) { b.bitCount = 1, b.tableBytes = 8; }), true},
      {"32 bits top-down", with([](Bmp& b) { b.bitCount = 32, b.height = -2; }), true},
      {"32 bits with masks",
       with([](Bmp& b) { b.bitCount = 32, b.compression = 3, b.tableBytes = 12; }), true},
      {"masks missing",
       with([](Bmp& b) { b.bitCount = 32, b.compression = 3, b.offsetShift = -12; }), false},
      {"24 bits with masks", with([](Bmp& b) { b.compression = 3, b.tableBytes = 12; }), false},
      {"V5 header", with([](Bmp& b) { b.headerSize = 124; }), true},
      {"core header", with([](Bmp& b) { b.headerSize = 12; }), false},
      {"header past the data",
       with([](Bmp& b) { b.headerSize = 124, b.pixelBytes = 1, b.trim = 60; }), false},
      {"offset past the data", with([](Bmp& b) { b.offsetShift = 1000; }), false},
      {"offset into the header", with([](Bmp& b) { b.offsetShift = -20; }), false},
      {"truncated rows", with([](Bmp& b) { b.trim = 1; }), false},
      {"width x height overflowing",
       with([](Bmp& b) { b.width = 0x7FFFFFFF, b.height = 0x7FFFFFFF, b.pixelBytes = 16; }), false},
      {"large picture, small data",
       with([](Bmp& b) { b.width = b.height = 16384, b.pixelBytes = 16; }), false},
      {"height of INT_MIN", with([](Bmp& b) { b.height = INT32_MIN, b.pixelBytes = 16; }), false},
      {"zero width", with([](Bmp& b) { b.width = 0, b.pixelBytes = 16; }), false},
      {"zero height", with([](Bmp& b) { b.height = 0, b.pixelBytes = 16; }), false},
      {"two planes", with([](Bmp& b) { b.planes = 2; }), false},
      {"7 bits", with([](Bmp& b) { b.bitCount = 7; }), false},
      {"RLE8", with([](Bmp& b) {
         b.bitCount = 8, b.compression = 1, b.tableBytes = 1024, b.sizeImage = 6, b.pixelBytes = 6;
       }),
       true},
      {"RLE8 longer than the data", with([](Bmp& b) {
         b.bitCount = 8, b.compression = 1, b.tableBytes = 1024, b.sizeImage = 600,
         b.pixelBytes = 6;
       }),
       false},
      {"RLE8 without size", with([](Bmp& b) {
         b.bitCount = 8, b.compression = 1, b.tableBytes = 1024, b.pixelBytes = 6;
       }),
       false},
      {"RLE8 top-down", with([](Bmp& b) {
         b.bitCount = 8, b.compression = 1, b.tableBytes = 1024, b.sizeImage = 6, b.pixelBytes = 6,
         b.height = -2;
       }),
       false},
      {"RLE4 at 24 bits",
       with([](Bmp& b) { b.compression = 2, b.sizeImage = 6, b.pixelBytes = 6; }), false},
      {"JPEG inside", with([](Bmp& b) { b.compression = 4, b.sizeImage = 6, b.pixelBytes = 6; }),
       false},
  };
  for (const auto& c : cases) {
    const std::vector<uint8_t> data = Make(c.bmp);
    BitmapFileView view;
    EXPECT_EQ(ParseBitmapFile(data.data(), data.size(), &view), c.accepted) << c.what;
    if (!c.accepted) continue;
    EXPECT_EQ(view.info, data.data() + 14) << c.what;
    EXPECT_EQ(view.bits, data.data() + 14 + c.bmp.headerSize + c.bmp.tableBytes) << c.what;
    EXPECT_EQ(view.width, c.bmp.width) << c.what;
    EXPECT_EQ(view.height, c.bmp.height < 0 ? -c.bmp.height : c.bmp.height) << c.what;
    EXPECT_EQ(view.topDown, c.bmp.height < 0) << c.what;
  }
  const std::vector<uint8_t> good = Make(Bmp{});
  const std::string notBm = "BX" + std::string(good.begin() + 2, good.end());
  BitmapFileView view;
  EXPECT_FALSE(ParseBitmapFile(notBm.data(), notBm.size(), &view));
  EXPECT_FALSE(ParseBitmapFile(good.data(), 53, &view));
  EXPECT_FALSE(ParseBitmapFile(nullptr, 0, &view));
}
