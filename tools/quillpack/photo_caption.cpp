// Choosing a photo's caption from its metadata and its file name.
#include "tools/quillpack/photo_caption.h"

#include <algorithm>
#include <cctype>

namespace {

struct PartName {
  const char* name;
  CaptionPart part;
};
constexpr PartName kPartNames[] = {
    {"title", CaptionPart::Title}, {"date", CaptionPart::Date}, {"name", CaptionPart::Name}};
constexpr char kNoParts[] = "none";

// Descriptions that cameras and phones write into every photo, compared without
// letter case and outer blanks.
constexpr const char* kPlaceholders[] = {"OLYMPUS DIGITAL CAMERA",
                                         "SONY DSC",
                                         "DIGITAL CAMERA",
                                         "KONICA MINOLTA DIGITAL CAMERA",
                                         "MINOLTA DIGITAL CAMERA",
                                         "SAMSUNG CAMERA PICTURES",
                                         "DCIM",
                                         "LEICA",
                                         "Default",
                                         "Untitled",
                                         "Image",
                                         "Picture",
                                         "Photo",
                                         "EASYSHARE",
                                         "KODAK",
                                         "NIKON",
                                         "CANON",
                                         "PENTAX",
                                         "RICOH",
                                         "FUJIFILM",
                                         "Exif_JPEG_PICTURE",
                                         "JPEG",
                                         "Camera"};

std::string Folded(const std::string& text) {
  std::string folded;
  for (char c : text) folded += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const size_t begin = folded.find_first_not_of(' ');
  if (begin == std::string::npos) return std::string();
  return folded.substr(begin, folded.find_last_not_of(' ') + 1 - begin);
}

// "2023:07:14 18:02:11" (EXIF) or "2023-07-14..." (some writers) -> the day.
bool ParseExifDate(const std::string& text, CaptionDate* date) {
  if (text.size() < 10) return false;
  std::string iso = text.substr(0, 10);
  if (iso[4] == ':' && iso[7] == ':') iso[4] = iso[7] = '-';
  return ParseIsoDate(iso, date);
}

}  // namespace

bool ParseCaptionParts(const std::string& list, std::vector<CaptionPart>* parts, std::string* why) {
  parts->clear();
  if (list == kNoParts) return true;
  for (size_t start = 0; start <= list.size();) {
    size_t end = list.find(',', start);
    if (end == std::string::npos) end = list.size();
    const std::string word = list.substr(start, end - start);
    start = end + 1;
    const auto found = std::find_if(std::begin(kPartNames), std::end(kPartNames),
                                    [&word](const PartName& p) { return word == p.name; });
    if (found == std::end(kPartNames) ||
        std::find(parts->begin(), parts->end(), found->part) != parts->end()) {
      *why =
          "--captions takes title, date and name, each at most once, separated by commas, "
          "or none; not \"" +
          list + "\"";
      return false;
    }
    parts->push_back(found->part);
  }
  return true;
}

bool IsPlaceholderTitle(const std::string& title, const std::string& make,
                        const std::string& model) {
  const std::string folded = Folded(title);
  if (folded.empty()) return true;
  for (const char* placeholder : kPlaceholders)
    if (folded == Folded(placeholder)) return true;
  // "NIKON CORPORATION", "Canon EOS 5D": a camera naming itself.
  return folded == Folded(make) || folded == Folded(model) || folded == Folded(make + " " + model);
}

std::string MetadataTextToUtf8(const std::string& text) {
  if (IsUtf8(text)) return text;
  std::string utf8;
  for (unsigned char c : text) {
    if (c < 0x80) {
      utf8 += static_cast<char>(c);
    } else {
      utf8 += static_cast<char>(0xC0 | c >> 6);
      utf8 += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return utf8;
}

std::string TitleFromFileName(const std::filesystem::path& file) {
  std::string name = file.stem().u8string();
  std::replace(name.begin(), name.end(), '_', ' ');
  std::replace(name.begin(), name.end(), '-', ' ');
  // Runs of separators become one blank.
  std::string single;
  for (char c : name)
    if (c != ' ' || (!single.empty() && single.back() != ' ')) single += c;
  return CleanCaptionText(single);
}

bool MakeCaption(int number, const PhotoMetadata& metadata, const std::filesystem::path& file,
                 const std::vector<CaptionPart>& parts, Caption* caption) {
  *caption = Caption();
  caption->number = number;
  std::string text;
  for (CaptionPart part : parts) {
    std::string piece;
    if (part == CaptionPart::Date) {
      ParseExifDate(metadata.dateTaken, &caption->date);
    } else if (part == CaptionPart::Name) {
      piece = TitleFromFileName(file);
    } else {
      for (const std::string& title : metadata.titles) {
        const std::string utf8 = CleanCaptionText(MetadataTextToUtf8(title));
        if (!IsPlaceholderTitle(utf8, metadata.make, metadata.model)) {
          piece = utf8;
          break;
        }
      }
    }
    if (!piece.empty()) text += (text.empty() ? "" : kCaptionSeparator) + piece;
  }
  caption->text = CleanCaptionText(text);
  return !caption->text.empty() || caption->date.IsSet();
}
