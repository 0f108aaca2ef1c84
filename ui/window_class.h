// Registration of the program's window classes. Each Create registers its class
// again; a class left registered by an earlier Create counts as success.
#pragma once

#include <windows.h>

// Registers the class `name` (own DC, redrawn on resize, arrow cursor) with the
// procedure and background brush given, or finds it registered already. False only
// when it is neither.
bool RegisterWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure,
                         HBRUSH background);
