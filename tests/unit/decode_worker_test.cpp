// The decode worker: pictures prepared on its thread at the screen's size, failures
// handed back as nothing, and a run that ends in the middle of a huge decode.
#include "render/decode_worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <new>
#include <string>
#include <thread>

#include "tests/support/image_files.h"

namespace {

// Serves one file's bytes under any name and counts reads and the copies still
// alive, so a test can see that the worker let go of everything it read.
struct CountingReader {
  struct CountedFile : CFileData {
    explicit CountedFile(std::atomic<int>& count) : alive(count) { ++alive; }
    ~CountedFile() override { --alive; }
    std::atomic<int>& alive;
  };
  CDecodeWorker::FileReader Reader() {
    return [this](const char*, const std::atomic<bool>*, size_t) -> std::unique_ptr<IFileData> {
      ++reads;
      if (bytes.empty()) return nullptr;
      auto file = std::make_unique<CountedFile>(alive);
      file->Assign(bytes.data(), static_cast<int>(bytes.size()));
      return file;
    };
  }
  std::vector<uint8_t> bytes;
  std::atomic<int> reads{0}, alive{0};
};

std::vector<uint8_t> GradientJpeg(int width, int height, const JpegOptions& options = {}) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      pixels[static_cast<size_t>(y) * width + x] =
          0xFF000000u | ((x * 255 / width) << 16) | ((y * 255 / height) << 8) | ((x ^ y) & 0xFF);
  return EncodeJpeg(pixels, width, height, options);
}

}  // namespace

