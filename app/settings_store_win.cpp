// The settings record's registry storage.
#include <windows.h>

#include <cstring>

#include "app/settings_store.h"
#include "base/settings.h"

namespace {
// Owns an open registry key.
class CRegistryKey {
 public:
  explicit CRegistryKey(const char* path) {
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key,
                        nullptr) != ERROR_SUCCESS)
      m_key = nullptr;
  }
  ~CRegistryKey() {
    if (m_key != nullptr) RegCloseKey(m_key);
  }
  CRegistryKey(const CRegistryKey&) = delete;
  CRegistryKey& operator=(const CRegistryKey&) = delete;
  HKEY Get() const { return m_key; }

 private:
  HKEY m_key = nullptr;
};

// Size of the buffer the help folder is read into, bytes.
constexpr DWORD kPathBufferSize = 1024;
}  // namespace

void LoadSettingsFromRegistry(const char* key) {
  CRegistryKey registry(key);
  if (registry.Get() != nullptr) {
    for (const SettingField& entry : kSettingFields) {
      // A value of 1 to 4 bytes of any type lands byte for byte in the low end of
      // the field; a longer one fails the query and the field keeps its value.
      unsigned char bytes[4] = {0, 0, 0, 0};
      DWORD size = sizeof bytes;
      if (RegQueryValueExA(registry.Get(), entry.valueName, nullptr, nullptr, bytes, &size) ==
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
  if (RegQueryValueExA(registry.Get(), "Path", nullptr, nullptr, reinterpret_cast<BYTE*>(path),
                       &size) == ERROR_SUCCESS) {
    g_settings.Path.assign(path, strnlen(path, size));
  } else {
    g_settings.Path = kDefaultHelpPath;
  }
}

void SaveSettingsToRegistry(const char* key) {
  CRegistryKey registry(key);
  if (registry.Get() == nullptr) return;
  for (const SettingField& entry : kSettingFields) {
    const int32_t value = g_settings.*entry.field;
    RegSetValueExA(registry.Get(), entry.valueName, 0, REG_DWORD,
                   reinterpret_cast<const BYTE*>(&value), sizeof value);
  }
}
