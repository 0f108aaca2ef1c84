// Reading the content archive: a table of I/O functions shows minizip the ZIP that
// sits between the program image and the trailer as if it were a file of its own,
// and each read inflates one whole entry into a block of its exact size.
#include "data/content_archive.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <utility>

#include <unzip.h>

namespace {

// Per-stream state of one opened program file. The archive offset lives here, not in
// a global, so that independent archives never disturb each other's positions.
struct ArchiveStream {
  FILE* file = nullptr;
  uint32_t archiveOffset = 0;  // file offset of the ZIP's first byte
};

// When the library is given an opaque pointer, the open function records the stream
// it created there so that its owner can report the offset.
struct OpenRecord {
  ArchiveStream* stream = nullptr;
};

uint32_t ReadLittleEndian32(const unsigned char* bytes) {
  return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
         uint32_t{bytes[3]} << 24;
}

voidpf ZCALLBACK OpenStream(voidpf opaque, const char* fileName, int mode) {
  if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ || fileName == nullptr)
    return nullptr;
  FILE* file = std::fopen(fileName, "rb");
  if (file == nullptr) return nullptr;

  // Every step is checked: a file shorter than the trailer, or one that cannot be
  // positioned, carries no archive.
  unsigned char trailer[kArchiveTrailerSize];
  long fileSize = -1;
  bool ok = std::fseek(file, 0, SEEK_END) == 0;
  if (ok) {
    fileSize = std::ftell(file);
    ok = fileSize >= kArchiveTrailerSize;
  }
  ok = ok && std::fseek(file, fileSize - kArchiveTrailerSize, SEEK_SET) == 0 &&
       std::fread(trailer, 1, sizeof(trailer), file) == sizeof(trailer) &&
       std::memcmp(trailer + 4, kArchiveMagic, sizeof(kArchiveMagic)) == 0;
  const uint32_t archiveOffset = ok ? ReadLittleEndian32(trailer) : 0;
  // An offset past the trailer's start cannot begin a ZIP inside this file; the
  // library would otherwise be shown a file of negative length.
  ok = ok && archiveOffset <= static_cast<unsigned long>(fileSize - kArchiveTrailerSize) &&
       std::fseek(file, static_cast<long>(archiveOffset), SEEK_SET) == 0;
  ArchiveStream* stream = ok ? new (std::nothrow) ArchiveStream : nullptr;
  if (stream == nullptr) {
    std::fclose(file);
    return nullptr;
  }
  stream->file = file;
  stream->archiveOffset = archiveOffset;
  if (opaque != nullptr) static_cast<OpenRecord*>(opaque)->stream = stream;
  return stream;
}

uLong ZCALLBACK ReadStream(voidpf, voidpf stream, void* buffer, uLong size) {
  return static_cast<uLong>(std::fread(buffer, 1, size, static_cast<ArchiveStream*>(stream)->file));
}

uLong ZCALLBACK WriteStream(voidpf, voidpf, const void*, uLong) { return 0; }

long ZCALLBACK TellStream(voidpf, voidpf stream) {
  auto* s = static_cast<ArchiveStream*>(stream);
  const long position = std::ftell(s->file);
  if (position < 0) return -1;
  return position - static_cast<long>(s->archiveOffset);
}

long ZCALLBACK SeekStream(voidpf, voidpf stream, uLong offset, int origin) {
  auto* s = static_cast<ArchiveStream*>(stream);
  int result = -1;
  switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET: {
      const unsigned long long target =
          static_cast<unsigned long long>(offset) + s->archiveOffset;
      if (target <= static_cast<unsigned long long>(LONG_MAX))
        result = std::fseek(s->file, static_cast<long>(target), SEEK_SET);
      break;
    }
    case ZLIB_FILEFUNC_SEEK_CUR:
      // The library passes backward moves as wrapped unsigned values.
      result = std::fseek(s->file, static_cast<long>(offset), SEEK_CUR);
      break;
    case ZLIB_FILEFUNC_SEEK_END:
      // The ZIP ends where the trailer begins.
      result = std::fseek(s->file, static_cast<long>(offset) - kArchiveTrailerSize, SEEK_END);
      break;
    default:
      return -1;
  }
  // A failed seek is reported, so that the library stops instead of reading from
  // wherever the file happened to be.
  return result == 0 ? 0 : -1;
}

int ZCALLBACK CloseStream(voidpf, voidpf stream) {
  auto* s = static_cast<ArchiveStream*>(stream);
  const int result = std::fclose(s->file);
  delete s;
  return result;
}

int ZCALLBACK ErrorStream(voidpf, voidpf stream) {
  return std::ferror(static_cast<ArchiveStream*>(stream)->file);
}

// ASCII a-z folded onto A-Z, every other byte kept: the library's case-insensitive
// comparison, so the index finds exactly what its walk would.
std::string FoldName(const char* name, size_t length) {
  std::string folded(name, length);
  for (char& c : folded)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - ('a' - 'A'));
  return folded;
}

// Refuses a claimed size that could not be genuine before a byte is allocated for it.
bool IsPlausibleEntrySize(uint64_t uncompressed, uint64_t compressed) {
  if (uncompressed > kMaxArchiveEntrySize) return false;
  // Slack for the encryption header and for the fixed overhead of tiny streams.
  constexpr uint64_t kSlack = 1024;
  return uncompressed <= compressed * kMaxDeflateRatio + kSlack;
}

}  // namespace

