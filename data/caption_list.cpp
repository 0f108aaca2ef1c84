// Reading, writing and cleaning the captions file.
#include "data/caption_list.h"

#include <cstdio>

#include "data/content_layout.h"

namespace {

constexpr char kHeader[] =
    "# Captions of the slideshow images, UTF-8, one line an image:\n"
    "#   NUMBER | DATE TAKEN (YYYY-MM-DD, or nothing) | TEXT\n"
    "# The number is that of images/NUMBER.jpg. Edit or delete lines freely; the engine\n"
    "# shows the text, then the date in the viewer's own long date format.\n";
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string Trim(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// Length of the well-formed UTF-8 sequence at text[at] (shortest form, no surrogates,
// at most U+10FFFF) and its code point; 0 when it is malformed.
size_t DecodeUtf8(const std::string& text, size_t at, unsigned* code) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned lead = byte(at);
  size_t length = 0;
  unsigned min = 0;
  if (lead < 0x80) {
    *code = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, *code = lead & 0x1F, min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, *code = lead & 0x0F, min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, *code = lead & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (text.size() - at < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    *code = *code << 6 | (byte(at + i) & 0x3F);
  }
  if (*code < min || *code > 0x10FFFF || (*code >= 0xD800 && *code <= 0xDFFF)) return 0;
  return length;
}

bool IsControl(unsigned code) { return code < 0x20 || (code >= 0x7F && code <= 0x9F); }

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool ParseNumber(const std::string& text, int* number) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
    return false;
  *number = std::stoi(text);
  return true;
}

}  // namespace

std::string CleanCaptionText(const std::string& text, bool* removed, bool* cut) {
  std::string clean;
  bool dropped = false;
  int characters = 0;
  bool full = false;
  for (size_t at = 0; at < text.size();) {
    unsigned code = 0;
    const size_t length = DecodeUtf8(text, at, &code);
    if (length == 0 || IsControl(code)) {
      dropped = true;
      at += length == 0 ? 1 : length;
      continue;
    }
    if (characters == kMaxCaptionCharacters) {
      full = true;
      break;
    }
    clean.append(text, at, length);
    ++characters;
    at += length;
  }
  if (removed != nullptr) *removed = dropped;
  if (cut != nullptr) *cut = full;
  // Trimmed after the cut, so a caption never ends in the blank before a cut word.
  size_t begin = clean.find_first_not_of(' ');
  if (begin == std::string::npos) return std::string();
  return clean.substr(begin, clean.find_last_not_of(' ') + 1 - begin);
}

bool IsUtf8(const std::string& text) {
  unsigned code = 0;
  for (size_t at = 0, length = 0; at < text.size(); at += length)
    if ((length = DecodeUtf8(text, at, &code)) == 0) return false;
  return true;
}

bool ParseIsoDate(const std::string& text, CaptionDate* date) {
  int year = 0, month = 0, day = 0;
  if (text.size() != 10 || text[4] != '-' || text[7] != '-' ||
      !ParseNumber(text.substr(0, 4), &year) || !ParseNumber(text.substr(5, 2), &month) ||
      !ParseNumber(text.substr(8, 2), &day))
    return false;
  if (year < 1 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
    return false;
  *date = {year, month, day};
  return true;
}

std::string FormatIsoDate(const CaptionDate& date) {
  if (!date.IsSet()) return std::string();
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
  return text;
}

void CCaptionList::Parse(const char* data, size_t size, std::vector<CaptionProblem>* problems) {
  m_captions.clear();
  std::vector<bool> seen(kMaxImages, false);
  std::string file(data, size);
  if (file.compare(0, 3, kByteOrderMark) == 0) file.erase(0, 3);
  int lineNumber = 0;
  const auto problem = [&](const std::string& text) {
    if (problems != nullptr) problems->push_back({lineNumber, text});
  };
  for (size_t start = 0; start < file.size();) {
    size_t end = file.find('\n', start);
    if (end == std::string::npos) end = file.size();
    const std::string line = Trim(file.substr(start, end - start));
    start = end + 1;
    ++lineNumber;
    if (line.empty() || line[0] == '#') continue;

    const size_t bar1 = line.find('|');
    const size_t bar2 = bar1 == std::string::npos ? bar1 : line.find('|', bar1 + 1);
    if (bar2 == std::string::npos) {
      problem("not NUMBER | DATE | TEXT; line skipped");
      continue;
    }
    Caption caption;
    const std::string number = Trim(line.substr(0, bar1));
    if (!ParseNumber(number, &caption.number) || caption.number >= kMaxImages) {
      problem("\"" + number + "\" is not an image number from 0 to " +
              std::to_string(kMaxImages - 1) + "; line skipped");
      continue;
    }
    if (seen[caption.number]) {
      problem("image " + number + " has a caption already; line skipped");
      continue;
    }
    const std::string date = Trim(line.substr(bar1 + 1, bar2 - bar1 - 1));
    if (!date.empty() && !ParseIsoDate(date, &caption.date))
      problem("\"" + date + "\" is not a date written YYYY-MM-DD; the caption shows no date");
    bool removed = false;
    bool cut = false;
    caption.text = CleanCaptionText(Trim(line.substr(bar2 + 1)), &removed, &cut);
    if (removed) problem("control characters or bytes that are not UTF-8 removed from the text");
    if (cut) problem("text cut to " + std::to_string(kMaxCaptionCharacters) + " characters");
    if (caption.text.empty() && !caption.date.IsSet()) continue;
    seen[caption.number] = true;
    m_captions.push_back(std::move(caption));
  }
}

const Caption* CCaptionList::Find(int number) const {
  for (const Caption& caption : m_captions)
    if (caption.number == number) return &caption;
  return nullptr;
}

std::string CCaptionList::Format(const std::vector<Caption>& captions) {
  std::string file = kHeader;
  for (const Caption& caption : captions) {
    const std::string date = FormatIsoDate(caption.date);
    file += std::to_string(caption.number) + " | " + date + (date.empty() ? "| " : " | ") +
            caption.text + '\n';
  }
  return file;
}
