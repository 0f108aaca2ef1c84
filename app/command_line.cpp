// Mode selection from the command line.
#include "app/command_line.h"

#include <cstdlib>

namespace {
// Character search that steps over double-byte characters, like _mbschr.
bool ContainsCharacter(const char* text, char wanted, LeadByteTest isLeadByte) {
  for (const char* p = text; *p != '\0'; ++p) {
    const auto byte = static_cast<unsigned char>(*p);
    if (isLeadByte != nullptr && isLeadByte(byte)) {
      if (p[1] == '\0') return false;  // a lead byte without its trail ends the text
      ++p;
      continue;
    }
    if (*p == wanted) return true;
  }
  return false;
}
}  // namespace

int MatchOption(const char* argument, LeadByteTest isLeadByte) {
  if (argument == nullptr) return ModeNone;
  static const struct {
    char letter;
    Mode mode;
  } kLetters[] = {
      {'c', ModeConfig},  {'C', ModeConfig},  {'a', ModeChangePassword}, {'A', ModeChangePassword},
      {'p', ModePreview}, {'P', ModePreview}, {'t', ModeTest},           {'T', ModeTest},
      {'s', ModeSaver},   {'S', ModeSaver},
  };
  for (const auto& entry : kLetters) {
    if (ContainsCharacter(argument, entry.letter, isLeadByte)) return entry.mode;
  }
  return ModeNone;
}

long ParseWindowHandle(const char* argument) {
  return argument == nullptr ? 0 : std::atol(argument);
}
