// Planning a picture's pan and zoom, and reading its window at a frame's time.
#include "render/picture_motion.h"

#include <algorithm>
#include <cmath>

namespace {
// Below this relative change of size a path is a pan without zoom.
constexpr double kNoZoom = 1e-9;
// Slack for rounding when a window is checked against what it must keep in view.
constexpr double kKeepSlack = 1e-6;
// Paths are planned this much under the speed limit, so that rounding the windows to
// single precision never takes a point over it.
constexpr double kPlannedSpeed = 0.99 * kMotionMaxSpeed;
// Times the zoom is halved when a focus leaves its path no room; then it stands still.
constexpr int kZoomTries = 6;

// One axis of the plan, in texture coordinates along it.
struct Axis {
  double low = 0.0;        // the placement's low edge
  double size = 1.0;       // the placement's extent
  double limitLow = 0.0;   // the window never goes below this
  double limitHigh = 1.0;  // nor above this
  bool keeps = false;      // a focus must stay in view:
  double keepLow = 0.0;    // from here
  double keepHigh = 0.0;   // to here
  double toWidths = 1.0;   // screen widths in the screen's extent along this axis
  double zoomedLow = 0.0;  // result: the zoomed window's low edge
};

Axis MakeAxis(float low, float high, const float* keepLow, const float* keepHigh, FitMode fit,
              double toWidths) {
  Axis axis;
  axis.low = low;
  axis.size = static_cast<double>(high) - low;
  axis.toWidths = toWidths;
  // fill may show any part of the picture; fit and stretch stay within their placement.
  axis.limitLow = fit == FitMode::Fill ? std::min(0.0, axis.low) : axis.low;
  axis.limitHigh =
      fit == FitMode::Fill ? std::max(1.0, axis.low + axis.size) : axis.low + axis.size;
  if (keepLow != nullptr && std::isfinite(*keepLow) && std::isfinite(*keepHigh)) {
    axis.keeps = true;
    axis.keepLow = std::clamp<double>(std::min(*keepLow, *keepHigh), axis.limitLow, axis.limitHigh);
    axis.keepHigh =
        std::clamp<double>(std::max(*keepLow, *keepHigh), axis.limitLow, axis.limitHigh);
  }
  return axis;
}

bool Keeps(const Axis& axis, double low, double size) {
  return !axis.keeps ||
         (low <= axis.keepLow + kKeepSlack && low + size >= axis.keepHigh - kKeepSlack);
}

// Fastest speed, in screen extents along the axis per second, of a point of the screen
// while its window moves from (low0, size0) to (low1, size1) over `seconds` as
// MotionWindow moves it.
double AxisSpeed(double low0, double size0, double low1, double size1, double seconds) {
  const double shift = low1 - low0;
  const double logRatio = std::log(size1 / size0);
  if (std::fabs(logRatio) < kNoZoom) return std::fabs(shift) / (size0 * seconds);
  const double rate = logRatio / seconds;               // of the window's size
  const double drift = rate * shift / (size1 - size0);  // of its low edge, in window sizes
  // Screen point x (0 .. 1 across) moves at -(drift + rate * x): fastest at an edge.
  return std::max(std::fabs(drift), std::fabs(drift + rate));
}

// Chooses each axis's zoomed window for a zoom of exp(logZoom) over `seconds`; false
// when a focus leaves no such window.
bool PlanAxes(Axis (&axes)[2], FitMode fit, const MotionChoice& choice, double logZoom,
              double seconds) {
  const double zoom = std::exp(logZoom);
  // fill pans along the axis with the most to show beyond the zoomed window, measured on
  // the screen; fit and stretch only zoom.
  int panAxis = -1;
  double mostRoom = kKeepSlack;
  for (int i = 0; fit == FitMode::Fill && i < 2; ++i) {
    const double window = axes[i].size / zoom;
    const double room = (axes[i].limitHigh - axes[i].limitLow - window) / window * axes[i].toWidths;
    if (room > mostRoom) {
      mostRoom = room;
      panAxis = i;
    }
  }

  double zoomSpeed = 0.0;  // screen widths per second on the axis that does not pan
  for (int i = 0; i < 2; ++i) {
    Axis& axis = axes[i];
    if (i == panAxis) continue;
    const double window = axis.size / zoom;
    // Zooms about the focus under fit and fill, else about the placement's centre; the
    // window stays within the placement, so fit's bars only shrink.
    const bool aboutFocus = axis.keeps && fit != FitMode::Stretch;
    const double anchor =
        aboutFocus ? (axis.keepLow + axis.keepHigh) / 2.0 : axis.low + axis.size / 2.0;
    axis.zoomedLow = std::clamp(anchor - window / 2.0, axis.low, axis.low + axis.size - window);
    if (!Keeps(axis, axis.zoomedLow, window)) return false;
    if (logZoom > 0.0)
      zoomSpeed = AxisSpeed(axis.low, axis.size, axis.zoomedLow, window, seconds) * axis.toWidths;
  }
  if (panAxis < 0) return true;

  Axis& axis = axes[panAxis];
  const double window = axis.size / zoom;
  // What is left of the speed limit for this axis once the other one has its share
  // (corners move fastest; their speeds on the two axes add as a vector).
  const double budget =
      std::sqrt(std::max(0.0, kPlannedSpeed * kPlannedSpeed - zoomSpeed * zoomSpeed)) /
      axis.toWidths;
  // The zoomed window's low edge may lie within `reach` of where a zoom about the
  // placement's centre puts it (see AxisSpeed: its speed grows with the distance).
  const double centred = axis.low + (axis.size - window) / 2.0;
  double reach = budget * axis.size * seconds;
  if (logZoom > 0.0) {
    const double rate = logZoom / seconds;
    reach = std::max(0.0, (budget - rate / 2.0) * (axis.size - window) / rate);
  }
  double low =
      std::max({centred - reach, axis.limitLow, axis.keeps ? axis.keepHigh - window : -1e9});
  double high =
      std::min({centred + reach, axis.limitHigh - window, axis.keeps ? axis.keepLow : 1e9});
  if (low > high + kKeepSlack) return false;
  high = std::max(low, high);
  const double from = std::clamp(centred, low, high);
  const double forwardRoom = high - from;
  const double backRoom = from - low;
  // The drawn direction, unless it has far less room than the other.
  bool forward = choice.panForward;
  if (forward && forwardRoom < backRoom / 2.0) forward = false;
  if (!forward && backRoom < forwardRoom / 2.0) forward = true;
  const double share = std::clamp(static_cast<double>(choice.reach), 0.0, 1.0);
  axis.zoomedLow = from + share * (forward ? forwardRoom : -backRoom);
  return true;
}
}  // namespace

