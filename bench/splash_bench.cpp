// Cost of one splash step (mask and blend of the whole target) at the host's preview
// size and at the settings dialog's picture size, for each of the seven effects. The
// thread pauses 20 ms after every step, so a step should stay far below that.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "ui/splash_mask.h"

namespace {
// Mask and blend as the animator runs them, at a progress that changes every step.
void BM_SplashStep(benchmark::State& state) {
  const int effect = static_cast<int>(state.range(0));
  const int width = static_cast<int>(state.range(1));
  const int height = static_cast<int>(state.range(2));
  const size_t pixels = static_cast<size_t>(width) * height;
  std::vector<uint32_t> current(pixels, 0x00336699), next(pixels, 0x00CC9966), out(pixels);
  std::vector<float> mask(pixels);
  int step = 0;
  for (auto _ : state) {
    const float progress = static_cast<float>(step++ % 100) / 99.0f;
    FillSplashMask(effect, progress, width, height, mask.data());
    BlendSplashPictures(current.data(), next.data(), mask.data(), static_cast<int>(pixels),
                        out.data());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(pixels));
}
// 152 x 112: the system's preview window; 180 x 140: the dialog's picture area at
// the usual dialog font.
BENCHMARK(BM_SplashStep)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5, 6}, {152}, {112}})
    ->ArgsProduct({{0, 4, 6}, {180}, {140}});
}  // namespace

BENCHMARK_MAIN();
