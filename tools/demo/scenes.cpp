// Scene painters for the demo content. Coordinates are fractions of the picture:
// u across (0 left, 1 right), v down (0 top, 1 bottom); horizontal distances are
// multiplied by the aspect ratio where shapes must stay round.
#include "tools/demo/scenes.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

namespace {

constexpr float kPi = 3.14159265f;

struct Frame {
  int width, height;
  float aspect;
  float U(int x) const { return (x + 0.5f) / width; }
  float V(int y) const { return (y + 0.5f) / height; }
};

Frame FrameOf(const CPicture& picture) {
  return {picture.Width(), picture.Height(), float(picture.Width()) / picture.Height()};
}

// Ridge line of a range of hills: v of the skyline at u, `base` minus bumps up to
// `amplitude`.
float HillLine(float u, float base, float amplitude, float frequency, uint32_t seed) {
  // Noise sums crowd around 0.5; stretching them gives proper hills and valleys.
  const float n = Fbm(u * frequency, 0.37f * seed, 4, seed);
  return base - amplitude * Clamp01((n - 0.5f) * 2.2f + 0.5f);
}

// One range of hills: skyline height, bump size and waviness, in picture units.
struct HillLayer {
  float base, amplitude, frequency;
  Rgb color;
};

// Sharper, mountain-like skyline: folded noise gives pointed peaks.
float PeakLine(float u, float base, float amplitude, float frequency, uint32_t seed) {
  const float n = Clamp01((Fbm(u * frequency, 0.5f, 5, seed) - 0.5f) * 2.0f + 0.5f);
  return base - amplitude * (1 - std::fabs(2 * n - 1));
}

}  // namespace

void PaintSunset(CPicture& picture) {
  const Frame f = FrameOf(picture);
  const ColorStop sky[] = {{0.00f, Hex(0x1D1B4A)},
                           {0.22f, Hex(0x4B3478)},
                           {0.42f, Hex(0xC2517A)},
                           {0.55f, Hex(0xF08A4B)},
                           {0.66f, Hex(0xFFD38C)}};
  const float sunU = 0.62f, sunV = 0.50f, sunRadius = 0.065f;
  const HillLayer layers[] = {{0.62f, 0.10f, 2.0f, Hex(0xB4637F)},
                              {0.70f, 0.11f, 2.7f, Hex(0x84426F)},
                              {0.79f, 0.10f, 3.3f, Hex(0x4F2756)},
                              {0.89f, 0.09f, 4.1f, Hex(0x25132F)}};
  constexpr int kLayers = static_cast<int>(std::size(layers));
  std::vector<float> ridge(kLayers * f.width);
  for (int k = 0; k < kLayers; ++k)
    for (int x = 0; x < f.width; ++x)
      ridge[k * f.width + x] =
          HillLine(f.U(x), layers[k].base, layers[k].amplitude, layers[k].frequency, 11 + k);

  picture.Shade([&](int x, int y) {
    const float u = f.U(x), v = f.V(y);
    Rgb c = Ramp(sky, v);
    if (v > 0.08f && v < 0.6f) {  // thin streaks of cloud lit from below
      const float cloud = Fbm(u * 2.5f * f.aspect, v * 16, 5, 5);
      const float mask = Smoothstep(0.56f, 0.76f, cloud) * Smoothstep(0.1f, 0.25f, v) *
                         (1 - Smoothstep(0.45f, 0.58f, v));
      c = Mix(c, Mix(Hex(0xF4A0A8), Hex(0xFFD9A0), Clamp01((v - 0.2f) / 0.35f)), mask * 0.6f);
    }
    const float d = std::hypot((u - sunU) * f.aspect, v - sunV);
    c = c + Hex(0xFFB060) * (0.5f * std::exp(-d / 0.12f));
    c = Mix(c, Hex(0xFFF4CF), 1 - Smoothstep(sunRadius - 0.004f, sunRadius, d));
    for (int k = 0; k < kLayers; ++k) {
      const float top = ridge[k * f.width + x];
      if (v < top) continue;
      const float depth = v - top;
      Rgb hill = layers[k].color * (1 - 0.3f * Smoothstep(0, 0.3f, depth));
      // The crest catches the low sun; haze gathers in the lower parts.
      hill = hill + Hex(0xFF9A6A) * (0.25f * (1 - Smoothstep(0, 0.015f, depth)));
      c = Mix(hill, Hex(0xE9A08A), 0.18f * Smoothstep(0.05f, 0.2f, depth) * (1 - k / 4.0f));
    }
    return c;
  });
}

