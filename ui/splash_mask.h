// The splash preview's picture arithmetic: the seven transition masks and the blend of
// two 32-bit pictures through a mask. Pictures are rows bottom-up, 4 bytes a pixel
// (blue, green, red, reserved); pixel (column c, row r) is element r * width + c.
#pragma once

#include <cstdint>

// The splash effects by number: four wipes, an opening and a closing iris, a
// cross-fade. Each wipe names the edge the next picture enters from.
enum SplashEffect : int {
  kSplashWipeFromLeft = 0,
  kSplashWipeFromRight = 1,
  kSplashWipeFromTop = 2,
  kSplashWipeFromBottom = 3,
  kSplashIrisOpening = 4,  // from the centre outwards
  kSplashIrisClosing = 5,  // from the corners inwards
  kSplashCrossFade = 6,
};
constexpr int kSplashEffectCount = kSplashCrossFade + 1;

// Fills width * height weights (0 = current picture, 1 = next) for effect 0..6 at
// progress p (0..1). Every weight is clamped to 0..1.
void FillSplashMask(int effect, float progress, int width, int height, float* mask);

// out = next * k + current * (255 - k), divided by 256, per colour byte, with
// k = mask * 255 truncated; so a fully shown 255 comes out as 254. The fourth byte is 0.
void BlendSplashPictures(const uint32_t* current, const uint32_t* next, const float* mask,
                         int pixelCount, uint32_t* out);
