// Tests of the bitmap font: which descriptions load, what the glyph table holds and
// the geometry of the quads.
#include "render/bitmap_font.h"

#include <gtest/gtest.h>

#include <string>

#include "data/content_archive.h"

namespace {

bool LoadText(CBitmapFont& font, const std::string& text) {
  return font.LoadFromMemory(text.data(), static_cast<int>(text.size()));
}

std::string Charset(const std::string& children) {
  return "<?xml version=\"1.0\"?>\r\n<font>\r\n\t<charset>" + children + "</charset>\r\n</font>";
}

std::string Digits() {
  std::string children;
  for (int i = 0; i < 10; ++i)
    children += "<ch3" + std::to_string(i) + ">" + std::to_string(i * 0.05) + " 0 0.05 0.1</ch3" +
                std::to_string(i) + ">";
  return children;
}

struct LoadCase {
  const char* what;
  std::string document;
  bool loaded;
  float referenceHeight;  // expected after the load
  int code;               // glyph to inspect, -1 for none
  GlyphRect rect;         // its expected rectangle
  const char* errorPart;  // expected in GetLoadError() after a failure
};

TEST(BitmapFontTest, LoadsOnlyWellFormedDescriptions) {
  const LoadCase cases[] = {
      {"digits, point and space",
       Charset(Digits() + "<ch2E>0.5 0 0.02 0.1</ch2E><ch20>0.6 0.1 0.03 0.1</ch20>"),
       true,
       0.1f,
       0x20,
       {0.6f, 0.1f, 0.03f, 0.1f},
       ""},
      {"lower-case hex is the colon",
       Charset("<ch3a>0.1 0.2 0.03 0.125</ch3a>"),
       true,
       0.125f,
       ':',
       {0.1f, 0.2f, 0.03f, 0.125f},
       ""},
      {"0x prefix as scanf reads it",
       Charset("<ch0x41>0.1 0.2 0.03 0.125</ch0x41>"),
       true,
       0.125f,
       'A',
       {0.1f, 0.2f, 0.03f, 0.125f},
       ""},
      {"non-glyph child skipped",
       Charset("<ch41>0 0 0.05 0.1</ch41><glyph>junk</glyph><CH42>1 1 1 1</CH42>"),
       true,
       0.1f,
       'B',
       {},
       ""},
      {"attributes ignored",
       "<charset size=\"9\"><ch41 w='3'>0 0 0.05 0.2</ch41></charset>",
       true,
       0.2f,
       'A',
       {0, 0, 0.05f, 0.2f},
       ""},
      {"charset found at any depth",
       "<a><b/><c><charset><ch41>0 0 0.05 0.3</ch41></charset></c></a>",
       true,
       0.3f,
       'A',
       {0, 0, 0.05f, 0.3f},
       ""},
      {"duplicate code overwrites",
       Charset("<ch41>0 0 0.05 0.1</ch41><ch41>0.5 0.5 0.07 0.2</ch41>"),
       true,
       0.2f,
       'A',
       {0.5f, 0.5f, 0.07f, 0.2f},
       ""},
      {"code 00 and FF are in the table",
       Charset("<ch00>1 2 3 4</ch00><chFF>5 6 7 8</chFF>"),
       true,
       8.0f,
       0xFF,
       {5, 6, 7, 8},
       ""},
      {"height 0 before the last glyph",
       Charset("<ch41>0 0 0.05 0</ch41><ch42>0 0 0.05 0.1</ch42>"),
       true,
       0.1f,
       'A',
       {0, 0, 0.05f, 0},
       ""},
      {"extra numbers ignored",
       Charset("<ch41>0 0 0.05 0.1 9 9</ch41>"),
       true,
       0.1f,
       'A',
       {0, 0, 0.05f, 0.1f},
       ""},
      {"no glyphs", Charset(""), true, 0.1f, 'A', {}, ""},
      {"empty charset element", "<charset/>", true, 0.1f, -1, {}, ""},

      {"name ch", Charset("<ch>0 0 1 1</ch>"), false, 0, -1, {}, "<ch>"},
      {"name abc", Charset("<ch41>0 0 1 1</ch41><abc/>"), false, 0, -1, {}, "<abc>"},
      {"one hex digit", Charset("<ch9>0 0 1 1</ch9>"), false, 0, -1, {}, "<ch9>"},
      {"code 256", Charset("<ch100>0 0 1 1</ch100>"), false, 0, -1, {}, "<ch100>"},
      {"negative code", Charset("<ch-1>0 0 1 1</ch-1>"), false, 0, -1, {}, "<ch-1>"},
      {"huge code",
       Charset("<ch100000041>0 0 1 1</ch100000041>"),
       false,
       0,
       -1,
       {},
       "<ch100000041>"},
      {"no code", Charset("<chZZ>0 0 1 1</chZZ>"), false, 0, -1, {}, "<chZZ>"},
      {"three numbers", Charset("<ch41>0 0 0.05</ch41>"), false, 0, -1, {}, "<ch41>"},
      {"no text", Charset("<ch41/>"), false, 0, -1, {}, "<ch41>"},
      {"comma separated", Charset("<ch41>0,0,1,1</ch41>"), false, 0, -1, {}, "<ch41>"},
      {"not a number", Charset("<ch41>nan 0 1 1</ch41>"), false, 0, -1, {}, "<ch41>"},
      {"infinite", Charset("<ch41>0 0 1 1e999</ch41>"), false, 0, -1, {}, "<ch41>"},
      {"height 0 last",
       Charset("<ch41>0 0 0.05 0.1</ch41><ch42>0 0 0.05 0</ch42>"),
       false,
       0,
       -1,
       {},
       "<ch42>"},
      {"no charset", "<font><ch41>0 0 1 1</ch41></font>", false, 0, -1, {}, "charset"},
      {"Charset is case-sensitive",
       "<Charset><ch41>0 0 1 1</ch41></Charset>",
       false,
       0,
       -1,
       {},
       "charset"},
      {"malformed XML", "<charset><ch41>0 0 1 1</ch42></charset>", false, 0, -1, {}, "XML"},
      {"empty input", "", false, 0, -1, {}, "charset"},
  };
  for (const LoadCase& c : cases) {
    SCOPED_TRACE(c.what);
    CBitmapFont font;
    EXPECT_EQ(LoadText(font, c.document), c.loaded);
    EXPECT_EQ(font.IsLoaded(), c.loaded);
    if (c.loaded) {
      EXPECT_TRUE(font.GetLoadError().empty());
      EXPECT_FLOAT_EQ(font.GetReferenceHeight(), c.referenceHeight);
    } else {
      EXPECT_NE(font.GetLoadError().find(c.errorPart), std::string::npos) << font.GetLoadError();
      EXPECT_EQ(font.GetTextWidth("A", 1.0f), 0.0f);
    }
    if (c.code >= 0) {
      const GlyphRect& g = font.GetGlyph(static_cast<unsigned char>(c.code));
      EXPECT_FLOAT_EQ(g.u, c.rect.u);
      EXPECT_FLOAT_EQ(g.v, c.rect.v);
      EXPECT_FLOAT_EQ(g.w, c.rect.w);
      EXPECT_FLOAT_EQ(g.h, c.rect.h);
    }
  }
}

TEST(BitmapFontTest, DigitsLoadEveryGlyph) {
  CBitmapFont font;
  ASSERT_TRUE(LoadText(font, Charset(Digits())));
  for (int i = 0; i < 10; ++i) EXPECT_FLOAT_EQ(font.GetGlyph('0' + i).u, i * 0.05f);
  EXPECT_FLOAT_EQ(font.GetTextWidth("0123456789", 0.1f), 0.5f);
}

TEST(BitmapFontTest, ReloadStartsFromAnEmptyTable) {
  CBitmapFont font;
  ASSERT_TRUE(LoadText(font, Charset("<ch41>0 0 0.05 0.2</ch41>")));
  ASSERT_TRUE(LoadText(font, Charset("<ch42>0 0 0.05 0.1</ch42>")));
  EXPECT_EQ(font.GetGlyph('A').w, 0.0f);
  EXPECT_FALSE(LoadText(font, Charset("<ch>")));
  EXPECT_FALSE(font.IsLoaded());
  ASSERT_TRUE(LoadText(font, Charset("<ch42>0 0 0.05 0.1</ch42>")));
  EXPECT_TRUE(font.GetLoadError().empty());
}

TEST(BitmapFontTest, GlyphQuadScalesWidthByTheReferenceHeight) {
  CBitmapFont font;
  ASSERT_TRUE(LoadText(font, Charset("<ch41>0.25 0.5 0.05 0.08</ch41><ch42>0 0 0.05 0.1</ch42>")));
  const GlyphQuad q = font.GetGlyphQuad('A', 0.04f, 0.07f);
  EXPECT_FLOAT_EQ(q.screenWidth, 0.02f);   // 0.04 * 0.05 / 0.1
  EXPECT_FLOAT_EQ(q.screenHeight, 0.07f);  // the argument, not the glyph's height
  EXPECT_FLOAT_EQ(q.texLeft, 0.25f);
  EXPECT_FLOAT_EQ(q.texTop, 0.5f);
  EXPECT_FLOAT_EQ(q.texRight, 0.3f);
  EXPECT_FLOAT_EQ(q.texBottom, 0.58f);
  EXPECT_FLOAT_EQ(font.GetTextWidth("ABAB", 0.04f), 0.08f);
}

struct EmptyQuadCase {
  const char* what;
  char c;
  float expectedHeight;
};

TEST(BitmapFontTest, UndescribedAndHighCharactersDoNotAdvance) {
  CBitmapFont font;
  ASSERT_TRUE(LoadText(font, Charset("<ch41>0.25 0.5 0.05 0.1</ch41><chE9>0 0 0.05 0.1</chE9>")));
  const EmptyQuadCase cases[] = {
      {"never described", 'z', 0.1f},  // zero width, still the height asked for
      {"code 0xE9 is negative as a signed char", '\xE9', 0.0f},
      {"code 0x80", '\x80', 0.0f},
  };
  for (const EmptyQuadCase& c : cases) {
    SCOPED_TRACE(c.what);
    const GlyphQuad q = font.GetGlyphQuad(c.c, 0.1f, 0.1f);
    EXPECT_EQ(q.screenWidth, 0.0f);
    EXPECT_EQ(q.screenHeight, c.expectedHeight);
    EXPECT_EQ(q.texLeft, 0.0f);
    EXPECT_EQ(q.texTop, 0.0f);
    EXPECT_EQ(q.texRight, 0.0f);
    EXPECT_EQ(q.texBottom, 0.0f);
  }
  EXPECT_FLOAT_EQ(font.GetTextWidth("zAz\xE9", 0.1f), 0.05f);
  EXPECT_EQ(font.GetTextWidth(nullptr, 0.1f), 0.0f);
}

TEST(BitmapFontTest, NothingLoadedGivesEmptyQuads) {
  CBitmapFont font;
  EXPECT_FALSE(font.IsLoaded());
  EXPECT_FLOAT_EQ(font.GetReferenceHeight(), 0.1f);
  const GlyphQuad q = font.GetGlyphQuad('A', 0.1f, 0.1f);
  EXPECT_EQ(q.screenWidth, 0.0f);
  EXPECT_EQ(q.screenHeight, 0.0f);
  EXPECT_EQ(font.GetTextWidth("ABC", 0.1f), 0.0f);
}

TEST(BitmapFontTest, LoadWithoutArchiveFailsCleanly) {
  CloseContentArchive();
  CBitmapFont font;
  EXPECT_FALSE(font.Load("fonts/basic.font"));
  EXPECT_NE(font.GetLoadError().find("fonts/basic.font"), std::string::npos);
  EXPECT_FALSE(font.Load(nullptr));
  EXPECT_FALSE(font.LoadFromMemory(nullptr, 10));
  EXPECT_FALSE(font.LoadFromMemory("<charset/>", -1));
}

}  // namespace
