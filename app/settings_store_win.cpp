// The settings record's registry storage, under the key the product's Windows-1252
// texts name on every system code page. Value names are ASCII, the same in every code
// page, so the values keep their ANSI calls.
#include <windows.h>

#include <cstring>
#include <string>

#include "app/settings_store.h"
#include "base/settings.h"
#include "base/wide_text.h"

namespace {
// Owns an open registry key.
class CRegistryKey {
 public:
  explicit CRegistryKey(HKEY key) : m_key(key) {}
  ~CRegistryKey() {
    if (m_key != nullptr) RegCloseKey(m_key);
  }
  CRegistryKey(const CRegistryKey&) = delete;
  CRegistryKey& operator=(const CRegistryKey&) = delete;
  HKEY Get() const { return m_key; }

  bool HasValues() const {
    DWORD count = 0;
    return m_key != nullptr &&
           RegQueryInfoKeyW(m_key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                            nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           count > 0;
  }

 private:
  HKEY m_key = nullptr;
};

// The code page the product's texts are written in.
constexpr UINT kWesternCodePage = 1252;

// The key below HKEY_CURRENT_USER that the Windows-1252 path names, created when
// missing; null when it cannot be.
HKEY CreateKey(const char* key) {
  HKEY handle = nullptr;
  return RegCreateKeyExW(HKEY_CURRENT_USER, WideFrom1252(key).c_str(), 0, nullptr, 0,
                         KEY_ALL_ACCESS, nullptr, &handle, nullptr) == ERROR_SUCCESS
             ? handle
             : nullptr;
}

// The key that engines before the explicit Windows-1252 reading made from the same
// bytes: the ANSI call reads them in the system's code page, as theirs did. Null when
// it does not exist.
HKEY OpenOlderKey(const char* key) {
  HKEY handle = nullptr;
  return RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &handle) == ERROR_SUCCESS ? handle
                                                                                      : nullptr;
}

// Size of the buffer the help folder is read into, bytes.
constexpr DWORD kPathBufferSize = 1024;
}  // namespace

void LoadSettingsFromRegistry(const char* key) {
  CRegistryKey registry(CreateKey(key));
  // Settings saved by an older engine on a system of another code page sit under the
  // key it made; they are read until the first save fills the right one. On a
  // Western system the two keys are one.
  const bool otherCodePage = GetACP() != kWesternCodePage;
  CRegistryKey older(otherCodePage && registry.Get() != nullptr && !registry.HasValues()
                         ? OpenOlderKey(key)
                         : nullptr);
  const HKEY source = older.HasValues() ? older.Get() : registry.Get();
  if (source != nullptr) {
    for (const SettingField& entry : kSettingFields) {
      // A value of 1 to 4 bytes of any type lands byte for byte in the low end of
      // the field; a longer one fails the query and the field keeps its value.
      unsigned char bytes[4] = {0, 0, 0, 0};
      DWORD size = sizeof bytes;
      if (RegQueryValueExA(source, entry.valueName, nullptr, nullptr, bytes, &size) ==
          ERROR_SUCCESS) {
        int32_t value;
        std::memcpy(&value, bytes, sizeof value);
        g_settings.*entry.field = value;
      }
    }
  }
  if (registry.Get() == nullptr) {
    g_settings.Path.clear();
    return;
  }
  // One byte more than the value may fill, so that a stored text without its
  // terminating zero still ends inside the buffer.
  char path[kPathBufferSize + 1] = {};
  DWORD size = kPathBufferSize;
  if (RegQueryValueExA(source, "Path", nullptr, nullptr, reinterpret_cast<BYTE*>(path), &size) ==
      ERROR_SUCCESS) {
    g_settings.Path.assign(path, strnlen(path, size));
  } else {
    g_settings.Path = kDefaultHelpPath;
  }
}

void SaveSettingsToRegistry(const char* key) {
  CRegistryKey registry(CreateKey(key));
  if (registry.Get() == nullptr) return;
  for (const SettingField& entry : kSettingFields) {
    const int32_t value = g_settings.*entry.field;
    RegSetValueExA(registry.Get(), entry.valueName, 0, REG_DWORD,
                   reinterpret_cast<const BYTE*>(&value), sizeof value);
  }
}
