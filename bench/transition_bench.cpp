// Cost of the transition mask per frame: ComputeMask (the per-cycle plan applied to a new
// progress) against evaluating the closed formula at every grid point, for each effect.
// Run with --benchmark_repetitions=N to get medians.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "base/random.h"
#include "render/transition.h"

namespace {

constexpr unsigned kWidth = 128;
constexpr unsigned kHeight = 96;
// A centre off the middle, as ChooseEffect would draw it for the star effects.
constexpr float kCentreX = 0.31f;
constexpr float kCentreY = 0.62f;

// Progress values that change every frame, as during a transition.
float FrameProgress(size_t frame) { return static_cast<float>(frame % 997) / 996.0f; }

// One frame's mask through the plan: what the renderer calls each frame.
void BM_ComputeMask(benchmark::State& state) {
  const int effect = static_cast<int>(state.range(0));
  SeedRandom(1);
  CTransition transition(kWidth, kHeight);
  transition.SetEffect(effect, kCentreX, kCentreY);
  transition.ComputeMask(0.0f);  // the cycle's first frame builds the plan
  size_t frame = 0;
  for (auto _ : state) {
    const float* mask = transition.ComputeMask(FrameProgress(frame++));
    benchmark::DoNotOptimize(mask);
    benchmark::ClobberMemory();
  }
  state.SetLabel("effect " + std::to_string(effect));
}

// The same mask evaluated point by point from the closed formula.
void BM_DirectFormula(benchmark::State& state) {
  const int effect = static_cast<int>(state.range(0));
  SeedRandom(1);
  CTransition transition(kWidth, kHeight);
  transition.SetEffect(effect, kCentreX, kCentreY);
  transition.ComputeMask(0.0f);  // fills the block table for the block effect
  const auto& table = transition.GetBlockThresholds();
  std::vector<float> mask(kWidth * kHeight);
  size_t frame = 0;
  for (auto _ : state) {
    const float p = FrameProgress(frame++);
    for (unsigned r = 0; r < kHeight; ++r)
      for (unsigned c = 0; c < kWidth; ++c)
        mask[r * kWidth + c] = CTransition::ComputeWeightDirect(effect, c, r, kWidth, kHeight, p,
                                                                kCentreX, kCentreY, table);
    benchmark::DoNotOptimize(mask.data());
    benchmark::ClobberMemory();
  }
  state.SetLabel("effect " + std::to_string(effect));
}

// First frame of a cycle: the plan is built (and the block table rebuilt) once.
void BM_FirstFrameOfCycle(benchmark::State& state) {
  const int effect = static_cast<int>(state.range(0));
  SeedRandom(1);
  CTransition transition(kWidth, kHeight);
  for (auto _ : state) {
    transition.SetEffect(effect, kCentreX, kCentreY);
    const float* mask = transition.ComputeMask(0.0f);
    benchmark::DoNotOptimize(mask);
    benchmark::ClobberMemory();
  }
  state.SetLabel("effect " + std::to_string(effect));
}

BENCHMARK(BM_ComputeMask)
    ->DenseRange(0, CTransition::kEffectCount - 1)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DirectFormula)
    ->DenseRange(0, CTransition::kEffectCount - 1)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstFrameOfCycle)
    ->DenseRange(0, CTransition::kEffectCount - 1)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
