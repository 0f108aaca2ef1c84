// The content checks behind "quillpack check" and "quillpack build".
#include "tools/quillpack/content_check.h"

#include <cstdlib>
#include <map>
#include <utility>

#include "base/screen_options.h"
#include "data/caption_list.h"
#include "data/content_archive.h"
#include "data/content_layout.h"
#include "data/xml_document.h"
#include "render/bitmap_font.h"

namespace {

// Characters the overlays draw: "FPS:%4.2f" and the clock "%02d%c%02d" with "am"/"pm".
constexpr char kOverlayCharacters[] = "0123456789. :FPSapm";

class CChecker {
 public:
  explicit CChecker(const CContentFolder& folder) : m_folder(folder) {}

  std::vector<CheckMessage> Run() {
    CheckNames();
    CheckConfig();
    CheckFont();
    CheckFixedFiles();
    const int images = CheckImages();
    CheckCaptions(images);
    return std::move(m_messages);
  }

 private:
  void Error(const std::string& text) { m_messages.push_back({true, text}); }
  void Warning(const std::string& text) { m_messages.push_back({false, text}); }

  // Reads the file the engine would find under `name`; null (and an error) when it
  // cannot be read.
  bool Read(const ContentFile& file, std::string* bytes) {
    std::string error;
    if (ReadWholeFile(file.path, bytes, &error)) return true;
    Error(file.name + ": " + error);
    return false;
  }

  // Parses `bytes` as the engine does; on failure reports the parser's own message
  // verbatim with the editor's position after it.
  XmlDocumentPtr Parse(const ContentFile& file, const std::string& bytes) {
    XmlDocumentPtr document = CreateXmlDocument();
    if (!document) {
      Error(file.name + ": out of memory");
      return document;
    }
    if (document->Parse(bytes.data(), static_cast<int>(bytes.size()))) return document;
    int line = 0;
    int column = 0;
    std::string text = file.name + ": " + document->GetErrorMessage();
    if (EditorPosition(bytes, document->GetErrorLine(), document->GetErrorColumn(), &line,
                       &column) &&
        (line > 1 || column > 1))
      text += " (line " + std::to_string(line) + ", column " + std::to_string(column) + ")";
    Error(text);
    return XmlDocumentPtr();
  }

  void CheckNames() {
    std::map<std::string, const ContentFile*> seen;
    for (const ContentFile& file : m_folder.GetFiles()) {
      if (file.size > kMaxArchiveEntrySize)
        Error(file.name + ": " + std::to_string(file.size) + " bytes; the engine reads at most " +
              std::to_string(kMaxArchiveEntrySize >> 20) + " MiB per file");
      if (file.name.size() >= kArchiveLookupNameLimit ||
          file.name.find('\\') != std::string::npos) {
        Warning(file.name.substr(0, 80) + (file.name.size() > 80 ? "...: " : ": ") +
                "the engine can never look this name up (backslash, or 256 bytes or more)");
        continue;
      }
      const auto [it, inserted] = seen.emplace(ArchiveLookupKey(file.name), &file);
      if (!inserted)
        Error(file.name + ": the engine cannot tell it from " + it->second->name +
              " (names differ only in letter case) and reads only " + it->second->name);
    }
  }

