// Reads the WAV files that quillpack encodes as music: PCM of 8, 16, 24 or 32 bits
// and 32- or 64-bit float, plain or in the extensible format.
#pragma once

#include <string>
#include <vector>

struct WavAudio {
  int channels = 0;
  int sampleRate = 0;          // frames per second
  std::vector<float> samples;  // interleaved, -1..1
};

// Whether the bytes start like a WAV file ("RIFF" ... "WAVE").
bool LooksLikeWav(const std::string& bytes);

// Decodes the whole file; false with the reason for anything else or damaged.
bool ReadWav(const std::string& bytes, WavAudio* audio, std::string* error);
