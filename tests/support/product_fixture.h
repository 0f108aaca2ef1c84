// Test helper: folders of the build tree for the products a test builds, and the
// finding and patching of ZIP records in them to make damaged fixtures.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/product_builder.h"

// A folder of the build tree for one test's files, emptied first.
// ctest runs each test in a process of its own, in parallel, so the folder is also
// named after the running test.
inline std::filesystem::path FixtureFolder(const std::string& name) {
  std::string owner = "no-test";
  if (const auto* test = ::testing::UnitTest::GetInstance()->current_test_info())
    owner = std::string(test->test_suite_name()) + "." + test->name();
  const std::filesystem::path folder =
      std::filesystem::path(QUILL_BINARY_DIR) / "test-fixtures" / owner / name;
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  std::filesystem::create_directories(folder);
  return folder;
}

inline uint32_t GetLe32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

inline void PutLe32(std::string* bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) (*bytes)[at + i] = static_cast<char>(value >> (8 * i));
}

inline uint32_t GetLe16(const std::string& bytes, size_t at) {
  return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
}

// Offset of the ZIP record with `signature` ("PK\1\2" central, "PK\3\4" local) whose
// name is `name`; std::string::npos when there is none.
inline size_t FindZipRecord(const std::string& bytes, const char* signature,
                            const std::string& name) {
  const bool central = signature[2] == '\1';
  const size_t nameLengthAt = central ? 28 : 26;
  const size_t nameAt = central ? 46 : 30;
  for (size_t at = bytes.find(signature, 0, 4); at != std::string::npos;
       at = bytes.find(signature, at + 1, 4)) {
    if (at + nameAt > bytes.size()) break;
    if (GetLe16(bytes, at + nameLengthAt) == name.size() &&
        bytes.compare(at + nameAt, name.size(), name) == 0)
      return at;
  }
  return std::string::npos;
}

inline size_t FindEndOfCentralDirectory(const std::string& bytes) {
  return bytes.rfind(std::string("PK\5\6", 4));
}
