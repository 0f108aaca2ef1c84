// The Windows-1252 table of the conversion at the boundary to Windows (UTF-8 to UTF-16
// is exercised end to end, by products in folders named in other scripts).
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
