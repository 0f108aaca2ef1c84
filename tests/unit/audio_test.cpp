// The music's portable half: Vorbis decoding, the volume curve, the fade-in, the
// seams between looping tracks and hostile files, on tones encoded here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "audio/music_mixer.h"
#include "audio/vorbis_track.h"
#include "data/file_data.h"
#include "tests/support/tone_files.h"

namespace {

// A reader over tracks held in the test.
CMusicMixer::TrackReader Reader(const std::vector<std::string>& tracks) {
  return [tracks](int number) -> std::unique_ptr<IFileData> {
    auto file = std::make_unique<CFileData>();
    const std::string& bytes = tracks[static_cast<size_t>(number)];
    if (!file->Assign(bytes.data(), static_cast<int>(bytes.size()))) return nullptr;
    return file;
  };
}

// Largest absolute sample of frames [from, to) of interleaved stereo.
int Peak(const std::vector<int16_t>& pcm, int from, int to) {
  int peak = 0;
  for (int i = from * 2; i < to * 2; ++i) peak = std::max(peak, std::abs(int{pcm[i]}));
  return peak;
}

const unsigned char* Bytes(const std::string& s) {
  return reinterpret_cast<const unsigned char*>(s.data());
}

// The frames a file really holds, read from the Ogg pages rather than decoded: the
// granule position (bytes 6 to 13) of the last page that is there whole.
uint64_t FramesOfWholePages(const std::string& ogg) {
  uint64_t frames = 0;
  size_t at = 0;
  while (at + 27 <= ogg.size() && ogg.compare(at, 4, "OggS") == 0) {
    const size_t segments = static_cast<unsigned char>(ogg[at + 26]);
    if (at + 27 + segments > ogg.size()) break;
    size_t page = 27 + segments;
    for (size_t i = 0; i < segments; ++i) page += static_cast<unsigned char>(ogg[at + 27 + i]);
    if (at + page > ogg.size()) break;
    uint64_t granule = 0;
    for (int i = 7; i >= 0; --i)
      granule = granule << 8 | static_cast<unsigned char>(ogg[at + 6 + i]);
    if (granule != ~uint64_t{0}) frames = granule;
    at += page;
  }
  return frames;
}

std::string FuzzFinding(const char* name) {
  std::ifstream file(std::string(QUILL_FUZZ_CORPUS_DIR) + "/vorbis/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

}  // namespace

TEST(MusicDecoding, ATonePassesThroughEncoderAndDecoderAtItsLevelAndLength) {
  const std::string ogg = SineOgg(44100, 2, 44100, 440, 0.5);
  TrackFacts facts;
  ASSERT_TRUE(DecodeWholeTrack(Bytes(ogg), static_cast<int>(ogg.size()), &facts));
  EXPECT_EQ(facts.channels, 2);
  EXPECT_EQ(facts.sampleRate, 44100);
  EXPECT_EQ(facts.frames, 44100u);

  CVorbisTrack track;
  ASSERT_TRUE(track.Open(Bytes(ogg), static_cast<int>(ogg.size())));
  std::vector<int16_t> pcm(44100 * 2);
  int frames = 0;
  for (int got; (got = track.ReadStereo(pcm.data() + frames * 2, 44100 - frames)) > 0;)
    frames += got;
  ASSERT_EQ(frames, 44100);
  // Peak near 0.5 of full scale, and 440 rising zero crossings in the second.
  EXPECT_NEAR(Peak(pcm, 1000, 43000), 16384, 1200);
  int crossings = 0;
  for (int i = 1; i < frames; ++i) crossings += pcm[(i - 1) * 2] < 0 && pcm[i * 2] >= 0;
  EXPECT_NEAR(crossings, 440, 2);
}

TEST(MusicMixer, VolumeFollowsTheCubicCurveAfterTheOneSecondFadeIn) {
  struct Case {
    int percent;
    float gain;
  };
  const Case cases[] = {{0, 0.0f}, {50, 0.125f}, {100, 1.0f}, {-20, 0.0f}, {250, 1.0f}};
  const std::string tone = SineOgg(3 * 44100, 2, 44100, 440, 0.5);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.percent);
    EXPECT_FLOAT_EQ(MusicGain(c.percent), c.gain);
    CMusicMixer mixer(1, Reader({tone}), c.percent);
    std::vector<int16_t> pcm(2 * 44100 * 2);
    ASSERT_EQ(mixer.Render(pcm.data(), 2 * 44100), 2 * 44100);
    // The fade-in rises in a straight line over the first second.
    for (double at : {0.1, 0.5, 0.9})
      EXPECT_NEAR(Peak(pcm, static_cast<int>(at * 44100) - 200, static_cast<int>(at * 44100)),
                  16384 * c.gain * at, 16384 * c.gain * 0.02 + 1);
    EXPECT_NEAR(Peak(pcm, 44100, 2 * 44100), 16384 * c.gain, 16384 * c.gain * 0.05 + 1);
    EXPECT_LE(Peak(pcm, 0, 10), 16384 * c.gain * 0.001 + 1);  // starts from silence
  }
  // The stop fade goes down in a straight line on the samples themselves.
  std::vector<int16_t> fade(8, 1000);
  FadeOutFrames(fade.data(), 4);
  EXPECT_EQ(fade, (std::vector<int16_t>{1000, 1000, 750, 750, 500, 500, 250, 250}));
}

