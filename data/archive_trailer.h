// Finding the archive trailer in a program file, signed or not. An Authenticode
// signature appends its certificate table after everything else, so in a signed
// product the trailer sits just before that table instead of at the file's end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// Reads exactly `size` bytes at file offset `offset` into `buffer`; false when the
// file cannot give them. Callers only ask for bytes inside the file.
using FileReadAt = std::function<bool(uint64_t offset, void* buffer, size_t size)>;

// A reader over bytes in memory, which must outlive it.
FileReadAt MemoryReader(const void* data, size_t size);

// Signing tools pad the file to a multiple of this before the certificate table.
constexpr uint32_t kCertificateTableAlignment = 8;
// A WIN_CERTIFICATE header: 32-bit length, 16-bit revision, 16-bit type.
constexpr uint32_t kWinCertificateHeaderSize = 8;

// The security entry of a PE file's optional-header data directory, as written.
struct SecurityEntry {
  uint64_t entryOffset = 0;  // file offset of the entry: 32-bit table offset, 32-bit size
  uint64_t headersEnd = 0;   // file offset just past the section table
  uint32_t tableOffset = 0;  // file offset of the certificate table; 0 when unsigned
  uint32_t tableSize = 0;    // bytes of the certificate table; 0 when unsigned
};

// Reads the security entry of a PE file of `fileSize` bytes. False when the file has
// no PE header whose data directory holds that entry. The values are not checked.
bool ReadSecurityEntry(uint64_t fileSize, const FileReadAt& read, SecurityEntry* entry);

// Whether the entry names a certificate table that signing could have written: it
// starts aligned past the headers, ends exactly at the end of the file, and its first
// certificate's length fits inside it.
bool IsSoundCertificateTable(uint64_t fileSize, const FileReadAt& read, const SecurityEntry& entry);

// Where the archive sits in a program file.
struct ArchiveTrailer {
  uint32_t archiveOffset = 0;    // file offset of the ZIP's first byte
  uint64_t trailerOffset = 0;    // file offset of the trailer, where the ZIP ends
  bool beforeSignature = false;  // found before a certificate table, not at the end
};

// Finds the trailer: before a sound certificate table, past at most 7 zero bytes of
// padding, and otherwise (unsigned, a hostile entry, or no trailer there) in the
// file's last 8 bytes. The magic must match and the archive offset must not pass the
// trailer. Never asks `read` for bytes outside the file.
bool FindArchiveTrailer(uint64_t fileSize, const FileReadAt& read, ArchiveTrailer* trailer);