namespace {

Rgb AuroraSky(const Frame& f, float u, float v, int px, int py) {
  const ColorStop sky[] = {{0.0f, Hex(0x02050F)}, {0.45f, Hex(0x081B2E)}, {0.8f, Hex(0x12404E)}};
  Rgb c = Ramp(sky, v);
  if (Hash2(px, py, 3) > 0.9975f) c = c + Rgb{0.9f, 0.92f, 1.0f} * (0.3f + 0.6f * Hash2(px, py, 4));
  const float strengths[] = {0.9f, 0.5f};
  for (int k = 0; k < 2; ++k) {
    const float base = 0.40f + 0.08f * std::sin(u * 4.3f + k * 2.0f) +
                       0.05f * std::sin(u * 11.7f + k) + 0.025f * std::sin(u * 29.0f + 3 * k) +
                       0.06f * (Fbm(u * 8, k * 3.0f, 3, 7) - 0.5f);
    // Rays make the lower edge ragged; along its length the curtain brightens and
    // fades, so it reads as a hanging ribbon rather than a glowing skyline.
    const float rays = Fbm(u * 70 * f.aspect, k * 7.0f + v * 1.5f, 3, 20 + k);
    const float h = base + 0.03f * (rays - 0.5f) - v;  // height above the lower edge
    if (h < -0.08f) continue;
    const float along = 0.2f + 0.8f * Smoothstep(0.35f, 0.65f, Fbm(u * 3, k * 5.0f + 1, 3, 50 + k));
    const float intensity =
        along * (h >= 0 ? std::exp(-h / 0.15f) : std::exp(h / 0.015f)) * (0.35f + 0.65f * rays);
    const Rgb color =
        Mix(k == 0 ? Hex(0x39F5A0) : Hex(0x4FE3E0), Hex(0xA04DFF), Smoothstep(0.03f, 0.28f, h));
    c = c + color * (intensity * strengths[k]);
    c = c + Hex(0xC8FFE0) * (0.35f * along * strengths[k] * std::exp(-std::fabs(h) / 0.006f));
  }
  const float ridge = PeakLine(u, 0.80f, 0.2f, 3.2f, 31);
  if (v > ridge) {
    c = Mix(Hex(0x17394A), Hex(0x04070D), Smoothstep(ridge, ridge + 0.012f, v));
    // Faint cold light on the slopes facing the sky.
    c = c + Hex(0x1D4A4A) * (0.25f * (1 - Smoothstep(0, 0.06f, v - ridge)));
  }
  return c;
}

}  // namespace

void PaintAurora(CPicture& picture) {
  const Frame f = FrameOf(picture);
  constexpr float kShore = 0.80f;  // the lake begins here and mirrors what is above
  picture.Shade([&](int x, int y) {
    const float u = f.U(x), v = f.V(y);
    if (v < kShore) return AuroraSky(f, u, v, x, y);
    const float mirrored = 2 * kShore - v;
    const float ripple = 0.0025f * std::sin(v * 420.0f) * Smoothstep(kShore, 1.0f, v);
    const int my = std::clamp(static_cast<int>(mirrored * f.height), 0, f.height - 1);
    Rgb c = AuroraSky(f, u + ripple, mirrored, x, my);
    return Mix(c * 0.6f, Hex(0x06141C), 0.25f + 0.3f * Smoothstep(kShore, 1.0f, v));
  });
}

