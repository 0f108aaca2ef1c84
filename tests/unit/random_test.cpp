// The native build's random generator.
#include "base/random.h"

#include <gtest/gtest.h>

#include <vector>

TEST(Random, TheNativeGeneratorFollowsTheWindowsRuntimeFormula) {
  // The first draws of the Windows runtime's rand() after srand(1).
  SeedRandom(1);
  const std::vector<int> expected = {41, 18467, 6334, 26500, 19169};
  for (int value : expected) EXPECT_EQ(QuillRand(), value);
  SeedRandom(1);
  EXPECT_EQ(QuillRand(), 41);
}
