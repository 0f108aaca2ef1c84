// The brightness setting as a gamma ramp: a linear gain on the output that saturates
// at full intensity (at 200 % every level from 128 up is full white).
#pragma once

#include <cstdint>

constexpr int kGammaRampSize = 256;

// Fills ramp (kGammaRampSize values for each of red, green and blue alike) for
// brightness in percent: level i gives i x brightness / 100 x 256, truncated, at most
// 65535. A negative brightness counts as 0.
void BuildBrightnessRamp(int brightness, uint16_t* ramp);
