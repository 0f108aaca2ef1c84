// Music conversion and description for quillpack, on the engine's own decoder.
#include "tools/quillpack/music_tracks.h"

#include <cstdio>

#include "data/content_layout.h"
#include "tools/common/vorbis_writer.h"
#include "tools/quillpack/wav_reader.h"

namespace {
bool Decode(const std::string& bytes, TrackFacts* facts) {
  return bytes.size() <= static_cast<size_t>(kMaxMusicTrackBytes) &&
         DecodeWholeTrack(reinterpret_cast<const unsigned char*>(bytes.data()),
                          static_cast<int>(bytes.size()), facts);
}

std::string TrackLimit() { return std::to_string(kMaxMusicTrackBytes >> 20) + " MiB"; }

std::string RateLimit() { return std::to_string(kMaxMusicSampleRate) + " Hz"; }

std::string Duration(const TrackFacts& facts) {
  const long seconds =
      facts.sampleRate > 0 ? static_cast<long>(facts.frames / facts.sampleRate) : 0;
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld", seconds / 60, seconds % 60);
  return text;
}
}  // namespace

bool ConvertMusic(const std::string& bytes, ConvertedMusic* music, std::string* error) {
  if (bytes.compare(0, 4, "OggS") == 0) {
    if (bytes.size() > static_cast<size_t>(kMaxMusicTrackBytes)) {
      *error = "over " + TrackLimit() + ", more than the engine reads";
      return false;
    }
    if (!Decode(bytes, &music->facts)) {
      *error =
          "does not decode whole as Ogg Vorbis (damaged, cut short, another codec, or a "
          "sample rate above " +
          RateLimit() + ")";
      return false;
    }
    music->ogg = bytes;
    music->encoded = false;
    return true;
  }
  if (!LooksLikeWav(bytes)) {
    *error = std::string("not a music file quillpack takes; it takes ") + kAcceptedMusicFormats;
    return false;
  }
  WavAudio audio;
  if (!ReadWav(bytes, &audio, error)) return false;
  if (audio.sampleRate > kMaxMusicSampleRate) {
    *error = "a sample rate of " + std::to_string(audio.sampleRate) +
             " Hz, above the engine's limit of " + RateLimit();
    return false;
  }
  if (!EncodeOggVorbis(audio.samples, audio.channels, audio.sampleRate, kMusicEncodeQuality,
                       &music->ogg, error))
    return false;
  if (music->ogg.size() > static_cast<size_t>(kMaxMusicTrackBytes)) {
    *error = "the encoded track is over " + TrackLimit() + ", more than the engine reads";
    return false;
  }
  if (!Decode(music->ogg, &music->facts)) {
    *error = "the encoded track does not decode whole";
    return false;
  }
  music->encoded = true;
  return true;
}

std::vector<MusicTrackReport> DescribeMusic(const EntryReader& read) {
  std::vector<MusicTrackReport> tracks;
  std::string bytes;
  for (int number = 0; number < kMaxMusicTracks; ++number) {
    MusicTrackReport track;
    track.name = MusicFileName(number);
    if (!read(track.name, &bytes)) break;
    track.tooLarge = bytes.size() > static_cast<size_t>(kMaxMusicTrackBytes);
    track.decodes = Decode(bytes, &track.facts);
    tracks.push_back(track);
  }
  return tracks;
}

void PrintMusic(const std::vector<MusicTrackReport>& tracks, std::ostream& out, std::ostream& err) {
  if (tracks.empty()) return;
  out << "music: " << tracks.size() << " track(s)\n";
  for (const MusicTrackReport& track : tracks) {
    if (track.tooLarge) {
      err << "warning: " << track.name << ": over " << (kMaxMusicTrackBytes >> 20)
          << " MiB; the engine never reads it and stays silent for it\n";
    } else if (!track.decodes) {
      err << "warning: " << track.name
          << ": does not decode whole as Ogg Vorbis; the engine plays what it can of it or "
             "skips it\n";
    }
    if (track.facts.sampleRate > 0)
      out << track.name << ": " << Duration(track.facts) << ", " << track.facts.channels
          << " channel(s), " << track.facts.sampleRate << " Hz\n";
  }
}
