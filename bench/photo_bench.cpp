// Why quillpack rewrites progressive photos: the engine's decoding of a 4K photo in
// its baseline and its progressive form (the same coefficients), and what each of
// quillpack's conversion paths costs per photo. The picture is made at start-up with
// noise over smooth shading, 4:2:0 at quality 90, as a camera writes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "render/image_decoder.h"
#include "tests/support/image_files.h"
#include "tools/quillpack/photo_converter.h"

namespace {

constexpr int kWidth = 3840;
constexpr int kHeight = 2160;

std::string Photo(bool progressive) {
  std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
  uint32_t seed = 7;
  for (size_t i = 0; i < pixels.size(); ++i) {
    const int x = static_cast<int>(i % kWidth), y = static_cast<int>(i / kWidth);
    seed = seed * 1103515245u + 12345u;
    const int grain = static_cast<int>(seed >> 27) - 16;
    const int shade = static_cast<int>(96 + 64 * std::sin(x * 0.013) * std::cos(y * 0.017));
    const int r = std::clamp(shade + grain + x / 40, 0, 255);
    const int g = std::clamp(shade - grain / 2 + y / 30, 0, 255);
    const int b = std::clamp(255 - shade + grain, 0, 255);
    pixels[i] = 0xFF000000u | r << 16 | g << 8 | b;
  }
  JpegOptions options;
  options.quality = 90;
  options.progressive = progressive;
  const std::vector<uint8_t> bytes = EncodeJpeg(pixels, kWidth, kHeight, options);
  return std::string(bytes.begin(), bytes.end());
}

const std::string& Cached(bool progressive) {
  static const std::string baseline = Photo(false);
  static const std::string interlaced = Photo(true);
  return progressive ? interlaced : baseline;
}

// The engine's decode at the start of an image's cycle, without the mip chain.
void BM_EngineDecode(benchmark::State& state) {
  const std::string& jpeg = Cached(state.range(0) != 0);
  ImageRequest request;
  request.mipLevels = 1;
  for (auto _ : state) {
    DecodedImage image;
    if (!DecodeImage(jpeg.data(), jpeg.size(), request, image)) state.SkipWithError("decode");
    benchmark::DoNotOptimize(image.levels.data());
  }
  state.SetLabel(state.range(0) ? "progressive" : "baseline");
}
BENCHMARK(BM_EngineDecode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One photo through quillpack: 0 copied (baseline, checked by a 1/8 decode), 1
// rewritten losslessly (progressive), 2 re-encoded at half size.
void BM_ConvertPhoto(benchmark::State& state) {
  const int path = static_cast<int>(state.range(0));
  const std::string& jpeg = Cached(path == 1);
  CPhotoConverter converter(path == 2 ? kWidth / 2 : kDefaultMaxSide);
  for (auto _ : state) {
    ConvertedPhoto photo;
    if (!converter.Convert("photo.jpg", jpeg, &photo)) state.SkipWithError("convert");
    benchmark::DoNotOptimize(photo.jpeg.data());
  }
  static const char* const kLabels[] = {"copied", "lossless", "re-encoded"};
  state.SetLabel(kLabels[path]);
}
BENCHMARK(BM_ConvertPhoto)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
