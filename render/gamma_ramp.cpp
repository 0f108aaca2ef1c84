// Brightness gamma ramp.
#include "render/gamma_ramp.h"

void BuildBrightnessRamp(int brightness, uint16_t* ramp) {
  double gain = brightness * 0.01;
  if (gain < 0.0) gain = 0.0;
  for (int i = 0; i < kGammaRampSize; ++i) {
    const double value = i * gain * 256.0;
    ramp[i] = value > 65535.0 ? 65535 : static_cast<uint16_t>(value);
  }
}
