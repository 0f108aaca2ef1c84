// TGA decoding: 24- and 32-bit true colour, uncompressed or run-length encoded, in
// any origin. TGA has no signature, so the header and the data length are checked
// strictly before the pixels are decoded.
#pragma once

#include <atomic>
#include <cstddef>

#include "render/image_types.h"

// Reads and checks the header of the TGA in data[0, size): image type 2 or 10, no
// colour map, 24 or 32 bits, alpha bits 0 (or 8 with 32 bits), a size inside the
// decoding limits, and enough data for every pixel (the run-length packets are walked
// without decoding). hasAlpha is set for 32-bit images. False for anything else.
bool ReadTgaInfo(const void* data, size_t size, ImageInfo& info);

// Decodes into `out` as B, G, R, A (alpha 255 for 24-bit images), top row first.
// False, with `out` left empty, when ReadTgaInfo refuses the data or decoding fails,
// and soon after `stop` (when given) turns true.
bool DecodeTga(const void* data, size_t size, MipLevel& out,
               const std::atomic<bool>* stop = nullptr);