void PaintMosaic(CPicture& picture) {
  const Frame f = FrameOf(picture);
  const ColorStop palette[] = {{0.00f, Hex(0x264653)}, {0.22f, Hex(0x2A9D8F)},
                               {0.45f, Hex(0x8AB17D)}, {0.62f, Hex(0xE9C46A)},
                               {0.80f, Hex(0xF4A261)}, {1.00f, Hex(0xE76F51)}};
  const float cell = f.height / 8.0f;                // tile size in pixels
  const float grout = std::max(1.5f, cell * 0.03f);  // joint width in pixels
  picture.Shade([&](int x, int y) {
    const float gx = x / cell, gy = y / cell;
    const int ix = static_cast<int>(gx), iy = static_cast<int>(gy);
    const float fx = gx - ix, fy = gy - iy;
    // Each square is split along one of its diagonals into two triangles.
    const bool rising = Hash2(ix, iy, 1) > 0.5f;
    const float diagonal = rising ? (fx + fy - 1) : (fx - fy);
    const int half = diagonal > 0 ? 1 : 0;
    // Colours drift across the picture with some scatter, so neighbours harmonise.
    const float t = Clamp01(0.15f + 0.55f * (f.U(x) * 0.7f + f.V(y) * 0.3f) +
                            0.45f * (Hash2(ix * 2 + half, iy, 2) - 0.5f));
    Rgb c = Ramp(palette, t);
    c = c * (0.9f + 0.18f * Hash2(ix * 2 + half, iy, 5));  // glaze differs per tile
    c = c * (1.04f - 0.08f * (fy - fx));                   // light from the top left
    const float edge = std::min({fx, fy, 1 - fx, 1 - fy, std::fabs(diagonal) * 0.7071f}) * cell;
    return Mix(Hex(0xF3ECE0), c, Smoothstep(grout - 0.75f, grout + 0.75f, edge));
  });
}

void PaintBokeh(CPicture& picture) {
  const Frame f = FrameOf(picture);
  const ColorStop background[] = {
      {0.0f, Hex(0x0B2230)}, {0.5f, Hex(0x2B1B3D)}, {1.0f, Hex(0x45202F)}};
  picture.Shade([&](int x, int y) {
    const float u = f.U(x), v = f.V(y);
    const float vignette = 1 - 0.35f * Smoothstep(0.3f, 0.9f, std::hypot(u - 0.5f, v - 0.5f));
    return Ramp(background, u * 0.6f + v * 0.4f) * vignette;
  });
  const Rgb lights[] = {Hex(0xFFC46B), Hex(0xFF8A5B), Hex(0xFF6F91), Hex(0x9DE0D0), Hex(0xFFE3A3)};
  constexpr int kLights = 90;
  for (int i = 0; i < kLights; ++i) {
    const float size = Hash2(i, 0, 40);
    const float radius = (0.015f + 0.08f * size * size) * f.height;
    const float cx = Hash2(i, 1, 40) * f.width;
    // Lights gather along a gentle diagonal, as if from a street out of focus.
    const float cy = (0.25f + 0.5f * Hash2(i, 2, 40) + 0.25f * (cx / f.width - 0.5f)) * f.height;
    const Rgb color = lights[static_cast<int>(Hash2(i, 3, 40) * 5) % 5];
    const float opacity = (0.12f + 0.25f * Hash2(i, 4, 40)) * (1 - 0.5f * size);
    picture.BlendDisc(cx, cy, radius, 1.5f + radius * 0.1f, color, opacity, true);
    // A brighter rim, as lens apertures give.
    picture.BlendDisc(cx, cy, radius, radius * 0.25f, color * -0.3f, opacity * 0.6f, true);
    picture.BlendDisc(cx, cy, radius * 0.72f, radius * 0.25f, color * 0.3f, opacity * 0.6f, true);
  }
}

