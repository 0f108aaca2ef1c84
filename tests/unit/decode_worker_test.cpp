// The decode worker: pictures prepared on its thread at the screen's size, failures
// handed back as nothing, and a run that ends in the middle of a huge decode.
#include "render/decode_worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "tests/support/image_files.h"

namespace {

// Serves one file's bytes under any name and counts the copies still alive, so a
// test can see that the worker let go of everything it read.
class CCountingReader {
 public:
  explicit CCountingReader(std::vector<uint8_t> bytes) : m_bytes(std::move(bytes)) {}

  CDecodeWorker::FileReader Reader() {
    return [this](const char*) -> std::unique_ptr<IFileData> {
      ++reads;
      if (m_bytes.empty()) return nullptr;
      auto file = std::make_unique<CCountedFile>(alive);
      file->Assign(m_bytes.data(), static_cast<int>(m_bytes.size()));
      return file;
    };
  }

  std::atomic<int> reads{0};
  std::atomic<int> alive{0};

 private:
  class CCountedFile : public CFileData {
   public:
    explicit CCountedFile(std::atomic<int>& alive) : m_alive(alive) { ++m_alive; }
    ~CCountedFile() override { --m_alive; }

   private:
    std::atomic<int>& m_alive;
  };
  std::vector<uint8_t> m_bytes;
};

std::vector<uint32_t> Gradient(int width, int height) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      pixels[static_cast<size_t>(y) * width + x] =
          0xFF000000u | ((x * 255 / width) << 16) | ((y * 255 / height) << 8) | ((x ^ y) & 0xFF);
  return pixels;
}

DecodedImage WaitForImage(CDecodeWorker& worker) {
  DecodedImage image;
  while (!worker.Take(image)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return image;
}

}  // namespace

TEST(DecodeWorkerTest, PreparesPicturesAtTheScreensSizeAndHandsBackNothingForBadFiles) {
  const struct {
    const char* what;
    std::vector<uint8_t> file;
    int expectedWidth, expectedHeight;  // 0: no picture
  } cases[] = {
      {"a photo over twice the screen", EncodeJpeg(Gradient(2400, 1800), 2400, 1800), 1024, 768},
      {"a photo smaller than the screen", EncodeJpeg(Gradient(640, 960), 640, 960), 640, 768},
      {"not an image", {'n', 'o', 't', ' ', 'a', ' ', 'J', 'P', 'E', 'G'}, 0, 0},
      {"a missing file", {}, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CCountingReader files(c.file);
    CDecodeWorker worker(files.Reader());
    ImageRequest request;
    request.screenWidth = 1024;
    request.screenHeight = 768;
    worker.Begin("images/0.jpg", request);
    const DecodedImage image = WaitForImage(worker);
    EXPECT_EQ(files.reads, 1);
    EXPECT_EQ(files.alive, 0);
    if (c.expectedWidth == 0) {
      EXPECT_TRUE(image.levels.empty());
      continue;
    }
    ASSERT_FALSE(image.levels.empty());
    EXPECT_EQ(image.levels[0].width, c.expectedWidth);
    EXPECT_EQ(image.levels[0].height, c.expectedHeight);
    EXPECT_EQ(image.levels.back().width, 1);
    // Taken once: the worker holds nothing more.
    DecodedImage again;
    EXPECT_FALSE(worker.Take(again));
  }
}

TEST(DecodeWorkerTest, StoppingDuringAHugeProgressiveDecodeDropsItAndKeepsNothing) {
  JpegOptions options;
  options.progressive = true;
  options.quality = 100;
  CCountingReader files(EncodeJpeg(Gradient(4096, 4096), 4096, 4096, options));

  // The stop flag alone ends a decode, with nothing left in the output.
  std::atomic<bool> stop{true};
  ImageRequest stopped;
  stopped.stop = &stop;
  DecodedImage out;
  auto file = files.Reader()("huge.jpg");
  ASSERT_TRUE(file);
  EXPECT_FALSE(DecodeImage(file->GetData(), file->GetSize(), stopped, out));
  EXPECT_TRUE(out.levels.empty());
  file.reset();

  // The worker stopped while it decodes: its copy of the file is gone, no picture
  // comes back and a later job is refused. (Sanitizer builds check for leaks.)
  double stopMilliseconds = 0;
  {
    CDecodeWorker worker(files.Reader());
    worker.Begin("images/0.jpg", ImageRequest{});
    while (files.reads < 2) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const auto started = std::chrono::steady_clock::now();
    worker.Stop();
    stopMilliseconds =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
            .count();
    EXPECT_EQ(files.alive, 0);
    EXPECT_FALSE(worker.Take(out));
    worker.Begin("images/1.jpg", ImageRequest{});
    EXPECT_FALSE(worker.Take(out));
    EXPECT_EQ(files.reads, 2);
  }
  // For the record only: time is measured in the benchmarks, not asserted here.
  std::printf("stopped after %.1f ms\n", stopMilliseconds);
}
