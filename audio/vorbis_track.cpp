// Ogg Vorbis decoding through stb_vorbis, with the decoder's memory fixed in advance.
#include "audio/vorbis_track.h"

#define STB_VORBIS_HEADER_ONLY
#define STB_VORBIS_NO_STDIO
#include <stb_vorbis.h>

namespace {
// The decoder's working memory: the setup of an ordinary stereo stream needs a few
// hundred kilobytes; headers asking for more than this are refused, not served.
constexpr int kDecoderMemoryBytes = 4 << 20;

// Whether the bytes are whole Ogg pages to the end and the last one closes its stream:
// a file cut short decodes without complaint up to the cut.
bool EndsWithClosingPage(const unsigned char* bytes, int size) {
  constexpr int kPageHeaderSize = 27;  // up to and including the segment count
  constexpr unsigned char kEndOfStream = 0x04;
  int at = 0;
  unsigned char flags = 0;
  while (at < size) {
    if (size - at < kPageHeaderSize || bytes[at] != 'O' || bytes[at + 1] != 'g' ||
        bytes[at + 2] != 'g' || bytes[at + 3] != 'S')
      return false;
    flags = bytes[at + 5];
    const int segments = bytes[at + 26];
    if (size - at - kPageHeaderSize < segments) return false;
    int body = 0;
    for (int i = 0; i < segments; ++i) body += bytes[at + kPageHeaderSize + i];
    const int page = kPageHeaderSize + segments + body;
    if (size - at < page) return false;
    at += page;
  }
  return (flags & kEndOfStream) != 0;
}
}  // namespace

CVorbisTrack::~CVorbisTrack() { Close(); }

bool CVorbisTrack::Open(const unsigned char* bytes, int size) {
  Close();
  if (bytes == nullptr || size <= 0) return false;
  m_memory.resize(kDecoderMemoryBytes);
  stb_vorbis_alloc alloc{m_memory.data(), kDecoderMemoryBytes};
  int error = 0;
  m_decoder = stb_vorbis_open_memory(bytes, size, &error, &alloc);
  if (m_decoder == nullptr) {
    m_memory.clear();
    m_memory.shrink_to_fit();
    return false;
  }
  const stb_vorbis_info info = stb_vorbis_get_info(m_decoder);
  m_channels = info.channels;
  m_sampleRate = static_cast<int>(info.sample_rate);
  if (m_channels <= 0 || m_sampleRate <= 0) {
    Close();
    return false;
  }
  return true;
}

void CVorbisTrack::Close() {
  if (m_decoder != nullptr) stb_vorbis_close(m_decoder);
  m_decoder = nullptr;
  m_channels = 0;
  m_sampleRate = 0;
  m_memory.clear();
  m_memory.shrink_to_fit();
}

uint32_t CVorbisTrack::GetLengthFrames() {
  if (m_decoder == nullptr) return 0;
  // Reads the last page and puts the read position back where it was.
  return stb_vorbis_stream_length_in_samples(m_decoder);
}

int CVorbisTrack::ReadStereo(int16_t* out, int frames) {
  if (m_decoder == nullptr || frames <= 0) return 0;
  return stb_vorbis_get_samples_short_interleaved(m_decoder, 2, out, frames * 2);
}

bool DecodeWholeTrack(const unsigned char* bytes, int size, TrackFacts* facts) {
  CVorbisTrack track;
  if (!track.Open(bytes, size)) return false;
  facts->channels = track.GetChannels();
  facts->sampleRate = track.GetSampleRate();
  const uint32_t claimed = track.GetLengthFrames();
  int16_t buffer[4096 * 2];
  uint64_t frames = 0;
  for (int got; (got = track.ReadStereo(buffer, 4096)) > 0;) frames += static_cast<uint64_t>(got);
  facts->frames = frames;
  return frames > 0 && frames >= claimed && EndsWithClosingPage(bytes, size);
}
