// Turns a JPEG or TGA file held in memory into the pixels of a mip-mapped texture,
// scaled to the size the renderer asks for. The renderer copies the levels into a
// texture of D3DFMT_A8R8G8B8 (hasAlpha) or D3DFMT_X8R8G8B8.
//
//   DecodedImage image;
//   if (DecodeImage(file->GetData(), file->GetSize(), ImageRequest{}, image)) ...
//   // a device that cannot take the image at its own size:
//   ImageRequest small;  small.width = 1024;  small.height = 1024;
#pragma once

#include <atomic>
#include <cstddef>
#include <vector>

#include "base/screen_options.h"
#include "render/image_types.h"
#include "render/picture_placement.h"

// The texture wanted. The size is settled in this order: each side 0 takes the
// image's own, reduced to the screen's side (times screenScale) where one is given
// (under fill and fit scaled as a whole to what the screen shows of it, where that is
// smaller); powerOfTwo rounds each side up to a power of two; each side is then capped
// at maxSize (at the largest power of two not above it when powerOfTwo is set).
// Otherwise sides are scaled independently: the aspect ratio is not kept.
struct ImageRequest {
  int width = 0;                   // pixels; 0: the image's own width
  int height = 0;                  // pixels; 0: the image's own height
  int screenWidth = 0;             // pixels the image is shown at; 0: no limit
  int screenHeight = 0;            // pixels; 0: no limit
  bool powerOfTwo = false;         // for devices that need power-of-two textures
  int maxSize = kMaxImageSide;     // largest side the device takes; 0: kMaxImageSide
  int mipLevels = 0;               // levels to make: 0 for a full chain down to 1 × 1, 1 for none
  FitMode fit = FitMode::Stretch;  // how the picture will meet the screen
  bool backdrop = false;           // also make DecodedImage::backdrop (bars filled by blur)
  // The screen's size is taken this many times over: a picture that zooms in is
  // decoded for its closest view, so that it is never softer than at rest.
  double screenScale = 1.0;
  // When given, decoding gives up (returning false) soon after it turns true.
  const std::atomic<bool>* stop = nullptr;
};

struct DecodedImage {
  bool hasAlpha = false;  // the file has an alpha channel (32-bit TGA); else A is 255
  int sourceWidth = 0;    // the picture's own size as the file has it, pixels
  int sourceHeight = 0;
  std::vector<MipLevel> levels;  // levels[0] at the requested size, each next one halved
  bool hasFocus = false;         // the JPEG carries a focus record written for its size
  FocusRect focus;               // that record's rectangle, 0..1 of the picture
  MipLevel backdrop;             // blurred and darkened, kBackdropSide long; when asked
  // A pair's slide (slide_composer.h): both pictures side by side, or, where the first
  // could not be decoded, its partner alone.
  bool pair = false;
  bool partnerAlone = false;
};

// Decodes the JPEG (recognised by its FF D8 FF start) or TGA (recognised by a strictly
// checked header) in data[0, size). When the size must change the image is resampled
// with a triangle filter; a JPEG asked for at half its size or less is first reduced
// by libjpeg's DCT scaling, which spares most of the inverse DCT and colour work, and
// its rows stream through the scaler. The mip levels are 2 × 2 box means.
// A JPEG's focus record (data/focus_record.h) is read into hasFocus and focus when it
// was written for the picture's own size; a stale one is ignored.
// Returns false, leaving `out` empty, for unknown or malformed data, images larger than
// kMaxImageSide on a side or kMaxImagePixels in all, truncated data, and when memory
// runs out. Never reads outside data[0, size).
bool DecodeImage(const void* data, size_t size, const ImageRequest& request, DecodedImage& out);

// Reads only the header: the image's own size and whether it has alpha. False where
// DecodeImage would refuse the header.
bool ReadImageInfo(const void* data, size_t size, ImageInfo& info);

// The smallest power of two not below value (1 for anything up to 1): a side a device
// that needs powers of two takes.
int RoundUpToPowerOfTwo(int value);

// The size DecodeImage makes level 0 for an image of imageWidth × imageHeight.
void ChooseImageSize(int imageWidth, int imageHeight, const ImageRequest& request, int& width,
                     int& height);