  void CheckConfig() {
    const ContentFile* file = m_folder.Find(kConfigEntryName);
    if (file == nullptr) {
      Error(SlashName(kConfigEntryName) + ": missing; the engine cannot start without it");
      return;
    }
    std::string bytes;
    if (!Read(*file, &bytes)) return;
    XmlDocumentPtr document = Parse(*file, bytes);
    if (!document) return;
    // Found exactly as the engine finds them: "ini" from the root, "Screensaver" from
    // "ini", each value from "Screensaver".
    IXmlNode* ini = document->FindElement(document->GetRoot(), kConfigRootElement);
    if (ini == nullptr) {
      Error(file->name + ": no <ini> element");
      return;
    }
    if (document->FindElement(ini, kConfigSection) == nullptr) {
      Error(file->name + ": no <Screensaver> element inside <ini>");
      return;
    }
    for (const char* key : {"Title", "Version", "Year", "Company"}) {
      const char* found = GetConfigValue(*document, kConfigSection, key, nullptr);
      const std::string element = std::string("<") + key + ">";
      if (found == nullptr) {
        Error(file->name + ": no " + element +
              " element inside <ini>/<Screensaver> (names are case-sensitive); the engine "
              "would show \"" +
              kMissingConfigValue + "\"");
        continue;
      }
      const std::string value = found;
      if (value.empty()) Warning(file->name + ": " + element + " is empty");
      const bool inKey = std::string(key) == "Title" || std::string(key) == "Company";
      if (inKey && value.find('\\') != std::string::npos)
        Warning(file->name + ": " + element +
                " contains a backslash, which nests the settings' registry key one level "
                "deeper");
    }
    size_t count = 0;
    const ScreenOptionInfo* table = ScreenOptionTable(&count);
    for (size_t i = 0; i < count; ++i) CheckOption(*file, *document, table[i]);
  }

  // An optional screen option whose value the engine does not know: it takes the
  // default, which is probably not what the maker wrote it for.
  void CheckOption(const ContentFile& file, IXmlDocument& document, const ScreenOptionInfo& info) {
    const char* found = GetConfigValue(document, kConfigSection, info.element, nullptr);
    ScreenOptions options;
    if (found == nullptr || ParseScreenOption(info, found, options)) return;
    Warning(file.name + ": <" + info.element + "> has the unknown value \"" + found +
            "\"; accepted values are " + AcceptedScreenOptionValues(info) + "; the engine uses " +
            ScreenOptionDefaultName(info));
  }

  void CheckFont() {
    const ContentFile* file = m_folder.Find(kFontDescriptionName);
    if (file == nullptr) {
      Error(std::string(kFontDescriptionName) +
            ": missing; the engine's renderer does not start without it");
      return;
    }
    std::string bytes;
    if (!Read(*file, &bytes)) return;
    if (!Parse(*file, bytes)) return;
    // The engine's own font loader decides what a valid description is.
    CBitmapFont font;
    if (!font.LoadFromMemory(bytes.data(), static_cast<int>(bytes.size()))) {
      Error(file->name + ": " + font.GetLoadError());
      return;
    }
    std::string missing;
    for (const char* c = kOverlayCharacters; *c != '\0'; ++c) {
      const GlyphRect& glyph = font.GetGlyph(static_cast<unsigned char>(*c));
      if (glyph.w == 0 && glyph.h == 0) missing += *c;
    }
    if (!missing.empty())
      Warning(file->name + ": no glyph for the characters \"" + missing +
              "\" (drawn by the clock or the frame-rate counter)");
  }

  void CheckFixedFiles() {
    struct Expected {
      const char* name;
      const char* consequence;
    };
    std::vector<Expected> expected = {
        {kFontTextureName, "the clock and the frame-rate counter draw nothing"},
        {kDefaultTextureName, "the engine loads it at start"},
    };
    for (const char* splash : kSplashFileNames)
      expected.push_back({splash, "the preview shows fewer pictures"});
    for (const Expected& e : expected)
      if (m_folder.Find(e.name) == nullptr)
        Warning(std::string(e.name) + ": missing; " + e.consequence);
  }

  // Lines of the captions file the engine reads otherwise than written, and
  // captions of images it never shows.
  void CheckCaptions(int imageCount) {
    const ContentFile* file = m_folder.Find(kCaptionsName);
    std::string bytes;
    if (file == nullptr || !Read(*file, &bytes)) return;
    CCaptionList captions;
    std::vector<CaptionProblem> problems;
    captions.Parse(bytes.data(), bytes.size(), &problems);
    for (const CaptionProblem& problem : problems)
      Warning(file->name + ": line " + std::to_string(problem.line) + ": " + problem.text);
    for (const Caption& caption : captions.GetCaptions())
      if (caption.number >= imageCount)
        Warning(file->name + ": a caption for image " + std::to_string(caption.number) +
                ", which the engine never shows");
  }

