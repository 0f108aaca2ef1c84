// The generator behind the random seam: the C runtime's on Windows, the same formula
// elsewhere, so that native runs draw what the product draws.
#pragma once

void PlatformSeedRandom(unsigned int seed);
int PlatformRand();
