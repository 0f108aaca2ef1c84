// The content archive: the encrypted ZIP appended to the program file, found through
// the 8-byte trailer at the file's end and read one whole entry at a time.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/file_data.h"

// Password of every entry of a product's archive.
constexpr char kContentArchivePassword[] = "t4mwqoxedr91z";
// Last four bytes of a program file that carries an archive.
constexpr char kArchiveMagic[4] = {'B', 'D', 'T', 'V'};
// Trailer: 32-bit little-endian file offset of the ZIP's first byte, then the magic.
constexpr int kArchiveTrailerSize = 8;
// Names of this many bytes or more are never found.
constexpr size_t kArchiveNameBufferSize = 1024;
// The library refuses to look up names of this many bytes or more, so entries with
// longer names can never be read by name.
constexpr size_t kArchiveLookupNameLimit = 256;
// An entry claiming more uncompressed bytes than this is refused before anything is
// allocated: no content the engine shows comes near it.
constexpr uint64_t kMaxArchiveEntrySize = uint64_t{256} << 20;
// Bytes inflated between two looks at a reader's stop flag: a few milliseconds' work.
constexpr int kArchiveReadBlock = 1 << 20;
// Deflate cannot expand beyond about 1032:1, so a larger claim is a lie as well.
constexpr uint64_t kMaxDeflateRatio = 1032;

// Whether an entry's claimed uncompressed size could be genuine for its compressed
// size: at most kMaxArchiveEntrySize, and at most kMaxDeflateRatio times the stored
// bytes plus a little slack. Reads refuse other entries before allocating anything.
bool IsPlausibleArchiveEntrySize(uint64_t uncompressed, uint64_t compressed);

// What a listing reports about one entry.
struct ArchiveEntryInfo {
  std::string name;               // the stored name, bytes as written
  uint64_t uncompressedSize = 0;  // bytes after inflating
  uint64_t compressedSize = 0;    // bytes stored, encryption header included
  bool encrypted = false;         // general-purpose flag bit 0
};

// The key under which the archive finds `name`: backslashes turned into slashes and
// ASCII a-z folded onto A-Z, every other byte kept. Two names match when their keys
// are equal (and shorter than the library's limit of 256 bytes).
std::string ArchiveLookupKey(const std::string& name);

// One archive on one program file. Instances are independent of each other; the free
// functions below use one process-wide instance.
class CContentArchive {
 public:
  // How a name is found: through the index of the central directory built at open, or
  // by the library's own walk from the first entry on every lookup. Both find the
  // same entry; the walk remains for measuring the difference.
  enum class Lookup { Index, DirectoryWalk };

  CContentArchive();
  ~CContentArchive();
  CContentArchive(const CContentArchive&) = delete;
  CContentArchive& operator=(const CContentArchive&) = delete;

  // Opens the archive appended to the file at programPath, a UTF-8 path (closing any
  // archive open before).
  // False when the file cannot be opened, carries no trailer, names an offset outside
  // the file, or holds no readable ZIP there.
  bool Open(const char* programPath);
  // Closes the archive and forgets the offset; harmless when nothing is open.
  void Close();
  bool IsOpen() const;
  // File offset of the ZIP's first byte, read from the trailer; 0 when closed.
  uint32_t GetArchiveOffset() const;

  void SetLookup(Lookup lookup) { m_lookup = lookup; }

  // Reads the entry `name` whole, decrypted and inflated. Backslashes count as
  // slashes and ASCII letters match either case. With probe set, only checks that
  // the entry exists and returns an empty block. Null on any failure, and when `stop`
  // (checked between blocks of kArchiveReadBlock bytes) turns true. A limit above 0
  // reads only the entry's first `limit` bytes (a header), unchecked by its CRC.
  std::unique_ptr<IFileData> Read(const char* name, bool probe,
                                  const std::atomic<bool>* stop = nullptr, size_t limit = 0);

  // Index in GetEntries() of the entry Read finds for `name`; -1 when there is none.
  long FindEntry(const char* name) const;
  // Entries in central-directory order (those the library can reach).
  const std::vector<ArchiveEntryInfo>& GetEntries() const;
  // Reads the entry at `index` of GetEntries(); null on any failure, and when `stop`
  // turns true (checked as Read checks it).
  std::unique_ptr<IFileData> ReadEntry(size_t index, const std::atomic<bool>* stop = nullptr);

 private:
  struct State;

  std::unique_ptr<IFileData> ReadCurrent(bool probe, const std::atomic<bool>* stop,
                                         size_t limit = 0);

  std::unique_ptr<State> m_state;  // null while closed
  Lookup m_lookup = Lookup::Index;
};

// The process-wide archive on the program's own file. These three may be called from
// any thread; they take turns on one lock.
//
// Opens the process-wide archive on the program's own file (a UTF-8 path).
bool OpenContentArchive(const char* programPath);
// Reads one entry of the process-wide archive (see CContentArchive::Read); null when
// the archive is not open.
std::unique_ptr<IFileData> ReadArchiveFile(const char* name, bool probe,
                                           const std::atomic<bool>* stop = nullptr,
                                           size_t limit = 0);
// Closes the process-wide archive; the next OpenContentArchive starts afresh. The
// program itself keeps its archive open until it exits; tests and tools that open
// several files in one process use this.
void CloseContentArchive();
