// Reading the content archive: a table of I/O functions shows minizip the ZIP that
// sits between the program image and the trailer as if it were a file of its own,
// and each read inflates one whole entry into a block of its exact size.
#include "data/content_archive.h"

#include <unzip.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "base/file_paths.h"
#include "data/archive_trailer.h"

namespace {

// Bytes read ahead per file access. The library reads the central directory a few
// bytes at a time with a seek before almost every record; served from this window,
// its seeks cost no system call.
constexpr size_t kReadWindowSize = 32 * 1024;

// Per-stream state of one opened program file. The archive offset lives here, not in
// a global, so that independent archives never disturb each other's positions.
struct ArchiveStream {
  FILE* file = nullptr;
  uint32_t archiveOffset = 0;  // file offset of the ZIP's first byte
  uint64_t zipSize = 0;        // bytes from the ZIP's first byte to the trailer
  long long zipEnd = 0;        // file offset of the trailer, after which nothing is the ZIP's
  long long fileSize = 0;      // physical size when opened
  long long position = 0;      // the stream's position, a physical file offset
  bool failed = false;         // a read of the file failed
  long long windowStart = 0;   // physical offset of window[0]
  size_t windowLength = 0;     // valid bytes in window
  unsigned char window[kReadWindowSize];
};

// When the library is given an opaque pointer, the open function records the stream
// it created there so that its owner can report the offset.
struct OpenRecord {
  ArchiveStream* stream = nullptr;
};

voidpf ZCALLBACK OpenStream(voidpf opaque, const char* fileName, int mode) {
  if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ || fileName == nullptr)
    return nullptr;
  FILE* file = OpenFileForReading(fileName);
  if (file == nullptr) return nullptr;

  // Every step is checked: a file that cannot be positioned, or whose trailer is
  // neither at its end nor before its signature, carries no archive.
  long fileSize = -1;
  bool ok = std::fseek(file, 0, SEEK_END) == 0;
  if (ok) {
    fileSize = std::ftell(file);
    ok = fileSize >= 0;
  }
  ArchiveTrailer trailer;
  ok = ok && FindArchiveTrailer(
                 static_cast<uint64_t>(fileSize),
                 [file](uint64_t offset, void* buffer, size_t size) {
                   return offset <= LONG_MAX &&
                          std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0 &&
                          std::fread(buffer, 1, size, file) == size;
                 },
                 &trailer);
  ArchiveStream* stream = ok ? new (std::nothrow) ArchiveStream : nullptr;
  if (stream == nullptr) {
    std::fclose(file);
    return nullptr;
  }
  // The window does the buffering; the runtime's own buffer would only copy twice.
  std::setvbuf(file, nullptr, _IONBF, 0);
  stream->file = file;
  stream->archiveOffset = trailer.archiveOffset;
  stream->zipSize = trailer.trailerOffset - trailer.archiveOffset;
  stream->zipEnd = static_cast<long long>(trailer.trailerOffset);
  stream->fileSize = fileSize;
  stream->position = trailer.archiveOffset;
  if (opaque != nullptr) static_cast<OpenRecord*>(opaque)->stream = stream;
  return stream;
}

// Reads at the stream's position straight from the file; false when nothing came.
bool ReadFromFile(ArchiveStream* s, unsigned char* buffer, size_t size, size_t* count) {
  *count = 0;
  if (std::fseek(s->file, static_cast<long>(s->position), SEEK_SET) != 0) {
    s->failed = true;
    return false;
  }
  *count = std::fread(buffer, 1, size, s->file);
  if (*count < size && std::ferror(s->file)) s->failed = true;
  return *count > 0;
}

uLong ZCALLBACK ReadStream(voidpf, voidpf stream, void* buffer, uLong size) {
  auto* s = static_cast<ArchiveStream*>(stream);
  auto* out = static_cast<unsigned char*>(buffer);
  size_t done = 0;
  while (done < size) {
    // Past the end nothing can come; the library may ask there byte by byte, for
    // tens of thousands of bytes, when a record claims a long extra field.
    if (s->position >= s->fileSize) break;
    const long long windowEnd = s->windowStart + static_cast<long long>(s->windowLength);
    if (s->position >= s->windowStart && s->position < windowEnd) {
      const size_t available = static_cast<size_t>(windowEnd - s->position);
      const size_t take = std::min<size_t>(available, size - done);
      std::memcpy(out + done, s->window + (s->position - s->windowStart), take);
      done += take;
      s->position += static_cast<long long>(take);
      continue;
    }
    size_t count = 0;
    if (size - done >= kReadWindowSize) {
      // Large reads (entry data) go straight into the caller's buffer.
      const bool got = ReadFromFile(s, out + done, size - done, &count);
      done += count;
      s->position += static_cast<long long>(count);
      if (!got || count == 0) break;
      continue;
    }
    s->windowLength = 0;
    if (!ReadFromFile(s, s->window, kReadWindowSize, &count)) break;
    s->windowStart = s->position;
    s->windowLength = count;
  }
  return static_cast<uLong>(done);
}

