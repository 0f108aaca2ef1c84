// What the decode worker makes of a slide beyond one picture: a pair of pictures
// composed side by side into one screen-size picture, and the small blurred, darkened
// backdrop that fills a picture's bars. Portable, in system memory.
#pragma once

#include "render/image_decoder.h"

// The gap between the two pictures of a pair: this share of the screen's long side.
constexpr double kPairGapShare = 0.01;
// The backdrop's long side in pixels: the texture filter enlarges it over the screen.
constexpr int kBackdropSide = 64;
// Its brightness against the picture's: dark enough that the picture stands out.
constexpr int kBackdropBrightnessPercent = 55;
// Its blur: box passes of this radius (in backdrop pixels); three make it near Gaussian.
constexpr int kBackdropBlurRadius = 3;
constexpr int kBackdropBlurPasses = 3;

// Where the two pictures of a pair go on a screen: side by side along its long side,
// the gap between them. Positions and sizes in pixels.
struct PairLayout {
  int firstLeft = 0, firstTop = 0;
  int secondLeft = 0, secondTop = 0;
  int width = 0, height = 0;  // of each half
};
PairLayout LayOutPair(int screenWidth, int screenHeight);

// The request for each picture of a pair: `slide`'s request (its screen size, device
// limits and stop flag) for one half under fill, without mip levels.
ImageRequest PairHalfRequest(const ImageRequest& slide);

// Composes two pictures decoded by PairHalfRequest into `out`: a picture of the
// slide's screen size (capped as the slide's request caps a side) with each picture
// cropped by fill around its focus into its half, black between, and the mip chain the
// slide's request asks for. Its own size is the screen's, so it is placed unchanged.
// False when a picture has no pixels or memory runs out.
bool ComposePair(const DecodedImage& first, const DecodedImage& second, const ImageRequest& slide,
                 DecodedImage& out);

// The backdrop of `picture` (a level 0): reduced to kBackdropSide on its long side,
// blurred and darkened, then stretched to power-of-two sides where asked. Empty for an
// empty picture. May throw std::bad_alloc.
void MakeBackdrop(const MipLevel& picture, MipLevel& out, bool powerOfTwo = false);
