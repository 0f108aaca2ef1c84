// Finding and reading the music tracks of a product's archive.
#include "audio/music_source.h"

#include <cstdint>

#include "data/content_layout.h"

bool CMusicSource::Open(const char* programPath) {
  m_trackCount = 0;
  if (!m_archive.Open(programPath)) return false;
  while (m_trackCount < kMaxMusicTracks &&
         m_archive.Read(MusicFileName(m_trackCount).c_str(), true) != nullptr)
    ++m_trackCount;
  return true;
}

std::unique_ptr<IFileData> CMusicSource::ReadTrack(int number, const std::atomic<bool>* stop) {
  if (number < 0 || number >= m_trackCount) return nullptr;
  const long index = m_archive.FindEntry(MusicFileName(number).c_str());
  if (index < 0) return nullptr;
  // Refused before a byte is read or allocated.
  if (m_archive.GetEntries()[static_cast<size_t>(index)].uncompressedSize >
      static_cast<uint64_t>(kMaxMusicTrackBytes))
    return nullptr;
  return m_archive.ReadEntry(static_cast<size_t>(index), stop);
}
