// The bitmap font: parsing of the font description and glyph geometry.
#include "render/bitmap_font.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "data/content_archive.h"
#include "data/xml_document.h"

namespace {

// Shortest acceptable child name: "ch" and at least two more characters.
constexpr size_t kMinChildNameLength = 4;
// Element names are echoed in error texts up to this many bytes.
constexpr size_t kMaxQuotedName = 40;

std::string Quote(const char* name) {
  std::string text = name != nullptr ? name : "";
  if (text.size() > kMaxQuotedName) text = text.substr(0, kMaxQuotedName) + "...";
  return "<" + text + ">";
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a hexadecimal number the way scanf's "%X" does (leading blanks, a sign, an
// optional 0x prefix, then digits; anything after them is ignored), but with a
// defined result for any length: values beyond the glyph table saturate. False when
// no digit follows.
bool ReadHexCode(const char* text, long* value) {
  constexpr long kSaturated = 0x10000;  // far beyond the last code
  const char* p = text;
  while (std::isspace(static_cast<unsigned char>(*p))) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = (*p++ == '-');
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && HexDigit(p[2]) >= 0) p += 2;
  if (HexDigit(*p) < 0) return false;
  long result = 0;
  for (; HexDigit(*p) >= 0; ++p) {
    result = result * 16 + HexDigit(*p);
    if (result > kSaturated) result = kSaturated;
  }
  *value = negative ? -result : result;
  return true;
}

// Reads `count` blank-separated numbers the way "%f %f ..." does. Only finite
// values count: an infinite or undefined coordinate would spread through every
// width computed from it.
bool ReadNumbers(const char* text, float* out, int count) {
  const char* p = text;
  for (int i = 0; i < count; ++i) {
    char* end = nullptr;
    const float value = std::strtof(p, &end);
    if (end == p || !std::isfinite(value)) return false;
    out[i] = value;
    p = end;
  }
  return true;
}

}  // namespace

void CBitmapFont::Reset() {
  m_referenceHeight = kDefaultReferenceHeight;
  m_loaded = false;
  for (GlyphRect& glyph : m_glyphs) glyph = GlyphRect();
}

bool CBitmapFont::Fail(std::string why) {
  m_loadError = std::move(why);
  return false;
}

bool CBitmapFont::Load(const char* name) {
  Reset();
  if (name == nullptr) return Fail("no font description named");
  std::unique_ptr<IFileData> file = ReadArchiveFile(name, false);
  if (!file) return Fail(std::string("cannot read \"") + name + "\" from the content archive");
  return LoadFromMemory(file->GetData(), file->GetSize());
}

bool CBitmapFont::LoadFromMemory(const char* data, int size) {
  Reset();
  m_loadError.clear();
  if (size < 0 || (data == nullptr && size > 0)) return Fail("no font description data");

  XmlDocumentPtr document = CreateXmlDocument();
  if (!document) return Fail("out of memory for the XML document");
  if (!document->Parse(data, size))
    return Fail(std::string("XML error at ") + document->GetErrorMessage());

  IXmlNode* charset = document->FindElement(document->GetRoot(), "charset");
  if (charset == nullptr) return Fail("no <charset> element");

  const char* lastGlyph = nullptr;
  const int count = charset->GetChildCount();
  for (int i = 0; i < count; ++i) {
    const IXmlNode* child = charset->GetChild(i);
    const char* name = child->GetName();
    if (std::strlen(name) < kMinChildNameLength)
      return Fail("element " + Quote(name) + " in <charset>: name shorter than four characters");
    if (name[0] != 'c' || name[1] != 'h') continue;  // not a glyph

    long code = 0;
    if (!ReadHexCode(name + 2, &code))
      return Fail("element " + Quote(name) + ": no hexadecimal character code after \"ch\"");
    if (code < 0 || code >= kGlyphCount)
      return Fail("element " + Quote(name) + ": character code outside 00 .. FF");

    float numbers[4];
    if (!ReadNumbers(child->GetText(), numbers, 4))
      return Fail("element " + Quote(name) + ": text \"" + child->GetText() +
                  "\" is not four numbers \"u v w h\"");
    GlyphRect& glyph = m_glyphs[code];
    glyph.u = numbers[0];
    glyph.v = numbers[1];
    glyph.w = numbers[2];
    glyph.h = numbers[3];
    m_referenceHeight = glyph.h;
    lastGlyph = name;
  }

  // Widths are divided by the reference height.
  if (m_referenceHeight == 0.0f)
    return Fail("last glyph " + Quote(lastGlyph) + " has height 0; widths are divided by it");
  m_loaded = true;
  return true;
}

GlyphQuad CBitmapFont::GetGlyphQuad(char c, float size, float height) const {
  GlyphQuad quad;
  const signed char code = static_cast<signed char>(c);
  if (!m_loaded || code < 0) return quad;
  const GlyphRect& glyph = m_glyphs[static_cast<unsigned char>(code)];
  quad.screenWidth = size * glyph.w / m_referenceHeight;
  quad.screenHeight = height;
  quad.texLeft = glyph.u;
  quad.texTop = glyph.v;
  quad.texRight = glyph.u + glyph.w;
  quad.texBottom = glyph.v + glyph.h;
  return quad;
}

float CBitmapFont::GetTextWidth(const char* text, float size) const {
  if (!m_loaded || text == nullptr) return 0;
  float width = 0;
  for (const char* p = text; *p != '\0'; ++p) width += GetGlyphQuad(*p, size, size).screenWidth;
  return width;
}
