// Reading a whole file into memory, for the tools and the tests: one place for the
// open, size, limit and read checks.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

// Reads the file at path into *bytes (std::string or std::vector<uint8_t>). False,
// with *error set to "PATH: cannot open", "PATH: cannot read" or "PATH: larger than N
// bytes", when it cannot be read whole or holds more than maxBytes.
template <typename Bytes>
bool ReadWholeFile(const std::filesystem::path& path, Bytes* bytes, std::string* error,
                   uintmax_t maxBytes = UINTMAX_MAX) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) {
    *error = path.u8string() + ": cannot open";
    return false;
  }
  const std::streamoff size = in.tellg();
  if (size < 0 || !in.seekg(0)) {
    *error = path.u8string() + ": cannot read";
    return false;
  }
  if (static_cast<uintmax_t>(size) > maxBytes) {
    *error = path.u8string() + ": larger than " + std::to_string(maxBytes) + " bytes";
    return false;
  }
  bytes->resize(static_cast<size_t>(size));
  if (size > 0 && !in.read(reinterpret_cast<char*>(&(*bytes)[0]), size)) {
    *error = path.u8string() + ": cannot read";
    return false;
  }
  return true;
}
