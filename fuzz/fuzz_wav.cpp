// Fuzz target for the WAV reader of "quillpack new --music": any bytes must give a
// clean refusal or full-scale samples that fit the format it reports.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/quillpack/wav_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  WavAudio audio;
  std::string error;
  if (!ReadWav(std::string(reinterpret_cast<const char*>(data), size), &audio, &error)) {
    if (error.empty()) __builtin_trap();  // every refusal says why
    return 0;
  }
  if (audio.channels <= 0 || audio.sampleRate <= 0 || audio.samples.empty() ||
      audio.samples.size() % static_cast<size_t>(audio.channels) != 0 ||
      audio.samples.size() > size)
    __builtin_trap();
  for (float sample : audio.samples)
    if (!(sample >= -1.0f && sample <= 1.0f)) __builtin_trap();  // what the encoder takes
  return 0;
}
