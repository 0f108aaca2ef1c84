// The Windows-1252 table and the UTF-8 and UTF-16 codecs.
#include "base/text_encoding.h"

namespace {
// Code points of the bytes 0x80..0x9F; 0 where Windows-1252 defines none.
constexpr unsigned kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

constexpr unsigned kReplacement = 0xFFFD;

void AppendUtf16(unsigned codePoint, std::u16string* out) {
  if (codePoint < 0x10000) {
    *out += static_cast<char16_t>(codePoint);
    return;
  }
  codePoint -= 0x10000;
  *out += static_cast<char16_t>(0xD800 + (codePoint >> 10));
  *out += static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
}
}  // namespace

unsigned Windows1252CodePoint(unsigned char byte) {
  if (byte < 0x80 || byte >= 0xA0) return byte;
  const unsigned mapped = kHighControls[byte - 0x80];
  return mapped != 0 ? mapped : byte;
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

std::string Windows1252ToUtf8(const std::string& ansi) {
  std::string out;
  for (char c : ansi) AppendUtf8(Windows1252CodePoint(static_cast<unsigned char>(c)), &out);
  return out;
}

std::u16string Windows1252ToUtf16(const std::string& ansi) {
  std::u16string out;
  out.reserve(ansi.size());
  // Every Windows-1252 character is in the Basic Multilingual Plane: one unit each.
  for (char c : ansi)
    out += static_cast<char16_t>(Windows1252CodePoint(static_cast<unsigned char>(c)));
  return out;
}

std::u16string Utf8ToUtf16(const std::string& utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (size_t at = 0; at < utf8.size();) {
    unsigned codePoint = 0;
    if (!NextUtf8(utf8, &at, &codePoint)) {
      codePoint = kReplacement;
      ++at;
    }
    AppendUtf16(codePoint, &out);
  }
  return out;
}

std::string Utf16ToUtf8(const std::u16string& utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size(); ++i) {
    unsigned c = utf16[i];
    const bool high = c >= 0xD800 && c <= 0xDBFF;
    if (high && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (unsigned{utf16[i + 1]} - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;
    }
    AppendUtf8(c, &out);
  }
  return out;
}