void PaintOcean(CPicture& picture) {
  const Frame f = FrameOf(picture);
  constexpr float kHorizon = 0.45f;
  constexpr int kBands = 16;
  const ColorStop sky[] = {{0.00f, Hex(0x3C6FB0)}, {0.28f, Hex(0x7FA8D6)}, {0.45f, Hex(0xF3D6B5)}};
  const ColorStop sea[] = {{0.0f, Hex(0x86B5C2)}, {0.3f, Hex(0x2C7C94)}, {1.0f, Hex(0x0B3E58)}};
  const float sunU = 0.32f, sunV = 0.30f;

  // Crest line of every band of waves per column: denser and flatter towards the
  // horizon, as perspective makes them.
  std::vector<float> crest(kBands * f.width);
  for (int k = 0; k < kBands; ++k) {
    const float near = (k + 1.0f) / kBands;
    const float base = kHorizon + (1 - kHorizon) * std::pow(near, 1.7f);
    const float amplitude = 0.003f + 0.035f * std::pow(near, 1.5f);
    const float frequency = (40.0f / (k + 1) + 5) * f.aspect;
    const float phase = Hash2(k, 0, 60) * 2 * kPi, phase2 = Hash2(k, 1, 60) * 2 * kPi;
    for (int x = 0; x < f.width; ++x) {
      const float u = f.U(x);
      const float wave = (0.5f + 0.5f * std::sin(u * frequency + phase)) *
                         (0.75f + 0.25f * std::sin(u * frequency * 2.7f + phase2));
      crest[k * f.width + x] = base - amplitude * wave;
    }
  }

  picture.Shade([&](int x, int y) {
    const float u = f.U(x), v = f.V(y);
    const float sunDistance = std::hypot((u - sunU) * f.aspect, v - sunV);
    if (v < kHorizon) {
      Rgb c = Ramp(sky, v);
      if (v > 0.04f && v < 0.42f) {
        const float cloud = Fbm(u * 2.2f * f.aspect, v * 7, 4, 9);
        const float mask = Smoothstep(0.55f, 0.8f, cloud) * Smoothstep(0.04f, 0.15f, v) *
                           (1 - Smoothstep(0.3f, 0.42f, v));
        c = Mix(c, Hex(0xFFF3EA), mask * 0.75f);
      }
      c = c + Hex(0xFFD9A0) * (0.55f * std::exp(-sunDistance / 0.09f));
      return Mix(c, Hex(0xFFF8E4), 1 - Smoothstep(0.031f, 0.035f, sunDistance));
    }
    const float depth = (v - kHorizon) / (1 - kHorizon);
    int band = -1;
    for (int k = kBands - 1; k >= 0; --k) {
      if (v >= crest[k * f.width + x]) {
        band = k;
        break;
      }
    }
    Rgb c = Ramp(sea, depth);
    if (band >= 0) {
      const float top = crest[band * f.width + x];
      const float nextBase = band + 1 < kBands ? crest[(band + 1) * f.width + x] : 1.0f;
      const float t = Clamp01((v - top) / std::max(0.002f, nextBase - top));
      const float near = (band + 1.0f) / kBands;
      // A lit face just under the crest, darker water in the trough.
      c = Mix(c * 1.25f + Hex(0x0E3A3A) * 0.3f, c * 0.8f, Smoothstep(0.0f, 0.8f, t));
      const float foam = (1 - Smoothstep(0.0f, 0.07f + 0.05f * near, t)) * (0.2f + 0.6f * near);
      c = Mix(c, Hex(0xE6F3F2), foam * (0.6f + 0.4f * Hash2(x / 3, y / 2, 61)));
    }
    // The sun's path on the water: a soft sheen and sparkles on the crests.
    const float path = std::exp(-std::pow((u - sunU) * f.aspect, 2.0f) / (0.002f + 0.03f * depth));
    c = c + Hex(0xFFD9A0) * (0.3f * path * (1 - 0.5f * depth));
    if (Hash2(x / 2, y / 2, 62) > 0.93f - 0.1f * path) c = c + Hex(0xFFF1D0) * (0.6f * path);
    return Mix(c, Hex(0xF3D6B5), 0.35f * (1 - Smoothstep(0.0f, 0.12f, depth)));
  });
}

namespace {

// Skyline of a dune range: long smooth swells with a little irregularity.
float DuneLine(float u, float base, float amplitude, float frequency, uint32_t seed) {
  const float phase = Hash2(static_cast<int>(seed), 0, 81) * 2 * kPi;
  const float swell = 0.5f + 0.35f * std::sin(u * frequency * 2 * kPi + phase) +
                      0.15f * std::sin(u * frequency * 4.7f * kPi + 2 * phase);
  return base - amplitude * (0.8f * swell + 0.2f * Fbm(u * frequency * 3, 0.5f, 2, seed));
}

}  // namespace

