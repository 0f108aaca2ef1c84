// The music of a product for quillpack: turning the maker's files into the engine's
// Ogg Vorbis tracks, and describing the tracks of a content folder or product.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "audio/vorbis_track.h"

// The formats "new --music" takes, as its messages name them.
constexpr char kAcceptedMusicFormats[] =
    "Ogg Vorbis (.ogg) or WAV (PCM of 8, 16 or 24 bits, or float)";

// What became of one music file.
struct ConvertedMusic {
  std::string ogg;       // the track as the engine reads it
  bool encoded = false;  // true: made from a WAV file; false: the Ogg file's own bytes
  TrackFacts facts;      // as decoded
};

// An Ogg Vorbis file is decoded once as a check and kept byte for byte; a WAV file is
// encoded at kMusicEncodeQuality. False with the reason for anything else.
bool ConvertMusic(const std::string& bytes, ConvertedMusic* music, std::string* error);

// One track of a folder or product as the engine finds it.
struct MusicTrackReport {
  std::string name;       // "music/0.ogg"
  bool decodes = false;   // decodes whole, to its last page
  bool tooLarge = false;  // over kMaxMusicTrackBytes: the engine never reads it
  TrackFacts facts;
};

// Reads the entry `name` whole; false when there is none.
using EntryReader = std::function<bool(const std::string& name, std::string* bytes)>;

// The tracks the engine would play: music/0.ogg upwards to the first absent number.
std::vector<MusicTrackReport> DescribeMusic(const EntryReader& read);

// One line per track on `out` ("music/0.ogg: 2:05, 2 channels, 44100 Hz") after a
// count; a warning on `err` naming each track the engine cannot play.
void PrintMusic(const std::vector<MusicTrackReport>& tracks, std::ostream& out, std::ostream& err);
