// The EXIF orientation of a photo (1 to 8, as TIFF defines it) and how to turn a
// stored image upright: losslessly through a TurboJPEG transform, or pixel by pixel.
#pragma once

#include <string>

#include "render/image_types.h"

// The orientation tag of the first image directory in the JPEG's EXIF block; 1 (as
// stored) when there is none or its value is outside 1..8.
int ReadExifOrientation(const std::string& jpeg);

// Whether the upright image has the stored image's sides swapped (orientations 5..8).
bool SwapsSides(int orientation);

// The TurboJPEG operation (TJXOP_*) that turns a stored image upright.
int UprightTransform(int orientation);

// The upright image of `stored`, which carries `orientation`.
void TurnUpright(const MipLevel& stored, int orientation, MipLevel* upright);
