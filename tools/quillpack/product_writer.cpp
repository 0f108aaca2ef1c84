// Product writing over minizip's ZIP writer, with an I/O table that places the ZIP
// after the engine's bytes in the same file while minizip counts its offsets from
// the ZIP's own start.
#include "tools/quillpack/product_writer.h"

#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <system_error>

namespace {

using OutputStream = CProductWriter::OutputStream;

voidpf ZCALLBACK OpenOutput(voidpf opaque, const char*, int mode) {
  // The stream was opened by Begin; minizip only asks for it to be created.
  if ((mode & ZLIB_FILEFUNC_MODE_CREATE) == 0) return nullptr;
  return opaque;
}

uLong ZCALLBACK ReadOutput(voidpf, voidpf, void*, uLong) { return 0; }

uLong ZCALLBACK WriteOutput(voidpf, voidpf stream, const void* buffer, uLong size) {
  return static_cast<uLong>(std::fwrite(buffer, 1, size, static_cast<OutputStream*>(stream)->file));
}

long ZCALLBACK TellOutput(voidpf, voidpf stream) {
  auto* s = static_cast<OutputStream*>(stream);
  const long position = std::ftell(s->file);
  return position < 0 ? -1 : position - s->base;
}

long ZCALLBACK SeekOutput(voidpf, voidpf stream, uLong offset, int origin) {
  auto* s = static_cast<OutputStream*>(stream);
  int result = -1;
  switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET: {
      const unsigned long long target = static_cast<unsigned long long>(offset) + s->base;
      if (target <= static_cast<unsigned long long>(LONG_MAX))
        result = std::fseek(s->file, static_cast<long>(target), SEEK_SET);
      break;
    }
    case ZLIB_FILEFUNC_SEEK_CUR:
      result = std::fseek(s->file, static_cast<long>(offset), SEEK_CUR);
      break;
    case ZLIB_FILEFUNC_SEEK_END:
      result = std::fseek(s->file, static_cast<long>(offset), SEEK_END);
      break;
    default:
      break;
  }
  return result == 0 ? 0 : -1;
}

// The file stays open after the ZIP is finished: the trailer follows it.
int ZCALLBACK CloseOutput(voidpf, voidpf) { return 0; }

int ZCALLBACK ErrorOutput(voidpf, voidpf stream) {
  return std::ferror(static_cast<OutputStream*>(stream)->file);
}

// A name for the temporary file beside the output that is not in use yet.
std::filesystem::path TemporaryBeside(const std::filesystem::path& output) {
  std::error_code ec;
  for (int attempt = 0;; ++attempt) {
    std::filesystem::path candidate = output;
    candidate += ".partial" + std::to_string(attempt);
    if (!std::filesystem::exists(candidate, ec) || attempt >= 999) return candidate;
  }
}

}  // namespace

CProductWriter::~CProductWriter() { Abandon(); }

bool CProductWriter::Fail(const std::string& message) {
  m_error = message;
  Abandon();
  return false;
}

void CProductWriter::Abandon() {
  if (m_zip != nullptr) {
    zipClose(static_cast<zipFile>(m_zip), nullptr);
    m_zip = nullptr;
  }
  if (m_stream.file != nullptr) {
    std::fclose(m_stream.file);
    m_stream.file = nullptr;
  }
  if (!m_temporary.empty()) {
    std::error_code ec;
    std::filesystem::remove(m_temporary, ec);
    m_temporary.clear();
  }
}

bool CProductWriter::Begin(const std::filesystem::path& output, const void* engine,
                           size_t engineSize) {
  Abandon();
  m_error.clear();
  if (engineSize > static_cast<size_t>(kMaxProductSize))
    return Fail("the engine file is too large to carry a content archive");
  m_output = output;
  m_temporary = TemporaryBeside(output);
#ifdef _WIN32
  m_stream.file = _wfopen(m_temporary.c_str(), L"wb");
#else
  m_stream.file = std::fopen(m_temporary.c_str(), "wb");
#endif
  if (m_stream.file == nullptr) {
    const std::string name = m_temporary.u8string();
    m_temporary.clear();
    return Fail("cannot create " + name);
  }
  if (engineSize > 0 && std::fwrite(engine, 1, engineSize, m_stream.file) != engineSize)
    return Fail("cannot write the engine bytes");
  m_stream.base = static_cast<long>(engineSize);
  m_archiveOffset = static_cast<uint32_t>(engineSize);
  m_readable.clear();

  zlib_filefunc_def functions;
  functions.zopen_file = OpenOutput;
  functions.zread_file = ReadOutput;
  functions.zwrite_file = WriteOutput;
  functions.ztell_file = TellOutput;
  functions.zseek_file = SeekOutput;
  functions.zclose_file = CloseOutput;
  functions.zerror_file = ErrorOutput;
  functions.opaque = &m_stream;
  m_zip = zipOpen2(m_temporary.u8string().c_str(), APPEND_STATUS_CREATE, nullptr, &functions);
  if (m_zip == nullptr) return Fail("cannot start the ZIP");
  return true;
}

