// The password hooks' decisions, free of system headers.
#include "app/password_hooks.h"

void VerifyScreenSaverPassword(IPasswordSystem& system, void* owner) {
  unsigned long platform = 0;
  if (!system.QueryPlatform(&platform) || platform != kPlatformWindows9x) return;
  uint32_t usePassword = 0;
  if (!system.QueryUsePassword(&usePassword) || usePassword == 0) return;
  void* library = system.Load(kVerifyLibrary);
  // The system must see a running screensaver while it asks, so that the password
  // dialog cannot be dodged with the task switch keys; this holds without the library
  // too.
  system.SetScreenSaverRunning(true);
  if (library == nullptr) return;
  if (void* verify = system.Find(library, kVerifyFunction)) {
    // A cancelled or wrong entry asks again: the desktop stays covered until the
    // password is right.
    while (system.CallVerify(verify, owner) != 1) {
    }
  }
  system.Free(library);
}

void ChangeScreenSaverPassword(IPasswordSystem& system, void* owner) {
  void* library = system.Load(kChangeLibrary);
  if (library == nullptr) return;
  if (void* change = system.Find(library, kChangeFunction))
    system.CallChange(change, kChangeProvider, owner);
  system.Free(library);
}
