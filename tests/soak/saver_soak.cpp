// The soak run: the screensaver mode of a product for many minutes under Wine, with
// its private bytes and handle count sampled every 10 s and the screen captured twice a
// second to tell which images were shown. It ends the run with a key press and checks
// the exit code and the display mode, then prints and saves a report.
//   saver_soak PRODUCT.scr CONTENT_FOLDER SETTINGS_KEY MINUTES REPORT_FILE
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "render/image_decoder.h"
#include "tests/soak/trend_line.h"
#include "tests/win/support/saver_harness.h"
#include "tools/common/whole_file.h"
#include "ui/saver_wnd.h"

namespace {
constexpr DWORD kSampleEveryMs = 10000;
constexpr DWORD kCaptureEveryMs = 500;
constexpr double kSettleSeconds = 60.0;  // start-up allocations end within this
constexpr double kAllowedDrift = 0.05;   // after it, handles stay within 5 % of the first
// After it, the line through private bytes at rest rises by at most 1 % of their mean
// per 10 minutes.
constexpr double kAllowedGrowth = 0.01;
constexpr double kGrowthSeconds = 600.0;
// Thumbnails the screen is compared at: the renderer stretches every image to the
// screen, so a thumbnail of the image and one of the screen match when it is shown.
constexpr int kThumbWidth = 32;
constexpr int kThumbHeight = 24;
// Mean difference per channel below which a capture counts as showing an image.
constexpr double kShownDistance = 14.0;

using Thumbnail = std::vector<double>;  // kThumbWidth * kThumbHeight * 3 channel means

// One 10 s period. Private bytes are read with every capture: each slideshow cycle
// decodes an image, whose buffers come and go within the cycle, so single readings
// swing by tens of megabytes. The period's lowest reading is what the process holds
// at rest, and a leak raises it; the highest is reported beside it.
struct Sample {
  double seconds;       // end of the period since the run started
  SIZE_T privateBytes;  // lowest reading of the period
  SIZE_T privatePeak;   // highest reading of the period
  DWORD handles;        // at the end of the period
};

void AddPixel(Thumbnail* thumb, size_t cell, uint32_t pixel) {
  (*thumb)[cell * 3 + 0] += (pixel >> 16) & 0xFF;
  (*thumb)[cell * 3 + 1] += (pixel >> 8) & 0xFF;
  (*thumb)[cell * 3 + 2] += pixel & 0xFF;
}

// Block means of the captured screen.
Thumbnail ScreenThumbnail(const ScreenImage& image) {
  Thumbnail thumb(kThumbWidth * kThumbHeight * 3, 0.0);
  std::vector<int> counts(kThumbWidth * kThumbHeight, 0);
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const size_t cell = static_cast<size_t>(y * kThumbHeight / image.height) * kThumbWidth +
                          x * kThumbWidth / image.width;
      AddPixel(&thumb, cell, image.At(x, y));
      ++counts[cell];
    }
  for (size_t i = 0; i < thumb.size(); ++i) thumb[i] /= counts[i / 3] > 0 ? counts[i / 3] : 1;
  return thumb;
}

bool ImageThumbnail(const std::string& path, Thumbnail* thumb) {
  std::string file, error;
  if (!ReadWholeFile(path, &file, &error) || file.empty()) return false;
  ImageRequest request;
  request.width = kThumbWidth;
  request.height = kThumbHeight;
  request.mipLevels = 1;
  DecodedImage decoded;
  if (!DecodeImage(file.data(), file.size(), request, decoded)) return false;
  const MipLevel& level = decoded.levels[0];
  thumb->assign(kThumbWidth * kThumbHeight * 3, 0.0);
  for (int i = 0; i < level.width * level.height; ++i) AddPixel(thumb, i, level.pixels[i]);
  return true;
}

double Distance(const Thumbnail& a, const Thumbnail& b) {
  double sum = 0.0;
  for (size_t i = 0; i < a.size(); ++i) sum += a[i] > b[i] ? a[i] - b[i] : b[i] - a[i];
  return sum / a.size();
}

// The system's handle table row of NtQuerySystemInformation's extended handle list.
struct HandleEntry {
  void* object;
  ULONG_PTR processId;
  ULONG_PTR handle;
  ULONG access;
  USHORT creatorBackTrace;
  USHORT type;
  ULONG attributes;
  ULONG reserved;
};
struct HandleTable {
  ULONG_PTR count;
  ULONG_PTR reserved;
  HandleEntry entries[1];
};
constexpr ULONG kSystemExtendedHandleInformation = 64;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

