// Track sequencing, rate conversion, volume and fade-in of the run's music.
#include "audio/music_mixer.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {
// Frames decoded at a time: small enough to keep the work per buffer even.
constexpr int kDecodeChunkFrames = 2048;
}  // namespace

float MusicGain(int percent) {
  const float level = static_cast<float>(std::clamp(percent, 0, 100)) / 100.0f;
  return level * level * level;
}

void FadeOutFrames(int16_t* pcm, int frames) {
  for (int i = 0; i < frames; ++i) {
    const float level = static_cast<float>(frames - i) / static_cast<float>(frames);
    for (int c = 0; c < kMusicOutputChannels; ++c)
      pcm[i * 2 + c] = static_cast<int16_t>(std::lround(pcm[i * 2 + c] * level));
  }
}

CMusicMixer::CMusicMixer(int trackCount, TrackReader reader, int volumePercent)
    : m_trackCount(trackCount), m_reader(std::move(reader)), m_gain(MusicGain(volumePercent)) {
  m_silent = m_trackCount <= 0;
  m_memory.resize(static_cast<size_t>(std::max(m_trackCount, 0)));
}

bool CMusicMixer::StartNextTrack() {
  JudgeFinishedTrack();
  m_decoder.Close();
  m_file.reset();
  m_keep.clear();
  m_source.clear();
  m_position = 0;
  for (int tried = 0; tried < m_trackCount; ++tried) {
    m_track = (m_track + 1) % m_trackCount;
    TrackMemory& memory = m_memory[static_cast<size_t>(m_track)];
    if (memory.givenUp) continue;
    if (!memory.frames.empty()) {
      m_source = memory.frames;
      m_step = memory.step;
      m_decoderDone = true;
      return true;
    }
    if (OpenTrack(m_track)) return true;
    // The same bytes fail the same way every time: not read again this run.
    memory.givenUp = true;
  }
  m_track = -1;
  return false;
}

bool CMusicMixer::OpenTrack(int number) {
  ++m_reads;
  m_file = m_reader(number);
  if (m_file == nullptr) return false;
  const auto* bytes = reinterpret_cast<const unsigned char*>(m_file->GetData());
  if (m_decoder.Open(bytes, m_file->GetSize())) {
    m_decoderDone = false;
    m_trackFrames = 0;
    m_keeping = true;
    m_step = static_cast<double>(m_decoder.GetSampleRate()) / kMusicOutputRate;
    if (FillSource()) return true;
  }
  m_decoder.Close();  // opened but yields no frame
  m_file.reset();
  return false;
}

void CMusicMixer::JudgeFinishedTrack() {
  if (m_track < 0 || m_file == nullptr) return;
  const TrackMemory& memory = m_memory[static_cast<size_t>(m_track)];
  if (memory.frames.empty() &&
      static_cast<int64_t>(m_file->GetSize()) > m_trackFrames * kMaxTrackBytesPerFrame)
    m_memory[static_cast<size_t>(m_track)].givenUp = true;
}

bool CMusicMixer::DecodeChunk() {
  const size_t at = m_source.size();
  m_source.resize(at + kDecodeChunkFrames * 2);
  const int got = m_decoder.ReadStereo(m_source.data() + at, kDecodeChunkFrames);
  m_source.resize(at + static_cast<size_t>(std::max(got, 0)) * 2);
  if (got <= 0) {
    m_decoderDone = true;
    KeepDecodedTrack();
    return false;
  }
  m_trackFrames += got;
  // A copy of the track as it passes, while it may still turn out short.
  m_keeping = m_keeping && m_trackFrames <= kMaxKeptTrackFrames;
  if (m_keeping)
    m_keep.insert(m_keep.end(), m_source.begin() + static_cast<std::ptrdiff_t>(at), m_source.end());
  else
    std::vector<int16_t>().swap(m_keep);
  return true;
}

void CMusicMixer::KeepDecodedTrack() {
  if (m_keeping && !m_keep.empty() && m_keptFrames + m_trackFrames <= kMaxKeptMusicFrames) {
    TrackMemory& memory = m_memory[static_cast<size_t>(m_track)];
    memory.frames = std::move(m_keep);
    memory.step = m_step;
    m_keptFrames += m_trackFrames;
  }
  m_keeping = false;
  std::vector<int16_t>().swap(m_keep);
}

bool CMusicMixer::FillSource() {
  while (!m_decoderDone && (static_cast<size_t>(m_position) + 1) * 2 >= m_source.size()) {
    // Keep only what the read position still needs, then decode more behind it.
    const size_t drop = std::min(static_cast<size_t>(m_position), m_source.size() / 2);
    m_source.erase(m_source.begin(), m_source.begin() + static_cast<std::ptrdiff_t>(drop * 2));
    m_position -= static_cast<double>(drop);
    DecodeChunk();
  }
  return static_cast<size_t>(m_position) * 2 < m_source.size();
}

int CMusicMixer::Render(int16_t* out, int frames) {
  int done = 0;
  while (done < frames && !m_silent) {
    if (m_track < 0 || !FillSource()) {
      if (!StartNextTrack()) {
        m_silent = true;
        break;
      }
    }
    // Linear interpolation between the two source frames around the position; at the
    // track's own rate the position stays whole and frames pass unchanged.
    const size_t index = static_cast<size_t>(m_position);
    const double fraction = m_position - static_cast<double>(index);
    const bool hasNext = (index + 1) * 2 < m_source.size();
    const float fade = m_rendered >= kMusicFadeInFrames
                           ? 1.0f
                           : static_cast<float>(m_rendered) / kMusicFadeInFrames;
    for (int c = 0; c < kMusicOutputChannels; ++c) {
      const double a = m_source[index * 2 + c];
      const double b = hasNext ? m_source[(index + 1) * 2 + c] : a;
      const double value = (a + (b - a) * fraction) * m_gain * fade;
      out[done * 2 + c] = static_cast<int16_t>(std::clamp(std::lround(value), -32768L, 32767L));
    }
    m_position += m_step;
    ++m_rendered;
    ++done;
  }
  std::fill(out + done * 2, out + frames * 2, int16_t{0});
  return done;
}
