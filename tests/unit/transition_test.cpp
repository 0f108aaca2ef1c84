// Tests of the transition effects: the invariants and reveal order of every effect,
// the worked examples, the per-cycle plan against the closed formulas, and the random
// draws of the effect choice and the block table.
#include "render/transition.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "base/random.h"
#include "tests/support/scripted_random.h"

namespace {

constexpr unsigned kWidth = 128;
constexpr unsigned kHeight = 96;
constexpr size_t kPoints = kWidth * kHeight;
constexpr int kBlockEffect = CTransition::kBlockEffect;

struct Centre {
  float x, y;
};
const Centre kCentres[] = {
    {0.5f, 0.5f}, {0.0f, 0.0f}, {1.0f, 1.0f}, {0.13f, 0.87f}, {0.91f, 0.04f}};

float At(const float* mask, unsigned column, unsigned row) { return mask[row * kWidth + column]; }

// The block table the direct formulas of the block effect read.
const CTransition::BlockTable* g_blocksTable = nullptr;

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof(float)) == 0; }

// Compares a computed mask with the closed formula at every point; returns a description
// of the first difference, or an empty string.
std::string DiffFromDirect(const CTransition& t, const float* mask, float p) {
  const auto& table = t.GetBlockThresholds();
  for (unsigned r = 0; r < t.GetHeight(); ++r) {
    for (unsigned c = 0; c < t.GetWidth(); ++c) {
      const float direct =
          CTransition::ComputeWeightDirect(t.GetEffect(), c, r, t.GetWidth(), t.GetHeight(), p,
                                           t.GetCentreX(), t.GetCentreY(), table);
      const float planned = mask[r * t.GetWidth() + c];
      if (!SameBits(direct, planned)) {
        return "effect " + std::to_string(t.GetEffect()) + " p " + std::to_string(p) + " at (" +
               std::to_string(c) + "," + std::to_string(r) + "): plan " + std::to_string(planned) +
               " direct " + std::to_string(direct);
      }
    }
  }
  return "";
}

std::vector<float> ProgressValues() {
  std::vector<float> values = {0.0f,
                               1.0f,
                               std::numeric_limits<float>::denorm_min(),
                               1e-30f,
                               1e-7f,
                               0.25f,
                               0.5f,
                               0.75f,
                               0.999999f,
                               std::nextafter(1.0f, 0.0f)};
  std::mt19937 generator(2024);
  std::uniform_real_distribution<float> uniform(0.0f, 1.0f);
  for (int i = 0; i < 24; ++i) values.push_back(uniform(generator));
  return values;
}

class TransitionTest : public ::testing::Test {
 protected:
  void SetUp() override { SeedRandom(1); }
};

TEST_F(TransitionTest, PlanGivesTheSameFloatsAsTheFormula) {
  const std::vector<float> progress = ProgressValues();
  CTransition t(kWidth, kHeight);
  for (int effect = 0; effect < CTransition::kEffectCount; ++effect) {
    for (const Centre& centre : kCentres) {
      ASSERT_TRUE(t.SetEffect(effect, centre.x, centre.y));
      for (float p : progress) ASSERT_EQ(DiffFromDirect(t, t.ComputeMask(p), p), "");
    }
  }
}

TEST_F(TransitionTest, PlanMatchesFormulaOnOtherGridSizes) {
  struct Size {
    unsigned width, height;
  };
  const Size sizes[] = {{16, 12}, {1, 1}, {200, 3}, {3, 200}, {0, 0}};
  for (const Size& size : sizes) {
    CTransition t(size.width, size.height);
    for (int effect = 0; effect < CTransition::kEffectCount; ++effect) {
      ASSERT_TRUE(t.SetEffect(effect, 0.3f, 0.6f));
      for (float p : {0.0f, 0.3f, 0.61f, 1.0f}) {
        const float* mask = t.ComputeMask(p);
        ASSERT_NE(mask, nullptr);
        ASSERT_EQ(DiffFromDirect(t, mask, p), "") << size.width << "x" << size.height;
      }
    }
  }
}

