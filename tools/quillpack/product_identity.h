// A product's identity (title, version, year, company) as the maker types it in
// UTF-8, checked and converted to the Windows-1252 bytes the engine hands to
// Windows, and the configuration document that carries it.
#pragma once

#include <string>

#include "base/screen_options.h"

struct ProductIdentity {
  std::string title;
  std::string version;
  std::string year;
  std::string company;
};

// Converts each field from UTF-8 to Windows-1252 after trimming surrounding blanks
// (the engine's reader trims them anyway). False, with a message naming the field
// and the character, for an empty field, text that is not UTF-8, a character
// Windows-1252 lacks, a control character, "<" or ">" (the engine's reader decodes
// no entities) or, in Title and Company, a backslash (it would split the settings
// key "Software\<Company>\<Title>").
bool ToWindows1252Identity(const ProductIdentity& utf8, ProductIdentity* ansi, std::string* why);

// The config/config.xml document for a Windows-1252 identity and the screen options.
std::string FormatConfigDocument(const ProductIdentity& ansi, const ScreenOptions& screen);

// One UTF-8 character from text[*at]; advances *at. False for malformed UTF-8,
// overlong forms and surrogates.
bool NextUtf8(const std::string& text, size_t* at, unsigned* codePoint);

// Appends the UTF-8 form of a code point (at most U+10FFFF).
void AppendUtf8(unsigned codePoint, std::string* out);

// Windows-1252 byte of a code point; false where the code page has none.
bool CodePointTo1252(unsigned codePoint, unsigned char* byte);

// UTF-8 of Windows-1252 text (bytes the code page leaves undefined become U+FFFD).
std::string Windows1252ToUtf8(const std::string& ansi);
