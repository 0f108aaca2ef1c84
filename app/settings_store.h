// Reading and writing the settings record in the registry below HKEY_CURRENT_USER.
#pragma once

// Fills g_settings from the key (created when missing). Values that are missing or
// longer than 4 bytes keep their current value; Path becomes the stored text, ".\"
// when there is none, or the empty text when the key cannot be opened.
void LoadSettingsFromRegistry(const char* key);

// Writes the fourteen integers as REG_DWORD values; Path is never written. Failures
// are ignored.
void SaveSettingsToRegistry(const char* key);
