// Test helper: the sound a product plays under Wine, captured through ALSA's file
// plugin. The .asoundrc goes into the Linux HOME that the test registration sets and
// that the programs a test starts inherit (a Windows program cannot change it).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/product_builder.h"

class CMusicCapture {
 public:
  // Sends Wine's sound into a WAV file in QUILL_AUDIO_HOME; false when it is not set.
  bool Prepare() {
    const char* home = std::getenv("QUILL_AUDIO_HOME");
    if (home == nullptr) return false;
    m_homeWindows = std::string("Z:") + home;  // Wine's Z: drive is the root
    for (char& c : m_homeWindows)
      if (c == '/') c = '\\';
    const std::string capture = std::string(home) + "/music.wav";
    WriteWholeFile(m_homeWindows + "\\.asoundrc",
                   "pcm.!default { type file; slave.pcm \"null\"; "
                   "file \"" +
                       capture + "\"; format \"wav\" }\n");
    return true;
  }
  // Forgets what the last run played.
  void Clear() const { std::remove((m_homeWindows + "\\music.wav").c_str()); }
  // The samples of the last run (16-bit stereo after a 44-byte header); empty when
  // nothing was played.
  std::vector<int16_t> Samples() const {
    const std::string bytes = ReadFileBytes(m_homeWindows + "\\music.wav");
    std::vector<int16_t> samples(bytes.size() > 44 ? (bytes.size() - 44) / 2 : 0);
    if (!samples.empty()) std::memcpy(samples.data(), bytes.data() + 44, samples.size() * 2);
    return samples;
  }

 private:
  std::string m_homeWindows;
};