// The process's open handles. Wine answers GetProcessHandleCount with 0, so the count
// then comes from the system's handle table.
DWORD CountHandles(HANDLE process, DWORD processId) {
  DWORD count = 0;
  if (GetProcessHandleCount(process, &count) && count != 0) return count;
  using QueryFn = LONG(NTAPI*)(ULONG, void*, ULONG, ULONG*);
  const auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (query == nullptr) return 0;
  std::vector<char> buffer(1 << 20);
  ULONG needed = 0;
  LONG status;
  while ((status = query(kSystemExtendedHandleInformation, buffer.data(),
                         static_cast<ULONG>(buffer.size()), &needed)) == kInfoLengthMismatch)
    buffer.resize(buffer.size() * 2);
  if (status != 0) return 0;
  const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
  for (ULONG_PTR i = 0; i < table->count; ++i)
    if (table->entries[i].processId == processId) ++count;
  return count;
}

// Private bytes. Windows reports them twice (PrivateUsage and PagefileUsage hold the
// same commit charge); Wine fills only the second.
SIZE_T PrivateBytes(HANDLE process) {
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                            sizeof memory))
    return 0;
  return memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
}

// Growth of the line through private bytes at rest after the settling time, per
// kGrowthSeconds as a share of their mean (negative when it falls); false without two
// good readings.
bool PrivateGrowth(const std::vector<Sample>& samples, double* growth, double* mean) {
  std::vector<TimedReading> readings;
  *mean = 0.0;
  for (const Sample& s : samples) {
    if (s.seconds < kSettleSeconds) continue;
    if (s.privateBytes == 0) return false;  // a failed reading proves nothing
    readings.push_back({s.seconds, static_cast<double>(s.privateBytes)});
    *mean += readings.back().value;
  }
  if (readings.size() < 2) return false;
  *mean /= readings.size();
  *growth = LeastSquaresSlope(readings) * kGrowthSeconds / *mean;
  return true;
}