// The plan must follow every change of cycle: new effect, new centre, new block table.
TEST_F(TransitionTest, PlanFollowsEveryCycle) {
  SeedRandom(12345);
  CTransition t(kWidth, kHeight);
  for (int cycle = 0; cycle < 80; ++cycle) {
    t.ChooseEffect();
    for (float p : {0.0f, 0.37f, 0.8f, 1.0f})
      ASSERT_EQ(DiffFromDirect(t, t.ComputeMask(p), p), "") << "cycle " << cycle;
  }
}

// Each transition (each screen's) has its own block table: another's rebuild leaves
// this one's table and mask as they were.
TEST_F(TransitionTest, AnotherTransitionsRebuildLeavesThisOnesTableAlone) {
  CTransition first(kWidth, kHeight), second(kWidth, kHeight);
  first.SetEffect(kBlockEffect, 0.5f, 0.5f);
  second.SetEffect(kBlockEffect, 0.5f, 0.5f);
  std::vector<float> before;
  {
    CScriptedRandom identity({0});  // every swap exchanges a block with itself
    const float* mask = first.ComputeMask(0.5f);
    before.assign(mask, mask + kPoints);
  }
  {
    CScriptedRandom swaps({0, 0, 7, 5, 0});  // block (0,0) changes places with (7,5)
    second.ComputeMask(0.5f);
  }
  const float* mask = first.ComputeMask(0.5f);
  EXPECT_EQ(DiffFromDirect(first, mask, 0.5f), "");
  EXPECT_EQ(std::vector<float>(mask, mask + kPoints), before);
  EXPECT_NE(std::memcmp(&first.GetBlockThresholds(), &second.GetBlockThresholds(),
                        sizeof(CTransition::BlockTable)),
            0);
}

