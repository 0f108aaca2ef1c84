// Reading and writing the settings record in the registry below HKEY_CURRENT_USER.
#pragma once

// key is the path below HKEY_CURRENT_USER in Windows-1252, as the configuration names
// it.
//
// Fills g_settings from the key (created when missing); while the key holds no values,
// from the key an older engine made from the same bytes in the system's code page,
// when that one differs and holds some. Values that are missing or
// longer than 4 bytes keep their current value; Path becomes the stored text, ".\"
// when there is none, or the empty text when the key cannot be opened.
void LoadSettingsFromRegistry(const char* key);

// Writes the fourteen integers as REG_DWORD values; Path is never written. Failures
// are ignored.
void SaveSettingsToRegistry(const char* key);