uLong ZCALLBACK WriteStream(voidpf, voidpf, const void*, uLong) { return 0; }

long ZCALLBACK TellStream(voidpf, voidpf stream) {
  auto* s = static_cast<ArchiveStream*>(stream);
  return static_cast<long>(s->position - static_cast<long long>(s->archiveOffset));
}

long ZCALLBACK SeekStream(voidpf, voidpf stream, uLong offset, int origin) {
  auto* s = static_cast<ArchiveStream*>(stream);
  long long target = 0;
  switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET:
      target = static_cast<long long>(offset) + s->archiveOffset;
      break;
    case ZLIB_FILEFUNC_SEEK_CUR:
      // The library passes backward moves as wrapped unsigned values.
      target = s->position + static_cast<long>(offset);
      break;
    case ZLIB_FILEFUNC_SEEK_END:
      // The ZIP ends where the trailer begins.
      target = s->zipEnd + static_cast<long>(offset);
      break;
    default:
      return -1;
  }
  // A position the file cannot take is reported, so that the library stops instead
  // of reading from wherever the stream happened to be.
  if (target < 0 || target > LONG_MAX) return -1;
  s->position = target;
  return 0;
}

int ZCALLBACK CloseStream(voidpf, voidpf stream) {
  auto* s = static_cast<ArchiveStream*>(stream);
  const int result = std::fclose(s->file);
  delete s;
  return result;
}

int ZCALLBACK ErrorStream(voidpf, voidpf stream) {
  // Every read of the file records its failure, so the file itself need not be asked
  // (the library asks after every short read, byte by byte past the end).
  return static_cast<ArchiveStream*>(stream)->failed ? 1 : 0;
}

// ASCII a-z folded onto A-Z, every other byte kept: the library's case-insensitive
// comparison, so the index finds exactly what its walk would.
std::string FoldName(const char* name, size_t length) {
  std::string folded(name, length);
  for (char& c : folded)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - ('a' - 'A'));
  return folded;
}

}  // namespace

bool IsPlausibleArchiveEntrySize(uint64_t uncompressed, uint64_t compressed) {
  if (uncompressed > kMaxArchiveEntrySize) return false;
  // Slack for the fixed overhead of tiny streams. A compressed size at or above the
  // cap allows any size under the cap, and keeps the product below from wrapping.
  constexpr uint64_t kSlack = 1024;
  if (compressed >= kMaxArchiveEntrySize) return true;
  return uncompressed <= compressed * kMaxDeflateRatio + kSlack;
}

std::string ArchiveLookupKey(const std::string& name) {
  std::string key = FoldName(name.data(), name.size());
  for (char& c : key)
    if (c == '\\') c = '/';
  return key;
}

struct CContentArchive::State {
  unzFile handle = nullptr;
  OpenRecord record;                              // the stream the library opened
  std::vector<ArchiveEntryInfo> entries;          // central-directory order
  std::vector<unz64_file_pos> positions;          // where each entry's record sits
  std::unordered_map<std::string, size_t> index;  // folded name -> first entry
};

CContentArchive::CContentArchive() = default;

CContentArchive::~CContentArchive() { Close(); }

