// The product's music tracks, read from an archive instance of the player's own so
// that its reads never meet the renderer's.
#pragma once

#include <atomic>
#include <memory>

#include "data/content_archive.h"

class CMusicSource {
 public:
  // Opens the archive appended to programPath (UTF-8) and counts the tracks: "music/0.ogg"
  // up to the first absent number, at most kMaxMusicTracks. False when the file
  // carries no archive.
  bool Open(const char* programPath);
  int GetTrackCount() const { return m_trackCount; }
  // Track `number` whole; null when it is absent, unreadable or larger than
  // kMaxMusicTrackBytes (refused before anything is read), and when `stop` turns true
  // while it is read.
  std::unique_ptr<IFileData> ReadTrack(int number, const std::atomic<bool>* stop = nullptr);

 private:
  CContentArchive m_archive;
  int m_trackCount = 0;
};