void PaintDunes(CPicture& picture) {
  const Frame f = FrameOf(picture);
  const ColorStop sky[] = {{0.0f, Hex(0x4F9FD4)}, {0.45f, Hex(0xBFE0EE)}, {0.58f, Hex(0xF6E7C8)}};
  const HillLayer layers[] = {{0.60f, 0.05f, 1.7f, Hex(0xF0C590)},
                              {0.69f, 0.08f, 1.3f, Hex(0xE7A96B)},
                              {0.79f, 0.10f, 1.0f, Hex(0xDA8E52)},
                              {0.91f, 0.12f, 0.8f, Hex(0xC97A41)},
                              {1.04f, 0.13f, 0.6f, Hex(0xB3652F)}};
  constexpr int kLayers = static_cast<int>(std::size(layers));
  constexpr float kStep = 0.002f;  // for the slope, fractions of the width
  std::vector<float> ridge(kLayers * f.width), slope(kLayers * f.width);
  for (int k = 0; k < kLayers; ++k) {
    const HillLayer& l = layers[k];
    for (int x = 0; x < f.width; ++x) {
      const float u = f.U(x);
      const float line = DuneLine(u, l.base, l.amplitude, l.frequency, 80 + k);
      ridge[k * f.width + x] = line;
      slope[k * f.width + x] =
          (DuneLine(u + kStep, l.base, l.amplitude, l.frequency, 80 + k) - line) / kStep;
    }
  }
  picture.Shade([&](int x, int y) {
    const float u = f.U(x), v = f.V(y);
    Rgb c = Ramp(sky, v);
    const float sun = std::hypot((u - 0.8f) * f.aspect, v - 0.15f);
    c = c + Hex(0xFFFBEA) * (0.6f * std::exp(-sun / 0.05f));
    for (int k = 0; k < kLayers; ++k) {
      const float top = ridge[k * f.width + x];
      if (v < top) continue;
      const Rgb sand = layers[k].color;
      // Slopes facing the sun (up to the right, as it stands on the right) are
      // bright, the others in a cool shadow; the contrast fades away from the crest.
      const float lit = Smoothstep(-0.15f, 0.15f, -slope[k * f.width + x]);
      const Rgb shaded = Mix(sand * 0.78f + Hex(0x5A3A66) * 0.1f, sand * 1.06f, lit);
      c = Mix(shaded, sand * (1 - 0.12f * Smoothstep(0.0f, 0.2f, v - top)),
              Smoothstep(0.0f, 0.06f, v - top));
      c = c * (1 + 0.02f * std::sin(v * 700 + 30 * std::sin(u * 9 + k)) * (k / 4.0f));
    }
    return c;
  });
}

namespace {

// Height of a pine's outline at horizontal distance d from its trunk (both in
// picture heights): four stacked tiers of branches, each a triangle.
float PineProfile(float d, float height) {
  constexpr int kTiers = 4;
  float top = 0;
  for (int i = 0; i < kTiers; ++i) {
    const float apex = height * (1 - 0.2f * i);
    const float halfWidth = height * (0.13f + 0.07f * i);
    if (d < halfWidth) top = std::max(top, apex - (d / halfWidth) * height * 0.35f);
  }
  return top;
}

}  // namespace

