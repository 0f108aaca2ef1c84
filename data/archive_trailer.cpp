// The PE headers are hostile input like the archive: every offset is checked against
// the file's size before anything is read, and a security entry that signing could
// not have written is ignored.
#include "data/archive_trailer.h"

#include <cstring>

#include "data/content_archive.h"

namespace {

// PE layout: the DOS header's pointer to the PE signature, the COFF header after it,
// then the optional header whose magic says where its data directory starts.
constexpr uint64_t kPeOffsetField = 0x3C;
constexpr uint64_t kCoffHeaderSize = 20;
constexpr uint64_t kSectionHeaderSize = 40;
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr uint64_t kPe32DirectoryCount = 92;       // NumberOfRvaAndSizes in a PE32 header
constexpr uint64_t kPe32PlusDirectoryCount = 108;  // ... and in a PE32+ header
constexpr uint32_t kSecurityDirectory = 4;         // the fifth entry of the directory
constexpr uint64_t kDirectoryEntrySize = 8;
// The most zero bytes signing adds before the table.
constexpr uint64_t kMaxPadding = kCertificateTableAlignment - 1;

uint16_t Le16(const unsigned char* b) { return static_cast<uint16_t>(b[0] | b[1] << 8); }
uint32_t Le32(const unsigned char* b) {
  return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
}

// Reads only what lies inside the file.
bool ReadInside(uint64_t fileSize, const FileReadAt& read, uint64_t offset, void* buffer,
                size_t size) {
  return offset <= fileSize && size <= fileSize - offset && read(offset, buffer, size);
}

// A trailer whose last byte ends at `end`: the magic, and an offset not past it.
bool TrailerEndingAt(uint64_t fileSize, const FileReadAt& read, uint64_t end,
                     ArchiveTrailer* trailer) {
  unsigned char bytes[kArchiveTrailerSize];
  if (end < kArchiveTrailerSize ||
      !ReadInside(fileSize, read, end - kArchiveTrailerSize, bytes, sizeof bytes) ||
      std::memcmp(bytes + 4, kArchiveMagic, sizeof kArchiveMagic) != 0)
    return false;
  trailer->archiveOffset = Le32(bytes);
  trailer->trailerOffset = end - kArchiveTrailerSize;
  return trailer->archiveOffset <= trailer->trailerOffset;
}

}  // namespace

FileReadAt MemoryReader(const void* data, size_t size) {
  return [data, size](uint64_t offset, void* buffer, size_t count) {
    if (offset > size || count > size - offset) return false;
    std::memcpy(buffer, static_cast<const unsigned char*>(data) + offset, count);
    return true;
  };
}

bool ReadSecurityEntry(uint64_t fileSize, const FileReadAt& read, SecurityEntry* entry) {
  unsigned char dos[kPeOffsetField + 4];
  if (!ReadInside(fileSize, read, 0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z')
    return false;
  const uint64_t pe = Le32(dos + kPeOffsetField);
  unsigned char coff[4 + kCoffHeaderSize + 2];  // signature, COFF header, optional magic
  if (!ReadInside(fileSize, read, pe, coff, sizeof coff) || std::memcmp(coff, "PE\0\0", 4) != 0)
    return false;
  const uint16_t sections = Le16(coff + 4 + 2);
  const uint64_t optionalSize = Le16(coff + 4 + 16);
  const uint64_t optional = pe + 4 + kCoffHeaderSize;
  const uint16_t magic = Le16(coff + 4 + kCoffHeaderSize);
  if (magic != kPe32Magic && magic != kPe32PlusMagic) return false;
  const uint64_t countField = magic == kPe32Magic ? kPe32DirectoryCount : kPe32PlusDirectoryCount;
  const uint64_t entryField = countField + 4 + kSecurityDirectory * kDirectoryEntrySize;
  // The entry must lie inside the optional header as its own size declares.
  if (entryField + kDirectoryEntrySize > optionalSize) return false;
  unsigned char count[4];
  unsigned char values[kDirectoryEntrySize];
  if (!ReadInside(fileSize, read, optional + countField, count, sizeof count) ||
      Le32(count) <= kSecurityDirectory ||
      !ReadInside(fileSize, read, optional + entryField, values, sizeof values))
    return false;
  entry->entryOffset = optional + entryField;
  entry->headersEnd = optional + optionalSize + sections * kSectionHeaderSize;
  entry->tableOffset = Le32(values);
  entry->tableSize = Le32(values + 4);
  return true;
}

bool IsSoundCertificateTable(uint64_t fileSize, const FileReadAt& read,
                             const SecurityEntry& entry) {
  const uint64_t offset = entry.tableOffset;
  const uint64_t size = entry.tableSize;
  if (size < kWinCertificateHeaderSize || offset % kCertificateTableAlignment != 0 ||
      offset < entry.headersEnd || offset > fileSize || size != fileSize - offset)
    return false;
  unsigned char header[kWinCertificateHeaderSize];
  if (!ReadInside(fileSize, read, offset, header, sizeof header)) return false;
  const uint32_t length = Le32(header);
  return length >= kWinCertificateHeaderSize && length <= size;
}

bool FindArchiveTrailer(uint64_t fileSize, const FileReadAt& read, ArchiveTrailer* trailer) {
  SecurityEntry entry;
  if (ReadSecurityEntry(fileSize, read, &entry) && IsSoundCertificateTable(fileSize, read, entry)) {
    // The padding is zeros and the magic ends in a letter, so the trailer's end is
    // the first non-zero byte back from the table.
    const uint64_t table = entry.tableOffset;
    unsigned char padding[kMaxPadding];
    const uint64_t span = table < kMaxPadding ? table : kMaxPadding;
    if (ReadInside(fileSize, read, table - span, padding, static_cast<size_t>(span))) {
      uint64_t end = table;
      while (end > table - span && padding[end - 1 - (table - span)] == 0) --end;
      if (TrailerEndingAt(fileSize, read, end, trailer)) {
        trailer->beforeSignature = true;
        return true;
      }
    }
  }
  // A table that covers the trailer was not written by signing; the trailer is then
  // where an unsigned product has it.
  trailer->beforeSignature = false;
  return TrailerEndingAt(fileSize, read, fileSize, trailer);
}
