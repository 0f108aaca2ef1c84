// Windows thread priority.
#include <windows.h>

#include "base/thread_priority.h"

void LowerThisThreadPriority() {
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
}
