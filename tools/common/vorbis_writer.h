// Ogg Vorbis encoding with libvorbisenc, for the tools that make music tracks on the
// build machine (quillpack, the demo generator) and for the tests' tones.
#pragma once

#include <string>
#include <vector>

// Quality of the tracks quillpack encodes: libvorbis's scale from -0.1 to 1 (0.5 is
// what oggenc calls quality 5, about 160 kbit/s for stereo at 44.1 kHz).
constexpr float kMusicEncodeQuality = 0.5f;

// Encodes interleaved samples (each -1..1, `channels` per frame) as one Ogg Vorbis
// stream. False, with the reason, when libvorbisenc refuses the format.
bool EncodeOggVorbis(const std::vector<float>& samples, int channels, int sampleRate, float quality,
                     std::string* ogg, std::string* error);
