// Native builds (tests, benchmarks): a nicer value for the calling thread, which
// Linux keeps per thread.
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "base/thread_priority.h"

void LowerThisThreadPriority() {
  constexpr int kBackgroundNice = 5;
  setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), kBackgroundNice);
}
