// The Windows runtime's rand() formula for native builds: state * 214013 + 2531011,
// bits 16..30 returned, one state per thread starting at 1.
#include "base/random_platform.h"

namespace {
thread_local unsigned int t_state = 1;
}  // namespace

void PlatformSeedRandom(unsigned int seed) { t_state = seed; }

int PlatformRand() { return StepRuntimeRand(t_state); }
