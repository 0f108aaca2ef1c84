// Writes product files: the engine's bytes, then a ZIP of content entries (deflated,
// encrypted under the product password, offsets counted from the ZIP's own first
// byte), then the trailer that tells the engine where the ZIP starts. The file is
// built under a temporary name beside the output and renamed into place only when
// complete, so a failure never leaves half a product.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "data/content_archive.h"

class CProductWriter {
 public:
  CProductWriter() = default;
  // Abandons an unfinished product: the temporary file is removed.
  ~CProductWriter();
  CProductWriter(const CProductWriter&) = delete;
  CProductWriter& operator=(const CProductWriter&) = delete;

  // Starts a product that will replace `output`, writing the engine bytes first.
  bool Begin(const std::filesystem::path& output, const void* engine, size_t engineSize);
  // Adds one entry under `name` (stored as given: "/" separators, any letter case),
  // deflated at `level` and encrypted under `password`. Tests pass other passwords
  // to build faulty products.
  bool AddEntry(const std::string& name, const void* data, size_t size,
                const char* password = kContentArchivePassword, int level = 6);
  // Finishes the ZIP, appends the trailer, reads every entry written under the
  // product password back (inflated and CRC-checked through the engine's reader),
  // and only then renames the file over `output`.
  bool Commit();
  // Drops the unfinished product.
  void Abandon();

  // Why the last call failed.
  const std::string& GetError() const { return m_error; }
  // File offset of the ZIP's first byte (the engine's size).
  uint32_t GetArchiveOffset() const { return m_archiveOffset; }

  // State of the ZIP stream shown to minizip: the output file and where the ZIP
  // starts in it. Public only for the I/O functions.
  struct OutputStream {
    FILE* file = nullptr;
    long base = 0;  // file offset of the ZIP's first byte
  };

 private:
  bool Fail(const std::string& message);
  bool ReadsBack();

  std::filesystem::path m_output;
  std::filesystem::path m_temporary;
  OutputStream m_stream;
  void* m_zip = nullptr;         // minizip's zipFile while a product is being written
  std::vector<bool> m_readable;  // per entry: written under the product password
  uint32_t m_archiveOffset = 0;
  std::string m_error;
};

// Largest product the engine can read: it positions its file with 32-bit longs on
// Windows.
constexpr long long kMaxProductSize = 0x7FFFFFFFLL;
// Longest entry name written. zip.c stores name lengths in 16 bits and mishandles
// longer ones; the engine never asks for names of 256 bytes or more anyway.
constexpr size_t kMaxWrittenNameSize = 65535;
