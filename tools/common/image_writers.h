// Writers of JPEG and TGA files in memory from 32-bit pixels (0xAARRGGBB, top row
// first, the decoder's own layout), shared by the tools that make content and by the
// tests, benchmarks and fuzz seeds that make their images from code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct JpegOptions {
  int quality = 95;
  bool progressive = false;  // libjpeg's standard progression (about ten scans)
  int scans = 0;             // > 0: a progressive file with exactly this many scans (4 .. 190)
  bool subsample = true;     // 4:2:0 chroma; false for 4:4:4
  bool grey = false;         // one component, from the green channel
  bool cmyk = false;         // four components, C M Y K = B G R A bytes
};

// Encodes pixels (width × height values, row after row) as JPEG into *out. False,
// with libjpeg's message in *why, when the library fails.
bool EncodeJpeg(const std::vector<uint32_t>& pixels, int width, int height,
                const JpegOptions& options, std::vector<uint8_t>* out, std::string* why);

struct TgaOptions {
  int bits = 32;             // 24 or 32
  bool rle = false;          // image type 10 instead of 2
  bool topLeft = false;      // origin top left (descriptor bit 5); else bottom left
  bool rightToLeft = false;  // columns stored right to left (descriptor bit 4)
  int idLength = 5;          // bytes of image ID between header and pixels
};

// Writes an 18-byte header, the image ID and the pixels. Run-length packets run over
// row ends, as many writers do.
std::vector<uint8_t> EncodeTga(const std::vector<uint32_t>& pixels, int width, int height,
                               const TgaOptions& options = {});