bool CProductWriter::AddEntry(const std::string& name, const void* data, size_t size,
                              const char* password, int level) {
  if (m_zip == nullptr) return Fail("no product is being written");
  // zip.c measures the name with strlen and keeps its length in 16 bits; anything it
  // would cut or wrap is refused here.
  if (name.empty() || name.size() > kMaxWrittenNameSize ||
      std::memchr(name.data(), '\0', name.size()) != nullptr)
    return Fail("unusable entry name \"" + name.substr(0, 64) + "\"");
  if (size > kMaxArchiveEntrySize)
    return Fail(name + ": larger than the engine reads (" +
                std::to_string(kMaxArchiveEntrySize >> 20) + " MiB)");

  const auto* bytes = static_cast<const Bytef*>(data);
  // The CRC goes into the encryption header before any data is written.
  uLong crc = crc32(0, Z_NULL, 0);
  for (size_t done = 0; done < size;) {
    const uInt chunk = static_cast<uInt>(std::min<size_t>(size - done, 1u << 30));
    crc = crc32(crc, bytes + done, chunk);
    done += chunk;
  }
  zip_fileinfo info = {};
  // A fixed time stamp keeps products of the same content alike.
  info.tmz_date.tm_year = 2026;
  info.tmz_date.tm_mon = 0;
  info.tmz_date.tm_mday = 1;
  auto* zip = static_cast<zipFile>(m_zip);
  if (zipOpenNewFileInZip3(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                           level, 0, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY, password, crc) != ZIP_OK)
    return Fail(name + ": cannot start the entry");
  for (size_t done = 0; done < size;) {
    const unsigned chunk = static_cast<unsigned>(std::min<size_t>(size - done, 1u << 20));
    if (zipWriteInFileInZip(zip, bytes + done, chunk) != ZIP_OK)
      return Fail(name + ": cannot write the entry");
    done += chunk;
  }
  if (zipCloseFileInZip(zip) != ZIP_OK) return Fail(name + ": cannot finish the entry");
  m_readable.push_back(password != nullptr && std::strcmp(password, kContentArchivePassword) == 0);
  return true;
}

bool CProductWriter::ReadsBack() {
  // The reader opens files by narrow name; a name it might not reach is left
  // unverified rather than reported as a broken product.
  const std::string path = m_temporary.u8string();
  for (unsigned char c : path)
    if (c >= 0x80) return true;
  CContentArchive archive;
  if (!archive.Open(path.c_str())) return Fail("the product does not read back");
  if (archive.GetEntries().size() != m_readable.size())
    return Fail("the product reads back with a different number of entries");
  for (size_t i = 0; i < m_readable.size(); ++i)
    if (m_readable[i] && !archive.ReadEntry(i))
      return Fail(archive.GetEntries()[i].name + ": does not read back");
  return true;
}

bool CProductWriter::Commit() {
  if (m_zip == nullptr) return Fail("no product is being written");
  const int closed = zipClose(static_cast<zipFile>(m_zip), nullptr);
  m_zip = nullptr;
  if (closed != ZIP_OK) return Fail("cannot finish the ZIP");

  unsigned char trailer[kArchiveTrailerSize];
  for (int i = 0; i < 4; ++i) trailer[i] = static_cast<unsigned char>(m_archiveOffset >> (8 * i));
  std::memcpy(trailer + 4, kArchiveMagic, sizeof(kArchiveMagic));
  if (std::fseek(m_stream.file, 0, SEEK_END) != 0 ||
      std::fwrite(trailer, 1, sizeof(trailer), m_stream.file) != sizeof(trailer))
    return Fail("cannot write the trailer");
  const long size = std::ftell(m_stream.file);
  if (size < 0 || size > kMaxProductSize)
    return Fail("the product is larger than the engine can read (2 GiB)");
  const int flushed = std::fflush(m_stream.file);
  const int failedBefore = std::ferror(m_stream.file);
  const int closedFile = std::fclose(m_stream.file);
  m_stream.file = nullptr;
  if (flushed != 0 || failedBefore != 0 || closedFile != 0)
    return Fail("cannot write " + m_temporary.u8string());

  if (!ReadsBack()) return false;

  std::error_code ec;
  std::filesystem::rename(m_temporary, m_output, ec);
  if (ec) return Fail("cannot rename the product into place: " + ec.message());
  m_temporary.clear();
  return true;
}
