// A picture's slow pan and zoom while it is on screen: one straight path from a start
// window to an end window inside the placed picture, planned once for its span and read
// at each frame's time. Portable: the renderer only turns the window into a texture
// transform.
#pragma once

#include "render/picture_placement.h"

// Fastest that any point of the screen may move, in screen widths per second.
constexpr double kMotionMaxSpeed = 0.04;
// Largest zoom over the placement's scale; the smallest is 1.
constexpr double kMotionMaxZoom = 1.2;

// The random choices of one picture's path.
struct MotionChoice {
  bool zoomIn = true;      // the picture grows over its span; false: it shrinks
  bool panForward = true;  // the pan runs toward the picture's right or bottom end
  float reach = 1.0f;      // share of the pan that speed and picture allow, 0.5 .. 1
};

// A picture's path: its texture window (as PlacePicture's rectangle, texture
// coordinates at the screen's edges) at the start and at the end of its span.
struct MotionPath {
  TextureRect start;
  TextureRect end;
  double spanStart = 0.0;   // application seconds
  double spanLength = 0.0;  // seconds; 0 or less: the picture stands at `start`
};

// A slideshow picture's motion as the renderer keeps it with the picture.
struct PictureMotion {
  bool planned = false;  // the choice is drawn and the path planned
  MotionChoice choice;
  MotionPath path;
  int screenWidth = 0;  // pixels of the screen the path was planned for
  int screenHeight = 0;
};

// Plans the path of a picture resting at `placement` (PlacePicture's rectangle, or the
// framing's crop) on a screen of screenWidth x screenHeight, shown from spanStart for
// spanLength seconds. One end of the path is the placement itself; the other is zoomed
// by up to kMotionMaxZoom. fill pans along the axis with more to show and never leaves
// the picture; fit zooms about the picture's centre (the bars shrink as it grows) and
// stretch about the screen's; a focus (in the picture's 0..1 coordinates; null: none)
// stays inside the window and becomes the point fit zooms about. The zoom and the pan
// shrink as needed so that no point of the screen moves faster than kMotionMaxSpeed.
// An unknown screen size or an empty span gives a path that stands at the placement.
MotionPath PlanMotion(const TextureRect& placement, FitMode fit, int screenWidth, int screenHeight,
                      const FocusRect* focus, const MotionChoice& choice, double spanStart,
                      double spanLength);

// The window at application time `now`, held at the path's ends outside the span. The
// zoom runs geometrically and the position with it, so that the motion is one zoom
// about a fixed point (or one pan): every point of the screen keeps its velocity for
// the whole span, and anything inside both end windows stays inside every window.
TextureRect MotionWindow(const MotionPath& path, double now);
