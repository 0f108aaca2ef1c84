// Test helper: sine tones as samples, Ogg Vorbis and WAV files made in code, for the
// music tests and the Ogg fuzz seeds.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/common/vorbis_writer.h"

// Interleaved samples of a sine at `frequency` Hz and peak `amplitude` (0..1), the
// same on every channel.
inline std::vector<float> SineSamples(int frames, int channels, int rate, double frequency,
                                      double amplitude) {
  constexpr double kPi = 3.14159265358979323846;
  std::vector<float> samples(static_cast<size_t>(frames) * channels);
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      samples[static_cast<size_t>(i) * channels + c] =
          static_cast<float>(amplitude * std::sin(2 * kPi * frequency * i / rate));
  return samples;
}

// The tone as an Ogg Vorbis file; empty when the encoder refuses (tests then fail).
inline std::string SineOgg(int frames, int channels, int rate, double frequency = 440,
                           double amplitude = 0.5) {
  std::string ogg;
  std::string error;
  if (!EncodeOggVorbis(SineSamples(frames, channels, rate, frequency, amplitude), channels, rate,
                       kMusicEncodeQuality, &ogg, &error))
    ogg.clear();
  return ogg;
}

// A canonical WAV file: format tag 1 (PCM) or 3 (float), then the samples as given.
inline std::string WavFile(int formatTag, int channels, int rate, int bitsPerSample,
                           const std::string& data) {
  auto le = [](uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i));
    return out;
  };
  const int blockAlign = channels * bitsPerSample / 8;
  std::string fmt = le(formatTag, 2) + le(channels, 2) + le(rate, 4) + le(rate * blockAlign, 4) +
                    le(blockAlign, 2) + le(bitsPerSample, 2);
  std::string body = "WAVE" + std::string("fmt ") + le(16, 4) + fmt + "data" +
                     le(static_cast<uint32_t>(data.size()), 4) + data;
  return "RIFF" + le(static_cast<uint32_t>(body.size()), 4) + body;
}
