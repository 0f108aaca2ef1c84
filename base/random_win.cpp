// The C runtime's generator, whose state is per thread.
#include <cstdlib>

#include "base/random_platform.h"

void PlatformSeedRandom(unsigned int seed) { std::srand(seed); }

int PlatformRand() { return std::rand(); }