// The constants' precision shows in the last bits: each case writes one effect's
// formula out with the constants as the design states them (single-precision square
// roots and strip/block edges, double wipe edges).
TEST_F(TransitionTest, FormulaConstantsKeepTheirPrecision) {
  using Formula = double (*)(double x, double y, double p);
  struct Case {
    int effect;
    Formula weight;
  };
  static const auto clamp = [](double v) { return std::min(1.0, std::max(0.0, v)); };
  static const auto rising = [](double f, double e, double p) { return ((1 + e) * p - f) / e; };
  static const auto falling = [](double f, double e, double p) {
    return ((1 + e) * p + f - 1) / e;
  };
  static constexpr double kPi = 3.14159265358979323846;
  const Case cases[] = {
      {0, [](double x, double, double p) { return clamp(rising(x, 0.2, p)); }},
      {2, [](double, double y, double p) { return clamp(falling(y, 0.2, p)); }},
      {5,
       [](double x, double y, double p) {
         const double dx = x - 0.505, dy = (y - 0.505) * 0.75;
         const double d = std::sqrt(dx * dx + dy * dy) / static_cast<double>(0.70710677f);
         return clamp(falling(d, 0.2 * d + 0.01, p));
       }},
      {6,
       [](double x, double y, double p) {
         const double d = std::fabs(x - 0.505) + std::fabs((y - 0.505) * 0.75);
         return clamp(rising(d, 0.2 * d + 0.01, p));
       }},
      {8,
       [](double x, double y, double p) {
         const double dx = x - static_cast<double>(0.31f),
                      dy = (y - static_cast<double>(0.62f)) * 0.75;
         const double n = std::sqrt(dx * dx + dy * dy) / static_cast<double>(1.4849242f);
         const double h = (std::atan2(dx, dy) + kPi) * 10 / kPi;
         const int k = static_cast<int>(h);
         const double s = k % 2 == 1 ? h - k : 1 - (h - k);
         return clamp(rising(n * (1 + 0.5 * s), 0.2 * n + 0.03, p));
       }},
      {11,
       [](double x, double y, double p) {
         const double a = (std::atan2(x - 0.5, (y - 0.5) * 0.75) + kPi) / (2 * kPi);
         return clamp(falling(a, 0.2, p));
       }},
      {12,
       [](double x, double y, double p) {
         const double dx = x - 0.5, dy = (y - 0.5) * 0.75;
         const double f = 0.5 * std::sqrt(dx * dx + dy * dy) / static_cast<double>(0.70710677f) +
                          (-std::atan2(dx, dy) + kPi) / (4 * kPi);
         return clamp(rising(f, 0.2, p));
       }},
      {14, [](double x, double y,
              double p) { return clamp(falling((static_cast<int>(4 * x) + y) / 4, 0.05f, p)); }},
      {16,
       [](double x, double y, double p) {
         return clamp(rising((static_cast<int>(3 * y) + x) / 3, 1.0f / 15.0f, p));
       }},
      {18,
       [](double x, double y, double p) {
         const auto& table = *g_blocksTable;
         return clamp(rising(table[static_cast<int>(8 * x)][static_cast<int>(6 * y)], 0.2f, p));
       }},
  };
  CTransition blocks(kWidth, kHeight);  // fills the block table
  g_blocksTable = &blocks.GetBlockThresholds();
  blocks.SetEffect(kBlockEffect, 0.5f, 0.5f);
  blocks.ComputeMask(0.0f);
  const float progress[] = {0.013f, 0.21f, 0.5f, 0.77f, 0.93f};
  for (const Case& tc : cases) {
    for (unsigned r = 0; r < kHeight; ++r) {
      for (unsigned c = 0; c < kWidth; ++c) {
        for (float p : progress) {
          const float expected = static_cast<float>(tc.weight(c / 128.0, r / 96.0, p));
          const float direct = CTransition::ComputeWeightDirect(
              tc.effect, c, r, kWidth, kHeight, p, 0.31f, 0.62f, blocks.GetBlockThresholds());
          ASSERT_TRUE(SameBits(direct, expected))
              << "effect " << tc.effect << " (" << c << "," << r << ") p " << p << ": " << direct
              << " vs " << expected;
        }
      }
    }
  }
}

TEST_F(TransitionTest, EndsAreAllZeroAndAllOne) {
  const int effects[] = {0, 1, 2, 3, 4, 5, 6, 7, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19};
  CTransition t(kWidth, kHeight);
  for (int effect : effects) {
    for (const Centre& centre : kCentres) {
      t.SetEffect(effect, centre.x, centre.y);
      for (float p : {0.0f, 1.0f}) {
        const float* mask = t.ComputeMask(p);
        size_t wrong = 0;
        for (size_t i = 0; i < kPoints; ++i) wrong += mask[i] != p;
        EXPECT_EQ(wrong, 0u) << "effect " << effect << " p " << p;
      }
    }
  }
}

TEST_F(TransitionTest, WeightsStayInRangeAndNeverDecrease) {
  CTransition t(kWidth, kHeight);
  for (int effect = 0; effect < CTransition::kEffectCount; ++effect) {
    for (const Centre& centre : kCentres) {
      t.SetEffect(effect, centre.x, centre.y);
      std::vector<float> previous(kPoints, 0.0f);
      for (int step = 0; step <= 100; ++step) {
        const float p = step / 100.0f;
        const float* mask = t.ComputeMask(p);
        size_t outside = 0, fell = 0;
        for (size_t i = 0; i < kPoints; ++i) {
          outside += !(mask[i] >= 0.0f && mask[i] <= 1.0f);
          fell += mask[i] < previous[i];
        }
        ASSERT_EQ(outside, 0u) << "effect " << effect << " p " << p;
        ASSERT_EQ(fell, 0u) << "effect " << effect << " p " << p;
        previous.assign(mask, mask + kPoints);
      }
    }
  }
}