TEST(MusicMixer, TracksFollowEachOtherFrameExactAndTheListLoops) {
  struct Case {
    const char* what;
    std::vector<std::string> tracks;
    std::vector<int> starts;  // output frame at which each following track starts
    std::vector<int> order;   // the track playing from each of those frames on
  };
  const std::string a = SineOgg(30000, 2, 44100, 440);
  const std::string b = SineOgg(20000, 1, 44100, 660);
  const std::string half = SineOgg(10000, 1, 22050, 330);  // twice as long at 44.1 kHz
  const Case cases[] = {
      {"two tracks", {a, b}, {0, 30000, 50000, 80000}, {0, 1, 0, 1}},
      {"a track at half the rate", {half, b}, {0, 20000, 40000}, {0, 1, 0}},
      {"an undecodable track is skipped", {"not a track", b}, {0, 20000, 40000}, {1, 1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CMusicMixer mixer(static_cast<int>(c.tracks.size()), Reader(c.tracks), 100);
    std::vector<int> starts;
    std::vector<int> order;
    int16_t frame[2];
    for (int i = 0; i <= c.starts.back(); ++i) {
      const int before = mixer.GetCurrentTrack();
      ASSERT_EQ(mixer.Render(frame, 1), 1);
      // A new start is a change of track, or a track that follows itself.
      if (mixer.GetCurrentTrack() != before || (i > 0 && i == c.starts[starts.size()])) {
        starts.push_back(i);
        order.push_back(mixer.GetCurrentTrack());
      }
      if (starts.size() == c.starts.size()) break;
    }
    EXPECT_EQ(starts, c.starts);
    EXPECT_EQ(order, c.order);
  }
}

TEST(MusicDecoding, HostileFilesAreRefusedOrEndCleanly) {
  const std::string good = SineOgg(20000, 2, 44100);
  ASSERT_GT(good.size(), 4000u);
  // The comment header's vendor length (after its packet type and "vorbis") claims
  // 2 GB, or 4 GB - 1, which wraps the decoder's allocation to nothing.
  const size_t vendor = good.find("\x03vorbis") + 7;
  std::string hugeComment = good, wrappingComment = good;
  hugeComment.replace(vendor, 4, "\xF0\xFF\xFF\x7F", 4);
  wrappingComment.replace(vendor, 4, "\xFF\xFF\xFF\xFF", 4);
  std::string hugeRate = good;  // the identification header claims 2^31 - 1 Hz
  hugeRate.replace(good.find("\x01vorbis") + 12, 4, "\xFF\xFF\xFF\x7F", 4);
  std::string hugeSegments = good;
  hugeSegments[26] = '\xFF';  // the first page claims 255 segments of its payload
  std::string garbage(5000, '\0');
  for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>(i * 7919 >> 3);
  struct Case {
    const char* what;
    std::string bytes;
    bool plays;  // decodes up to the damage and is then played in a loop
  };
  // Cut where whole pages of audio lie before the cut: a longer tone than `good`,
  // whose 20,000 frames share one page.
  const std::string paged = SineOgg(400000, 2, 44100);
  const std::string middle = paged.substr(0, paged.size() / 2);
  const std::string short1 = paged.substr(0, paged.size() - 1);
  const Case cases[] = {
      {"empty", "", false},
      {"cut inside the headers", good.substr(0, 100), false},
      {"cut in the middle", middle, true},
      {"cut one byte short", short1, true},
      {"garbage", garbage, false},
      {"garbage behind the capture pattern", "OggS" + garbage, false},
      {"huge comment length", hugeComment, false},
      {"comment length wrapping to zero", wrappingComment, false},
      {"huge segment table", hugeSegments, false},
      {"huge sample rate", hugeRate, false},
      // Found by the fuzzer: a block length that comes out negative, and a codebook
      // that makes a sample enormous. Whatever they play stays in 16 bits.
      {"negative block length", FuzzFinding("ubsan-1.ogg"), false},
      {"enormous sample", FuzzFinding("ubsan-2.ogg"), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TrackFacts facts;
    EXPECT_FALSE(DecodeWholeTrack(Bytes(c.bytes), static_cast<int>(c.bytes.size()), &facts));
    // The mixer loops what decodes, or stays silent when nothing does.
    CMusicMixer mixer(1, Reader({c.bytes}), 100);
    std::vector<int16_t> pcm(30000 * 2);
    const int frames = mixer.Render(pcm.data(), 30000);
    EXPECT_TRUE(frames == 0 || frames == 30000) << frames;
    if (!c.plays) continue;
    // At least every frame of the pages that are there whole, and music from them.
    const uint64_t held = FramesOfWholePages(c.bytes);
    EXPECT_GT(held, 30000u);
    EXPECT_GE(facts.frames, held);
    EXPECT_LE(facts.frames, 400000u);
    EXPECT_EQ(frames, 30000);
    EXPECT_GT(Peak(pcm, 20000, 30000), 4000);
  }
}

// A short track is decoded once and then played from memory; a track that fails, or
// whose file costs more to read again than it plays, is not read again this run.
TEST(MusicMixer, ShortTracksAreKeptAndCostlyTracksAreGivenUp) {
  const std::string shortTrack = SineOgg(500, 2, 44100);
  // Mono at 8 kHz just past the keeping limit, with a tail of padding that makes the
  // file hold more than the limit of bytes per frame.
  const int longFrames = kMaxKeptTrackFrames + 8192;
  std::string padded = SineOgg(longFrames, 1, 8000, 200);
  padded.append(static_cast<size_t>(longFrames) * kMaxTrackBytesPerFrame, '\0');
  const int longOutput = static_cast<int>(int64_t{longFrames} * kMusicOutputRate / 8000);
  struct Case {
    const char* what;
    std::vector<std::string> tracks;
    int frames;  // output frames asked for
    int music;   // of them with music
    int reads;   // reader calls meanwhile
  };
  const Case cases[] = {
      {"a short track looping", {shortTrack}, 88200, 88200, 1},
      {"an undecodable track beside a short one", {"not a track", shortTrack}, 88200, 88200, 2},
      {"a long track that is mostly padding", {padded}, longOutput + 20000, longOutput, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CMusicMixer mixer(static_cast<int>(c.tracks.size()), Reader(c.tracks), 100);
    std::vector<int16_t> pcm(static_cast<size_t>(c.frames) * 2);
    EXPECT_NEAR(mixer.Render(pcm.data(), c.frames), c.music, 8);
    EXPECT_EQ(mixer.GetReadCount(), c.reads);
  }
}