TEST(DecodeWorkerTest, PreparesPicturesAtTheScreensSizeAndHandsBackNothingForBadFiles) {
  const struct {
    const char* what;
    std::vector<uint8_t> file;
    int expectedWidth, expectedHeight;  // 0: no picture
    bool pair;                          // the file twice, side by side
    int expectedReads;
  } cases[] = {
      {"a photo over twice the screen", GradientJpeg(2400, 1800), 1024, 768, false, 1},
      {"a photo narrower but taller than the screen", GradientJpeg(640, 960), 640, 768, false, 1},
      {"not an image", {'n', 'o', 't', ' ', 'a', ' ', 'J', 'P', 'E', 'G'}, 0, 0, false, 1},
      {"a missing file", {}, 0, 0, false, 1},
      // A pair is composed at the screen's size; a failed pair tries one alone.
      {"a pair of portraits", GradientJpeg(640, 960), 1024, 768, true, 2},
      {"a pair of missing files", {}, 0, 0, true, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CountingReader files{c.file};
    CDecodeWorker worker(files.Reader());
    ImageRequest request;
    request.screenWidth = 1024;
    request.screenHeight = 768;
    if (c.pair)
      worker.BeginPair("images/0.jpg", "images/1.jpg", request);
    else
      worker.Begin("images/0.jpg", request);
    DecodedImage image;
    while (!worker.Take(image)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(files.reads, c.expectedReads);
    EXPECT_EQ(files.alive, 0);
    EXPECT_FALSE(worker.Take(image));  // one result, handed out once
    if (c.expectedWidth == 0) {
      EXPECT_TRUE(image.levels.empty());
    } else {
      ASSERT_FALSE(image.levels.empty());
      EXPECT_EQ(image.levels[0].width, c.expectedWidth);
      EXPECT_EQ(image.levels[0].height, c.expectedHeight);
      EXPECT_EQ(image.levels.back().width, 1);
    }
  }
}

TEST(DecodeWorkerTest, StoppingDuringAHugeProgressiveDecodeDropsItAndKeepsNothing) {
  JpegOptions options;
  options.progressive = true;
  options.quality = 100;
  CountingReader files{GradientJpeg(4096, 4096, options)};

  // The stop flag alone ends a decode, with nothing left in the output.
  std::atomic<bool> stop{true};
  ImageRequest stopped;
  stopped.stop = &stop;
  DecodedImage out;
  EXPECT_FALSE(DecodeImage(files.bytes.data(), files.bytes.size(), stopped, out));
  EXPECT_TRUE(out.levels.empty());

  // Stopped while it decodes, the worker gives up within a small part of the whole
  // decode's time (it hands its flag to the decoder), has let go of the file, hands
  // back no picture and takes no further job. (Sanitizer builds check for leaks.)
  using Clock = std::chrono::steady_clock;
  const Clock::time_point decodeStart = Clock::now();
  ASSERT_TRUE(DecodeImage(files.bytes.data(), files.bytes.size(), ImageRequest{}, out));
  const auto whole = Clock::now() - decodeStart;
  CDecodeWorker worker(files.Reader());
  worker.Begin("images/0.jpg", ImageRequest{});
  while (files.reads < 1) std::this_thread::yield();
  std::this_thread::sleep_for(whole / 10);
  const Clock::time_point stopStart = Clock::now();
  worker.Stop();
  EXPECT_LT(Clock::now() - stopStart, whole / 3);
  EXPECT_EQ(files.alive, 0);
  EXPECT_FALSE(worker.Take(out));
  worker.Begin("images/1.jpg", ImageRequest{});
  EXPECT_FALSE(worker.Take(out));
  EXPECT_EQ(files.reads, 1);
}

// An exception escaping the reader or the decoder (memory running out in the archive)
// is a failed picture: the worker hands back nothing and goes on with the next job.
TEST(DecodeWorkerTest, AThrowingReadIsAFailedPictureAndTheWorkerGoesOn) {
  const std::vector<uint8_t> photo = GradientJpeg(64, 48);
  std::atomic<int> reads{0};
  CDecodeWorker worker(
      [&](const char*, const std::atomic<bool>*, size_t) -> std::unique_ptr<IFileData> {
        if (reads++ == 0) throw std::bad_alloc();
        auto file = std::make_unique<CFileData>();
        file->Assign(photo.data(), static_cast<int>(photo.size()));
        return file;
      });
  for (bool fails : {true, false}) {
    worker.Begin("images/0.jpg", ImageRequest{});
    DecodedImage image;
    while (!worker.Take(image)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(image.levels.empty(), fails);
  }
  EXPECT_EQ(reads, 2);
}

// While it has no picture to prepare the worker reads each picture's shape from its
// first bytes, or from the whole file when camera metadata pushes the header past them.
TEST(DecodeWorkerTest, ReadsEachPicturesShapeFromItsHeaderWhileIdle) {
  std::vector<uint8_t> late = GradientJpeg(400, 300);
  std::vector<uint8_t> segments;
  for (int i = 0; i < 5; ++i) {  // five 64 KB APP15 segments after the start marker
    const uint8_t marker[] = {0xFF, 0xEF, 0xFF, 0xFF};
    segments.insert(segments.end(), marker, marker + 4);
    segments.resize(segments.size() + 0xFFFF - 2, 0);
  }
  late.insert(late.begin() + 2, segments.begin(), segments.end());
  const struct {
    const char* name;
    std::vector<uint8_t> file;
    PictureShape shape;
    size_t reads;  // whole-file reads after the first bytes
  } cases[] = {
      {"portrait", GradientJpeg(300, 400), PictureShape::Portrait, 0},
      {"landscape", GradientJpeg(400, 300), PictureShape::Landscape, 0},
      {"nearly square", GradientJpeg(100, 109), PictureShape::Square, 0},
      {"header past the first bytes", late, PictureShape::Landscape, 1},
      {"not an image", std::vector<uint8_t>(kShapeReadBytes + 10, 'x'), PictureShape::Unknown, 1},
      {"missing", {}, PictureShape::Unknown, 0},
  };
  std::atomic<size_t> wholeReads{0};
  std::atomic<bool> lastAsked{false};  // the headers are read in turn
  CDecodeWorker worker(
      [&](const char* name, const std::atomic<bool>*, size_t limit) -> std::unique_ptr<IFileData> {
        const size_t index = std::stoul(name);
        lastAsked = lastAsked || index + 1 == std::size(cases);
        const std::vector<uint8_t>& file = cases[index].file;
        if (file.empty()) return nullptr;
        if (limit == 0) ++wholeReads;
        auto data = std::make_unique<CFileData>();
        data->Assign(file.data(),
                     static_cast<int>(limit > 0 ? std::min(limit, file.size()) : file.size()));
        return data;
      });
  std::vector<std::string> names;
  for (size_t i = 0; i < std::size(cases); ++i) names.push_back(std::to_string(i));
  worker.ScanShapes(names);
  EXPECT_EQ(worker.GetShape(std::size(cases)), PictureShape::Unknown);  // beyond the list
  const auto start = std::chrono::steady_clock::now();
  while (!lastAsked && std::chrono::steady_clock::now() - start < std::chrono::seconds(10))
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  worker.Stop();
  size_t expectedWholeReads = 0;
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(worker.GetShape(i), cases[i].shape) << cases[i].name;
    expectedWholeReads += cases[i].reads;
  }
  EXPECT_EQ(wholeReads, expectedWholeReads);
}
