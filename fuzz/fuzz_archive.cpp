// Fuzz target for the content archive: the input is a whole program file. It is
// written to a file under the build tree and opened through the same I/O table,
// lookups and reads as the engine uses; the index and the library's own walk must
// answer every name alike.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

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
