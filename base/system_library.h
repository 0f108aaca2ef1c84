// System libraries loaded from the system folder only: a library of the same name
// saved beside the program (in a downloads folder, say) must never run.
#pragma once

#include <windows.h>

// Restricts every later library search of the process to the system folder. Called
// first thing at start; does nothing on systems without SetDefaultDllDirectories
// (before Windows 8 without its update), where LoadSystemLibrary still holds.
void RestrictLibrarySearchToSystem();

// Loads the system library `name` (e.g. "d3d8.dll") from the system folder; null when
// it is not there.
HMODULE LoadSystemLibrary(const char* name);