// Wipes at p = 0.5: the soft edge of width 0.2 spans 0.4 .. 0.6 of the axis.
TEST_F(TransitionTest, WipesAtHalfProgress) {
  struct Case {
    int effect;
    bool alongX;  // the wipe moves across columns, else down rows
    bool rising;  // small coordinates are revealed first
  };
  const Case cases[] = {{0, true, true}, {1, true, false}, {3, false, true}, {2, false, false}};
  CTransition t(kWidth, kHeight);
  for (const Case& tc : cases) {
    t.SetEffect(tc.effect, 0.5f, 0.5f);
    const float* mask = t.ComputeMask(0.5f);
    for (unsigned r = 0; r < kHeight; ++r) {
      for (unsigned c = 0; c < kWidth; ++c) {
        const double coordinate = tc.alongX ? c / 128.0 : r / 96.0;
        const double revealed = tc.rising ? (0.6 - coordinate) / 0.2 : (coordinate - 0.4) / 0.2;
        const float w = At(mask, c, r);
        if (revealed >= 1.0)
          ASSERT_EQ(w, 1.0f) << "effect " << tc.effect << " (" << c << "," << r << ")";
        else if (revealed <= 0.0)
          ASSERT_EQ(w, 0.0f) << "effect " << tc.effect << " (" << c << "," << r << ")";
        else
          ASSERT_NEAR(w, revealed, 1e-6) << "effect " << tc.effect << " (" << c << "," << r << ")";
      }
    }
    // Row 0 is the top: the top-to-bottom wipe reveals it first.
    if (tc.effect == 3) {
      EXPECT_EQ(At(mask, 0, 0), 1.0f);
      EXPECT_EQ(At(mask, 0, kHeight - 1), 0.0f);
    }
  }
}

TEST_F(TransitionTest, CrossFadeIsProgressEverywhere) {
  CTransition t(kWidth, kHeight);
  t.SetEffect(CTransition::kCrossFadeEffect, 0.2f, 0.9f);
  for (float p : {0.25f, 0.7f, 1e-6f}) {
    const float* mask = t.ComputeMask(p);
    for (size_t i = 0; i < kPoints; ++i) ASSERT_EQ(mask[i], p);
  }
}

// Each case names a point that the effect reveals strictly before another one.
TEST_F(TransitionTest, RevealOrder) {
  struct Case {
    int effect;
    float p;
    unsigned firstColumn, firstRow;  // revealed earlier
    unsigned laterColumn, laterRow;  // revealed later
  };
  const Case cases[] = {
      {0, 0.3f, 0, 48, 127, 48},     // left to right
      {1, 0.3f, 127, 48, 0, 48},     // right to left
      {2, 0.3f, 64, 95, 64, 0},      // bottom to top
      {3, 0.3f, 64, 0, 64, 95},      // top to bottom
      {4, 0.3f, 64, 48, 0, 0},       // circle opens from the centre
      {5, 0.3f, 0, 0, 64, 48},       // circle closes toward it
      {6, 0.3f, 64, 48, 127, 95},    // diamond opens
      {7, 0.3f, 127, 95, 64, 48},    // diamond closes
      {8, 0.2f, 32, 48, 64, 80},     // star point (left) before the valley (below)
      {9, 0.8f, 64, 80, 32, 48},     // valleys first while the star closes
      {10, 0.1f, 58, 5, 70, 5},      // sweep from twelve, anticlockwise: left of top first
      {11, 0.1f, 70, 5, 58, 5},      // clockwise: right of top first
      {12, 0.15f, 70, 30, 58, 30},   // spiral starting right of twelve
      {13, 0.15f, 58, 30, 70, 30},   // spiral starting left of twelve
      {14, 0.15f, 120, 95, 0, 95},   // right strip first
      {14, 0.15f, 120, 95, 120, 0},  // from the bottom up
      {15, 0.15f, 0, 0, 127, 0},     // left strip first
      {15, 0.15f, 0, 0, 0, 95},      // from the top down
      {16, 0.15f, 0, 0, 0, 95},      // top strip first
      {16, 0.15f, 0, 0, 127, 0},     // from left to right
      {17, 0.15f, 127, 95, 127, 0},  // bottom strip first
      {17, 0.15f, 127, 95, 0, 95},   // from right to left
  };
  CTransition t(kWidth, kHeight);
  for (const Case& tc : cases) {
    t.SetEffect(tc.effect, 0.5f, 0.5f);
    const float* mask = t.ComputeMask(tc.p);
    EXPECT_GT(At(mask, tc.firstColumn, tc.firstRow), At(mask, tc.laterColumn, tc.laterRow))
        << "effect " << tc.effect;
  }
}

