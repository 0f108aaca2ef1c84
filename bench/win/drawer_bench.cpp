// The renderer's frame times on a real device: over five slideshow cycles with 1080p
// and with 4K photos, the median frame against the frames that start a cycle and
// that make the next picture (decoded by the worker meanwhile) a texture; and the
// frame rate of ordinary frames in the 640 x 480 debug window without sleeping. With 4K
// photos still and moving (pan and zoom), paced at 60 frames a second: the median, 99th
// percentile and worst frame, how evenly a marked point moves and the texture memory.
// With 4K landscapes and portraits under fit, pairs on and bars blurred: the median
// frame against those that start a cycle, and a pair slide's texture memory.
// With --screens: the frame rate of each screen, full screen on the primary alone and
// with a slideshow on every other monitor taking turns as the frame loop does, and
// the private bytes with all of them running.
//   drawer_bench WORKFOLDER [--screens]
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/secondary_screens.h"
#include "base/product_info.h"
#include "base/settings.h"
#include "data/content_archive.h"
#include "data/content_layout.h"
#include "render/drawer.h"
#include "tests/support/image_files.h"
#include "tools/quillpack/product_writer.h"
#include "ui/saver_wnd.h"

namespace {
// A photo-like picture: smooth gradients with fine detail, so the JPEG is as large
// as a photo's and decoding costs what it would.
std::string PhotoJpeg(int width, int height, int seed) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const auto r = static_cast<uint32_t>(128 + 100 * std::sin(x * 0.01 + seed));
      const auto g = static_cast<uint32_t>(128 + 100 * std::cos(y * 0.013 + seed));
      const auto b = static_cast<uint32_t>((x * 7 + y * 13 + seed * 31) & 0xFF);
      pixels[static_cast<size_t>(y) * width + x] = 0xFF000000u | r << 16 | g << 8 | b;
    }
  JpegOptions options;
  options.quality = 90;
  const std::vector<uint8_t> bytes = EncodeJpeg(pixels, width, height, options);
  return std::string(bytes.begin(), bytes.end());
}

std::string BlockFont() {
  std::string text = "<charset>";
  for (int code = 0x20; code <= 0x7E; ++code) {
    char line[48];
    std::snprintf(line, sizeof line, "<ch%02X>0 0 1 1</ch%02X>", code, code);
    text += line;
  }
  return text + "</charset>";
}

