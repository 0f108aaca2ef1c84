// The Windows runtime's rand() formula for native builds: state * 214013 + 2531011,
// bits 16..30 returned, one state per thread starting at 1.
#include "base/random_platform.h"

namespace {
thread_local unsigned int t_state = 1;
}  // namespace

void PlatformSeedRandom(unsigned int seed) { t_state = seed; }

int PlatformRand() {
  t_state = t_state * 214013u + 2531011u;
  return static_cast<int>((t_state >> 16) & 0x7fff);
}
