// Time from process start to the first presented frame: the product's first-frame
// build against the minimal Direct3D 8 program, started alternately so that both
// meet the same machine. Each sets a named event right after its first Present;
// the time to that event is measured, so the process's teardown does not count.
//   startup_bench PRODUCT.scr MINIMAL.exe [RUNS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/saver_app.h"

namespace {
// Milliseconds from CreateProcess to the first Present; negative on failure.
double TimeRun(const std::string& program, const std::string& arguments, HANDLE presented) {
  ResetEvent(presented);
  std::string commandLine = "\"" + program + "\" " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  LARGE_INTEGER frequency, begin, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&begin);
  if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &info))
    return -1.0;
  HANDLE waits[2] = {presented, info.hProcess};
  const bool shown = WaitForMultipleObjects(2, waits, FALSE, 60000) == WAIT_OBJECT_0;
  QueryPerformanceCounter(&end);
  const bool ended = WaitForSingleObject(info.hProcess, 60000) == WAIT_OBJECT_0;
  DWORD exitCode = 1;
  GetExitCodeProcess(info.hProcess, &exitCode);
  if (!ended) TerminateProcess(info.hProcess, 1);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  if (!shown || !ended || exitCode != 0) return -1.0;
  return 1000.0 * static_cast<double>(end.QuadPart - begin.QuadPart) / frequency.QuadPart;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: startup_bench PRODUCT.scr MINIMAL.exe [RUNS]\n");
    return 2;
  }
  const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 7;
  HANDLE presented = CreateEventA(nullptr, TRUE, FALSE, kFirstFrameEventName);
  if (presented == nullptr) return 1;
  std::vector<double> product, minimal;
  for (int i = 0; i < runs; ++i) {
    const double a = TimeRun(argv[1], "/t", presented);
    const double b = TimeRun(argv[2], "", presented);
    if (a < 0 || b < 0) {
      std::fprintf(stderr, "startup_bench: a run failed (product %.0f ms, minimal %.0f ms)\n", a,
                   b);
      return 1;
    }
    product.push_back(a);
    minimal.push_back(b);
  }
  const double p = Median(product), m = Median(minimal);
  std::printf(
      "start to first frame, median of %d: product %.1f ms, minimal Direct3D 8 program "
      "%.1f ms, difference %.1f ms\n",
      runs, p, m, p - m);
  return 0;
}
