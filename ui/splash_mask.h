// The splash preview's picture arithmetic: the seven transition masks and the blend of
// two 32-bit pictures through a mask. Pictures are rows bottom-up, 4 bytes a pixel
// (blue, green, red, reserved); pixel (column c, row r) is element r * width + c.
#pragma once

#include <cstdint>

// Number of splash effects: four wipes, an opening and a closing iris, a cross-fade.
constexpr int kSplashEffectCount = 7;

// Fills width * height weights (0 = current picture, 1 = next) for effect 0..6 at
// progress p (0..1). Every weight is clamped to 0..1.
void FillSplashMask(int effect, float progress, int width, int height, float* mask);

// out = next * k + current * (255 - k), divided by 256, per colour byte, with
// k = mask * 255 truncated; so a fully shown 255 comes out as 254. The fourth byte is 0.
void BlendSplashPictures(const uint32_t* current, const uint32_t* next, const float* mask,
                         int pixelCount, uint32_t* out);