// Largest relative distance of the samples after the settling time from the first
// of them; -1 when there is none.
template <class Field>
double Drift(const std::vector<Sample>& samples, Field field, double* base, double* low,
             double* high) {
  double drift = -1.0;
  bool first = true;
  for (const Sample& s : samples) {
    if (s.seconds < kSettleSeconds) continue;
    const double value = static_cast<double>(field(s));
    if (value <= 0) return -1.0;  // a failed reading proves nothing
    if (first) {
      *base = *low = *high = value;
      first = false;
      drift = 0.0;
      continue;
    }
    *low = value < *low ? value : *low;
    *high = value > *high ? value : *high;
    const double relative = (value > *base ? value - *base : *base - value) / *base;
    drift = relative > drift ? relative : drift;
  }
  return drift;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr,
                 "usage: saver_soak PRODUCT.scr CONTENT_FOLDER SETTINGS_KEY MINUTES REPORT\n");
    return 2;
  }
  const std::string product = argv[1];
  const std::string content = argv[2];
  const std::string key = argv[3];
  const double minutes = std::atof(argv[4]);
  const std::string reportPath = argv[5];

  std::vector<Thumbnail> images;
  for (Thumbnail thumb;
       ImageThumbnail(content + "\\images\\" + std::to_string(images.size()) + ".jpg", &thumb);)
    images.push_back(thumb);
  if (images.empty()) {
    std::fprintf(stderr, "saver_soak: no images in %s\\images\n", content.c_str());
    return 2;
  }

  for (const auto& setting : {std::make_pair("KeepTime", 1), std::make_pair("TransitionTime", 1),
                              std::make_pair("Desktop", 1)}) {
    WriteRegistryDword(key, setting.first, setting.second);
  }
  const DisplayModeReading modeBefore = CurrentDisplayMode();
  MoveCursorTo(GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2);

  CTestProcess saver;
  if (!saver.Start(product, "/s") ||
      WaitForWindow(saver.Id(), kSaverWindowClass, kSaverWindowTitle, 20000) == nullptr) {
    std::fprintf(stderr, "saver_soak: the screensaver did not start\n");
    return 1;
  }
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, saver.Id());

  std::vector<Sample> samples;
  std::vector<int> shown(images.size(), 0);
  int captures = 0;
  const DWORD start = GetTickCount();
  const DWORD length = static_cast<DWORD>(minutes * 60000.0);
  DWORD nextSample = 0;
  SIZE_T low = 0, high = 0;  // readings of the current period; low 0: none yet
  for (DWORD now = 0; now < length && saver.IsRunning(); now = GetTickCount() - start) {
    const SIZE_T reading = PrivateBytes(process);
    low = low == 0 || reading < low ? reading : low;
    high = reading > high ? reading : high;
    if (now >= nextSample) {
      const Sample sample{now / 1000.0, low, high, CountHandles(process, saver.Id())};
      samples.push_back(sample);
      std::printf("%6.0f s  private %8zu KiB (peak %8zu KiB)  handles %lu\n", sample.seconds,
                  static_cast<size_t>(sample.privateBytes / 1024),
                  static_cast<size_t>(sample.privatePeak / 1024), sample.handles);
      std::fflush(stdout);
      nextSample += kSampleEveryMs;
      low = high = 0;
    }
    const Thumbnail screen = ScreenThumbnail(CaptureScreen());
    ++captures;
    size_t best = 0;
    for (size_t i = 1; i < images.size(); ++i)
      if (Distance(screen, images[i]) < Distance(screen, images[best])) best = i;
    if (Distance(screen, images[best]) < kShownDistance) ++shown[best];
    Sleep(kCaptureEveryMs);
  }
  const bool ranThrough = saver.IsRunning();

  SendKey(VK_SPACE);
  DWORD exitCode = 0xFFFFFFFF;
  const bool ended = saver.WaitForExit(20000, &exitCode);
  const DisplayModeReading modeAfter = CurrentDisplayMode();
  CloseHandle(process);

  double privateBase = 0, privateLow = 0, privateHigh = 0;
  double handleBase = 0, handleLow = 0, handleHigh = 0;
  const double privateDrift = Drift(
      samples, [](const Sample& s) { return s.privateBytes; }, &privateBase, &privateLow,
      &privateHigh);
  double peakBase = 0, peakLow = 0, peakHigh = 0;
  const double peakDrift = Drift(
      samples, [](const Sample& s) { return s.privatePeak; }, &peakBase, &peakLow, &peakHigh);
  const double handleDrift = Drift(
      samples, [](const Sample& s) { return s.handles; }, &handleBase, &handleLow, &handleHigh);
  double privateGrowth = 0, privateMean = 0;
  const bool growthKnown = PrivateGrowth(samples, &privateGrowth, &privateMean);
  int missing = 0;
  std::ostringstream report;
  report << "soak of " << product << ": " << minutes << " min, " << samples.size() << " samples, "
         << captures << " captures\n";
  report << "private bytes at rest after the first minute: mean " << privateMean / 1024
         << " KiB, slope " << (growthKnown ? "" : "UNKNOWN ")
         << privateGrowth * privateMean / kGrowthSeconds * 60 / 1024
         << " KiB/min = " << privateGrowth * 100 << " % of the mean per " << kGrowthSeconds / 60
         << " min (at most " << kAllowedGrowth * 100 << " %)\n";
  report << "  (not judged) first " << privateBase / 1024 << " KiB, range " << privateLow / 1024
         << " .. " << privateHigh / 1024 << " KiB, drift " << privateDrift * 100 << " %\n";
  report << "private bytes at the periods' peaks (not judged): first " << peakBase / 1024
         << " KiB, range " << peakLow / 1024 << " .. " << peakHigh / 1024 << " KiB, drift "
         << peakDrift * 100 << " %\n";
  report << "handles after the first minute: first " << handleBase << ", range " << handleLow
         << " .. " << handleHigh << ", drift " << handleDrift * 100 << " %\n";
  report << "captures per image:";
  for (size_t i = 0; i < shown.size(); ++i) {
    report << " " << i << ":" << shown[i];
    if (shown[i] == 0) ++missing;
  }
  report << "\n";
  const bool modeKept = modeBefore.width == modeAfter.width &&
                        modeBefore.height == modeAfter.height &&
                        modeBefore.bitsPerPixel == modeAfter.bitsPerPixel && modeAfter.width != 0;
  report << "ran through: " << (ranThrough ? "yes" : "no")
         << "; ended on the key: " << (ended ? "yes" : "no") << ", exit code " << exitCode
         << "; display mode " << modeAfter.width << "x" << modeAfter.height << "x"
         << modeAfter.bitsPerPixel << (modeKept ? " as before" : " CHANGED") << "\n";
  const bool pass = ranThrough && ended && exitCode == 0 && modeKept && missing == 0 &&
                    growthKnown && privateGrowth <= kAllowedGrowth && handleDrift >= 0 &&
                    handleDrift <= kAllowedDrift;
  report << (pass ? "PASS" : "FAIL") << "\n";
  std::fputs(report.str().c_str(), stdout);
  std::ofstream(reportPath) << report.str();
  return pass ? 0 : 1;
}
