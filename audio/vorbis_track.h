// One Ogg Vorbis track held in memory, decoded a piece at a time into 16-bit stereo.
#pragma once

#include <cstdint>
#include <vector>

struct stb_vorbis;

// Tracks of a higher sample rate are refused: the mixer passes that many source frames
// per second, so a header claiming billions would make it read and decode the whole
// track again for nearly every frame it puts out.
constexpr int kMaxMusicSampleRate = 384000;

class CVorbisTrack {
 public:
  CVorbisTrack() = default;
  ~CVorbisTrack();
  CVorbisTrack(const CVorbisTrack&) = delete;
  CVorbisTrack& operator=(const CVorbisTrack&) = delete;

  // Starts decoding `size` bytes at `bytes`, which must stay valid while the track is
  // open. False for anything that is not a Vorbis stream whose headers fit the
  // decoder's fixed memory (a hostile header cannot make it allocate more), and for a
  // sample rate above kMaxMusicSampleRate.
  bool Open(const unsigned char* bytes, int size);
  void Close();
  bool IsOpen() const { return m_decoder != nullptr; }

  int GetChannels() const { return m_channels; }
  int GetSampleRate() const { return m_sampleRate; }
  // Frames the stream claims from its last page; 0 when that cannot be read.
  uint32_t GetLengthFrames();

  // Decodes up to `frames` frames into `out` as interleaved stereo (mono goes to both
  // sides, more channels are mixed down). Returns the frames written: 0 at the end of
  // the stream or at damage that ends it.
  int ReadStereo(int16_t* out, int frames);

 private:
  std::vector<char> m_memory;       // the decoder's whole working memory
  stb_vorbis* m_decoder = nullptr;  // null while closed
  int m_channels = 0;
  int m_sampleRate = 0;
};

// Decodes all of a track to find how long it really is; false when it does not open,
// stops early on damage (fewer frames than its last page claims) or is cut short.
struct TrackFacts {
  int channels = 0;
  int sampleRate = 0;
  uint64_t frames = 0;  // frames actually decoded
};
bool DecodeWholeTrack(const unsigned char* bytes, int size, TrackFacts* facts);
