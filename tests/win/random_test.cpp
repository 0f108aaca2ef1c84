// The runtime's rand() on Windows matches the generator native builds use, so the
// slideshow and the transitions draw the same sequences in tests and in the product.
#include "base/random.h"

#include <gtest/gtest.h>

#include <thread>

TEST(Random, TheWindowsRuntimeDrawsTheSequenceTheNativeBuildsReproduce) {
  SeedRandom(1);
  for (int expected : {41, 18467, 6334, 26500, 19169}) EXPECT_EQ(QuillRand(), expected);
  SeedRandom(12345);
  int largest = 0;
  for (int i = 0; i < 100000; ++i) largest = std::max(largest, QuillRand());
  EXPECT_EQ(largest, kRandomMax);
}

TEST(Random, EachThreadHasItsOwnState) {
  SeedRandom(1);
  EXPECT_EQ(QuillRand(), 41);
  int first = -1;
  std::thread other([&first] { first = QuillRand(); });  // a new thread starts as if seeded 1
  other.join();
  EXPECT_EQ(first, 41);
  EXPECT_EQ(QuillRand(), 18467);
}
