// Writes the Ogg Vorbis seeds of fuzz_vorbis into the folder given: tones encoded by
// the tools' own encoder, in the layouts the decoder must handle.
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/tone_files.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder);
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
  return 0;
}
