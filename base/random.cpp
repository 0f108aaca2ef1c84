// The seam in front of the platform's generator: a scripted source, when a test
// installed one, answers instead.
#include "base/random.h"

#include "base/random_platform.h"

namespace {
RandomSource g_source = nullptr;
void* g_sourceContext = nullptr;
thread_local RandomState* t_state = nullptr;  // the innermost scope's generator
thread_local unsigned int t_seed = 1;         // as the runtime starts
}  // namespace

void SeedRandom(unsigned int seed) {
  t_seed = seed;
  PlatformSeedRandom(seed);
}

unsigned int GetThreadSeed() { return t_seed; }

int DrawFrom(RandomState& state) { return StepRuntimeRand(state.state); }

int QuillRand() {
  if (g_source != nullptr) return g_source(g_sourceContext);
  if (t_state != nullptr) return StepRuntimeRand(t_state->state);
  return PlatformRand();
}

void SetRandomSource(RandomSource source, void* context) {
  g_source = source;
  g_sourceContext = context;
}

CRandomScope::CRandomScope(RandomState* state) : m_previous(t_state) {
  if (state != nullptr) t_state = state;
}

CRandomScope::~CRandomScope() { t_state = m_previous; }
