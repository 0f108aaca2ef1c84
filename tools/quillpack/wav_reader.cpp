// WAV parsing: walks the RIFF chunks with every length checked against the file,
// takes the format and the data chunk, and converts the samples to float.
#include "tools/quillpack/wav_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {
constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;

uint32_t Le(const std::string& bytes, size_t at, int size) {
  uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i)
    value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// One sample at `at` as -1..1.
float Sample(const std::string& bytes, size_t at, bool isFloat, int bits) {
  if (isFloat) {
    if (bits == 32) {
      const uint32_t raw = Le(bytes, at, 4);
      float value;
      std::memcpy(&value, &raw, sizeof value);
      return value;
    }
    const uint64_t raw = Le(bytes, at, 4) | uint64_t{Le(bytes, at + 4, 4)} << 32;
    double value;
    std::memcpy(&value, &raw, sizeof value);
    return static_cast<float>(value);
  }
  if (bits == 8) return (static_cast<unsigned char>(bytes[at]) - 128) / 128.0f;  // unsigned
  const int shift = 32 - bits;  // sign-extend from the top bit of the sample
  const auto value = static_cast<int32_t>(Le(bytes, at, bits / 8) << shift) >> shift;
  return static_cast<float>(static_cast<double>(value) / static_cast<double>(1u << (bits - 1)));
}
}  // namespace

bool LooksLikeWav(const std::string& bytes) {
  return bytes.size() >= 12 && bytes.compare(0, 4, "RIFF") == 0 && bytes.compare(8, 4, "WAVE") == 0;
}

bool ReadWav(const std::string& bytes, WavAudio* audio, std::string* error) {
  if (!LooksLikeWav(bytes)) {
    *error = "not a WAV file";
    return false;
  }
  uint16_t tag = 0;
  int bits = 0;
  int blockAlign = 0;
  size_t dataAt = 0;
  size_t dataSize = 0;
  bool hasFormat = false;
  bool hasData = false;
  for (size_t at = 12; at + 8 <= bytes.size();) {
    const std::string id = bytes.substr(at, 4);
    const size_t size = Le(bytes, at + 4, 4);
    const size_t body = at + 8;
    const size_t available = bytes.size() - body;
    if (id == "fmt " && size >= 16 && size <= available) {
      tag = static_cast<uint16_t>(Le(bytes, body, 2));
      audio->channels = static_cast<int>(Le(bytes, body + 2, 2));
      audio->sampleRate = static_cast<int>(Le(bytes, body + 4, 4));
      blockAlign = static_cast<int>(Le(bytes, body + 12, 2));
      bits = static_cast<int>(Le(bytes, body + 14, 2));
      // The extensible format names the real one in its sub-format's first two bytes.
      if (tag == kFormatExtensible && size >= 40)
        tag = static_cast<uint16_t>(Le(bytes, body + 24, 2));
      hasFormat = true;
    } else if (id == "data") {
      // Writers that stream leave the size unset; the data then runs to the end.
      dataAt = body;
      dataSize = size <= available ? size : available;
      hasData = true;
      break;
    }
    if (size > available) break;
    at = body + size + (size & 1);  // chunks are padded to even lengths
  }
  const bool isFloat = tag == kFormatFloat;
  const bool supported =
      (tag == kFormatPcm && (bits == 8 || bits == 16 || bits == 24 || bits == 32)) ||
      (isFloat && (bits == 32 || bits == 64));
  if (!hasFormat || !hasData) {
    *error = hasFormat ? "WAV file without a data chunk" : "WAV file without a format chunk";
    return false;
  }
  if (!supported) {
    *error = "WAV format " + std::to_string(tag) + " with " + std::to_string(bits) +
             "-bit samples; only PCM of 8, 16, 24 or 32 bits and float of 32 or 64 bits are read";
    return false;
  }
  if (audio->channels <= 0 || audio->sampleRate <= 0 || blockAlign != audio->channels * bits / 8) {
    *error = "WAV format chunk with an impossible layout";
    return false;
  }
  const size_t frames = dataSize / static_cast<size_t>(blockAlign);
  if (frames == 0) {
    *error = "WAV file without samples";
    return false;
  }
  audio->samples.resize(frames * static_cast<size_t>(audio->channels));
  for (size_t i = 0; i < audio->samples.size(); ++i) {
    const float value = Sample(bytes, dataAt + i * static_cast<size_t>(bits / 8), isFloat, bits);
    // Float files may hold anything; the encoder gets full scale at most.
    audio->samples[i] = std::isfinite(value) ? std::clamp(value, -1.0f, 1.0f) : 0.0f;
  }
  return true;
}
