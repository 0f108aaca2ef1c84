// The seam in front of the platform's generator: a scripted source, when a test
// installed one, answers instead.
#include "base/random.h"

#include "base/random_platform.h"

namespace {
RandomSource g_source = nullptr;
void* g_sourceContext = nullptr;
}  // namespace

void SeedRandom(unsigned int seed) { PlatformSeedRandom(seed); }

int QuillRand() {
  if (g_source != nullptr) return g_source(g_sourceContext);
  return PlatformRand();
}

void SetRandomSource(RandomSource source, void* context) {
  g_source = source;
  g_sourceContext = context;
}
