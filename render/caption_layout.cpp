// Caption placement, fades, text joining and shading.
#include "render/caption_layout.h"

#include <algorithm>
#include <cmath>

#include "data/caption_list.h"
#include "render/overlay_text.h"
#include "render/slide_composer.h"

namespace {

constexpr int kBottomLeftCorner = 2;       // ClockCorner's number for it
constexpr uint32_t kShadowStrength = 200;  // the shadow's alpha under full coverage, of 255

float Ramp(double seconds) {
  return static_cast<float>(std::clamp(seconds / kCaptionFadeSeconds, 0.0, 1.0));
}

}  // namespace

CaptionSide CaptionSideAt(double time, bool clockShown, bool fpsShown) {
  return clockShown && ClockCorner(time, fpsShown) == kBottomLeftCorner ? CaptionSide::Right
                                                                        : CaptionSide::Left;
}

float CaptionOpacity(double time, double shownFrom, double hideAt, bool clockShown, bool fpsShown) {
  float opacity = std::min(Ramp(time - shownFrom), Ramp(hideAt - time));
  if (clockShown) {
    // The clock changes corner on whole multiples of kClockCornerSeconds.
    const double boundary = std::round(time / kClockCornerSeconds) * kClockCornerSeconds;
    const double half = kCaptionFadeSeconds / 2;
    if (CaptionSideAt(boundary - half, true, fpsShown) !=
        CaptionSideAt(boundary + half, true, fpsShown))
      opacity = std::min(opacity, Ramp(2 * (std::fabs(time - boundary))));
  }
  return opacity;
}

CaptionRegion PairCaptionRegion(int screenWidth, int screenHeight, int index) {
  const PairLayout pair = LayOutPair(screenWidth, screenHeight);
  const float width = static_cast<float>(std::max(screenWidth, 1));
  const float height = static_cast<float>(std::max(screenHeight, 1));
  const int left = index == 0 ? pair.firstLeft : pair.secondLeft;
  const int top = index == 0 ? pair.firstTop : pair.secondTop;
  CaptionRegion region;
  region.left = left / width;
  region.right = (left + pair.width) / width;
  // As far above the half's lower edge as a whole screen's caption is above its own.
  region.bottom = (top + pair.height) / height - (1.0f - kCaptionBottom);
  return region;
}

int CaptionMaxPixels(int screenWidth, float clockWidth, const CaptionRegion& region) {
  // The clock keeps its right edge a margin from the side; a margin between the two.
  const float span = region.right - region.left;
  const float room =
      clockWidth > 0.0f ? span - 3 * kCaptionMargin - clockWidth : span - 2 * kCaptionMargin;
  return static_cast<int>(screenWidth * std::clamp(room, 0.1f, kCaptionMaxWidth));
}

int CaptionPixelHeight(int screenHeight) {
  return std::max(kCaptionMinPixels,
                  static_cast<int>(std::lround(screenHeight * kCaptionTextHeight)));
}

void CaptionQuad(CaptionSide side, int width, int height, int screenWidth, int screenHeight,
                 float opacity, ScreenVertex out[4], const CaptionRegion& region) {
  const float w = static_cast<float>(width) / static_cast<float>(std::max(screenWidth, 1));
  const float h = static_cast<float>(height) / static_cast<float>(std::max(screenHeight, 1));
  // Whole pixels, so that each texel lands on one pixel and the letters stay sharp.
  const auto snap = [](float at, int pixels) { return std::floor(at * pixels) / pixels; };
  const float left = snap(
      side == CaptionSide::Left ? region.left + kCaptionMargin : region.right - kCaptionMargin - w,
      screenWidth);
  const float top = snap(region.bottom - h, screenHeight);
  // Direct3D 8 samples pixels at their centres: half a pixel up and left puts each
  // texel on exactly one pixel.
  const float halfX = 0.5f / static_cast<float>(std::max(screenWidth, 1));
  const float halfY = 0.5f / static_cast<float>(std::max(screenHeight, 1));
  const uint32_t alpha = static_cast<uint32_t>(std::lround(std::clamp(opacity, 0.0f, 1.0f) * 255));
  const uint32_t colour = alpha << 24 | 0x00FFFFFF;
  const float x0 = left - halfX;
  const float y0 = top - halfY;
  const float corners[4][4] = {
      {x0, y0, 0, 0}, {x0, y0 + h, 0, 1}, {x0 + w, y0, 1, 0}, {x0 + w, y0 + h, 1, 1}};
  for (int i = 0; i < 4; ++i)
    out[i] = {corners[i][0], corners[i][1], kTextDepth, colour, corners[i][2], corners[i][3]};
}

