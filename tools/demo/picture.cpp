// Painting operations, colour ramps and noise for the demo content generator.
#include "tools/demo/picture.h"

#include <algorithm>

Rgb Ramp(const ColorStop* stops, int count, float t) {
  if (t <= stops[0].at) return stops[0].color;
  for (int i = 1; i < count; ++i) {
    if (t <= stops[i].at) {
      const float f = (t - stops[i - 1].at) / (stops[i].at - stops[i - 1].at);
      return Mix(stops[i - 1].color, stops[i].color, f);
    }
  }
  return stops[count - 1].color;
}

float Hash2(int x, int y, uint32_t seed) {
  // MurmurHash3's finaliser over a mix of the three inputs.
  uint32_t h = static_cast<uint32_t>(x) * 0x8DA6B343u + static_cast<uint32_t>(y) * 0xD8163841u +
               seed * 0xCB1AB31Fu;
  h ^= h >> 16;
  h *= 0x85EBCA6Bu;
  h ^= h >> 13;
  h *= 0xC2B2AE35u;
  h ^= h >> 16;
  return (h & 0xFFFFFF) / float(0x1000000);
}

float ValueNoise(float x, float y, uint32_t seed) {
  const float fx = std::floor(x), fy = std::floor(y);
  const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  float tx = x - fx, ty = y - fy;
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  const float a = Hash2(ix, iy, seed), b = Hash2(ix + 1, iy, seed);
  const float c = Hash2(ix, iy + 1, seed), d = Hash2(ix + 1, iy + 1, seed);
  return (a + (b - a) * tx) * (1 - ty) + (c + (d - c) * tx) * ty;
}

float Fbm(float x, float y, int octaves, uint32_t seed) {
  float sum = 0, weight = 0.5f, total = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += weight * ValueNoise(x, y, seed + i * 101);
    total += weight;
    x *= 2.03f;
    y *= 2.03f;
    weight *= 0.5f;
  }
  return sum / total;
}

void CPicture::BlendDisc(float cx, float cy, float radius, float edge, Rgb color, float opacity,
                         bool additive) {
  const int x0 = std::max(0, static_cast<int>(cx - radius - 1));
  const int x1 = std::min(m_width - 1, static_cast<int>(cx + radius + 1));
  const int y0 = std::max(0, static_cast<int>(cy - radius - 1));
  const int y1 = std::min(m_height - 1, static_cast<int>(cy + radius + 1));
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
      const float a = opacity * (1 - Smoothstep(radius - edge, radius, d));
      if (a <= 0) continue;
      Rgb& p = At(x, y);
      p = additive ? p + color * a : Mix(p, color, a);
    }
  }
}

void CPicture::BlendCoverage(const uint8_t* coverage, int w, int h, int left, int top, Rgb color,
                             float opacity) {
  for (int y = 0; y < h; ++y) {
    const int py = top + y;
    if (py < 0 || py >= m_height) continue;
    for (int x = 0; x < w; ++x) {
      const int px = left + x;
      if (px < 0 || px >= m_width) continue;
      const float a = opacity * coverage[static_cast<size_t>(y) * w + x] / 255.0f;
      if (a > 0) At(px, py) = Mix(At(px, py), color, a);
    }
  }
}

std::vector<uint8_t> CPicture::ToRgb8() const {
  std::vector<uint8_t> bytes(static_cast<size_t>(m_width) * m_height * 3);
  uint8_t* out = bytes.data();
  for (int y = 0; y < m_height; ++y) {
    for (int x = 0; x < m_width; ++x) {
      const Rgb& p = At(x, y);
      // Half a step of noise either way turns bands into grain too fine to see.
      const float dither = Hash2(x, y, 77) - 0.5f;
      for (float c : {p.r, p.g, p.b}) {
        const float v = Clamp01(c) * 255.0f + dither;
        *out++ = static_cast<uint8_t>(std::clamp(v + 0.5f, 0.0f, 255.0f));
      }
    }
  }
  return bytes;
}
