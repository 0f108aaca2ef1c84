// Test helper: JPEG and TGA files in memory from 32-bit pixels (0xAARRGGBB, top row
// first, the decoder's own layout), through the shared writers, so tests, benchmarks
// and the fuzz seeds make their images from code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/common/image_writers.h"

// The JPEG file, or no bytes at all when libjpeg fails (which every decoder then
// refuses, so the test that asked fails).
inline std::vector<uint8_t> EncodeJpeg(const std::vector<uint32_t>& pixels, int width, int height,
                                       const JpegOptions& options = {}) {
  std::vector<uint8_t> file;
  std::string why;
  if (!EncodeJpeg(pixels, width, height, options, &file, &why)) file.clear();
  return file;
}
