// The music of one run as a stream of 16-bit stereo frames at a fixed rate: the
// product's tracks in order, looping, at the user's volume, faded in at the start.
// Portable: the Windows player only asks it for the next buffer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "audio/vorbis_track.h"
#include "data/file_data.h"

// The output format every track is converted to.
constexpr int kMusicOutputRate = 44100;  // frames per second
constexpr int kMusicOutputChannels = 2;
// The music fades in over the first second of a run.
constexpr int kMusicFadeInFrames = kMusicOutputRate;
// A track that decodes to at most this many frames (1 MB of 16-bit stereo, about 6 s
// at 44.1 kHz) is kept decoded after its first play, so that a short track looping
// does not read and inflate its file again every few frames; all tracks kept take at
// most kMaxKeptMusicFrames.
constexpr int kMaxKeptTrackFrames = 1 << 18;
constexpr int kMaxKeptMusicFrames = 1 << 21;
// A track that is not kept and whose file holds more bytes than this per frame it
// plays costs more to read again than it plays: it is given up for the rest of the
// run, like a track that does not decode. Vorbis needs about one byte per frame.
constexpr int kMaxTrackBytesPerFrame = 64;

// Scales `frames` interleaved stereo frames down in a straight line from full level
// at the first to silence after the last: the stop fade, applied to the samples
// themselves so that the device's volume is never touched.
void FadeOutFrames(int16_t* pcm, int frames);

// The factor samples are multiplied with at `percent` volume, clamped to 0..100.
// The curve is cubic, (percent / 100)^3: loudness follows the amplitude roughly by a
// power law, so equal steps of the slider sound like roughly equal steps of loudness
// (50 % is about -18 dB), where a straight line would do most of its work at the top.
float MusicGain(int percent);

class CMusicMixer {
 public:
  // Track `number`'s file, read whole; null when it is absent or unreadable.
  using TrackReader = std::function<std::unique_ptr<IFileData>(int number)>;

  CMusicMixer(int trackCount, TrackReader reader, int volumePercent);

  // Writes `frames` interleaved stereo frames to out. Returns the frames that carry
  // music: fewer only when no track of the product decodes, and then the rest is
  // silence and every later call returns 0.
  int Render(int16_t* out, int frames);

  // Number of the track playing now; -1 before the first and once nothing plays.
  int GetCurrentTrack() const { return m_track; }
  // How many times the reader was asked for a track.
  int GetReadCount() const { return m_reads; }

 private:
  // Makes the next track current, skipping those that do not decode; false when a
  // whole round of the list found nothing to play.
  bool StartNextTrack();
  // Opens track `number` from a fresh read of its file; false when it yields nothing.
  bool OpenTrack(int number);
  // Ensures the source holds the frame at m_position and the one after it, decoding
  // more when needed; false when the track has no frame at m_position.
  bool FillSource();
  // Decodes one chunk behind the source, copied aside while the track may still be
  // kept; false at the track's end.
  bool DecodeChunk();
  // At the end of a track's decoding: keeps it when it is short and there is room.
  void KeepDecodedTrack();
  // A streamed track that has ended: given up when reading it costs more than it plays.
  void JudgeFinishedTrack();

  // What the mixer learned about one track.
  struct TrackMemory {
    bool givenUp = false;         // failed, or too costly to read again: skipped
    std::vector<int16_t> frames;  // the whole track decoded, when kept; else empty
    double step = 1;              // its source frames per output frame
  };

  int m_trackCount;
  TrackReader m_reader;
  float m_gain;                       // from the volume setting
  int m_track = -1;                   // current track number
  bool m_silent = false;              // no track decodes: the rest of the run is silent
  std::unique_ptr<IFileData> m_file;  // the current track's file, read whole
  CVorbisTrack m_decoder;
  bool m_decoderDone = true;          // the current track has given its last frame
  std::vector<int16_t> m_source;      // decoded stereo frames not yet passed
  double m_position = 0;              // read position in m_source, in frames
  double m_step = 1;                  // source frames per output frame
  int64_t m_rendered = 0;             // output frames since the start, for the fade-in
  std::vector<TrackMemory> m_memory;  // one per track
  int64_t m_keptFrames = 0;           // frames held by every kept track together
  bool m_keeping = false;             // the current track is copied to m_keep as decoded
  std::vector<int16_t> m_keep;        // the current track's frames decoded so far
  int64_t m_trackFrames = 0;          // frames decoded from the current file so far
  int m_reads = 0;                    // reader calls
};