// Three landscape photos of width x height, then `portraits` portrait ones of
// height x width.
bool WriteProduct(const std::string& path, int width, int height, int portraits = 0) {
  const std::string engine(4096, 'E');
  CProductWriter writer;
  if (!writer.Begin(path, engine.data(), engine.size())) return false;
  const std::string config =
      "<ini><Screensaver><Title>Bench</Title><Version>1</Version><Year>2026</Year>"
      "<Company>QuillSaver Bench</Company></Screensaver></ini>";
  const std::string font = BlockFont();
  bool ok = writer.AddEntry("config/config.xml", config.data(), config.size()) &&
            writer.AddEntry(kFontDescriptionName, font.data(), font.size());
  for (int i = 0; ok && i < 3 + portraits; ++i) {
    const std::string photo = i < 3 ? PhotoJpeg(width, height, i) : PhotoJpeg(height, width, i);
    ok = writer.AddEntry(ImageFileName(i), photo.data(), photo.size());
  }
  return ok && writer.Commit();
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / frequency.QuadPart;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct CycleFrames {
  std::vector<double> all;         // every frame but the first, ms
  std::vector<double> cycleStart;  // the frames that started a cycle, ms
  std::vector<double> upload;      // the frames that made the next picture a texture, ms
  double shutdown = -1.0;          // Shutdown 30 ms into the decode of a new cycle, ms
  int pairs = 0;                   // pair slides shown
  double pairMegabytes = 0.0;      // the largest pair slide's texture
};

double TextureMegabytes(const SlidePicture* picture);

// Frames in real time over several cycles (keep and transition 1 s), the clock
// following the wall clock as in a run, so that the decode worker has the keep time.
CycleFrames TimeCycles(HWND window, const std::string& product) {
  CycleFrames result;
  OpenContentArchive(product.c_str());
  g_settings.KeepTime = 1;
  g_settings.TransitionTime = 1;
  CDrawer drawer;
  if (!drawer.Init(window, false)) return result;
  const CSlideshow& show = drawer.GetSlideshow();
  LARGE_INTEGER start, a, b;
  QueryPerformanceCounter(&start);
  for (double now = 0.0; now < 10.0;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    const double cycleBefore = show.GetCycleStart();
    const bool pendingBefore = show.IsNextPending();
    drawer.SetFrameClock(now, 0.016);
    QueryPerformanceCounter(&a);
    drawer.Frame();
    QueryPerformanceCounter(&b);
    const double ms = Milliseconds(a, b);
    // The first frame decodes its current picture on this thread by design.
    if (now > 0.0) {
      result.all.push_back(ms);
      if (show.GetCycleStart() == now && cycleBefore != now) result.cycleStart.push_back(ms);
      if (pendingBefore && !show.IsNextPending()) result.upload.push_back(ms);
      const auto* current = static_cast<const SlidePicture*>(show.GetCurrentImage());
      if (current != nullptr && current->partner >= 0 && show.GetCycleStart() == now) {
        ++result.pairs;
        result.pairMegabytes = std::max(result.pairMegabytes, TextureMegabytes(current));
      }
    }
    now = Milliseconds(start, b) / 1000.0;
  }
  // The end of a run while the worker decodes: the first frame of a new cycle hands
  // it the next picture.
  for (double next = show.GetCycleEnd() + 0.01; !show.IsNextPending(); next += 0.02) {
    drawer.SetFrameClock(next, 0.016);
    drawer.Frame();
  }
  Sleep(30);
  QueryPerformanceCounter(&a);
  drawer.Shutdown();
  QueryPerformanceCounter(&b);
  result.shutdown = Milliseconds(a, b);
  return result;
}

// Megabytes of a picture's texture, every level at 32 bits a pixel.
double TextureMegabytes(const SlidePicture* picture) {
  if (picture == nullptr || !picture->texture) return 0.0;
  double bytes = 0.0;
  for (DWORD level = 0; level < picture->texture->GetLevelCount(); ++level) {
    D3DSURFACE_DESC desc{};
    picture->texture->GetLevelDesc(level, &desc);
    bytes += 4.0 * desc.Width * desc.Height;
  }
  return bytes / 1048576.0;
}

struct MotionFrames {
  std::vector<double> all;        // every frame's work but the first, cycle starts included, ms
  std::vector<double> steps;      // a marked point's moves from frame to frame, pixels
  double textureMegabytes = 0.0;  // the largest the two pictures on screen took together
};

// Ten seconds paced at 60 frames a second (keep and transition 1 s: five cycles), the
// clock following the wall clock. A marked point of each picture, under the screen's
// (0.3, 0.3) when it first shows, is followed through the picture's path.
MotionFrames TimeMotion(HWND window, const std::string& product, MotionMode mode) {
  MotionFrames result;
  OpenContentArchive(product.c_str());
  g_settings.KeepTime = 1;
  g_settings.TransitionTime = 1;
  CDrawer drawer;
  if (!drawer.Init(window, false)) return result;
  drawer.SetMotion(mode);
  const CSlideshow& show = drawer.GetSlideshow();
  // A windowed device's present parameters may leave the size to the window.
  D3DSURFACE_DESC back{};
  CCom<IDirect3DSurface8> surface;
  if (FAILED(drawer.GetDevice()->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &surface)) ||
      FAILED(surface->GetDesc(&back)))
    return result;
  const double width = back.Width, height = back.Height;
  const SlidePicture* followed = nullptr;
  double u = 0.0, v = 0.0, lastX = -1.0, lastY = -1.0;
  LARGE_INTEGER start, a, b;
  QueryPerformanceCounter(&start);
  // Each frame starts on the next 1/60 s after the last, or at once when it is late.
  for (double due = 0.0;; due += 1.0 / 60.0) {
    QueryPerformanceCounter(&a);
    const double elapsed = Milliseconds(start, a) / 1000.0;
    if (elapsed >= 10.0) break;
    if (due > elapsed)
      Sleep(static_cast<DWORD>((due - elapsed) * 1000.0));
    else
      due = elapsed;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    QueryPerformanceCounter(&a);
    const double clock = Milliseconds(start, a) / 1000.0;
    drawer.SetFrameClock(clock, 1.0 / 60.0);
    drawer.Frame();
    QueryPerformanceCounter(&b);
    if (due > 0.0) result.all.push_back(Milliseconds(a, b));
    const auto* current = static_cast<const SlidePicture*>(show.GetCurrentImage());
    const auto* next = static_cast<const SlidePicture*>(show.GetNextImage());
    result.textureMegabytes =
        std::max(result.textureMegabytes, TextureMegabytes(current) + TextureMegabytes(next));
    if (current == nullptr || !current->motion.planned) continue;
    const TextureRect shown = MotionWindow(current->motion.path, clock);
    if (current != followed) {
      followed = current;
      u = shown.left + 0.3 * (shown.right - shown.left);
      v = shown.top + 0.3 * (shown.bottom - shown.top);
      lastX = -1.0;
    }
    const double x = (u - shown.left) / (shown.right - shown.left) * width;
    const double y = (v - shown.top) / (shown.bottom - shown.top) * height;
    if (lastX >= 0.0) result.steps.push_back(std::hypot(x - lastX, y - lastY));
    lastX = x;
    lastY = y;
  }
  drawer.Shutdown();
  return result;
}