bool CContentArchive::Open(const char* programPath) {
  Close();
  if (programPath == nullptr) return false;
  auto state = std::make_unique<State>();
  zlib_filefunc_def functions;
  functions.zopen_file = OpenStream;
  functions.zread_file = ReadStream;
  functions.zwrite_file = WriteStream;
  functions.ztell_file = TellStream;
  functions.zseek_file = SeekStream;
  functions.zclose_file = CloseStream;
  functions.zerror_file = ErrorStream;
  functions.opaque = &state->record;
  state->handle = unzOpen2(programPath, &functions);
  if (state->handle == nullptr) return false;

  // Index the central directory once, walking it exactly as the library's lookup does
  // (same start, same stop on the first unreadable record, same rule for which names
  // can match), so that the index answers exactly what the walk would.
  constexpr size_t kNameBufferSize = 65536;  // ZIP names hold at most 65535 bytes
  std::unique_ptr<char[]> nameBuffer(new (std::nothrow) char[kNameBufferSize]);
  if (nameBuffer == nullptr) {
    unzClose(state->handle);
    return false;
  }
  int err = unzGoToFirstFile(state->handle);
  while (err == UNZ_OK) {
    // The library's lookup reads at most kLookupNameRead bytes of each name, so a
    // record whose full name runs past the end of the file still counts for it; the
    // index reads the same bytes to stop where the walk stops.
    constexpr uLong kLookupNameRead = kArchiveLookupNameLimit;
    unz_file_info64 info;
    err = unzGetCurrentFileInfo64(state->handle, &info, nameBuffer.get(), kLookupNameRead, nullptr,
                                  0, nullptr, 0);
    if (err != UNZ_OK) break;
    const size_t lookupBytes = std::min<size_t>(info.size_filename, kLookupNameRead);
    // The library compares names as C strings, so an entry is reachable only under the
    // text before its first zero byte, and only when that is shorter than the longest
    // name it agrees to look up.
    const size_t textLength = static_cast<size_t>(
        std::find(nameBuffer.get(), nameBuffer.get() + lookupBytes, '\0') - nameBuffer.get());
    const bool reachable = textLength < kLookupNameRead;
    const std::string key = reachable ? FoldName(nameBuffer.get(), textLength) : std::string();

    ArchiveEntryInfo entry;
    entry.name.assign(nameBuffer.get(), lookupBytes);
    // The listing shows the whole name when the file holds it.
    if (info.size_filename > kLookupNameRead &&
        unzGetCurrentFileInfo64(state->handle, nullptr, nameBuffer.get(), kNameBufferSize, nullptr,
                                0, nullptr, 0) == UNZ_OK)
      entry.name.assign(nameBuffer.get(), info.size_filename);
    entry.uncompressedSize = info.uncompressed_size;
    entry.compressedSize = info.compressed_size;
    entry.encrypted = (info.flag & 1) != 0;
    unz64_file_pos position;
    if (unzGetFilePos64(state->handle, &position) != UNZ_OK) break;

    if (reachable) state->index.emplace(key, state->entries.size());
    state->entries.push_back(std::move(entry));
    state->positions.push_back(position);
    err = unzGoToNextFile(state->handle);
  }
  // Leave the library where a freshly opened archive stands, so that its own walk
  // (still selectable) starts from a sound state.
  unzGoToFirstFile(state->handle);
  m_state = std::move(state);
  return true;
}

void CContentArchive::Close() {
  if (m_state && m_state->handle != nullptr) unzClose(m_state->handle);
  m_state.reset();
}

bool CContentArchive::IsOpen() const { return m_state != nullptr; }

uint32_t CContentArchive::GetArchiveOffset() const {
  return m_state && m_state->record.stream ? m_state->record.stream->archiveOffset : 0;
}

const std::vector<ArchiveEntryInfo>& CContentArchive::GetEntries() const {
  static const std::vector<ArchiveEntryInfo> kNone;
  return m_state ? m_state->entries : kNone;
}

namespace {
// Readers name entries with either slash; the archive stores "/". False when the
// name does not fit.
bool CopyWithSlashes(const char* name, char (&copy)[kArchiveNameBufferSize], size_t& length) {
  for (length = 0; length < sizeof(copy) && name[length] != '\0'; ++length)
    copy[length] = name[length] == '\\' ? '/' : name[length];
  if (length >= sizeof(copy)) return false;
  copy[length] = '\0';
  return true;
}
}  // namespace

long CContentArchive::FindEntry(const char* name) const {
  if (m_state == nullptr || name == nullptr) return -1;
  char copy[kArchiveNameBufferSize];
  size_t length = 0;
  if (!CopyWithSlashes(name, copy, length) || length >= kArchiveLookupNameLimit) return -1;
  const auto found = m_state->index.find(FoldName(copy, length));
  return found == m_state->index.end() ? -1 : static_cast<long>(found->second);
}

