// Cost of one player buffer (100 ms of stereo at 44.1 kHz): decoding, rate conversion
// and volume, for a track at the output rate and one at half of it. The buffer plays
// for 100 ms, so this is the audio thread's share of one core.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/music_mixer.h"
#include "data/file_data.h"
#include "tests/support/tone_files.h"

namespace {
void BM_MusicBuffer(benchmark::State& state) {
  const int rate = static_cast<int>(state.range(0));
  const std::string track = SineOgg(rate * 20, 2, rate);  // 20 s: no restart while measured
  CMusicMixer mixer(
      1,
      [&track](int) -> std::unique_ptr<IFileData> {
        auto file = std::make_unique<CFileData>();
        file->Assign(track.data(), static_cast<int>(track.size()));
        return file;
      },
      50);
  constexpr int kFrames = kMusicOutputRate / 10;
  std::vector<int16_t> pcm(kFrames * kMusicOutputChannels);
  for (auto _ : state) {
    if (mixer.Render(pcm.data(), kFrames) != kFrames) state.SkipWithError("no music");
    benchmark::DoNotOptimize(pcm.data());
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_MusicBuffer)->Arg(44100)->Arg(22050)->Unit(benchmark::kMicrosecond);
}  // namespace

BENCHMARK_MAIN();
