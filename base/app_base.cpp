// Process-wide application pointer and keep-running flag.
#include "base/app_base.h"

CAppBase* g_pApp = nullptr;
int g_keepRunning = 1;
