// Threads that did not stop when their owner asked (a splash thread or the music
// thread stuck in a system call): they keep running, so the process must end without
// the C runtime's exit, which would close the files and free the memory they use.
#pragma once

#include <windows.h>

class CStragglerThreads {
 public:
  // Takes over the handle of a thread its owner gave up waiting for.
  static void Keep(HANDLE thread);
  // Ends the process at once with exitCode when a kept thread still runs; returns
  // otherwise (and then the process exits the ordinary way).
  static void EndProcessIfAnyRuns(int exitCode);
};