// Away from the middle the star's far points pass f = 1: the next image leaks in at
// p = 0 while the star closes, and the opening star never quite completes.
TEST_F(TransitionTest, StarCentreNearACorner) {
  struct Case {
    Centre centre;
    bool reachesPastOne;
  };
  const Case cases[] = {
      {{0.02f, 0.03f}, true}, {{0.98f, 0.97f}, true}, {{0.0f, 1.0f}, true}, {{0.5f, 0.5f}, false}};
  CTransition t(kWidth, kHeight);
  for (const Case& tc : cases) {
    t.SetEffect(9, tc.centre.x, tc.centre.y);
    const float* closing = t.ComputeMask(0.0f);
    size_t shown = 0;
    for (size_t i = 0; i < kPoints; ++i) shown += closing[i] > 0.0f;
    EXPECT_EQ(shown > 0, tc.reachesPastOne) << tc.centre.x << "," << tc.centre.y;

    t.SetEffect(8, tc.centre.x, tc.centre.y);
    const float* opening = t.ComputeMask(1.0f);
    size_t unfinished = 0;
    for (size_t i = 0; i < kPoints; ++i) unfinished += opening[i] < 1.0f;
    EXPECT_EQ(unfinished > 0, tc.reachesPastOne) << tc.centre.x << "," << tc.centre.y;
  }
}

TEST_F(TransitionTest, BlockTableRebuildTakesFourDrawsPerSwap) {
  CTransition t(kWidth, kHeight);
  t.SetEffect(kBlockEffect, 0.5f, 0.5f);
  // First swap: T[1][2] with T[3][4] (draws i1, j1, i2, j2); the rest swap T[0][0] with
  // itself.
  CScriptedRandom draws({1, 2, 3, 4, 0});
  t.ComputeMask(0.5f);
  EXPECT_EQ(draws.Count(), 384u);

  const auto& table = t.GetBlockThresholds();
  for (int i = 0; i < CTransition::kBlockColumns; ++i) {
    for (int j = 0; j < CTransition::kBlockRows; ++j) {
      int rank = 8 * j + i;
      if (i == 1 && j == 2) rank = 8 * 4 + 3;
      if (i == 3 && j == 4) rank = 8 * 2 + 1;
      EXPECT_EQ(table[i][j], rank / 47.0f) << i << "," << j;
    }
  }

  // The table lasts for the cycle: later frames draw nothing.
  t.ComputeMask(0.7f);
  EXPECT_EQ(draws.Count(), 384u);
}

TEST_F(TransitionTest, BlockTableIsRebuiltOnlyForTheBlockEffect) {
  CTransition t(kWidth, kHeight);
  t.SetEffect(4, 0.5f, 0.5f);
  CScriptedRandom draws({3});
  t.ComputeMask(0.5f);
  EXPECT_EQ(draws.Count(), 0u);
  t.SetEffect(kBlockEffect, 0.5f, 0.5f);
  t.ComputeMask(0.0f);
  EXPECT_EQ(draws.Count(), 384u);
}

