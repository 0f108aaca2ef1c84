// Texts, places and quads of the overlays.
#include "render/overlay_text.h"

#include <cmath>
#include <cstdio>

std::string UpdateFpsText(FpsCounter& counter, double currentTime, double& frameTime) {
  if (counter.lastTime == 0.0 || currentTime - counter.lastTime > kFpsSampleSeconds) {
    if (frameTime < kShortestFrameTime) frameTime = kShortestFrameTime;
    counter.value = 1.0 / frameTime;
    counter.lastTime = currentTime;
  }
  char text[64];
  std::snprintf(text, sizeof text, "FPS:%4.2f", counter.value);
  return text;
}

int ClockCorner(double time, bool fpsShown) {
  // Multiplied by the reciprocal, truncated toward zero.
  const auto step = static_cast<long long>(time * (1.0 / kClockCornerSeconds));
  const long long corners = fpsShown ? 3 : 4;
  // A negative time (never seen, the clock starts at 0) still names a corner.
  return static_cast<int>(((step % corners) + corners) % corners);
}

std::string FormatClockText(int hour, int minute, double time, bool clock24h) {
  const char separator = time - std::floor(time) > 0.5 ? '.' : ' ';
  char text[32];
  if (clock24h) {
    std::snprintf(text, sizeof text, "%02d%c%02d", hour, separator, minute);
  } else {
    const bool afternoon = hour >= 12;
    int shown = hour % 12;
    if (shown == 0) shown = 12;
    std::snprintf(text, sizeof text, "%02d%c%02d%s", shown, separator, minute,
                  afternoon ? "pm" : "am");
  }
  return text;
}

void ClockPosition(int corner, float textWidth, float* x, float* y) {
  const bool right = corner == 0 || corner == 1;
  const bool bottom = corner == 0 || corner == 2;
  *x = right ? 0.98f - textWidth : 0.02f;
  *y = bottom ? 0.9f : 0.0f;
}

void WriteTextQuads(const CBitmapFont& font, float x, float y, float size, float height,
                    uint32_t colour, const char* text, size_t length, ScreenVertex* out) {
  float pen = x;
  for (size_t i = 0; i < length; ++i) {
    const GlyphQuad q = font.GetGlyphQuad(text[i], size, height);
    const float bottom = y + q.screenHeight;
    const float right = pen + q.screenWidth;
    ScreenVertex* v = out + 4 * i;
    v[0] = ScreenVertex{pen, y, kTextDepth, colour, q.texLeft, q.texTop};
    v[1] = ScreenVertex{pen, bottom, kTextDepth, colour, q.texLeft, q.texBottom};
    v[2] = ScreenVertex{right, y, kTextDepth, colour, q.texRight, q.texTop};
    v[3] = ScreenVertex{right, bottom, kTextDepth, colour, q.texRight, q.texBottom};
    pen = right;
  }
}
