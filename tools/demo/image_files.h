// Encoders for the demo content: JPEG for the slideshow images and 24-bit BMP for
// the splash pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/demo/picture.h"

// Baseline JPEG at `quality` (1 .. 100). False with a reason when libjpeg fails.
bool EncodeJpeg(const CPicture& picture, int quality, std::vector<uint8_t>* out, std::string* why);

// Uncompressed 24-bit BMP (BITMAPFILEHEADER, BITMAPINFOHEADER, rows bottom-up and
// padded to four bytes, blue-green-red).
std::vector<uint8_t> EncodeBmp(const CPicture& picture);

// Writes bytes to path, creating the folders on the way.
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