TEST_F(TransitionTest, BlocksHaveDistinctThresholdsAndFillTheScreen) {
  SeedRandom(99);
  CTransition t(kWidth, kHeight);
  for (int cycle = 0; cycle < 5; ++cycle) {
    t.SetEffect(kBlockEffect, 0.5f, 0.5f);
    t.ComputeMask(0.0f);
    const auto& table = t.GetBlockThresholds();
    std::set<float> thresholds;
    for (const auto& column : table) thresholds.insert(std::begin(column), std::end(column));
    EXPECT_EQ(thresholds.size(), 48u);
    EXPECT_EQ(*thresholds.begin(), 0.0f);
    EXPECT_EQ(*thresholds.rbegin(), 1.0f);

    // Every 16 x 16 block shares one weight, the one its threshold gives.
    const float* mask = t.ComputeMask(0.5f);
    for (unsigned r = 0; r < kHeight; ++r) {
      for (unsigned c = 0; c < kWidth; ++c) {
        const double threshold = table[c / 16][r / 16];
        const double expected = std::min(1.0, std::max(0.0, ((1.0 + 0.2) * 0.5 - threshold) / 0.2));
        ASSERT_NEAR(At(mask, c, r), expected, 1e-6) << c << "," << r;
        ASSERT_EQ(At(mask, c, r), At(mask, c / 16 * 16, r / 16 * 16));
      }
    }

    mask = t.ComputeMask(1.0f);
    for (size_t i = 0; i < kPoints; ++i) ASSERT_EQ(mask[i], 1.0f);
  }
}

// The effect choice avoids the previous effect for up to eleven draws.
TEST_F(TransitionTest, ChooseEffectAvoidsTheLastEffect) {
  struct Case {
    int previous;
    std::vector<int> effectDraws;  // draws taken for the effect
    int expected;
  };
  const std::vector<int> elevenZeros(11, 0);
  std::vector<int> tenZerosThenOne(10, 0);
  tenZerosThenOne.push_back(1);
  const Case cases[] = {
      {0, {5}, 5},
      {5, {5, 5, 6}, 19},   // two repeats, then slot 6 holds 19
      {19, {6, 15, 3}, 3},  // both slots of 19 count as the same effect
      {3, {25}, 4},         // draws are taken modulo 21
      {2, {32767}, 6},      // 32767 mod 21 = 7
      {17, {20}, 18},
      {0, elevenZeros, 0},      // eleven repeats: the repeat stands
      {0, tenZerosThenOne, 1},  // the eleventh draw may still differ
  };
  for (const Case& tc : cases) {
    CTransition t(kWidth, kHeight);
    t.SetEffect(tc.previous, 0.5f, 0.5f);
    std::vector<int> script = tc.effectDraws;
    script.push_back(32767);  // centre x
    script.push_back(0);      // centre y
    CScriptedRandom draws(script);
    t.ChooseEffect();
    EXPECT_EQ(t.GetEffect(), tc.expected) << "previous " << tc.previous;
    EXPECT_EQ(draws.Count(), tc.effectDraws.size() + 2) << "previous " << tc.previous;
    EXPECT_EQ(t.GetCentreX(), 1.0f);
    EXPECT_EQ(t.GetCentreY(), 0.0f);
  }
}

TEST_F(TransitionTest, ChooseEffectNeverRepeatsWithTheRuntimeGenerator) {
  SeedRandom(7);
  CTransition t(kWidth, kHeight);
  std::vector<int> seen(CTransition::kEffectCount, 0);
  for (int cycle = 0; cycle < 2000; ++cycle) {
    const int previous = t.GetEffect();
    t.ChooseEffect();
    ASSERT_NE(t.GetEffect(), previous);
    ASSERT_GE(t.GetEffect(), 0);
    ASSERT_LT(t.GetEffect(), CTransition::kEffectCount);
    ++seen[t.GetEffect()];
  }
  for (int effect = 0; effect < CTransition::kEffectCount; ++effect)
    EXPECT_GT(seen[effect], 0) << "effect " << effect;
  // The cross-fade holds two of the 21 slots.
  EXPECT_GT(seen[CTransition::kCrossFadeEffect], seen[0]);
}

