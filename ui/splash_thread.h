// The thread that animates the splash pictures in a window: the preview's child
// window or the settings dialog's picture area. One splash thread at a time.
#pragma once

#include <windows.h>

// Creates the thread suspended for target (stopping one started before); the run flag
// is set when it exists.
HANDLE StartSplashThread(HWND target, HINSTANCE instance);
// Lets the thread started last run.
void ResumeSplashThread();
// Clears the run flag and waits up to about one second for the thread to end. A
// thread still running then is left to the process's end, never terminated.
void StopSplashThread();
