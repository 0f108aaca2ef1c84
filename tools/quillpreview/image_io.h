// Reading the two pictures and writing the PNG for quillpreview. JPEG and TGA go
// through the renderer's own decoder, so the preview shows what the product shows;
// other formats (PNG, BMP, GIF) fall back to stb_image.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/screen_options.h"
#include "tools/quillpreview/mesh_preview.h"

// Reads a whole picture file (at most 512 MiB). False with a message in `error` when
// it cannot be read.
bool ReadPictureFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);

// The picture's own size from its header.
bool ReadPictureSize(const std::vector<uint8_t>& bytes, int& width, int& height);

// Decodes the picture and stretches it to width × height (aspect ratio not kept, as on
// the screen). False for data no decoder accepts.
bool DecodeStretched(const std::vector<uint8_t>& bytes, int width, int height, RgbImage& image);

// Decodes the picture and places it on a width × height output as the screen places
// it for `fit`: stretched, cropped to cover (fill) or whole with black bars (fit).
bool DecodePlaced(const std::vector<uint8_t>& bytes, int width, int height, FitMode fit,
                  RgbImage& image);

// Writes an RGB PNG. False when the file cannot be written.
bool WritePng(const std::string& path, const RgbImage& image);