std::string ArchiveLookupKey(const std::string& name) {
  std::string key = FoldName(name.data(), name.size());
  for (char& c : key)
    if (c == '\\') c = '/';
  return key;
}

struct CContentArchive::State {
  unzFile handle = nullptr;
  OpenRecord record;                         // the stream the library opened
  std::vector<ArchiveEntryInfo> entries;     // central-directory order
  std::vector<unz64_file_pos> positions;     // where each entry's record sits
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
  // (same start, same stop on the first unreadable record, names read into a buffer of
  // the library's size), so that the index answers exactly what the walk would.
  std::vector<char> nameBuffer(65536);  // ZIP names hold at most 65535 bytes
  int err = unzGoToFirstFile(state->handle);
  while (err == UNZ_OK) {
    unz_file_info64 info;
    err = unzGetCurrentFileInfo64(state->handle, &info, nameBuffer.data(),
                                  static_cast<uLong>(nameBuffer.size()), nullptr, 0, nullptr, 0);
    if (err != UNZ_OK) break;
    ArchiveEntryInfo entry;
    entry.name.assign(nameBuffer.data(), info.size_filename);
    entry.uncompressedSize = info.uncompressed_size;
    entry.compressedSize = info.compressed_size;
    entry.encrypted = (info.flag & 1) != 0;
    unz64_file_pos position;
    if (unzGetFilePos64(state->handle, &position) != UNZ_OK) break;

    // The library compares names as C strings and refuses to look up 256 bytes or
    // more, so an entry is reachable only under the text before its first zero byte,
    // and only when that is shorter than the limit.
    const size_t textLength = std::strlen(entry.name.c_str());
    if (textLength < UNZ_MAXFILENAMEINZIP)
      state->index.emplace(FoldName(entry.name.c_str(), textLength), state->entries.size());
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

std::unique_ptr<IFileData> CContentArchive::Read(const char* name, bool probe) {
  if (m_state == nullptr || name == nullptr) return nullptr;
  // Readers name entries with either slash; the archive stores "/".
  char copy[kArchiveNameBufferSize];
  size_t length = 0;
  for (; length < sizeof(copy) && name[length] != '\0'; ++length)
    copy[length] = name[length] == '\\' ? '/' : name[length];
  if (length >= sizeof(copy)) return nullptr;
  copy[length] = '\0';

  if (m_lookup == Lookup::DirectoryWalk) {
    if (unzLocateFile(m_state->handle, copy, 2) != UNZ_OK) return nullptr;
  } else {
    if (length >= UNZ_MAXFILENAMEINZIP) return nullptr;
    const auto found = m_state->index.find(FoldName(copy, length));
    if (found == m_state->index.end()) return nullptr;
    if (unzGoToFilePos64(m_state->handle, &m_state->positions[found->second]) != UNZ_OK)
      return nullptr;
  }
  return ReadCurrent(probe);
}

std::unique_ptr<IFileData> CContentArchive::ReadEntry(size_t index) {
  if (m_state == nullptr || index >= m_state->positions.size()) return nullptr;
  if (unzGoToFilePos64(m_state->handle, &m_state->positions[index]) != UNZ_OK) return nullptr;
  return ReadCurrent(false);
}

std::unique_ptr<IFileData> CContentArchive::ReadCurrent(bool probe) {
  // A probe neither decrypts nor inflates anything.
  if (probe) return std::make_unique<CFileData>();
  unzFile handle = m_state->handle;
  // The 64-bit record is read so that a size beyond 32 bits cannot be truncated into
  // a small, plausible one.
  unz_file_info64 info;
  if (unzGetCurrentFileInfo64(handle, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
    return nullptr;
  if (!IsPlausibleEntrySize(info.uncompressed_size, info.compressed_size)) return nullptr;
  if (unzOpenCurrentFilePassword(handle, kContentArchivePassword) != UNZ_OK) {
    // The library may leave a half-opened entry behind; close it now.
    unzCloseCurrentFile(handle);
    return nullptr;
  }
  const int size = static_cast<int>(info.uncompressed_size);
  auto data = std::make_unique<CFileData>();
  if (!data->Allocate(size)) {
    unzCloseCurrentFile(handle);
    return nullptr;
  }
  // One call inflates straight into the block; anything short of the whole entry
  // (a negative count is a library error) is a failed read.
  const int count = unzReadCurrentFile(handle, data->GetBuffer(), static_cast<unsigned>(size));
  if (count != size) {
    unzCloseCurrentFile(handle);
    return nullptr;
  }
  // The CRC of what was inflated is compared here.
  if (unzCloseCurrentFile(handle) != UNZ_OK) return nullptr;
  return data;
}

namespace {

CContentArchive& ProcessArchive() {
  static CContentArchive archive;
  return archive;
}

}  // namespace

bool OpenContentArchive(const char* programPath) { return ProcessArchive().Open(programPath); }

std::unique_ptr<IFileData> ReadArchiveFile(const char* name, bool probe) {
  return ProcessArchive().Read(name, probe);
}

void CloseContentArchive() { ProcessArchive().Close(); }
