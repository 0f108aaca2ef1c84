// Library loading restricted to the system folder.
#include "base/system_library.h"

#include <string>

#include "base/wide_text.h"

void RestrictLibrarySearchToSystem() {
  using SetDirectoriesFunction = BOOL(WINAPI*)(DWORD flags);
  const auto setDirectories = reinterpret_cast<SetDirectoriesFunction>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (setDirectories != nullptr) setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE LoadSystemLibrary(const char* name) {
  HMODULE module = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Systems without the search flags refuse them as an invalid parameter; there the
  // full path names the system's copy, and the altered search finds its own
  // dependencies beside it rather than beside the program.
  if (module != nullptr || GetLastError() != ERROR_INVALID_PARAMETER) return module;
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(folder, length) + L"\\" + WideFromUtf8(name);
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