std::unique_ptr<IFileData> CContentArchive::Read(const char* name, bool probe,
                                                 const std::atomic<bool>* stop, size_t limit) {
  if (m_state == nullptr || name == nullptr) return nullptr;
  if (m_lookup == Lookup::DirectoryWalk) {
    char copy[kArchiveNameBufferSize];
    size_t length = 0;
    if (!CopyWithSlashes(name, copy, length)) return nullptr;
    // A walk that ran into an unreadable record leaves the library refusing every
    // later lookup, even of entries before the damage; starting each lookup from the
    // first entry keeps one failure from spoiling the rest.
    unzGoToFirstFile(m_state->handle);
    if (unzLocateFile(m_state->handle, copy, 2) != UNZ_OK) return nullptr;
  } else {
    const long index = FindEntry(name);
    if (index < 0) return nullptr;
    if (unzGoToFilePos64(m_state->handle, &m_state->positions[static_cast<size_t>(index)]) !=
        UNZ_OK)
      return nullptr;
  }
  return ReadCurrent(probe, stop, limit);
}

std::unique_ptr<IFileData> CContentArchive::ReadEntry(size_t index, const std::atomic<bool>* stop) {
  if (m_state == nullptr || index >= m_state->positions.size()) return nullptr;
  if (unzGoToFilePos64(m_state->handle, &m_state->positions[index]) != UNZ_OK) return nullptr;
  return ReadCurrent(false, stop);
}

std::unique_ptr<IFileData> CContentArchive::ReadCurrent(bool probe, const std::atomic<bool>* stop,
                                                        size_t limit) {
  // A probe neither decrypts nor inflates anything.
  if (probe) return std::make_unique<CFileData>();
  unzFile handle = m_state->handle;
  // The 64-bit record is read so that a size beyond 32 bits cannot be truncated into
  // a small, plausible one.
  unz_file_info64 info;
  if (unzGetCurrentFileInfo64(handle, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
    return nullptr;
  // Stored bytes that would reach past the ZIP cannot be read, so their claimed
  // expansion is not worth an allocation either.
  const ArchiveStream* stream = m_state->record.stream;
  if (stream != nullptr && info.compressed_size > stream->zipSize) return nullptr;
  if (!IsPlausibleArchiveEntrySize(info.uncompressed_size, info.compressed_size)) return nullptr;
  if (unzOpenCurrentFilePassword(handle, kContentArchivePassword) != UNZ_OK) {
    // The library may leave a half-opened entry behind; close it now.
    unzCloseCurrentFile(handle);
    return nullptr;
  }
  const bool partial = limit > 0 && limit < info.uncompressed_size;
  const int size = static_cast<int>(partial ? limit : info.uncompressed_size);
  auto data = std::make_unique<CFileData>();
  if (!data->Allocate(size)) {
    unzCloseCurrentFile(handle);
    return nullptr;
  }
  // Inflated straight into the block, a block of bytes at a time so that a reader
  // that is told to stop does not wait for the whole entry; anything short of the
  // whole entry (a count of 0 or less: its end or a library error) is a failed read.
  for (int done = 0; done < size;) {
    const int count =
        stop != nullptr && stop->load()
            ? 0
            : unzReadCurrentFile(handle, data->GetBuffer() + done,
                                 static_cast<unsigned>(std::min(size - done, kArchiveReadBlock)));
    if (count <= 0) {
      unzCloseCurrentFile(handle);
      return nullptr;
    }
    done += count;
  }
  // The CRC of what was inflated is compared here (the library compares none for a
  // part of the entry).
  if (unzCloseCurrentFile(handle) != UNZ_OK && !partial) return nullptr;
  return data;
}

namespace {

CContentArchive& ProcessArchive() {
  static CContentArchive archive;
  return archive;
}

// The library keeps one current entry per archive, so reads from the render thread,
// the decode worker and the splash thread take turns here.
std::timed_mutex& ProcessArchiveLock() {
  static std::timed_mutex lock;
  return lock;
}

// How long a reader with a stop flag waits for the lock between looks at the flag.
constexpr std::chrono::milliseconds kLockWaitSlice{2};

}  // namespace

bool OpenContentArchive(const char* programPath) {
  std::lock_guard<std::timed_mutex> hold(ProcessArchiveLock());
  return ProcessArchive().Open(programPath);
}

std::unique_ptr<IFileData> ReadArchiveFile(const char* name, bool probe,
                                           const std::atomic<bool>* stop, size_t limit) {
  std::unique_lock<std::timed_mutex> hold(ProcessArchiveLock(), std::defer_lock);
  // Another reader may hold the lock through a whole entry (up to the entry size
  // limit); a reader that is told to stop gives up waiting instead.
  while (!hold.try_lock_for(kLockWaitSlice)) {
    if (stop != nullptr && stop->load()) return nullptr;
  }
  return ProcessArchive().Read(name, probe, stop, limit);
}

void CloseContentArchive() {
  std::lock_guard<std::timed_mutex> hold(ProcessArchiveLock());
  ProcessArchive().Close();
}
