// A floating-point RGB canvas for the demo content generator, with the few painting
// operations the scenes need and small colour and noise helpers.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

struct Rgb {
  float r = 0, g = 0, b = 0;  // 0 .. 1, sRGB
};

inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator*(Rgb a, float s) { return {a.r * s, a.g * s, a.b * s}; }
inline Rgb operator*(Rgb a, Rgb b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }

// Colour from 0xRRGGBB.
inline Rgb Hex(uint32_t rgb) {
  return {((rgb >> 16) & 0xFF) / 255.0f, ((rgb >> 8) & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f};
}

inline float Clamp01(float x) { return x < 0 ? 0 : (x > 1 ? 1 : x); }
inline float Smoothstep(float edge0, float edge1, float x) {
  const float t = Clamp01((x - edge0) / (edge1 - edge0));
  return t * t * (3 - 2 * t);
}
inline Rgb Mix(Rgb a, Rgb b, float t) { return a * (1 - t) + b * t; }

// One stop of a colour ramp.
struct ColorStop {
  float at;
  Rgb color;
};
// Colour at `t` of a ramp whose stops are sorted by `at`; clamped at both ends.
Rgb Ramp(const ColorStop* stops, int count, float t);
template <int N>
Rgb Ramp(const ColorStop (&stops)[N], float t) {
  return Ramp(stops, N, t);
}

// Deterministic hash of a lattice point to 0 .. 1.
float Hash2(int x, int y, uint32_t seed);
// Smooth value noise, about 0 .. 1, one lattice cell per unit.
float ValueNoise(float x, float y, uint32_t seed);
// Sum of `octaves` noise layers, each twice the frequency and half the weight; 0 .. 1.
float Fbm(float x, float y, int octaves, uint32_t seed);

class CPicture {
 public:
  CPicture(int width, int height)
      : m_width(width), m_height(height), m_pixels(static_cast<size_t>(width) * height) {}

  int Width() const { return m_width; }
  int Height() const { return m_height; }
  Rgb& At(int x, int y) { return m_pixels[static_cast<size_t>(y) * m_width + x]; }
  const Rgb& At(int x, int y) const { return m_pixels[static_cast<size_t>(y) * m_width + x]; }

  // Sets every pixel to shade(x, y).
  template <class Shader>
  void Shade(Shader shade) {
    for (int y = 0; y < m_height; ++y)
      for (int x = 0; x < m_width; ++x) At(x, y) = shade(x, y);
  }

  // Blends a disc of `color` over the picture; `edge` pixels of its rim fade out.
  // Additive discs add light instead of covering.
  void BlendDisc(float cx, float cy, float radius, float edge, Rgb color, float opacity,
                 bool additive = false);

  // Blends `color` where `coverage` (0 .. 255, w x h, top row first) is set, with the
  // coverage's top-left corner at (left, top).
  void BlendCoverage(const uint8_t* coverage, int w, int h, int left, int top, Rgb color,
                     float opacity);

  // 8-bit RGB, top row first, dithered so that smooth gradients do not band.
  std::vector<uint8_t> ToRgb8() const;

 private:
  int m_width;
  int m_height;
  std::vector<Rgb> m_pixels;  // row-major, top row first
};
