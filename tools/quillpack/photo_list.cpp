// Folder walking and the natural name order.
#include "tools/quillpack/photo_list.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char Fold(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Appends the photos in `folder`, sorted by natural name order per folder, with
// subfolders taking their place in that order when `recursive`.
bool AddFolder(const std::filesystem::path& folder, bool recursive,
               std::vector<std::filesystem::path>* photos, std::string* why) {
  std::error_code ec;
  std::vector<std::filesystem::path> entries;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    entries.push_back(it->path());
  if (ec) {
    *why = folder.u8string() + ": " + ec.message();
    return false;
  }
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
    return NaturalLess(a.filename().u8string(), b.filename().u8string());
  });
  for (const std::filesystem::path& entry : entries) {
    if (std::filesystem::is_directory(entry, ec)) {
      if (recursive && !AddFolder(entry, true, photos, why)) return false;
    } else if (std::filesystem::is_regular_file(entry, ec) && HasPhotoExtension(entry)) {
      photos->push_back(entry);
    }
  }
  return true;
}

}  // namespace

bool NaturalLess(const std::string& a, const std::string& b) {
  size_t i = 0;
  size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      size_t endA = i;
      size_t endB = j;
      while (endA < a.size() && IsDigit(a[endA])) ++endA;
      while (endB < b.size() && IsDigit(b[endB])) ++endB;
      // Leading zeros do not change the value.
      size_t startA = i;
      size_t startB = j;
      while (startA + 1 < endA && a[startA] == '0') ++startA;
      while (startB + 1 < endB && b[startB] == '0') ++startB;
      const size_t lengthA = endA - startA;
      const size_t lengthB = endB - startB;
      if (lengthA != lengthB) return lengthA < lengthB;
      const int order = a.compare(startA, lengthA, b, startB, lengthB);
      if (order != 0) return order < 0;
      i = endA;
      j = endB;
      continue;
    }
    if (Fold(a[i]) != Fold(b[j])) return Fold(a[i]) < Fold(b[j]);
    ++i;
    ++j;
  }
  if (i < a.size() || j < b.size()) return j < b.size();
  return a < b;
}

bool HasPhotoExtension(const std::filesystem::path& path) {
  std::string extension = path.extension().u8string();
  for (char& c : extension) c = Fold(c);
  for (const char* known : {".jpg", ".jpeg", ".jpe", ".png", ".bmp", ".gif", ".tga"})
    if (extension == known) return true;
  return false;
}

bool CollectPhotos(const std::vector<std::string>& operands, bool recursive,
                   std::vector<std::filesystem::path>* photos, std::string* why) {
  for (const std::string& operand : operands) {
    const std::filesystem::path path = std::filesystem::u8path(operand);
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
      if (!AddFolder(path, recursive, photos, why)) return false;
    } else if (std::filesystem::exists(path, ec)) {
      photos->push_back(path);
    } else {
      *why = operand + ": no such file or folder";
      return false;
    }
  }
  return true;
}
