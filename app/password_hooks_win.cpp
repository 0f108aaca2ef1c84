// The password hooks over the real system: version query, registry, libraries loaded
// by name from the system folder, and the screensaver-running switch.
#include "app/password_hooks.h"
#include "app/saver_app.h"
#include "base/system_library.h"

namespace {
using VerifyScreenSavePwdFn = BOOL(WINAPI*)(HWND owner);
using PwdChangePasswordFn = DWORD(WINAPI*)(LPCSTR provider, HWND owner, DWORD reserved,
                                           LPVOID reserved2);

class CWin32PasswordSystem : public IPasswordSystem {
 public:
  explicit CWin32PasswordSystem(CSaverApp& app) : m_app(app) {}

  bool QueryPlatform(unsigned long* platformId) override {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return false;
    *platformId = version.dwPlatformId;
    return true;
  }

  bool QueryUsePassword(uint32_t* value) override {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, kDesktopKey, &key) != ERROR_SUCCESS) return false;
    DWORD data = 0;  // a shorter value fills only its own bytes
    DWORD size = sizeof data;
    const LONG result = RegQueryValueExA(key, kUsePasswordValue, nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(&data), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return false;
    *value = data;
    return true;
  }

  void* Load(const char* library) override { return LoadSystemLibrary(library); }

  void* Find(void* library, const char* function) override {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), function));
  }

  void Free(void* library) override { FreeLibrary(static_cast<HMODULE>(library)); }

  long CallVerify(void* function, void* owner) override {
    // The black windows under the dialog still hide the cursor; it shows for the
    // dialog and is hidden again as many times after.
    int shown = 0;
    while (ShowCursor(TRUE) < 0) ++shown;
    ++shown;
    const long result = reinterpret_cast<VerifyScreenSavePwdFn>(function)(static_cast<HWND>(owner));
    for (; shown > 0; --shown) ShowCursor(FALSE);
    return result;
  }

  void CallChange(void* function, const char* provider, void* owner) override {
    reinterpret_cast<PwdChangePasswordFn>(function)(provider, static_cast<HWND>(owner), 0, nullptr);
  }

  void SetScreenSaverRunning(bool on) override { m_app.SetScreenSaverRunning(on); }

 private:
  CSaverApp& m_app;
};
}  // namespace

void CSaverApp::VerifyPassword(HWND owner) {
  CWin32PasswordSystem system(*this);
  VerifyScreenSaverPassword(system, owner);
}

void CSaverApp::ChangePassword(HWND owner) {
  CWin32PasswordSystem system(*this);
  ChangeScreenSaverPassword(system, owner);
}

void CSaverApp::SetScreenSaverRunning(bool on) {
  // The previous state lands in a scratch word; the result is of no use either way.
  UINT previous = 0;
  SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, on ? 1 : 0, &previous, 0);
}
