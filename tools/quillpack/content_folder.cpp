// Scanning a content folder and finding files in it the way the engine finds entries.
#include "tools/quillpack/content_folder.h"

#include <algorithm>
#include <system_error>

#include "data/content_archive.h"

bool CContentFolder::Scan(const std::filesystem::path& folder) {
  m_folder = folder;
  m_files.clear();
  m_index.clear();
  m_error.clear();
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) {
    m_error = folder.u8string() + ": not a folder";
    return false;
  }
  std::filesystem::recursive_directory_iterator it(folder, ec);
  const std::filesystem::recursive_directory_iterator end;
  for (; !ec && it != end; it.increment(ec)) {
    std::error_code statusError;
    if (!it->is_regular_file(statusError)) continue;
    ContentFile file;
    file.path = it->path();
    file.name = it->path().lexically_relative(folder).generic_u8string();
    file.size = it->file_size(statusError);
    if (statusError) {
      m_error = file.path.u8string() + ": " + statusError.message();
      return false;
    }
    m_files.push_back(std::move(file));
  }
  if (ec) {
    m_error = folder.u8string() + ": " + ec.message();
    return false;
  }
  std::sort(m_files.begin(), m_files.end(),
            [](const ContentFile& a, const ContentFile& b) { return a.name < b.name; });
  for (size_t i = 0; i < m_files.size(); ++i) {
    const std::string& name = m_files[i].name;
    // A stored backslash never matches (readers' backslashes become slashes), and the
    // library cannot look up names of its limit or longer.
    if (name.find('\\') != std::string::npos || name.size() >= kArchiveLookupNameLimit) continue;
    m_index.emplace(ArchiveLookupKey(name), i);
  }
  return true;
}

const ContentFile* CContentFolder::Find(const std::string& name) const {
  const auto found = m_index.find(ArchiveLookupKey(name));
  return found == m_index.end() ? nullptr : &m_files[found->second];
}
