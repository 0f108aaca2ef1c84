// Where a picture lands on its screen for each fit mode, as the texture coordinates
// that the screen's edges sample. The grid mesh always covers the whole screen (the
// transitions sweep all of it); only the texture coordinates move, so no placement
// costs texture memory.
#pragma once

#include "base/screen_options.h"
#include "render/ortho_matrix.h"

// Texture coordinates at the screen's left, top, right and bottom edges. [0, 1] on
// both axes is the whole picture; a range wider than that leaves bars outside the
// picture (fit), a narrower one crops it (fill).
struct TextureRect {
  float left = 0.0f;
  float top = 0.0f;
  float right = 1.0f;
  float bottom = 1.0f;
};

struct FocusRect;  // below

// A picture's or a screen's orientation. Shapes whose long side is at most
// kSquareTolerance times the short one count as neither landscape nor portrait.
enum class PictureShape { Unknown, Square, Landscape, Portrait };
constexpr double kSquareTolerance = 1.1;
// Unknown for a size that is not positive.
PictureShape ClassifyShape(int width, int height);

// Without a focus, a picture taller than its screen's shape is cropped around this
// point of its height (from the top): heads are near the top of most portraits.
constexpr double kPortraitCropCentre = 0.38;

// The rectangle for a picture of pictureWidth x pictureHeight pixels on a screen of
// screenWidth x screenHeight. stretch: the whole picture over the whole screen.
// fill: the picture cut to the screen's shape, the crop window holding the focus (when
// given) as near the picture's middle as the picture allows; without one a wider
// picture keeps its middle and a taller one its point at kPortraitCropCentre. fit: the
// whole picture, centred, with bars on the two sides where the shapes differ. A size
// that is not positive gives the stretch rectangle.
TextureRect PlacePicture(int pictureWidth, int pictureHeight, int screenWidth, int screenHeight,
                         FitMode mode, const FocusRect* focus = nullptr);

// The size to decode a picture at so that the part on screen meets the screen's
// resolution: the screen's own size for stretch, the picture scaled to cover it for
// fill and to fit inside it for fit. The picture's size when the screen's is unknown.
void PlacementDecodeSize(int pictureWidth, int pictureHeight, int screenWidth, int screenHeight,
                         FitMode mode, int& width, int& height);

// A region of a picture to keep in view, in the picture's own 0..1 coordinates
// (left/top 0, right/bottom 1).
struct FocusRect {
  float left = 0.0f;
  float top = 0.0f;
  float right = 1.0f;
  float bottom = 1.0f;
};

// A part of the screen in screen units: 0..1 from the left and from the top.
struct ScreenRect {
  float left = 0.0f;
  float top = 0.0f;
  float right = 1.0f;
  float bottom = 1.0f;
};

// The part of the screen that shows the picture placed at rect: the whole screen
// unless fit leaves bars, which lie outside it.
ScreenRect PictureScreenRect(const TextureRect& rect);

// The texture transform that maps the screen's 0..1 onto the placement rectangle.
// Two-component coordinates enter as (u, v, 1): the offset sits in the third row.
Matrix4 PlacementMatrix(const TextureRect& rect);

// Where something placed at `cover` while its picture rests at `rest` is shown when the
// picture is shown at `shown`: moved and zoomed on the screen exactly as the picture
// is (a picture's backdrop follows its pan and zoom). `cover` itself when shown is rest.
TextureRect FollowPicture(const TextureRect& cover, const TextureRect& rest,
                          const TextureRect& shown);

// Whether the placement leaves bars beside the picture (left and right) or above and
// below it: only there does fit need black beyond the picture's edge.
inline bool HasSideBars(const TextureRect& rect) { return rect.left < 0.0f; }
inline bool HasTopBars(const TextureRect& rect) { return rect.top < 0.0f; }
