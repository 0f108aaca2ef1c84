// The pictures' pan and zoom: each shape of picture and screen in each fit mode, read
// at the start, the middle and the end of its span.
#include "render/picture_motion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>

#include "base/random.h"
#include "render/motion_chooser.h"

namespace {
constexpr double kSlack = 1e-5;
constexpr double kSpanStart = 100.0;  // application seconds

struct MotionCase {
  const char* name;
  int pictureWidth, pictureHeight, screenWidth, screenHeight;
  FitMode fit;
  std::optional<FocusRect> focus;
  MotionChoice choice;
  double span;       // seconds
  double zoom;       // reached at the zoomed end
  bool aboutCentre;  // the zoomed window keeps the placement's centre
};

double Centre(double low, double high) { return (low + high) / 2.0; }

// Screen widths per second that the screen point (x, y) moves between `from` and `to`
// windows `seconds` apart: the texture point under it in `from`, found in `to`.
double ScreenSpeed(const TextureRect& from, const TextureRect& to, double x, double y,
                   double heightInWidths, double seconds) {
  const double u = from.left + x * (from.right - from.left);
  const double v = from.top + y * (from.bottom - from.top);
  const double dx = (u - to.left) / (to.right - to.left) - x;
  const double dy = ((v - to.top) / (to.bottom - to.top) - y) * heightInWidths;
  return std::hypot(dx, dy) / seconds;
}
}  // namespace

