// Time from input to gone: the real screensaver in "/s", with KeepTime and
// TransitionTime 1, gets a key press at eight moments spread over one cycle after
// its grace time; measured is the time until none of its windows is visible, and the
// process's peak private bytes just before the press.
//   input_bench PRODUCT.scr SETTINGS_KEY [PRODUCT.scr SETTINGS_KEY]...
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/win/support/saver_harness.h"

namespace {
constexpr int kPresses = 8;
// Past the grace time, which counts rendered time (at most 0.1 s a frame) from the
// first image: two whole cycles after it shows.
constexpr DWORD kFirstPressMs = 4000;
constexpr DWORD kCycleMs = 2000;  // keep 1 s + transition 1 s

double Now() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return 1000.0 * static_cast<double>(counter.QuadPart) / frequency.QuadPart;
}

// The process's peak private bytes so far, in MB; 0 when it cannot be read.
double PeakPrivateMb(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (process == nullptr) return 0.0;
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  const bool read = GetProcessMemoryInfo(process, &counters, sizeof counters) != 0;
  CloseHandle(process);
  return read ? counters.PeakPagefileUsage / (1024.0 * 1024.0) : 0.0;
}

// True once the screen shows something other than black at any of a few points.
bool PictureShows() {
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  for (int i = 1; i <= 3; ++i) {
    const int x = width * i / 4, y = height * i / 4;
    if ((CaptureScreenRect({x, y, x + 1, y + 1}).At(0, 0) & 0xE0E0E0) != 0) return true;
  }
  return false;
}

// Milliseconds from the key press at `pressMs` after the first picture shows to the
// last window going away; negative on failure. *peakMb gets the peak private bytes.
double PressAndTime(const std::string& product, DWORD pressMs, double* peakMb) {
  CTestProcess saver;
  if (!saver.Start(product, "/s")) return -1.0;
  if (!WaitUntil(PictureShows, 20000)) {
    std::fprintf(stderr, "input_bench: no picture shown\n");
    return -1.0;
  }
  Sleep(pressMs);
  *peakMb = PeakPrivateMb(saver.Id());
  // A press can still fall in the grace time when frames were slow; it is repeated
  // after a pause longer than any frame, and the time counts from the last press.
  double pressed = 0.0;
  bool gone = false;
  for (int attempt = 0; attempt < 4 && !gone; ++attempt) {
    pressed = Now();
    SendKey(VK_SPACE);
    gone = WaitUntil([&] { return FindWindows(saver.Id(), nullptr, nullptr).empty(); }, 5000);
    if (!gone) std::fprintf(stderr, "input_bench: the windows stayed; pressing again\n");
  }
  if (!gone) return -1.0;
  const double goneMs = Now() - pressed;
  DWORD exitCode = 1;
  if (!saver.WaitForExit(20000, &exitCode) || exitCode != 0) {
    std::fprintf(stderr, "input_bench: no exit, or exit code %lu\n", exitCode);
    return -1.0;
  }
  return goneMs;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc % 2 == 0) {
    std::fprintf(stderr,
                 "usage: input_bench PRODUCT.scr SETTINGS_KEY [PRODUCT.scr SETTINGS_KEY]...\n");
    return 2;
  }
  struct Product {
    const char* path;
    std::vector<double> times;
    double peakMb = 0.0;
  };
  std::vector<Product> products;
  const DWORD one = 1;
  for (int arg = 1; arg + 1 < argc; arg += 2) {
    if (!WriteRegistryValue(argv[arg + 1], "KeepTime", REG_DWORD, &one, sizeof one) ||
        !WriteRegistryValue(argv[arg + 1], "TransitionTime", REG_DWORD, &one, sizeof one))
      return 1;
    products.push_back({argv[arg], {}, 0.0});
  }
  // The products take turns at each moment, so that they meet the same machine.
  for (int i = 0; i < kPresses; ++i) {
    for (Product& product : products) {
      double peakMb = 0.0;
      const double ms =
          PressAndTime(product.path, kFirstPressMs + i * kCycleMs / kPresses, &peakMb);
      if (ms < 0) {
        std::fprintf(stderr, "input_bench: run %d of %s failed (peak private bytes %.0f MB)\n", i,
                     product.path, peakMb);
        return 1;
      }
      product.times.push_back(ms);
      product.peakMb = std::max(product.peakMb, peakMb);
    }
  }
  for (Product& product : products) {
    std::string each;
    for (double t : product.times) each += " " + std::to_string(static_cast<int>(t + 0.5));
    std::vector<double>& times = product.times;
    std::sort(times.begin(), times.end());
    std::printf(
        "input to gone, %s: min %.0f ms, median %.0f ms, max %.0f ms (each:%s); peak private "
        "bytes %.0f MB\n",
        product.path, times.front(), times[times.size() / 2], times.back(), each.c_str(),
        product.peakMb);
  }
  return 0;
}
