// Windows-1252 conversion in both directions and the configuration document.
#include "tools/quillpack/product_identity.h"

#include <cstdio>

namespace {

std::string CodePointName(unsigned codePoint) {
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", codePoint);
  return text;
}

bool ConvertField(const char* field, bool inKey, const std::string& utf8, std::string* ansi,
                  std::string* why) {
  const size_t begin = utf8.find_first_not_of(" \t\r\n");
  const size_t end = utf8.find_last_not_of(" \t\r\n");
  if (begin == std::string::npos) {
    *why = std::string(field) + " is empty";
    return false;
  }
  const std::string text = utf8.substr(begin, end - begin + 1);
  ansi->clear();
  for (size_t at = 0; at < text.size();) {
    const size_t start = at;
    unsigned codePoint = 0;
    if (!NextUtf8(text, &at, &codePoint)) {
      *why = std::string(field) + " is not UTF-8 text";
      return false;
    }
    const std::string shown = text.substr(start, at - start);
    unsigned char byte = 0;
    if (codePoint < 0x20 || codePoint == 0x7F) {
      *why = std::string(field) + " contains the control character " + CodePointName(codePoint);
      return false;
    }
    if (codePoint == '<' || codePoint == '>') {
      *why = std::string(field) + " contains \"" + shown +
             "\", which the engine's configuration reader cannot carry";
      return false;
    }
    if (inKey && codePoint == '\\') {
      *why = std::string(field) +
             " contains a backslash, which would split the settings' registry key";
      return false;
    }
    if (!CodePointTo1252(codePoint, &byte)) {
      *why = std::string(field) + " contains \"" + shown + "\" (" + CodePointName(codePoint) +
             "), which Windows-1252 cannot represent";
      return false;
    }
    *ansi += static_cast<char>(byte);
  }
  return true;
}

}  // namespace

bool ToWindows1252Identity(const ProductIdentity& utf8, ProductIdentity* ansi, std::string* why) {
  return ConvertField("Title", true, utf8.title, &ansi->title, why) &&
         ConvertField("Version", false, utf8.version, &ansi->version, why) &&
         ConvertField("Year", false, utf8.year, &ansi->year, why) &&
         ConvertField("Company", true, utf8.company, &ansi->company, why);
}

std::string FormatConfigDocument(const ProductIdentity& ansi, const ScreenOptions& screen) {
  // The declaration names the code page so that XML tools read the bytes right; the
  // engine itself skips it.
  std::string document =
      "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n"
      "<ini>\r\n"
      "\t<Screensaver>\r\n";
  const auto element = [&document](const char* name, const std::string& value) {
    document += std::string("\t\t<") + name + ">" + value + "</" + name + ">\r\n";
  };
  element("Title", ansi.title);
  element("Version", ansi.version);
  element("Year", ansi.year);
  element("Company", ansi.company);
  size_t count = 0;
  const ScreenOptionInfo* table = ScreenOptionTable(&count);
  for (size_t i = 0; i < count; ++i) element(table[i].element, ScreenOptionName(table[i], screen));
  return document + "\t</Screensaver>\r\n</ini>\r\n";
}
