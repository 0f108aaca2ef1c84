// File opening and the program's path where paths are bytes already (the native
// builds of tests and tools).
#include <unistd.h>

#include "base/file_paths.h"

std::FILE* OpenFileForReading(const std::string& utf8Path) {
  return std::fopen(utf8Path.c_str(), "rb");
}

std::string ProgramFilePath() {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
  if (length <= 0 || static_cast<size_t>(length) >= sizeof path) return std::string();
  return std::string(path, static_cast<size_t>(length));
}
