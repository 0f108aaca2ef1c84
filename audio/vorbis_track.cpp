// Ogg Vorbis decoding through stb_vorbis, with the decoder's memory fixed in advance.
#include "audio/vorbis_track.h"

#include <cstring>

#define STB_VORBIS_HEADER_ONLY
#define STB_VORBIS_NO_STDIO
#include <stb_vorbis.h>

namespace {
// The decoder's working memory: the setup of an ordinary stereo stream needs a few
// hundred kilobytes; headers asking for more than this are refused, not served.
constexpr int kDecoderMemoryBytes = 4 << 20;

constexpr int kPageHeaderSize = 27;  // up to and including the segment count

// The first `count` packets of the stream of the first page, reassembled from the
// pages' segments; fewer when the bytes end first or stop being pages.
std::vector<std::vector<unsigned char>> FirstPackets(const unsigned char* bytes, int size,
                                                     size_t count) {
  std::vector<std::vector<unsigned char>> packets(1);
  for (int at = 0; at + kPageHeaderSize <= size && std::memcmp(bytes + at, "OggS", 4) == 0;) {
    const int segments = bytes[at + 26];
    if (size - at - kPageHeaderSize < segments) break;
    const unsigned char* lacing = bytes + at + kPageHeaderSize;
    int body = at + kPageHeaderSize + segments;
    const bool sameStream = std::memcmp(bytes + at + 14, bytes + 14, 4) == 0;  // serial number
    for (int i = 0; i < segments; ++i) {
      if (size - body < lacing[i]) return {};
      if (sameStream) {
        packets.back().insert(packets.back().end(), bytes + body, bytes + body + lacing[i]);
        // A segment shorter than 255 bytes ends its packet.
        if (lacing[i] < 255) {
          if (packets.size() == count) return packets;
          packets.emplace_back();
        }
      }
      body += lacing[i];
    }
    at = body;
  }
  packets.pop_back();  // unfinished
  return packets;
}

// Whether every length in the comment header (the stream's second packet) lies inside
// it. The decoder trusts them, and a length of 2^32 - 1 wraps its allocation to zero
// bytes that it then writes past.
bool CommentLengthsFit(const unsigned char* bytes, int size) {
  const std::vector<std::vector<unsigned char>> packets = FirstPackets(bytes, size, 2);
  if (packets.size() < 2) return false;
  const std::vector<unsigned char>& comment = packets[1];
  size_t at = 7;  // packet type 3 and "vorbis"
  auto take = [&](size_t* length) {
    if (comment.size() < at + 4) return false;
    *length = comment[at] | comment[at + 1] << 8 | comment[at + 2] << 16 |
              static_cast<size_t>(comment[at + 3]) << 24;
    at += 4;
    return true;
  };
  size_t length = 0;
  if (!take(&length) || length > comment.size() - at) return false;  // vendor
  at += length;
  size_t entries = 0;
  if (!take(&entries)) return false;
  for (size_t i = 0; i < entries; ++i) {
    if (!take(&length) || length > comment.size() - at) return false;
    at += length;
  }
  return true;
}

// Whether the bytes are whole Ogg pages to the end and the last one closes its stream:
// a file cut short decodes without complaint up to the cut.
bool EndsWithClosingPage(const unsigned char* bytes, int size) {
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
  if (bytes == nullptr || size <= 0 || !CommentLengthsFit(bytes, size)) return false;
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
  if (m_channels <= 0 || m_sampleRate <= 0 || m_sampleRate > kMaxMusicSampleRate) {
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
