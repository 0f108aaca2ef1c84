// The conversions at the boundary to Windows: the Windows-1252 table and UTF-8 to
// UTF-16 and back.
#include <gtest/gtest.h>

#include <string>

#include "base/text_encoding.h"

// Every byte from 0x80 up against the code page's published chart; the five bytes it
// leaves undefined keep their value, as Windows' own conversion gives them.
TEST(TextEncoding, Windows1252HighBytesBecomeTheirCodePoints) {
  const char16_t k80To9F[32] = {
      u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
      u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D', u'\u017D', u'\u008F',
      u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
      u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\u009D', u'\u017E', u'\u0178'};
  std::string bytes;
  std::u16string expected;
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    bytes += static_cast<char>(byte);
    // From 0xA0 on the code page is Latin-1: é is 0xE9, ë 0xEB, è 0xE8, ÿ 0xFF.
    expected += byte < 0xA0 ? k80To9F[byte - 0x80] : static_cast<char16_t>(byte);
  }
  EXPECT_EQ(Windows1252ToUtf16(bytes), expected);
  EXPECT_EQ(Windows1252ToUtf16("Caf\xE9 No\xEBl \x80"), u"Café Noël €");
  // Back to bytes: every defined character, and none for the undefined five.
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    unsigned char back = 0;
    const bool undefined = expected[byte - 0x80] == byte && byte < 0xA0;
    EXPECT_EQ(CodePointTo1252(expected[byte - 0x80], &back), !undefined) << byte;
    if (!undefined) {
      EXPECT_EQ(back, byte);
    }
  }
}

TEST(TextEncoding, Utf8AndUtf16CarryEveryCharacter) {
  const struct {
    const char* utf8;
    std::u16string utf16;
    bool roundTrip;  // the UTF-8 is valid and comes back unchanged
  } cases[] = {
      {"\xC5\x81ukasz", u"Łukasz", true},
      {"\xD0\x94\xD0\xBC\xD0\xB8\xD1\x82\xD1\x80\xD0\xB8\xD0\xB9 \xE5\x86\x99\xE7\x9C\x9F",
       u"Дмитрий 写真", true},
      {"\xF0\x9F\x93\xB7", u"\U0001F4F7", true},       // beyond the BMP: a surrogate pair
      {"a\xFF!", u"a\uFFFD!", false},                  // a byte that starts nothing
      {"\xE5\x86", u"\uFFFD\uFFFD", false},            // cut short
      {"\xC0\xAF", u"\uFFFD\uFFFD", false},            // overlong
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD", false},  // a surrogate's own code
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << c.utf8;
    if (c.roundTrip) {
      EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8);
    }
  }
  EXPECT_EQ(Utf16ToUtf8(u"x\xD800y"), "x\xEF\xBF\xBDy");  // an unpaired surrogate
}
