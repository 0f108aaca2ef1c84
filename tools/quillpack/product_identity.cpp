// Windows-1252 conversion in both directions and the configuration document.
#include "tools/quillpack/product_identity.h"

#include <cstdio>

namespace {

// Code points of the bytes 0x80..0x9F; 0 where Windows-1252 defines none.
constexpr unsigned kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

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

void AppendUtf8(unsigned codePoint, std::string* out) {
  if (codePoint < 0x80) {
    *out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    *out += static_cast<char>(0xC0 | codePoint >> 6);
    *out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    *out += static_cast<char>(0xE0 | codePoint >> 12);
    *out += static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
    *out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | codePoint >> 18);
    *out += static_cast<char>(0x80 | (codePoint >> 12 & 0x3F));
    *out += static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
    *out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

bool NextUtf8(const std::string& text, size_t* at, unsigned* codePoint) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned first = byte(*at);
  int length = 0;
  unsigned value = 0;
  unsigned minimum = 0;
  if (first < 0x80) {
    *codePoint = first;
    ++*at;
    return true;
  } else if ((first & 0xE0) == 0xC0) {
    length = 2;
    value = first & 0x1F;
    minimum = 0x80;
  } else if ((first & 0xF0) == 0xE0) {
    length = 3;
    value = first & 0x0F;
    minimum = 0x800;
  } else if ((first & 0xF8) == 0xF0) {
    length = 4;
    value = first & 0x07;
    minimum = 0x10000;
  } else {
    return false;
  }
  if (*at + length > text.size()) return false;
  for (int i = 1; i < length; ++i) {
    const unsigned next = byte(*at + i);
    if ((next & 0xC0) != 0x80) return false;
    value = value << 6 | (next & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
  *codePoint = value;
  *at += length;
  return true;
}

bool CodePointTo1252(unsigned codePoint, unsigned char* byte) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
    *byte = static_cast<unsigned char>(codePoint);
    return true;
  }
  for (unsigned i = 0; i < 32; ++i) {
    if (kHighControls[i] != 0 && kHighControls[i] == codePoint) {
      *byte = static_cast<unsigned char>(0x80 + i);
      return true;
    }
  }
  return false;
}

std::string Windows1252ToUtf8(const std::string& ansi) {
  std::string out;
  for (char c : ansi) {
    const unsigned byte = static_cast<unsigned char>(c);
    unsigned codePoint = byte;
    if (byte >= 0x80 && byte < 0xA0) codePoint = kHighControls[byte - 0x80];
    AppendUtf8(codePoint == 0 ? 0xFFFD : codePoint, &out);
  }
  return out;
}

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
