// The brightness ramp handed to the device.
#include "render/gamma_ramp.h"

#include <gtest/gtest.h>

TEST(GammaRamp, BrightnessIsALinearGainThatSaturates) {
  const struct {
    int brightness;
    int level;
    int value;
  } cases[] = {
      {50, 1, 128},      {50, 255, 32640}, {200, 127, 65024}, {200, 128, 65535},
      {100, 255, 65280}, {-20, 200, 0},    {0, 255, 0},       {250, 255, 65535},
  };
  for (const auto& c : cases) {
    uint16_t ramp[kGammaRampSize];
    BuildBrightnessRamp(c.brightness, ramp);
    EXPECT_EQ(ramp[c.level], c.value) << c.brightness << "% level " << c.level;
  }
}
