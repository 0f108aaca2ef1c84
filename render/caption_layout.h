// Where and how a picture's caption shows: the bottom corner away from the clock,
// its size, its fades with the slideshow's cycle, its text, and the soft shadow
// that keeps white letters readable on any photo. Plain arithmetic over pixels and
// times; the Windows caption painter and drawer use it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/screen_vertex.h"

constexpr float kCaptionTextHeight = 0.022f;  // letters' height, screen heights
constexpr int kCaptionMinPixels = 10;         // below this no script is legible
constexpr float kCaptionMargin = 0.02f;       // from the screen's side edge, screen widths
constexpr float kCaptionBottom = 0.975f;      // the caption's lower edge, screen heights
constexpr float kCaptionMaxWidth = 0.6f;      // longer texts wrap, screen widths
constexpr double kCaptionFadeSeconds = 0.6;   // each fade, in and out
constexpr int kCaptionShadowRadius = 2;       // the shadow's blur, pixels
constexpr int kCaptionShadowOffset = 1;       // and its shift down and right, pixels

enum class CaptionSide { Left, Right };

// The caption's side at application time `time`: the left, unless the clock
// (overlay_text.h) stands in the bottom left corner.
CaptionSide CaptionSideAt(double time, bool clockShown, bool fpsShown);

// The caption's opacity 0..1: it fades in from `shownFrom` (the transition has
// brought its picture in), out to reach 0 at `hideAt` (the next transition begins),
// and briefly out and in around a change of side as the clock moves.
float CaptionOpacity(double time, double shownFrom, double hideAt, bool clockShown, bool fpsShown);

// The part of the screen a caption belongs to, in screen units: the whole screen, or
// one picture's half of a pair's slide (slide_composer.h).
struct CaptionRegion {
  float left = 0.0f;
  float right = 1.0f;
  float bottom = kCaptionBottom;  // the caption's lower edge
};
// The region of half `index` of a pair's slide: 0 the left (or upper), 1 the right
// (or lower) picture.
CaptionRegion PairCaptionRegion(int screenWidth, int screenHeight, int index);

// The widest a caption's lines may be, in pixels, on a screen screenWidth pixels wide
// whose clock (overlay_text.h) is up to clockWidth screen widths wide (0: no clock):
// within its region beside the clock in the other bottom corner, and never over
// kCaptionMaxWidth.
int CaptionMaxPixels(int screenWidth, float clockWidth, const CaptionRegion& region = {});

// The letters' pixel height on a back buffer `screenHeight` pixels high.
int CaptionPixelHeight(int screenHeight);

// The caption's quad in the side of its region, pixel for pixel (texture width x height pixels on a
// screen of screenWidth x screenHeight), as a strip: top left, bottom left, top right, bottom
// right. Colour white with the opacity in its alpha.
void CaptionQuad(CaptionSide side, int width, int height, int screenWidth, int screenHeight,
                 float opacity, ScreenVertex out[4], const CaptionRegion& region = {});

// "Harbour at dusk — 14 July 2023": the text, the date, or both joined (UTF-8).
std::string JoinCaption(const std::string& text, const std::string& date);

// A long date picture ("dddd, d. MMMM yyyy") without its weekday and the separator
// that goes with it ("d. MMMM yyyy"); quoted text is kept as it is.
std::u16string RemoveWeekday(const std::u16string& picture);

// White letters over a soft dark shadow: ARGB pixels (not premultiplied) from the
// letters' coverage (0..255 a pixel, width x height).
std::vector<uint32_t> ShadeCaption(const std::vector<uint8_t>& coverage, int width, int height);
