// Splash masks and blend, plain arithmetic over pixel arrays.
#include "ui/splash_mask.h"

#include <algorithm>
#include <cmath>

namespace {
float Clamp01(float value) { return std::min(1.0f, std::max(0.0f, value)); }

// A soft edge of width 0.2 that leaves u = 0 first: 1 where u <= 1.2p - 0.2, 0 where
// u >= 1.2p.
float RampFromZero(float p, float u) { return Clamp01(6.0f * p - 5.0f * u); }
// The same edge leaving u = 1 first.
float RampFromOne(float p, float u) { return Clamp01(6.0f * p + 5.0f * u - 5.0f); }

// Distance from the centre, 1 at the corners; the 0.75 makes the iris round on 4:3.
float IrisCoordinate(int c, int r, int width, int height) {
  const float x = static_cast<float>(c) / width - 0.5f;
  const float y = 0.75f * (static_cast<float>(r) / height - 0.5f);
  return std::sqrt(x * x + y * y) / std::sqrt(0.5f);
}
}  // namespace

void FillSplashMask(int effect, float progress, int width, int height, float* mask) {
  const float p = progress;
  for (int r = 0; r < height; ++r) {
    float* row = mask + static_cast<long>(r) * width;
    const float v = static_cast<float>(r) / height;
    for (int c = 0; c < width; ++c) {
      const float u = static_cast<float>(c) / width;
      float weight = p;
      switch (effect) {
        case kSplashWipeFromLeft:
          weight = RampFromZero(p, u);
          break;
        case kSplashWipeFromRight:
          weight = RampFromOne(p, u);
          break;
        case kSplashWipeFromTop:
          weight = RampFromOne(p, v);
          break;
        case kSplashWipeFromBottom:
          weight = RampFromZero(p, v);
          break;
        case kSplashIrisOpening:
          weight = RampFromZero(p, IrisCoordinate(c, r, width, height));
          break;
        case kSplashIrisClosing:
          weight = RampFromOne(p, IrisCoordinate(c, r, width, height));
          break;
        default:  // the cross-fade: every weight is the progress
          break;
      }
      row[c] = Clamp01(weight);
    }
  }
}

void BlendSplashPictures(const uint32_t* current, const uint32_t* next, const float* mask,
                         int pixelCount, uint32_t* out) {
  for (int i = 0; i < pixelCount; ++i) {
    const uint32_t k = static_cast<uint32_t>(mask[i] * 255.0f);
    uint32_t pixel = 0;
    for (int shift = 0; shift < 24; shift += 8) {
      const uint32_t a = (next[i] >> shift) & 0xFF;
      const uint32_t b = (current[i] >> shift) & 0xFF;
      pixel |= ((a * k + b * (255 - k)) >> 8) << shift;
    }
    out[i] = pixel;
  }
}
