// Fuzz target for the content archive: the input is a whole program file. It is
// written to a file under the build tree and opened through the same I/O table,
// lookups and reads as the engine uses; the index and the library's own walk must
// answer every name alike. Signed seeds carry PE headers and a certificate table; the
// mutator below points their security entry at telling places and mutates the headers
// alone, as well as mutating the whole file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <random>
#include <string>

#include "data/archive_trailer.h"
#include "data/content_archive.h"

namespace {

// The input file, removed again when the process ends.
struct InputFile {
  std::string path = std::string(QUILL_BINARY_DIR) + "/fuzz_archive_input." +
                     std::to_string(static_cast<long>(getpid())) + ".scr";
  ~InputFile() { std::remove(path.c_str()); }
};

const std::string& InputPath() {
  static const InputFile file;
  return file.path;
}

std::string Content(const std::unique_ptr<IFileData>& data) {
  if (!data) return "<null>";
  if (data->GetSize() < 0 || (data->GetSize() > 0 && data->GetData() == nullptr)) __builtin_trap();
  return data->GetData() ? std::string(data->GetData(), static_cast<size_t>(data->GetSize()))
                         : std::string("<probe>");
}

const char* const kNames[] = {
    "config\\config.xml", "config/config.xml", "images/0.jpg",        "images/1.jpg",
    "fonts/basic.font",   "textures/font.tga", "splash\\splash1.bmp", "",
};

}  // namespace

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize,
                                          unsigned int seed) {
  std::minstd_rand random(seed);
  SecurityEntry entry;
  const unsigned choice = random() % 4;
  if (choice < 2 || !ReadSecurityEntry(size, MemoryReader(data, size), &entry))
    return LLVMFuzzerMutate(data, size, maxSize);
  if (choice == 2) {
    // The headers alone: the DOS header's pointer, the sizes, the directory count.
    const size_t headers = entry.headersEnd < size ? static_cast<size_t>(entry.headersEnd) : size;
    LLVMFuzzerMutate(data, headers, headers);
    return size;
  }
  // A table start near the real one, the trailer, the headers or the end, and a size
  // that ends at the file's end or not.
  const uint64_t table = entry.tableOffset;
  const uint64_t starts[] = {
      table,    table - 8, table + 8, entry.headersEnd, size - 16,           size,
      size + 8, 0,         size / 2,  0xFFFFFFF8u,      table & ~uint64_t{7}};
  const uint32_t start = static_cast<uint32_t>(starts[random() % (sizeof starts / sizeof *starts)]);
  const uint32_t sizes[] = {
      static_cast<uint32_t>(size - start),    entry.tableSize, 0, 8, 0xFFFFFFFFu,
      static_cast<uint32_t>(size - start + 8)};
  const uint32_t length = sizes[random() % (sizeof sizes / sizeof *sizes)];
  for (int i = 0; i < 4; ++i) {
    data[entry.entryOffset + i] = static_cast<uint8_t>(start >> (8 * i));
    data[entry.entryOffset + 4 + i] = static_cast<uint8_t>(length >> (8 * i));
  }
  return size;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* file = std::fopen(InputPath().c_str(), "wb");
  if (file == nullptr) return 0;
  const bool written = std::fwrite(data, 1, size, file) == size;
  if (std::fclose(file) != 0 || !written) return 0;

  // The process-wide archive, as the engine uses it.
  const bool opened = OpenContentArchive(InputPath().c_str());
  CContentArchive walk;
  walk.SetLookup(CContentArchive::Lookup::DirectoryWalk);
  if (walk.Open(InputPath().c_str()) != opened) __builtin_trap();
  for (const char* name : kNames) {
    for (bool probe : {true, false}) {
      const std::string indexed = Content(ReadArchiveFile(name, probe));
      const std::string walked = Content(walk.Read(name, probe));
      if (indexed != walked) __builtin_trap();
    }
  }
  // Every listed entry, by position, a few at most.
  for (size_t i = 0; i < walk.GetEntries().size() && i < 8; ++i) Content(walk.ReadEntry(i));
  CloseContentArchive();
  return 0;
}