TEST_F(TransitionTest, ConstructorChoosesTheFirstEffect) {
  CScriptedRandom draws({4, 16383, 32767});
  CTransition t(kWidth, kHeight);
  EXPECT_EQ(draws.Count(), 3u);
  EXPECT_EQ(t.GetEffect(), 4);
  EXPECT_FLOAT_EQ(t.GetCentreX(), 16383.0f / 32767.0f);
  EXPECT_EQ(t.GetCentreY(), 1.0f);
}

TEST_F(TransitionTest, RandomRangeReachesBothEnds) {
  struct Case {
    int draw;
    float lo, hi, expected;
  };
  const Case cases[] = {
      {0, 0.0f, 1.0f, 0.0f},      {32767, 0.0f, 1.0f, 1.0f}, {0, -3.0f, 7.0f, -3.0f},
      {32767, -3.0f, 7.0f, 7.0f}, {32767, 2.0f, 2.0f, 2.0f}, {32767, 1.0f, 0.0f, 0.0f},
  };
  for (const Case& tc : cases) {
    CScriptedRandom draws({tc.draw});
    EXPECT_EQ(CTransition::RandomRange(tc.lo, tc.hi), tc.expected) << tc.draw;
    EXPECT_EQ(draws.Count(), 1u);
  }
  CScriptedRandom middle({16384});
  EXPECT_FLOAT_EQ(CTransition::RandomRange(0.0f, 1.0f), 16384.0f / 32767.0f);
}

TEST_F(TransitionTest, SetEffectRejectsUnknownEffectsAndCentres) {
  struct Case {
    int effect;
    float centreX, centreY;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const Case cases[] = {{-1, 0.1f, 0.1f}, {20, 0.1f, 0.1f}, {1000, 0.1f, 0.1f},
                        {8, nan, 0.5f},   {9, 0.5f, inf},   {8, -inf, 0.5f}};
  CTransition t(kWidth, kHeight);
  ASSERT_TRUE(t.SetEffect(6, 0.25f, 0.75f));
  for (const Case& tc : cases) {
    EXPECT_FALSE(t.SetEffect(tc.effect, tc.centreX, tc.centreY)) << tc.effect;
    EXPECT_EQ(t.GetEffect(), 6);
    EXPECT_EQ(t.GetCentreX(), 0.25f);
    EXPECT_EQ(t.GetCentreY(), 0.75f);
  }
}

// Progress outside 0..1 (or NaN) is treated as the nearest end, never spread into the mask.
TEST_F(TransitionTest, ProgressOutsideTheRangeIsClamped) {
  struct Case {
    float p, equivalent;
  };
  const Case cases[] = {{-0.5f, 0.0f},
                        {2.0f, 1.0f},
                        {std::numeric_limits<float>::infinity(), 1.0f},
                        {-std::numeric_limits<float>::infinity(), 0.0f},
                        {std::numeric_limits<float>::quiet_NaN(), 0.0f}};
  CTransition t(kWidth, kHeight);
  for (int effect : {0, 9, 13, 19}) {
    t.SetEffect(effect, 0.1f, 0.2f);
    for (const Case& tc : cases) {
      const float* mask = t.ComputeMask(tc.p);
      const std::vector<float> got(mask, mask + kPoints);
      mask = t.ComputeMask(tc.equivalent);
      EXPECT_EQ(got, std::vector<float>(mask, mask + kPoints))
          << "effect " << effect << " p " << tc.p;
    }
  }
}

}  // namespace