double Percentile(std::vector<double> values, double share) {
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, static_cast<size_t>(share * values.size()))];
}

// Frames a second of the renderer's frames, or with clearOnly of a bare Clear and
// Present on the same device: the platform's own floor.
double FramesPerSecond(HWND window, const std::string& product, bool clearOnly = false) {
  OpenContentArchive(product.c_str());
  CDrawer drawer;
  if (!drawer.Init(window, false)) return -1.0;
  IDirect3DDevice8* device = drawer.GetDevice();
  LARGE_INTEGER start, now;
  QueryPerformanceCounter(&start);
  int frames = 0;
  double elapsed = 0.0;
  while (elapsed < 3000.0) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    // Within one cycle's keep and transition, as most frames are.
    if (clearOnly) {
      device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
      device->Present(nullptr, nullptr, nullptr, nullptr);
    } else {
      drawer.SetFrameClock(1.0 + std::fmod(elapsed / 1000.0, 5.0), 0.016);
      drawer.Frame();
    }
    ++frames;
    QueryPerformanceCounter(&now);
    elapsed = Milliseconds(start, now);
  }
  return frames * 1000.0 / elapsed;
}
// Turns a second of the frame loop: the primary screen's full-screen renderer and,
// with every, one windowed renderer on each other monitor, each drawing once a turn.
void ScreensFramesPerSecond(const std::string& product, bool every) {
  OpenContentArchive(product.c_str());
  CSaverWnd window;
  CDrawer drawer;
  CSecondaryScreens others;
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!window.Create(instance, 0) || !drawer.Init(window.GetHandle(), true)) return;
  if (every) others.Create(instance);
  LARGE_INTEGER start, now;
  QueryPerformanceCounter(&start);
  int turns = 0;
  double elapsed = 0.0;
  while (elapsed < 5000.0) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    drawer.SetFrameClock(1.0 + std::fmod(elapsed / 1000.0, 5.0), 0.016);
    drawer.Frame();
    others.Frame();
    ++turns;
    QueryPerformanceCounter(&now);
    elapsed = Milliseconds(start, now);
  }
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                       sizeof memory);
  // Wine leaves PrivateUsage 0 and reports the same figure as PagefileUsage.
  const SIZE_T privateBytes = memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
  std::printf("%zu screen(s), no sleep: %.1f frames per second on each; private bytes %.1f MB\n",
              1 + others.GetCount(), turns * 1000.0 / elapsed, privateBytes / 1048576.0);
}
}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : ".";
  SetDefaults();
  if (argc > 2 && std::string(argv[2]) == "--screens") {
    const std::string product = folder + "\\drawer-bench-screens.scr";
    if (!WriteProduct(product, 1920, 1080)) return 1;
    ScreensFramesPerSecond(product, false);
    ScreensFramesPerSecond(product, true);
    return 0;
  }
  g_settings.ShowTime = 1;
  g_settings.FPS = 1;
  CSaverWnd window;
  if (!window.Create(GetModuleHandleA(nullptr), 1)) return 1;
  const struct {
    const char* name;
    int width, height;
  } sizes[] = {{"1080p", 1920, 1080}, {"4K", 3840, 2160}};
  std::string first;
  for (const auto& size : sizes) {
    const std::string product = folder + "\\drawer-bench-" + size.name + ".scr";
    if (!WriteProduct(product, size.width, size.height)) return 1;
    if (first.empty()) first = product;
    const CycleFrames frames = TimeCycles(window.GetHandle(), product);
    if (frames.cycleStart.empty() || frames.upload.empty()) return 1;
    std::printf(
        "%s photos, five cycles in real time: median frame %.1f ms; frames starting a cycle "
        "median %.1f ms, slowest %.1f ms; frames making the texture median %.1f ms, slowest "
        "%.1f ms\n",
        size.name, Median(frames.all), Median(frames.cycleStart),
        *std::max_element(frames.cycleStart.begin(), frames.cycleStart.end()),
        Median(frames.upload), *std::max_element(frames.upload.begin(), frames.upload.end()));
    std::printf("%s photos: Shutdown 30 ms into a decode %.1f ms\n", size.name, frames.shutdown);
  }
  // 4K landscapes and portraits under fit with portraits in pairs, bars black and
  // blurred.
  const std::string framing = folder + "\\drawer-bench-framing.scr";
  if (!WriteProduct(framing, 3840, 2160, 4)) return 1;
  for (BarsOption bars : {BarsOption::Black, BarsOption::Blur}) {
    g_product.Fit = FitMode::Fit;
    g_product.Pairs = PairsOption::On;
    g_product.Bars = bars;
    const CycleFrames frames = TimeCycles(window.GetHandle(), framing);
    g_product.Fit = kDefaultFit;
    g_product.Pairs = kDefaultPairs;
    g_product.Bars = kDefaultBars;
    if (frames.cycleStart.empty()) return 1;
    std::printf(
        "4K photos and portraits, fit, pairs on, bars %s: median frame %.1f ms; frames "
        "starting a cycle median %.1f ms, slowest %.1f ms; %d pair slides, %.1f MB of "
        "texture each\n",
        bars == BarsOption::Blur ? "blur" : "black", Median(frames.all), Median(frames.cycleStart),
        *std::max_element(frames.cycleStart.begin(), frames.cycleStart.end()), frames.pairs,
        frames.pairMegabytes);
  }
  const std::string uhd = folder + "\\drawer-bench-4K.scr";
  for (MotionMode mode : {MotionMode::Still, MotionMode::PanZoom}) {
    const MotionFrames frames = TimeMotion(window.GetHandle(), uhd, mode);
    if (frames.all.empty()) return 1;
    double mean = 0.0, spread = 0.0;
    for (double step : frames.steps) mean += step / frames.steps.size();
    for (double step : frames.steps) spread += (step - mean) * (step - mean) / frames.steps.size();
    std::printf(
        "4K photos, %s, 10 s at 60 frames a second: frame median %.2f ms, 99th percentile "
        "%.2f ms, worst %.2f ms; textures of the two pictures %.1f MB",
        mode == MotionMode::PanZoom ? "panzoom" : "still", Median(frames.all),
        Percentile(frames.all, 0.99), *std::max_element(frames.all.begin(), frames.all.end()),
        frames.textureMegabytes);
    if (!frames.steps.empty() && mean > 0.0)
      std::printf("; a marked point's step %.3f px, spread %.3f (std dev / mean)", mean,
                  std::sqrt(spread) / mean);
    std::printf("\n");
  }
  std::printf("frames per second in the 640x480 window, no sleep, clock and counter: %.1f\n",
              FramesPerSecond(window.GetHandle(), first));
  g_settings.ShowTime = 0;
  g_settings.FPS = 0;
  std::printf("frames per second in the 640x480 window, no sleep, no overlays: %.1f\n",
              FramesPerSecond(window.GetHandle(), first));
  std::printf("frames per second of Clear and Present alone on the same device: %.1f\n",
              FramesPerSecond(window.GetHandle(), first, true));
  return 0;
}
