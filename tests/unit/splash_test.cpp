// The splash preview's arithmetic: the seven masks, the blend, and the picture and
// effect choices with a scripted generator.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/support/scripted_random.h"
#include "ui/splash_animator.h"
#include "ui/splash_mask.h"

namespace {
constexpr int kW = 40;
constexpr int kH = 30;

std::vector<float> Mask(int effect, float p) {
  std::vector<float> mask(kW * kH, -1.0f);
  FillSplashMask(effect, p, kW, kH, mask.data());
  return mask;
}
float At(const std::vector<float>& mask, int c, int r) { return mask[r * kW + c]; }
}  // namespace

TEST(SplashMask, EveryEffectStartsWithCurrentAndEndsWithNext) {
  for (int effect = 0; effect < kSplashEffectCount; ++effect) {
    for (float p : {0.0f, 1.0f}) {
      const std::vector<float> mask = Mask(effect, p);
      for (float weight : mask) ASSERT_EQ(weight, p) << "effect " << effect << " p " << p;
    }
  }
}

TEST(SplashMask, HalfwayEachEffectShowsItsShape) {
  // Samples at p = 0.5: (column, row from the bottom) and the expected weight.
  const struct {
    int effect, c, r;
    float expected;
  } cases[] = {
      {0, 0, 15, 1.0f},  {0, 16, 15, 1.0f}, {0, 20, 15, 0.5f}, {0, 24, 15, 0.0f}, {1, 39, 15, 1.0f},
      {1, 24, 15, 1.0f}, {1, 20, 15, 0.5f}, {1, 16, 15, 0.0f}, {2, 20, 29, 1.0f}, {2, 20, 18, 1.0f},
      {2, 20, 12, 0.0f}, {3, 20, 0, 1.0f},  {3, 20, 12, 1.0f}, {3, 20, 15, 0.5f}, {3, 20, 18, 0.0f},
      {3, 20, 29, 0.0f}, {4, 20, 15, 1.0f}, {4, 0, 0, 0.0f},   {5, 20, 15, 0.0f}, {5, 0, 0, 1.0f},
      {6, 7, 3, 0.5f},
  };
  for (int effect = 0; effect < kSplashEffectCount; ++effect) {
    const std::vector<float> mask = Mask(effect, 0.5f);
    for (const auto& c : cases)
      if (c.effect == effect) {
        EXPECT_NEAR(At(mask, c.c, c.r), c.expected, 1e-5f)
            << "effect " << effect << " at " << c.c << "," << c.r;
      }
  }
  // Effect 3's ramp rises linearly between u = 0.4 and u = 0.6.
  const std::vector<float> wipe = Mask(3, 0.5f);
  EXPECT_NEAR(At(wipe, 5, 13), 3.0f - 5.0f * 13 / kH, 1e-5f);
}

TEST(SplashBlend, ChannelsMixByTheTruncatedWeight) {
  const struct {
    uint32_t current, next;
    float mask;
    uint32_t expected;
  } cases[] = {
      {0x00FFFFFF, 0x00000000, 0.0f, 0x00FEFEFE},  // 255 alone shows as 254
      {0x00000000, 0xFFFFFFFF, 1.0f, 0x00FEFEFE},  // the fourth byte is always 0
      {0x00102030, 0x00000000, 0.0f, 0x000F1F2F},  // v * 255 / 256, truncated
      {0x000000FF, 0x0000FF00, 0.5f, 0x00007E7F},  // k = 127
      {0x00000000, 0x00C8C8C8, 0.999f, 0x00C6C6C6},
  };
  for (const auto& c : cases) {
    uint32_t out = 0xDEADBEEF;
    BlendSplashPictures(&c.current, &c.next, &c.mask, 1, &out);
    EXPECT_EQ(out, c.expected) << std::hex << c.current << " " << c.next << " " << c.mask;
  }
}

TEST(SplashAnimator, DrawsPicturesAndEffectsByTheRules) {
  std::vector<uint32_t> pictures[4];
  CSplashAnimator animator(4, 3);
  for (int i = 0; i < 4; ++i) {
    pictures[i].assign(12, 0x00101010u * (i + 1));
    animator.AddPicture(pictures[i].data());
  }
  std::vector<uint32_t> out(12);
  // First step: next = 1; change: effect 0 repeats the initial 0, redrawn as 3;
  // current = 1; next redrawn past 1 to 2.
  CScriptedRandom draws({1, 0, 3, 1, 2, /* second change */ 3, 3, 3, 5, 2, 1, 0});
  ASSERT_TRUE(animator.Step(0.0, out.data()));
  EXPECT_EQ(animator.GetEffect(), 3);
  EXPECT_EQ(animator.GetCurrent(), 1);
  EXPECT_EQ(animator.GetNext(), 2);
  EXPECT_EQ(out[0], 0x001F1F1Fu);  // picture 1 alone, 0x20 shown as 0x1F
  // Two seconds on, the next picture stands alone, and stays until the change at 6 s.
  ASSERT_TRUE(animator.Step(2.0, out.data()));
  EXPECT_EQ(out[11], 0x002F2F2Fu);
  ASSERT_TRUE(animator.Step(6.0, out.data()));
  EXPECT_EQ(animator.GetCurrent(), 1);
  EXPECT_EQ(draws.Count(), 5u);
  // After 6 s: effect 3 repeats twice, then 5; current = 2; next skips 2 and 1 for 0.
  ASSERT_TRUE(animator.Step(6.01, out.data()));
  EXPECT_EQ(animator.GetEffect(), 5);
  EXPECT_EQ(animator.GetCurrent(), 2);
  EXPECT_EQ(animator.GetNext(), 0);
  EXPECT_EQ(draws.Count(), 12u);
}

TEST(SplashAnimator, TenEqualDrawsStandAndNoPictureDrawsNothing) {
  std::vector<uint32_t> picture(4, 0x00FFFFFF);
  CSplashAnimator single(2, 2);
  single.AddPicture(picture.data());
  std::vector<uint32_t> out(4);
  CScriptedRandom draws({0});
  ASSERT_TRUE(single.Step(0.0, out.data()));
  // One draw for the first picture, ten for the effect, ten for the next picture.
  EXPECT_EQ(draws.Count(), 21u);
  EXPECT_EQ(single.GetEffect(), 0);
  EXPECT_EQ(out[0], 0x00FEFEFEu);

  CSplashAnimator empty(2, 2);
  out.assign(4, 7);
  EXPECT_FALSE(empty.Step(0.0, out.data()));
  EXPECT_EQ(out[0], 7u);
  EXPECT_EQ(draws.Count(), 21u);
}
