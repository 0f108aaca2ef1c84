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

// The smallest program file signing tools take as a Windows program: a DOS header, a
// PE32+ header whose data directory has all 16 entries, no sections, padded to 512.
inline std::string MinimalPeEngine() {
  std::string pe(512, '\0');
  const auto put = [&pe](size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) pe[at + i] = static_cast<char>(value >> (8 * i));
  };
  pe.replace(0, 2, "MZ");
  put(0x3C, 64, 4);  // the PE header's offset
  pe.replace(64, 4, std::string("PE\0\0", 4));
  put(68, 0x8664, 2);       // x86-64
  put(84, 240, 2);          // size of the optional header
  put(86, 0x22, 2);         // executable, large addresses
  put(88, 0x20B, 2);        // PE32+
  put(88 + 32, 0x1000, 4);  // section alignment
  put(88 + 36, 0x200, 4);   // file alignment
  put(88 + 56, 0x1000, 4);  // size of the image
  put(88 + 60, 0x200, 4);   // size of the headers
  put(88 + 68, 2, 2);       // a GUI program
  put(88 + 108, 16, 4);     // entries in the data directory
  return pe;
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
