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

CMusicMixer::CMusicMixer(int trackCount, TrackReader reader, int volumePercent)
    : m_trackCount(trackCount), m_reader(std::move(reader)), m_gain(MusicGain(volumePercent)) {
  m_silent = m_trackCount <= 0;
}

bool CMusicMixer::StartNextTrack() {
  m_decoder.Close();
  m_source.clear();
  m_position = 0;
  for (int tried = 0; tried < m_trackCount; ++tried) {
    m_track = (m_track + 1) % m_trackCount;
    m_file = m_reader(m_track);
    if (m_file == nullptr) continue;
    const auto* bytes = reinterpret_cast<const unsigned char*>(m_file->GetData());
    if (!m_decoder.Open(bytes, m_file->GetSize())) continue;
    m_decoderDone = false;
    m_step = static_cast<double>(m_decoder.GetSampleRate()) / kMusicOutputRate;
    if (FillSource()) return true;
    m_decoder.Close();  // opened but yields no frame
  }
  m_track = -1;
  m_file.reset();
  return false;
}

bool CMusicMixer::FillSource() {
  while (!m_decoderDone && (static_cast<size_t>(m_position) + 1) * 2 >= m_source.size()) {
    // Keep only what the read position still needs, then decode more behind it.
    const size_t drop = std::min(static_cast<size_t>(m_position), m_source.size() / 2);
    m_source.erase(m_source.begin(), m_source.begin() + static_cast<std::ptrdiff_t>(drop * 2));
    m_position -= static_cast<double>(drop);
    const size_t at = m_source.size();
    m_source.resize(at + kDecodeChunkFrames * 2);
    const int got = m_decoder.ReadStereo(m_source.data() + at, kDecodeChunkFrames);
    m_source.resize(at + static_cast<size_t>(std::max(got, 0)) * 2);
    if (got <= 0) m_decoderDone = true;
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
