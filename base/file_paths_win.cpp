// Wide-character file opening and the module path on Windows.
#include <windows.h>

#include "base/file_paths.h"
#include "base/wide_text.h"

namespace {
// The longest path the wide functions take, in UTF-16 units.
constexpr size_t kMaxWidePath = 32768;
}  // namespace

std::FILE* OpenFileForReading(const std::string& utf8Path) {
  return _wfopen(WideFromUtf8(utf8Path).c_str(), L"rb");
}

std::string ProgramFilePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return std::string();
    if (length < path.size()) {
      path.resize(length);
      return Utf8FromWide(path);
    }
    // A filled buffer holds a cut-off path (XP does not report the error otherwise).
    if (path.size() >= kMaxWidePath) return std::string();
    path.resize(path.size() * 2);
  }
}
