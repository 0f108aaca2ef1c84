// Process entry of the screensaver.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <memory>

#include "app/saver_app.h"
#include "base/module_state.h"
#include "base/straggler_threads.h"
#include "base/system_library.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Before COM or anything else loads a library: none may come from the program's folder.
  RestrictLibrarySearchToSystem();
  CoInitialize(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_COOL_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  CModuleState::Init(instance);

  auto app = std::make_unique<CSaverApp>();
#ifdef QUILL_FIRST_FRAME_BUILD
  // The start-up benchmark's build: the run ends after its first presented frame,
  // which it tells the benchmark through the named event the benchmark waits on.
  app->SetFrameLimit(1, [] {
    HANDLE presented = OpenEventA(EVENT_MODIFY_STATE, FALSE, kFirstFrameEventName);
    if (presented != nullptr) {
      SetEvent(presented);
      CloseHandle(presented);
    }
  });
#endif
  const int exitCode = app->Run(instance);

  // The application's windows and renderer go before COM and the module state.
  app.reset();
  CModuleState::Release();
  CoUninitialize();
  // A thread that would not stop must not meet the C runtime's exit.
  CStragglerThreads::EndProcessIfAnyRuns(exitCode);
  return exitCode;
}
