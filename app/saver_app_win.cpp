// The application object: preparation, mode dispatch and the single error report.
#include "app/saver_app.h"

#include <cstdlib>

#include "app/command_line.h"
#include "app/product_config.h"
#include "app/settings_store.h"
#include "base/error_trace.h"
#include "base/file_paths.h"
#include "base/pending_failure.h"
#include "base/random.h"
#include "base/settings.h"
#include "base/system_library.h"
#include "data/content_archive.h"

namespace {
bool IsLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

// Element i of the argument vector the runtime built from the command line, or null.
const char* Argument(int index) { return index < __argc ? __argv[index] : nullptr; }
}  // namespace

CSaverApp::CSaverApp() { g_pApp = this; }

CSaverApp::~CSaverApp() {
  if (m_instanceMutex != nullptr) {
    CloseHandle(m_instanceMutex);
    m_instanceMutex = nullptr;
  }
  if (g_pApp == this) g_pApp = nullptr;
}

int CSaverApp::Run(HINSTANCE instance) {
  m_instance = instance;
  try {
    try {
      RunInErrorFrame("CSaverApp::Run", [this] {
        if (Prepare()) Dispatch();
        // A window procedure may have failed where nothing rethrew it yet.
        g_pendingFailure.RethrowIfSet();
      });
      return 0;
    } catch (...) {
      ShowErrorReport();
      return 1;
    }
  } catch (...) {
    // The report itself failed: nothing more can be shown.
    return 1;
  }
}

void CSaverApp::ShowErrorReport() {
  const std::string& text = ComposeErrorReport();
  MessageBoxA(nullptr, text.c_str(), kMessageCaption, MB_ICONINFORMATION | MB_SYSTEMMODAL);
}

bool CSaverApp::Prepare() {
  SeedRandom(GetTickCount());
  if (!InitMedia()) {
    // Without content nothing can run; this is no failure of the program's own.
    MessageBoxA(nullptr, "Unable to init Media file.", kMessageCaption, MB_ICONERROR);
    return false;
  }
  SetDefaults();
  LoadSettings();
  StartClock();
  return true;
}

void CSaverApp::Dispatch() {
  switch (MatchOption(Argument(1), &IsLeadByte)) {
    case ModeConfig:
    case ModeNone:
      DoConfig();
      break;
    case ModeChangePassword:
      ChangePassword(reinterpret_cast<HWND>(static_cast<INT_PTR>(ParseWindowHandle(Argument(2)))));
      break;
    case ModePreview:
      if (CheckInstance()) DoPreview();
      break;
    case ModeTest:
      DoTest();
      break;
    case ModeSaver:
      if (CheckInstance()) DoSaver();
      break;
  }
}

bool CSaverApp::CheckInstance() {
  m_instanceMutex = CreateMutexA(nullptr, FALSE, kInstanceMutexName);
  return GetLastError() != ERROR_ALREADY_EXISTS;
}

bool CSaverApp::InitMedia() {
  // The module's own path in full, whatever the language of its folders' names; a
  // failed open shows as the failed read below.
  OpenContentArchive(ProgramFilePath().c_str());
  std::unique_ptr<IFileData> config = ReadArchiveFile(kConfigEntryName, false);
  if (!config) return false;
  return ReadProductConfig(config->GetData(), config->GetSize(), g_product);
}

void CSaverApp::LoadSettings() {
  RunInErrorFrame("CSaverApp::LoadSettings",
                  [] { LoadSettingsFromRegistry(g_product.SettingsKey.c_str()); });
}

void CSaverApp::SaveSettings() {
  RunInErrorFrame("CSaverApp::SaveSettings",
                  [] { SaveSettingsToRegistry(g_product.SettingsKey.c_str()); });
}

void CSaverApp::StartClock() {
  m_timer.Start();
  m_clock.Start(m_timer.Elapsed());
}

void CSaverApp::TickClock() { m_clock.Tick(m_timer.Elapsed()); }

int CSaverApp::PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
    if (!GetMessageA(&message, nullptr, 0, 0)) return 0;
    DispatchAndRethrow(message);
  }
  return 1;
}

void CSaverApp::DispatchAndRethrow(const MSG& message) {
  TranslateMessage(&message);
  DispatchMessageA(&message);
  g_pendingFailure.RethrowIfSet();
}

CDrawer* CSaverApp::GetDrawer() { return &m_drawer; }

void ShowHelp() {
  RunInErrorFrame("ShowHelp", [] {
    const std::string path = g_settings.Path + "ReadMe.chm";
    // The shell library is large and only the help needs it, so it is loaded here
    // rather than at every start of the program.
    HMODULE shell = LoadSystemLibrary("shell32.dll");
    if (shell == nullptr) return;
    using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    const auto execute = reinterpret_cast<ShellExecuteFunction>(
        reinterpret_cast<void*>(GetProcAddress(shell, "ShellExecuteA")));
    // The library stays loaded: the shell may still work for the request after
    // the call returns.
    if (execute != nullptr) execute(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  });
}