void PaintForest(CPicture& picture) {
  const Frame f = FrameOf(picture);
  const ColorStop sky[] = {{0.0f, Hex(0xA9BCD6)}, {0.45f, Hex(0xF1D7C6)}, {0.6f, Hex(0xF7E6D6)}};
  const Rgb colors[] = {Hex(0xB9C3CF), Hex(0x92A5B4), Hex(0x6A8190), Hex(0x445C69), Hex(0x21343D)};
  const Rgb fog = Hex(0xEDE6E0);
  constexpr int kLayers = static_cast<int>(std::size(colors));
  std::vector<float> ground(kLayers * f.width), top(kLayers * f.width);
  for (int k = 0; k < kLayers; ++k) {
    const float base = 0.52f + 0.1f * k;
    const float treeHeight = 0.04f + 0.035f * k;
    const float spacing = 0.011f + 0.006f * k;  // between trees, fractions of the width
    for (int x = 0; x < f.width; ++x) {
      const float u = f.U(x);
      float trees = 0;
      const int first = static_cast<int>(u / spacing) - 4;
      for (int i = first; i <= first + 8; ++i) {
        const float tx = (i + Hash2(i, k, 90)) * spacing;
        const float h = treeHeight * (0.6f + 0.6f * Hash2(i, k, 91));
        trees = std::max(trees, PineProfile(std::fabs(u - tx) * f.aspect, h));
      }
      ground[k * f.width + x] = HillLine(u, base, 0.07f, 1.6f + k * 0.4f, 95 + k);
      // The lowest branches stand in the slope, so no gap reaches down to the ground.
      top[k * f.width + x] =
          std::min(ground[k * f.width + x], ground[k * f.width + x] - trees + 0.3f * treeHeight);
    }
  }
  picture.Shade([&](int x, int y) {
    const float u = f.U(x), v = f.V(y);
    Rgb c = Ramp(sky, v);
    c = c +
        Hex(0xFFE7C9) * (0.35f * std::exp(-std::hypot((u - 0.7f) * f.aspect, v - 0.42f) / 0.2f));
    for (int k = 0; k < kLayers; ++k) {
      if (v < top[k * f.width + x]) continue;
      // Mist lies flat in the valleys: each range fades towards the fog below a
      // level line, the same for trees and slope so that no column stands out.
      const float g = 0.46f + 0.1f * k;
      c = Mix(colors[k], fog, (0.6f - 0.08f * k) * Smoothstep(g, g + 0.25f, v));
    }
    return c;
  });
}

void PaintNebula(CPicture& picture) {
  const Frame f = FrameOf(picture);
  const ColorStop ramp[] = {{0.00f, Hex(0x02030A)}, {0.38f, Hex(0x0A1140)}, {0.50f, Hex(0x3B1B6B)},
                            {0.60f, Hex(0xA0307A)}, {0.70f, Hex(0xF07050)}, {0.82f, Hex(0xFFD9A8)}};
  picture.Shade([&](int x, int y) {
    const float px = f.U(x) * f.aspect * 2.2f, py = f.V(y) * 2.2f;
    // Domain warping folds the clouds into swirls.
    const float qx = Fbm(px, py, 4, 120), qy = Fbm(px + 5.2f, py + 1.3f, 4, 121);
    const float n = Fbm(px + 3 * qx, py + 3 * qy, 5, 122);
    Rgb c = Ramp(ramp, n);
    if (Hash2(x, y, 123) > 0.998f) c = c + Rgb{1, 1, 1} * (0.4f + 0.6f * Hash2(x, y, 124));
    return c;
  });
  for (int i = 0; i < 40; ++i) {
    const float cx = Hash2(i, 0, 125) * f.width, cy = Hash2(i, 1, 125) * f.height;
    const float r = (1.2f + 2.0f * Hash2(i, 2, 125)) * f.height / 1000;
    const Rgb tint = Mix(Hex(0xBFD4FF), Hex(0xFFE1C4), Hash2(i, 3, 125));
    picture.BlendDisc(cx, cy, r * 8, r * 8, tint, 0.25f, true);
    picture.BlendDisc(cx, cy, r, r * 0.6f, Rgb{1, 1, 1}, 1.0f);
  }
}

void PaintSilk(CPicture& picture) {
  const Frame f = FrameOf(picture);
  const ColorStop ramp[] = {
      {0.0f, Hex(0x6FAFB8)}, {0.35f, Hex(0xA9A8DC)}, {0.65f, Hex(0xF2BFB0)}, {1.0f, Hex(0xFDF0D5)}};
  picture.Shade([&](int x, int y) {
    const float u = f.U(x), v = f.V(y);
    // Bands of colour bent by two slow waves, like folds of cloth.
    const float bend = 0.16f * std::sin(u * 2 * kPi * 0.7f + 0.6f) +
                       0.05f * std::sin(u * 2 * kPi * 1.9f + 2.1f) + 0.08f * u;
    const float phase = (v + bend) * 2 * kPi * 1.6f;
    const float fold = std::sin(phase);
    Rgb c = Ramp(ramp, Clamp01(0.15f + 0.7f * (v + bend * 0.8f) + 0.12f * fold));
    // Light catches the upper side of each fold.
    c = c * (0.9f + 0.12f * fold) +
        Rgb{1, 1, 1} * (0.12f * std::pow(Clamp01(std::cos(phase)), 8.0f));
    return c * (1 - 0.12f * Smoothstep(0.35f, 0.8f, std::hypot(u - 0.5f, v - 0.5f)));
  });
}

