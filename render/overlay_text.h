// What the two text overlays say and where: the frame-rate counter at the top left
// and the digital clock, which moves to another corner every kClockCornerSeconds.
// Plain arithmetic over the font and the clock readings; the renderer draws the quads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "render/bitmap_font.h"
#include "render/screen_vertex.h"

constexpr float kTextDepth = 0.001f;             // text lies in front of the grid
constexpr uint32_t kOverlayColour = 0xFFFFFFFF;  // opaque white
constexpr float kFpsTextSize = 0.04f;            // glyph height, screen heights
constexpr float kClockTextSize = 0.1f;
constexpr float kShortestFrameTime = 0.0001;  // seconds; caps the counter at 10000
constexpr double kFpsSampleSeconds = 1.0;     // the counter's shortest sample interval
constexpr double kClockCornerSeconds = 20.0;  // the clock stays this long in one corner

// The frame-rate counter's sample: the rate of one frame, taken at most about once a
// second and held in between.
struct FpsCounter {
  double lastTime = 0.0;  // application time of the last sample; 0: none yet
  double value = 0.0;     // frames per second
};

// Takes a new sample when none was taken or the last is more than kFpsSampleSeconds old (a
// frame time below kShortestFrameTime is raised to it, in frameTime too) and returns
// the counter's text, "FPS:%4.2f".
std::string UpdateFpsText(FpsCounter& counter, double currentTime, double& frameTime);

// Corner of the clock at application time `time`: 0 bottom right, 1 top right,
// 2 bottom left, 3 top left, a new one every kClockCornerSeconds; the top left is skipped while the
// frame-rate counter is shown.
int ClockCorner(double time, bool fpsShown);

// The clock's text for hour (0..23) and minute: "HH.MM" or "HH MM" (the separator
// blinks: a dot in the second half of each second of `time`), with "am"/"pm" and
// hours 12, 1..11 in the 12-hour form.
std::string FormatClockText(int hour, int minute, double time, bool clock24h);

// Top-left corner of a clock text textWidth wide in the given corner; the right-hand
// corners keep the text's right edge at 0.98.
void ClockPosition(int corner, float textWidth, float* x, float* y);

// Writes 4 vertices for each of the `length` characters of text, from (x, y) on, one
// glyph after another (a glyph the font lacks is 0 wide). Vertex order a character:
// top left, bottom left, top right, bottom right, as one strip of two triangles.
void WriteTextQuads(const CBitmapFont& font, float x, float y, float size, float height,
                    uint32_t colour, const char* text, size_t length, ScreenVertex* out);
