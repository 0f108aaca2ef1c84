// One frame of the renderer outside the driver: the slideshow's cycle step, the
// transition mask, the grid's 12288 vertices written into a plain buffer, and the
// frame-rate and clock texts turned into quads. The floor is writing 295 KB of
// vertices. Run with --benchmark_repetitions=N to get medians.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/random.h"
#include "render/bitmap_font.h"
#include "render/grid_mesh.h"
#include "render/overlay_text.h"
#include "render/slideshow.h"
#include "render/transition.h"

namespace {
// Images that cost nothing to load: the bench measures the frame, not decoding.
class CFreeImages : public IImageSource {
 public:
  bool HasImage(int number) override { return number < 12; }
  ImageHandle LoadImage(int number) override { return reinterpret_cast<ImageHandle>(number + 1); }
  void ReleaseImage(ImageHandle) override {}
};

std::string FontDescription() {
  std::string text = "<charset>";
  for (int code = 0x20; code <= 0x7E; ++code) {
    char line[64];
    std::snprintf(line, sizeof line, "<ch%02X>0.%02d 0.5 0.04 0.1</ch%02X>", code, code % 90, code);
    text += line;
  }
  return text + "</charset>";
}

void BM_Frame(benchmark::State& state) {
  SeedRandom(7);
  CFreeImages images;
  CTransition transition(kGridColumns, kGridRows);
  CSlideshow slideshow(images, [&] { transition.ChooseEffect(); });
  slideshow.DiscoverImages();
  slideshow.SetTimes(3.0, 3.0);
  CBitmapFont font;
  const std::string description = FontDescription();
  font.LoadFromMemory(description.data(), static_cast<int>(description.size()));
  std::vector<ScreenVertex> vertices(65535);
  FpsCounter fps;
  double now = 0.0;
  for (auto _ : state) {
    now += 1.0 / 60;  // frames at 60 Hz: transitions take half of every cycle
    const float progress = slideshow.Step(now);
    FillGridVertices(transition.ComputeMask(progress), vertices.data());
    double frameTime = 1.0 / 60;
    const std::string fpsText = UpdateFpsText(fps, now, frameTime);
    const std::string clock = FormatClockText(13, 7, now, false);
    float x = 0, y = 0;
    ClockPosition(ClockCorner(now, true), font.GetTextWidth(clock.c_str(), kClockTextSize), &x, &y);
    WriteTextQuads(font, 0, 0, kFpsTextSize, kFpsTextSize, kOverlayColour, fpsText.c_str(),
                   fpsText.size(), vertices.data() + kGridVertexCount);
    WriteTextQuads(font, x, y, kClockTextSize, kClockTextSize, kOverlayColour, clock.c_str(),
                   clock.size(), vertices.data() + kGridVertexCount + 4 * fpsText.size());
    benchmark::DoNotOptimize(vertices.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kGridVertexCount *
                          sizeof(ScreenVertex));
}

// The floor: the grid's vertices written with nothing computed.
void BM_GridFillOnly(benchmark::State& state) {
  std::vector<float> mask(kGridVertexCount, 0.5f);
  std::vector<ScreenVertex> vertices(kGridVertexCount);
  for (auto _ : state) {
    FillGridVertices(mask.data(), vertices.data());
    benchmark::DoNotOptimize(vertices.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kGridVertexCount *
                          sizeof(ScreenVertex));
}
}  // namespace

BENCHMARK(BM_Frame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GridFillOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
