// What framing costs: finding the faces of a 12-megapixel photo in quillpack (decode at
// the search size, then the detector), and in the engine's decode worker a pair of
// portraits composed for a 1920 x 1080 screen against one portrait alone, and the
// blurred backdrop of a picture shown with bars.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "render/decode_worker.h"
#include "render/image_decoder.h"
#include "render/image_scaler.h"
#include "render/slide_composer.h"
#include "tests/support/image_files.h"
#include "tools/common/whole_file.h"
#include "tools/quillpack/face_finder.h"
#include "tools/quillpack/photo_converter.h"

namespace {

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;

// scikit-image's astronaut portrait enlarged to 3000 x 3000 in the middle of a
// 4000 x 3000 grey photo (12 megapixels), at quality 90.
const std::string& FacePhoto() {
  static const std::string jpeg = [] {
    std::string png, why;
    CPhotoConverter converter;
    ConvertedPhoto small;
    MipLevel portrait, large;
    if (!ReadWholeFile(std::filesystem::path(QUILL_SAMPLE_PHOTOS_DIR) / "astronaut.png", &png,
                       &why) ||
        !converter.Convert("astronaut.png", png, &small) ||
        !converter.DecodeResult(small.jpeg, small.width, small.height, &portrait))
      return std::string();
    ScaleImage(portrait, 3000, 3000, large);
    std::vector<uint32_t> pixels(4000 * 3000, 0xFF404040u);
    for (int y = 0; y < 3000; ++y)
      std::copy_n(large.pixels.data() + static_cast<size_t>(y) * 3000, 3000,
                  pixels.data() + static_cast<size_t>(y) * 4000 + 500);
    JpegOptions options;
    options.quality = 90;
    const std::vector<uint8_t> bytes = EncodeJpeg(pixels, 4000, 3000, options);
    return std::string(bytes.begin(), bytes.end());
  }();
  return jpeg;
}

// An 8-megapixel portrait (2448 x 3264) of shaded noise, as a phone takes it.
const std::string& PortraitPhoto() {
  static const std::string jpeg = [] {
    const int width = 2448, height = 3264;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    uint32_t seed = 11;
    for (size_t i = 0; i < pixels.size(); ++i) {
      seed = seed * 1103515245u + 12345u;
      const int x = static_cast<int>(i % width), y = static_cast<int>(i / width);
      const int shade = static_cast<int>(110 + 60 * std::sin(x * 0.011) * std::cos(y * 0.007));
      const int grain = static_cast<int>(seed >> 27) - 16;
      pixels[i] = 0xFF000000u | std::clamp(shade + grain, 0, 255) << 16 |
                  std::clamp(shade - grain, 0, 255) << 8 | std::clamp(255 - shade, 0, 255);
    }
    JpegOptions options;
    options.quality = 90;
    const std::vector<uint8_t> bytes = EncodeJpeg(pixels, width, height, options);
    return std::string(bytes.begin(), bytes.end());
  }();
  return jpeg;
}

ImageRequest ScreenRequest(FitMode fit) {
  ImageRequest request;
  request.screenWidth = kScreenWidth;
  request.screenHeight = kScreenHeight;
  request.fit = fit;
  return request;
}

double TextureMegabytes(const DecodedImage& image) {
  double bytes = 0;
  for (const MipLevel& level : image.levels) bytes += 4.0 * level.width * level.height;
  return (bytes + 4.0 * image.backdrop.width * image.backdrop.height) / 1e6;
}

// quillpack's search of one photo: the decode at the search size and the detector.
void BM_FindFaces12Megapixels(benchmark::State& state) {
  const std::string& jpeg = FacePhoto();
  if (jpeg.empty()) return state.SkipWithError("no sample photo");
  CPhotoConverter converter;
  CFaceFinder finder;
  finder.Find(MipLevel{1, 1, PixelBuffer(1, 0)});  // the detector is made once a run
  int found = 0;
  for (auto _ : state) {
    MipLevel decoded;
    FocusRecord focus;
    converter.DecodeResult(jpeg, kFaceSearchSide, kFaceSearchSide * 3 / 4, &decoded);
    found += finder.FindFocus(decoded, 4000, 3000, focus);
  }
  state.counters["found"] = static_cast<double>(found) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_FindFaces12Megapixels)->Unit(benchmark::kMillisecond)->UseRealTime();

// The decode worker's job for a slide: one portrait under fill, one under fit with its
// backdrop, a pair of portraits composed, and one under fit without a backdrop.
void BM_PrepareSlide(benchmark::State& state) {
  const std::string& jpeg = PortraitPhoto();
  const int kind = static_cast<int>(state.range(0));
  double megabytes = 0;
  for (auto _ : state) {
    DecodedImage image;
    if (kind == 0) {
      DecodeImage(jpeg.data(), jpeg.size(), ScreenRequest(FitMode::Fill), image);
    } else if (kind == 1 || kind == 3) {
      ImageRequest request = ScreenRequest(FitMode::Fit);
      request.backdrop = kind == 1;
      DecodeImage(jpeg.data(), jpeg.size(), request, image);
    } else {
      // The worker's own job, over the photo in memory.
      const auto reader = [&jpeg](const char*, const std::atomic<bool>*, size_t) {
        auto file = std::make_unique<CFileData>();
        file->Assign(jpeg.data(), static_cast<int>(jpeg.size()));
        return file;
      };
      PrepareSlide(reader, "0", "1", ScreenRequest(FitMode::Fill), image);
    }
    megabytes = TextureMegabytes(image);
  }
  static const char* const kLabels[] = {"single portrait, fill", "single portrait, fit + backdrop",
                                        "pair of portraits", "single portrait, fit"};
  state.SetLabel(kLabels[kind]);
  state.counters["texture_MB"] = megabytes;
}
BENCHMARK(BM_PrepareSlide)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