MotionPath PlanMotion(const TextureRect& placement, FitMode fit, int screenWidth, int screenHeight,
                      const FocusRect* focus, const MotionChoice& choice, double spanStart,
                      double spanLength) {
  MotionPath path;
  path.start = path.end = placement;
  path.spanStart = spanStart;
  path.spanLength = spanLength;
  const bool sized = placement.right > placement.left && placement.bottom > placement.top;
  if (!(spanLength > 0.0) || !std::isfinite(spanLength) || screenWidth <= 0 || screenHeight <= 0 ||
      !sized)
    return path;

  const double heightInWidths = static_cast<double>(screenHeight) / screenWidth;
  Axis axes[2] = {
      MakeAxis(placement.left, placement.right, focus ? &focus->left : nullptr,
               focus ? &focus->right : nullptr, fit, 1.0),
      MakeAxis(placement.top, placement.bottom, focus ? &focus->top : nullptr,
               focus ? &focus->bottom : nullptr, fit, heightInWidths),
  };
  // A zoom about a corner moves the opposite corner fastest: the zoom alone keeps
  // within the limit, whatever the span, and leaves the rest to the pan.
  double logZoom = std::min(std::log(kMotionMaxZoom),
                            kPlannedSpeed * spanLength / std::hypot(1.0, heightInWidths));
  // The zoomed window must still hold the whole focus.
  for (const Axis& axis : axes)
    if (axis.keeps && axis.keepHigh > axis.keepLow)
      logZoom = std::min(logZoom, std::log(axis.size / (axis.keepHigh - axis.keepLow)));
  logZoom = std::max(0.0, logZoom);

  bool planned = false;
  for (int attempt = 0; attempt <= kZoomTries; ++attempt) {
    // The last attempt pans without zooming.
    const double tried = attempt == kZoomTries ? 0.0 : std::ldexp(logZoom, -attempt);
    planned = PlanAxes(axes, fit, choice, tried, spanLength);
    if (planned) {
      logZoom = tried;
      break;
    }
  }
  if (!planned) return path;  // a focus outside its placement: the picture stands

  const double zoom = std::exp(logZoom);
  TextureRect zoomed;
  zoomed.left = static_cast<float>(axes[0].zoomedLow);
  zoomed.right = static_cast<float>(axes[0].zoomedLow + axes[0].size / zoom);
  zoomed.top = static_cast<float>(axes[1].zoomedLow);
  zoomed.bottom = static_cast<float>(axes[1].zoomedLow + axes[1].size / zoom);
  (choice.zoomIn ? path.end : path.start) = zoomed;
  return path;
}

namespace {
// One axis of MotionWindow: the extent geometrically from size0 to size1 at progress s,
// the low edge an affine function of the extent (a linear one without zoom).
void InterpolateAxis(double s, float low0, float high0, float low1, float high1, float& low,
                     float& high) {
  const double size0 = static_cast<double>(high0) - low0;
  const double size1 = static_cast<double>(high1) - low1;
  double size = size0 + (size1 - size0) * s;
  double along = s;  // how far the low edge has gone from low0 toward low1
  if (size0 > 0.0 && size1 > 0.0 && std::fabs(size1 / size0 - 1.0) > kNoZoom) {
    size = size0 * std::pow(size1 / size0, s);
    along = (size - size0) / (size1 - size0);
  }
  const double lowNow = low0 + (static_cast<double>(low1) - low0) * along;
  low = static_cast<float>(lowNow);
  high = static_cast<float>(lowNow + size);
}
}  // namespace

TextureRect MotionWindow(const MotionPath& path, double now) {
  double s = path.spanLength > 0.0 ? (now - path.spanStart) / path.spanLength : 0.0;
  if (!(s >= 0.0)) s = 0.0;  // before the span, or not a number
  if (s > 1.0) s = 1.0;
  TextureRect window;
  InterpolateAxis(s, path.start.left, path.start.right, path.end.left, path.end.right, window.left,
                  window.right);
  InterpolateAxis(s, path.start.top, path.start.bottom, path.end.top, path.end.bottom, window.top,
                  window.bottom);
  return window;
}
