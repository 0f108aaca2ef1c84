// Conversions between the encodings text arrives in (Windows-1252 from a product's
// configuration, UTF-8 inside the engine and the tools) and the UTF-16 that Windows'
// wide functions take. Portable, so that the tables are tested natively.
#pragma once

#include <cstddef>
#include <string>

// The code point Windows gives a Windows-1252 byte (MultiByteToWideChar(1252, ...)).
// The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) keep
// their own value, as Windows maps them, so a registry key made from them stays the
// key that the ANSI functions made on a Western system.
unsigned Windows1252CodePoint(unsigned char byte);

// Windows-1252 byte of a code point; false where the code page has none (the five
// undefined bytes included).
bool CodePointTo1252(unsigned codePoint, unsigned char* byte);

// One UTF-8 character from text[*at]; advances *at. False for malformed UTF-8,
// overlong forms and surrogates.
bool NextUtf8(const std::string& text, size_t* at, unsigned* codePoint);

// Appends the UTF-8 form of a code point (at most U+10FFFF).
void AppendUtf8(unsigned codePoint, std::string* out);

// UTF-8 of Windows-1252 text.
std::string Windows1252ToUtf8(const std::string& ansi);

// UTF-16 of Windows-1252 text.
std::u16string Windows1252ToUtf16(const std::string& ansi);

// UTF-16 of UTF-8 text; each byte that starts no valid character becomes U+FFFD.
std::u16string Utf8ToUtf16(const std::string& utf8);

// UTF-8 of UTF-16 text; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const std::u16string& utf16);
