// Where the slideshow's pictures come from. The renderer implements it over the
// content archive, the image decoder and its decode worker; tests implement it with a
// recorder.
#pragma once

#include "data/content_layout.h"
#include "render/picture_placement.h"

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

  // Gives back a picture returned by LoadImage or TakeImage. Never called with null.
  virtual void ReleaseImage(ImageHandle image) = 0;

  // Starts preparing image `number` off the caller's thread, for TakeImage. False when
  // this source prepares nothing ahead; the caller then uses LoadImage.
  virtual bool BeginImage(int /*number*/) { return false; }
  // The image begun last, once ready: true with *image the new picture (null when it
  // cannot be decoded); false while it is still being prepared. Never blocks.
  virtual bool TakeImage(ImageHandle* image) {
    *image = nullptr;
    return true;
  }
  // Drops the image begun last, ready or not.
  virtual void CancelImage() {}

  // Pairs: image `number`'s shape where the source already knows it without reading
  // (the slideshow asks while it chooses partners, on the frame's thread); Unknown
  // otherwise, and such an image is shown alone.
  virtual PictureShape GetImageShape(int /*number*/) { return PictureShape::Unknown; }
  // LoadImage and BeginImage for a slide of two images shown side by side. Only
  // called for images whose shape the source reported.
  virtual ImageHandle LoadPair(int first, int /*second*/) { return LoadImage(first); }
  virtual bool BeginPair(int first, int /*second*/) { return BeginImage(first); }
};
