// Writes the seeds of fuzz_vorbis and fuzz_wav into the two folders given: tones
// encoded by the tools' own encoder in the layouts the decoder must handle, and the
// WAV sample formats quillpack reads.
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/tone_files.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const std::filesystem::path folder = argv[1], wavFolder = argv[2];
  std::filesystem::create_directories(folder);
  std::filesystem::create_directories(wavFolder);
  const std::string stereo = SineOgg(4410, 2, 44100, 440);
  const struct {
    const char* name;
    std::string bytes;
  } seeds[] = {
      {"stereo-44100.ogg", stereo},
      {"mono-22050.ogg", SineOgg(2205, 1, 22050, 330)},
      {"six-channels-8000.ogg", SineOgg(800, 6, 8000, 200)},
      {"stereo-cut.ogg", stereo.substr(0, stereo.size() * 2 / 3)},
  };
  for (const auto& seed : seeds) {
    if (seed.bytes.empty()) return 1;
    std::ofstream(folder / seed.name, std::ios::binary) << seed.bytes;
  }
  const struct {
    const char* name;
    int tag, channels, bits;
  } wavs[] = {{"pcm8-mono.wav", 1, 1, 8},
              {"pcm16-stereo.wav", 1, 2, 16},
              {"pcm24-stereo.wav", 1, 2, 24},
              {"float32-mono.wav", 3, 1, 32}};
  for (const auto& wav : wavs) {
    const std::string data(static_cast<size_t>(wav.channels * wav.bits / 8 * 16), '\x40');
    std::ofstream(wavFolder / wav.name, std::ios::binary)
        << WavFile(wav.tag, wav.channels, 8000, wav.bits, data);
  }
  return 0;
}
