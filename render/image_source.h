// Where the slideshow's pictures come from. The renderer implements it over the
// content archive and the image decoder; tests implement it with a recorder.
#pragma once

#include "data/content_layout.h"

// A decoded picture as the renderer holds it (a texture). The slideshow only stores,
// compares with null and hands back these handles; it never looks inside.
using ImageHandle = void*;

class IImageSource {
 public:
  virtual ~IImageSource() = default;

  // True when image `number` is present. Only tests for the entry; decodes nothing.
  virtual bool HasImage(int number) = 0;

  // Decodes image `number` into a new picture that the caller owns and gives back
  // through ReleaseImage. Null when the image is missing or cannot be decoded.
  virtual ImageHandle LoadImage(int number) = 0;

  // Gives back a picture returned by LoadImage. Never called with null.
  virtual void ReleaseImage(ImageHandle image) = 0;
};
