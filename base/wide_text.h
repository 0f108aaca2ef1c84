// The boundary where text meets Windows' wide functions: std::wstring from the
// configuration's Windows-1252 bytes or the engine's UTF-8, and back to UTF-8.
// Included by Windows files only, where wchar_t is a UTF-16 unit.
#pragma once

#include <string>

#include "base/text_encoding.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide text is UTF-16");

inline std::wstring WideFrom1252(const std::string& ansi) {
  const std::u16string text = Windows1252ToUtf16(ansi);
  return std::wstring(text.begin(), text.end());
}

inline std::wstring WideFromUtf8(const std::string& utf8) {
  const std::u16string text = Utf8ToUtf16(utf8);
  return std::wstring(text.begin(), text.end());
}

inline std::string Utf8FromWide(const std::wstring& wide) {
  return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}
