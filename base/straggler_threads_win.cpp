// The threads left running at the end of a run, and the process's end around them.
#include "base/straggler_threads.h"

#include <mutex>
#include <vector>

namespace {
std::mutex g_lock;
std::vector<HANDLE> g_threads;
}  // namespace

void CStragglerThreads::Keep(HANDLE thread) {
  if (thread == nullptr) return;
  const std::lock_guard<std::mutex> hold(g_lock);
  g_threads.push_back(thread);
}

void CStragglerThreads::EndProcessIfAnyRuns(int exitCode) {
  const std::lock_guard<std::mutex> hold(g_lock);
  for (HANDLE thread : g_threads) {
    if (WaitForSingleObject(thread, 0) != WAIT_TIMEOUT) continue;
    // Not ExitProcess: it runs the libraries' detach code after killing the thread,
    // which may then wait for a lock the thread held. Everything the program writes
    // (its settings) is written and closed by now.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode));
  }
}