  // Returns the number of images the engine shows.
  int CheckImages() {
    // The engine's count: probe images/0.jpg, images/1.jpg, ... up to the first gap.
    int count = 0;
    while (count < kMaxImages && m_folder.Find(ImageFileName(count)) != nullptr) ++count;
    if (count == 0) {
      Error("images/0.jpg: missing; the slideshow needs at least one image");
    }

    // Every other file that looks like a numbered image is never shown.
    int afterGap = 0;
    int pastLimit = 0;
    long firstAfterGap = kMaxImages;
    std::string firstPastLimit;
    for (const ContentFile& file : m_folder.GetFiles()) {
      long number = 0;
      bool canonical = false;
      if (!ParseImageName(file.name, &number, &canonical)) continue;
      if (!canonical) {
        Warning(file.name + ": never shown; the engine asks for images/" + std::to_string(number) +
                ".jpg");
      } else if (number >= kMaxImages) {
        if (pastLimit++ == 0) firstPastLimit = file.name;
      } else if (number > count) {
        ++afterGap;
        if (number < firstAfterGap) firstAfterGap = number;
      }
    }
    if (afterGap > 0)
      Warning(ImageFileName(count) +
              ": missing; the engine counts images up to the first gap, so " +
              std::to_string(afterGap) + " later image(s) are never shown (first: " +
              ImageFileName(static_cast<int>(firstAfterGap)) + ")");
    if (pastLimit > 0)
      Warning(std::to_string(pastLimit) + " image(s) numbered past " +
              std::to_string(kMaxImages - 1) + " are never shown; the engine counts at most " +
              std::to_string(kMaxImages) + " (" + "such as " + firstPastLimit + ")");
    return count;
  }

  // An archive name as the listing shows it, with slashes.
  static std::string SlashName(std::string name) {
    for (char& c : name)
      if (c == '\\') c = '/';
    return name;
  }

  // "images/<digits>.jpg" in any ASCII letter case. canonical: written as the engine
  // formats it ("%d": no leading zeros).
  static bool ParseImageName(const std::string& name, long* number, bool* canonical) {
    const std::string key = ArchiveLookupKey(name);
    const std::string prefix = "IMAGES/";
    const std::string suffix = ".JPG";
    if (key.size() <= prefix.size() + suffix.size() || key.compare(0, prefix.size(), prefix) != 0 ||
        key.compare(key.size() - suffix.size(), suffix.size(), suffix) != 0)
      return false;
    const std::string digits =
        key.substr(prefix.size(), key.size() - prefix.size() - suffix.size());
    if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
      return false;
    *number = std::atol(digits.c_str());
    *canonical = digits == std::to_string(*number);
    return true;
  }

  const CContentFolder& m_folder;
  std::vector<CheckMessage> m_messages;
};

}  // namespace

std::vector<CheckMessage> CheckContent(const CContentFolder& folder) {
  return CChecker(folder).Run();
}

bool HasErrors(const std::vector<CheckMessage>& messages) {
  for (const CheckMessage& message : messages)
    if (message.error) return true;
  return false;
}

bool EditorPosition(const std::string& document, int parserLine, int parserColumn, int* line,
                    int* column) {
  if (parserLine < 0 || parserColumn < 0) return false;
  // The parser's position is just after the last byte it read: skip parserLine CR
  // bytes, then parserColumn bytes.
  size_t at = 0;
  for (int crs = 0; crs < parserLine; ++at) {
    if (at >= document.size()) return false;
    if (document[at] == '\r') ++crs;
  }
  if (static_cast<size_t>(parserColumn) > document.size() - at) return false;
  at += static_cast<size_t>(parserColumn);
  // The byte the parser stopped on is the one before `at` (or the very first byte).
  const size_t target = at > 0 ? at - 1 : 0;
  *line = 1;
  *column = 1;
  for (size_t i = 0; i < target && i < document.size(); ++i) {
    const char c = document[i];
    if (c == '\n' || (c == '\r' && (i + 1 >= document.size() || document[i + 1] != '\n'))) {
      ++*line;
      *column = 1;
    } else if (c != '\r') {
      ++*column;
    }
  }
  return true;
}
