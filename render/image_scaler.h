// Resampling of 32-bit images with a triangle (tent) filter: bilinear when enlarging,
// an area-weighted average over the covered pixels when reducing.
#pragma once

#include "render/image_types.h"

// Scales `source` (at least 1 × 1) to width × height (each 1 .. kMaxImageSide) into
// `out`. Each channel is filtered on its own, alpha included, with 14-bit integer
// weights. Edge pixels are not repeated: the weights are renormalised over the pixels
// that exist. May throw std::bad_alloc.
void ScaleImage(const MipLevel& source, int width, int height, MipLevel& out);