TEST(PictureMotion, EachShapeAndFitStaysInsideSlowAndWithinTheZoom) {
  const MotionChoice in{true, true, 1.0f}, outBack{false, false, 0.5f}, inBack{true, false, 0.8f};
  // A 2 s span on 4:3 limits the zoom: its corner moves at 1.25 x ln(zoom) / 2 s widths
  // a second, planned 1 % under the limit.
  const double shortZoom = std::exp(0.99 * kMotionMaxSpeed * 2.0 / 1.25);
  // One row a case reads as a table.
  // clang-format off
  const MotionCase cases[] = {
      {"2:1 on 4:3, fill pans across", 2000, 1000, 1024, 768, FitMode::Fill, {}, in, 9.0, 1.2, false},
      {"portrait on 4:3, fill pans down", 768, 1024, 1024, 768, FitMode::Fill, {}, outBack, 9.0, 1.2, false},
      {"4:3 on portrait, fill", 1024, 768, 768, 1024, FitMode::Fill, {}, inBack, 9.0, 1.2, false},
      {"equal shapes, fill pans on the zoom's room", 1024, 768, 1024, 768, FitMode::Fill, {}, in, 9.0, 1.2, false},
      {"short span: a smaller zoom", 2000, 1000, 1024, 768, FitMode::Fill, {}, outBack, 2.0, shortZoom, false},
      {"long span: the pan stays in the picture", 2000, 1000, 1024, 768, FitMode::Fill, {}, in, 120.0, 1.2, false},
      {"focus at the crop's top edge, fill", 768, 1024, 1024, 768, FitMode::Fill,
       FocusRect{0.35f, 0.25f, 0.65f, 0.45f}, inBack, 9.0, 1.2, false},
      {"portrait on 4:3, fit zooms about the centre", 768, 1024, 1024, 768, FitMode::Fit, {}, in, 9.0, 1.2, true},
      {"fit zooms about a focus in a corner", 768, 1024, 1024, 768, FitMode::Fit,
       FocusRect{0.0f, 0.0f, 0.2f, 0.2f}, outBack, 9.0, 1.2, false},
      {"stretch zooms about the centre", 2000, 1000, 1024, 768, FitMode::Stretch, {}, outBack, 9.0, 1.2, true},
      // About the centre, a focus 5 % from the edge allows no more than 1 / 0.9.
      {"stretch, a focus near the edge halves the zoom", 2000, 1000, 1024, 768, FitMode::Stretch,
       FocusRect{0.05f, 0.3f, 0.3f, 0.6f}, in, 9.0, std::exp(std::log(1.2) / 2.0), true},
      {"no span: it stands", 2000, 1000, 1024, 768, FitMode::Fill, {}, in, 0.0, 1.0, true},
  };
  // clang-format on
  for (const MotionCase& c : cases) {
    SCOPED_TRACE(c.name);
    const TextureRect placed =
        PlacePicture(c.pictureWidth, c.pictureHeight, c.screenWidth, c.screenHeight, c.fit);
    const FocusRect* focus = c.focus ? &*c.focus : nullptr;
    const MotionPath path = PlanMotion(placed, c.fit, c.screenWidth, c.screenHeight, focus,
                                       c.choice, kSpanStart, c.span);
    const double heightInWidths = static_cast<double>(c.screenHeight) / c.screenWidth;
    const double placedWidth = placed.right - placed.left;
    const double placedHeight = placed.bottom - placed.top;

    double zooms[3] = {};
    for (int i = 0; i < 3; ++i) {
      const double s = i / 2.0;
      SCOPED_TRACE(s);
      const double now = kSpanStart + s * c.span;
      const TextureRect window = MotionWindow(path, now);
      zooms[i] = placedWidth / (window.right - window.left);
      EXPECT_NEAR(placedHeight / (window.bottom - window.top), zooms[i], 1e-4) << "one zoom";
      EXPECT_GE(zooms[i], 1.0 - kSlack);
      EXPECT_LE(zooms[i], kMotionMaxZoom + kSlack);
      if (c.fit == FitMode::Fill) {
        EXPECT_GE(std::min(window.left, window.top), -kSlack) << "left the picture";
        EXPECT_LE(std::max(window.right, window.bottom), 1.0 + kSlack) << "left the picture";
      }
      if (focus != nullptr) {
        EXPECT_LE(window.left, focus->left + kSlack);
        EXPECT_LE(window.top, focus->top + kSlack);
        EXPECT_GE(window.right, focus->right - kSlack);
        EXPECT_GE(window.bottom, focus->bottom - kSlack);
      }
      if (c.span <= 0.0) continue;
      // The corners move fastest; a step of 10 ms toward the middle of the span.
      const double step = s < 1.0 ? 0.01 : -0.01;
      const TextureRect later = MotionWindow(path, now + step);
      for (double x : {0.0, 1.0})
        for (double y : {0.0, 1.0})
          EXPECT_LE(ScreenSpeed(window, later, x, y, heightInWidths, std::fabs(step)),
                    kMotionMaxSpeed * 1.001)
              << "corner " << x << "," << y;
    }
    // One way: the zoom grows or shrinks over the whole span, to the expected end.
    const double startZoom = c.choice.zoomIn ? 1.0 : c.zoom;
    const double endZoom = c.choice.zoomIn ? c.zoom : 1.0;
    EXPECT_NEAR(zooms[0], startZoom, 1e-4);
    EXPECT_NEAR(zooms[2], endZoom, 1e-4);
    EXPECT_NEAR(zooms[1], std::sqrt(startZoom * endZoom), 1e-4) << "not geometric";
    const TextureRect zoomed = c.choice.zoomIn ? path.end : path.start;
    const double moved =
        std::hypot(Centre(zoomed.left, zoomed.right) - Centre(placed.left, placed.right),
                   Centre(zoomed.top, zoomed.bottom) - Centre(placed.top, placed.bottom));
    if (c.aboutCentre)
      EXPECT_LT(moved, kSlack);
    else
      EXPECT_GT(moved, 0.01) << "no pan";
  }
}

TEST(PictureMotion, TheChooserAlternatesTheZoomAndLeavesTheSlideshowsDrawsAlone) {
  SeedRandom(5);
  const int first = QuillRand();
  SeedRandom(5);
  CMotionChooser chooser(5);
  MotionChoice previous = chooser.Next();
  bool bothWays = false;
  for (int i = 0; i < 8; ++i) {
    const MotionChoice choice = chooser.Next();
    EXPECT_NE(choice.zoomIn, previous.zoomIn);
    EXPECT_GE(choice.reach, 0.5f);
    EXPECT_LE(choice.reach, 1.0f);
    bothWays = bothWays || choice.panForward != previous.panForward;
    previous = choice;
  }
  EXPECT_TRUE(bothWays);
  EXPECT_EQ(QuillRand(), first);
}
