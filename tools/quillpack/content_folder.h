// A product maker's content folder as quillpack sees it: every regular file below
// the folder under its entry name (relative path, "/" separators, the maker's letter
// case), in a fixed order, with the engine's rule for finding a file by name.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <unordered_map>
#include <vector>

#include "tools/common/whole_file.h"

struct ContentFile {
  std::string name;            // entry name: relative path with "/" separators
  std::filesystem::path path;  // where the bytes are
  uintmax_t size = 0;          // bytes
};

class CContentFolder {
 public:
  // Collects the files below `folder`, sorted by entry name byte for byte so that a
  // product's entry order never depends on the file system. False, with the reason
  // in GetError(), when the folder cannot be read.
  bool Scan(const std::filesystem::path& folder);

  const std::filesystem::path& GetFolder() const { return m_folder; }
  const std::vector<ContentFile>& GetFiles() const { return m_files; }
  const std::string& GetError() const { return m_error; }

  // The file the engine would read for `name` (either slash, ASCII letters in any
  // case): the first in entry order, as the archive's lookup finds the first
  // matching entry. Null when none matches.
  const ContentFile* Find(const std::string& name) const;

 private:
  std::filesystem::path m_folder;
  std::vector<ContentFile> m_files;
  std::unordered_map<std::string, size_t> m_index;  // lookup key -> first file
  std::string m_error;
};