void PaintRetroSun(CPicture& picture) {
  const Frame f = FrameOf(picture);
  constexpr float kHorizon = 0.64f;
  const ColorStop sky[] = {{0.00f, Hex(0x12062E)},
                           {0.35f, Hex(0x4A0F5C)},
                           {0.56f, Hex(0xC2337A)},
                           {0.64f, Hex(0xFF8C5A)}};
  const ColorStop sunRamp[] = {{0.0f, Hex(0xFFE66B)}, {1.0f, Hex(0xFF3F8E)}};
  const float sunU = 0.5f, sunV = 0.42f, sunRadius = 0.25f;
  picture.Shade([&](int x, int y) {
    const float u = f.U(x), v = f.V(y);
    if (v < kHorizon) {
      Rgb c = Ramp(sky, v);
      if (v < 0.4f && Hash2(x, y, 130) > 0.9985f) c = c + Rgb{1, 1, 1} * 0.5f;
      const float d = std::hypot((u - sunU) * f.aspect, v - sunV);
      c = c + Hex(0xFF5E9A) * (0.35f * std::exp(-std::max(0.0f, d - sunRadius) / 0.06f));
      // The sun's lower half is cut by bands that widen downwards.
      const float below = (v - sunV) / sunRadius;
      const float stripe = std::fmod(std::max(0.0f, v - sunV) / 0.032f, 1.0f);
      const bool cut = below > 0.05f && stripe < 0.55f * below;
      if (!cut) {
        const float inside = 1 - Smoothstep(sunRadius - 1.5f / f.height, sunRadius, d);
        c = Mix(c, Ramp(sunRamp, (v - sunV + sunRadius) / (2 * sunRadius)), inside);
      }
      return c;
    }
    const float depth = v - kHorizon;
    Rgb c = Mix(Hex(0x24073F), Hex(0x0B0218), Smoothstep(0, 0.3f, depth));
    // Perspective grid: rows at equal steps of distance 1 / depth, columns through a
    // vanishing point on the horizon. Lines fade where they crowd below a pixel.
    const float pixel = 1.0f / f.height;
    const float row = 0.05f / depth, rowWidth = 0.05f / (depth * depth) * pixel;
    const float rowFrac = row - std::floor(row);
    const float rowLine = (1 - Smoothstep(0.0f, rowWidth * 1.5f, std::min(rowFrac, 1 - rowFrac))) *
                          (1 - Smoothstep(0.05f, 0.2f, rowWidth));
    const float column = (u - sunU) * f.aspect / depth * 0.9f;
    const float columnWidth = f.aspect / depth * 0.9f / f.width;
    const float columnFrac = column - std::floor(column);
    const float columnLine =
        (1 - Smoothstep(0.0f, columnWidth * 1.5f, std::min(columnFrac, 1 - columnFrac))) *
        (1 - Smoothstep(0.05f, 0.2f, columnWidth));
    c = c + Hex(0xFF4FD8) * std::max(rowLine, columnLine);
    return c + Hex(0xFF5E9A) * (0.6f * std::exp(-depth / 0.025f));
  });
}

void PaintDefaultTexture(CPicture& picture) {
  const Frame f = FrameOf(picture);
  const ColorStop ramp[] = {{0.0f, Hex(0x3A4B5C)}, {1.0f, Hex(0x16202A)}};
  picture.Shade(
      [&](int x, int y) { return Ramp(ramp, std::hypot(f.U(x) - 0.5f, f.V(y) - 0.4f) * 1.4f); });
}
