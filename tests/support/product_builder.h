// Test helper: the one product builder (engine bytes, encrypted ZIP, trailer, written
// by the packer's own writer) and the whole-file reader and writer every test uses.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "data/content_archive.h"
#include "tools/common/whole_file.h"
#include "tools/quillpack/product_writer.h"

struct ProductEntry {
  std::string name;
  std::string data;
  const char* password = kContentArchivePassword;  // null: stored unencrypted
};
// Older names of the entry.
using FixtureEntry = ProductEntry;
using ContentEntry = ProductEntry;

// Writes engine + archive + trailer; the writer's reason in *error when it fails.
inline bool WriteProduct(const std::filesystem::path& path, const std::string& engine,
                         const std::vector<ProductEntry>& entries, std::string* error = nullptr) {
  CProductWriter writer;
  bool ok = writer.Begin(path, engine.data(), engine.size());
  for (size_t i = 0; ok && i < entries.size(); ++i)
    ok = writer.AddEntry(entries[i].name, entries[i].data.data(), entries[i].data.size(),
                         entries[i].password);
  ok = ok && writer.Commit();
  if (!ok && error != nullptr) *error = writer.GetError();
  return ok;
}
inline bool WriteProductFile(const std::filesystem::path& path, const std::string& engine,
                             const std::vector<ProductEntry>& entries, std::string* error) {
  return WriteProduct(path, engine, entries, error);
}

// Bytes standing in for an engine: starts like an executable, then a pattern.
inline std::string FakeEngine(size_t size) {
  std::string engine(size, '\0');
  for (size_t i = 0; i < size; ++i) engine[i] = static_cast<char>((i * 131 + 7) & 0xFF);
  if (size >= 2) engine.replace(0, 2, "MZ");
  return engine;
}

// The file's bytes; empty when it cannot be read (the comparisons then fail).
inline std::string ReadWholeFile(const std::filesystem::path& path) {
  std::string bytes;
  std::string error;
  return ReadWholeFile(path, &bytes, &error) ? bytes : std::string();
}
inline std::string ReadFileBytes(const std::string& path) { return ReadWholeFile(path); }

inline void WriteWholeFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
