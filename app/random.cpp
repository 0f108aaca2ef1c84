// Random draws through the runtime's rand() on Windows, and through a generator with
// the same linear congruential formula elsewhere, so native runs match the product.
#include "app/random.h"

#include <cstdlib>

namespace {
RandomSource g_source = nullptr;
void* g_sourceContext = nullptr;

#ifndef _WIN32
// The Windows runtime's rand(): state * 214013 + 2531011, bits 16..30 returned,
// one state per thread starting at 1.
thread_local unsigned int t_state = 1;
#endif
}  // namespace

void SeedRandom(unsigned int seed) {
#ifdef _WIN32
  std::srand(seed);
#else
  t_state = seed;
#endif
}

int QuillRand() {
  if (g_source != nullptr) return g_source(g_sourceContext);
#ifdef _WIN32
  return std::rand();
#else
  t_state = t_state * 214013u + 2531011u;
  return static_cast<int>((t_state >> 16) & 0x7fff);
#endif
}

void SetRandomSource(RandomSource source, void* context) {
  g_source = source;
  g_sourceContext = context;
}