std::string JoinCaption(const std::string& text, const std::string& date) {
  return text.empty() || date.empty() ? text + date : text + kCaptionSeparator + date;
}

std::u16string RemoveWeekday(const std::u16string& picture) {
  // Split into literal runs and format fields; drop the "ddd"/"dddd" fields, then
  // the separator each one leaves at the start, end or doubled in the middle.
  struct Piece {
    std::u16string text;
    bool field;    // a run of one format letter; else separators or quoted text
    bool weekday;  // "ddd" or "dddd"
  };
  std::vector<Piece> pieces;
  for (size_t at = 0; at < picture.size();) {
    const char16_t c = picture[at];
    size_t end = at + 1;
    if (c == u'\'') {
      while (end < picture.size() && picture[end] != u'\'') ++end;
      end = std::min(end + 1, picture.size());
      pieces.push_back({picture.substr(at, end - at), false, false});
    } else if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) {
      while (end < picture.size() && picture[end] == c) ++end;
      pieces.push_back({picture.substr(at, end - at), true, c == u'd' && end - at >= 3});
    } else {
      while (end < picture.size() && picture[end] != u'\'' &&
             !((picture[end] >= u'a' && picture[end] <= u'z') ||
               (picture[end] >= u'A' && picture[end] <= u'Z')))
        ++end;
      pieces.push_back({picture.substr(at, end - at), false, false});
    }
    at = end;
  }
  std::vector<Piece> kept;
  bool afterWeekday = false;
  for (size_t i = 0; i < pieces.size(); ++i) {
    const Piece& piece = pieces[i];
    const bool separator = !piece.field && piece.text[0] != u'\'';
    if (piece.weekday) {
      // Ending the picture, it takes the separator before it along.
      if (i + 1 == pieces.size() && !kept.empty() && !kept.back().field &&
          kept.back().text[0] != u'\'')
        kept.pop_back();
      afterWeekday = true;
      continue;
    }
    // Elsewhere, the separator after it.
    if (!(afterWeekday && separator)) kept.push_back(piece);
    afterWeekday = false;
  }
  std::u16string result;
  for (const Piece& piece : kept) result += piece.text;
  return result;
}

std::vector<uint32_t> ShadeCaption(const std::vector<uint8_t>& coverage, int width, int height) {
  const size_t count = static_cast<size_t>(width) * height;
  std::vector<uint32_t> pixels(count, 0);
  if (width <= 0 || height <= 0 || coverage.size() < count) return pixels;
  // The shadow: the coverage shifted down and right, then box-blurred across and down.
  const int r = kCaptionShadowRadius;
  const int o = kCaptionShadowOffset;
  std::vector<uint32_t> across(count, 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint32_t sum = 0;
      for (int dx = -r; dx <= r; ++dx) {
        const int sx = x - o + dx;
        const int sy = y - o;
        if (sx >= 0 && sx < width && sy >= 0) sum += coverage[static_cast<size_t>(sy) * width + sx];
      }
      across[static_cast<size_t>(y) * width + x] = sum;
    }
  const uint32_t taps = static_cast<uint32_t>((2 * r + 1) * (2 * r + 1));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint32_t sum = 0;
      for (int dy = -r; dy <= r; ++dy) {
        const int sy = y + dy;
        if (sy >= 0 && sy < height) sum += across[static_cast<size_t>(sy) * width + x];
      }
      // Shadow alpha s, letter alpha a: white over black gives alpha a + s(1 - a)
      // and a grey of a / that alpha.
      const uint32_t s = std::min<uint32_t>(255, sum * 2 / taps) * kShadowStrength / 255;
      const uint32_t a = coverage[static_cast<size_t>(y) * width + x];
      const uint32_t alpha = a + s * (255 - a) / 255;
      const uint32_t grey = alpha == 0 ? 0 : std::min<uint32_t>(255, a * 255 / alpha);
      pixels[static_cast<size_t>(y) * width + x] = alpha << 24 | grey << 16 | grey << 8 | grey;
    }
  return pixels;
}
