// The music tracks of a real product file: the size limit, inclusive, and a stop that
// arrives while a track is being read.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "audio/music_source.h"
#include "data/content_layout.h"
#include "tests/support/product_builder.h"
#include "tests/support/product_fixture.h"

TEST(MusicSource, TracksOverTheLimitAreRefusedAndAStopEndsARead) {
  const std::filesystem::path product = FixtureFolder("music") / "product.scr";
  const std::string limit(static_cast<size_t>(kMaxMusicTrackBytes), 'm');
  ASSERT_TRUE(WriteProduct(
      product, FakeEngine(4096),
      {{MusicFileName(0), limit}, {MusicFileName(1), limit + 'm'}, {MusicFileName(2), "ogg"}}));
  CMusicSource source;
  ASSERT_TRUE(source.Open(product.string().c_str()));
  EXPECT_EQ(source.GetTrackCount(), 3);
  const auto size = [&](int number, const std::atomic<bool>* stop) {
    const std::unique_ptr<IFileData> file = source.ReadTrack(number, stop);
    return file ? file->GetSize() : -1;
  };
  EXPECT_EQ(size(0, nullptr), kMaxMusicTrackBytes);
  EXPECT_EQ(size(1, nullptr), -1);
  EXPECT_EQ(size(2, nullptr), 3);
  EXPECT_EQ(size(3, nullptr), -1);

  // The flag is clear when the read starts and turns true well before the 64 MB are
  // decrypted and inflated: the read gives up at its next block.
  std::atomic<bool> stop{false};
  std::thread stopper([&stop] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    stop.store(true);
  });
  EXPECT_EQ(size(0, &stop), -1);
  stopper.join();
  // The source serves the next read as before.
  EXPECT_EQ(size(2, &stop), -1);
  stop.store(false);
  EXPECT_EQ(size(2, &stop), 3);
}
