// The generator behind the random seam: the C runtime's on Windows, the same formula
// elsewhere, so that native runs draw what the product draws.
#pragma once

void PlatformSeedRandom(unsigned int seed);
int PlatformRand();

// One step of the Windows runtime's rand(): state * 214013 + 2531011, bits 16..30.
inline int StepRuntimeRand(unsigned int& state) {
  state = state * 214013u + 2531011u;
  return static_cast<int>((state >> 16) & 0x7fff);
}
