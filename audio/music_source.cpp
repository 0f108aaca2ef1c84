// Finding and reading the music tracks of a product's archive.
#include "audio/music_source.h"

#include <string>

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
  const std::string key = ArchiveLookupKey(MusicFileName(number));
  const std::vector<ArchiveEntryInfo>& entries = m_archive.GetEntries();
  for (size_t i = 0; i < entries.size(); ++i) {
    if (ArchiveLookupKey(entries[i].name) != key) continue;
    if (entries[i].uncompressedSize > static_cast<uint64_t>(kMaxMusicTrackBytes)) return nullptr;
    return m_archive.ReadEntry(i, stop);
  }
  return nullptr;
}
