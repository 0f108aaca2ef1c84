// Checks a BMP file held in memory before GDI draws it: every offset and size in its
// headers must lie inside the data, so a truncated or hostile file is refused instead
// of read past its end.
#pragma once

#include <cstddef>
#include <cstdint>

// Larger pictures are refused; no splash picture comes near this.
constexpr int32_t kMaxBitmapSide = 16384;

// Where the parts of an accepted file lie.
struct BitmapFileView {
  const uint8_t* info = nullptr;  // the BITMAPINFO: header, masks, colour table
  const uint8_t* bits = nullptr;  // the pixel data
  size_t infoBytes = 0;           // bytes GDI may read at info
  size_t bitsBytes = 0;           // bytes GDI may read at bits
  int32_t width = 0;              // pixels
  int32_t height = 0;             // pixels, always positive
  bool topDown = false;           // rows stored top row first (negative header height)
};

// Accepts "BM" files with a BITMAPINFOHEADER (or a later, longer header), 1 plane,
// 1/4/8/16/24/32 bits uncompressed, 16/32 bits with bit-field masks, or 8/4 bits
// run-length encoded, whose headers, masks, colour table and pixel data all lie
// within size bytes. False for anything else.
bool ParseBitmapFile(const void* data, size_t size, BitmapFileView* view);
