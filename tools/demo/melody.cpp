// A plucked-bell arpeggio: each note a sine with a soft second and third harmonic
// under an exponential decay, notes panned across the stereo field, the chords of
// I-vi-IV-V in C major.
#include "tools/demo/melody.h"

#include <cmath>

namespace {
constexpr double kBeatSeconds = 0.5;  // one note a beat
constexpr int kNotesPerChord = 8;
constexpr double kDecaySeconds = 0.9;  // time for a note to fall to 1/e
constexpr double kLevel = 0.3;         // each note's peak; overlapping notes add up

// Semitones above A4 (440 Hz) of each chord's arpeggio, up and back down.
const int kChords[4][kNotesPerChord] = {
    {-9, -5, -2, 3, 7, 3, -2, -5},       // C major
    {-12, -9, -5, 0, 3, 0, -5, -9},      // A minor
    {-16, -12, -9, -4, 0, -4, -9, -12},  // F major
    {-14, -10, -7, -2, 2, -2, -7, -10},  // G major
};
}  // namespace

std::vector<float> SynthesizeMelody(int rate) {
  const int notes = 4 * kNotesPerChord;
  const auto frames = static_cast<size_t>(notes * kBeatSeconds * rate);
  std::vector<float> samples(frames * 2, 0.0f);
  for (int n = 0; n < notes; ++n) {
    const double frequency =
        440.0 * std::pow(2.0, kChords[n / kNotesPerChord][n % kNotesPerChord] / 12.0);
    const double pan = 0.5 + 0.35 * std::sin(n * 0.9);  // 0 left .. 1 right
    const auto start = static_cast<size_t>(n * kBeatSeconds * rate);
    // A note rings for four beats; past the end it wraps to the start, so the loop
    // carries the last notes' tails into its first bars.
    const auto length = static_cast<size_t>(4 * kBeatSeconds * rate);
    for (size_t i = 0; i < length; ++i) {
      const double t = static_cast<double>(i) / rate;
      const double attack = std::fmin(1.0, t / 0.005);  // 5 ms, no click
      const double phase = 2 * M_PI * frequency * t;
      const double value =
          kLevel * attack * std::exp(-t / kDecaySeconds) *
          (std::sin(phase) + 0.3 * std::sin(2 * phase) + 0.1 * std::sin(3 * phase));
      const size_t at = (start + i) % frames;
      samples[at * 2] += static_cast<float>(value * (1 - pan));
      samples[at * 2 + 1] += static_cast<float>(value * pan);
    }
  }
  return samples;
}
