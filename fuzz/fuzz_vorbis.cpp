// Fuzz target for music tracks: any bytes must decode cleanly or be refused, both
// whole (as quillpack checks a track) and through the mixer that the player feeds
// from, a few buffers' worth.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "audio/music_mixer.h"
#include "audio/vorbis_track.h"
#include "data/file_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > static_cast<size_t>(INT_MAX)) return 0;
  TrackFacts facts;
  if (DecodeWholeTrack(data, static_cast<int>(size), &facts) &&
      (facts.channels <= 0 || facts.sampleRate <= 0 || facts.frames == 0))
    __builtin_trap();  // a track that decodes has a format and samples

  CMusicMixer mixer(
      1,
      [data, size](int) -> std::unique_ptr<IFileData> {
        auto file = std::make_unique<CFileData>();
        if (!file->Assign(data, static_cast<int>(size))) return nullptr;
        return file;
      },
      100);
  constexpr int kFrames = 4410;  // one buffer of the player
  std::vector<int16_t> pcm(kFrames * kMusicOutputChannels);
  for (int buffer = 0; buffer < 3; ++buffer) {
    const int frames = mixer.Render(pcm.data(), kFrames);
    if (frames != 0 && frames != kFrames) __builtin_trap();  // all music or all silence
  }
  return 0;
}
