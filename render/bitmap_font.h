// The bitmap font that the overlays draw with: a glyph table read from the font
// description ("fonts/basic.font"), which says where each character lies in the font
// texture, and the conversion of characters into textured rectangles.
#pragma once

#include <string>

// Where one character's picture lies in the font texture, in texture coordinates
// (0 .. 1).
struct GlyphRect {
  float u = 0;  // left edge
  float v = 0;  // top edge
  float w = 0;  // width
  float h = 0;  // height
};

// One character ready to draw: its size on screen (normalised coordinates) and the
// texture corners to map onto it.
struct GlyphQuad {
  float screenWidth = 0;   // advance of the pen, screen widths
  float screenHeight = 0;  // screen heights
  float texLeft = 0;       // top-left texture corner
  float texTop = 0;
  float texRight = 0;  // bottom-right texture corner
  float texBottom = 0;
};

class CBitmapFont {
 public:
  // Reference height of an empty font; glyph widths are divided by it.
  static constexpr float kDefaultReferenceHeight = 0.1f;
  static constexpr int kGlyphCount = 256;

  CBitmapFont() { Reset(); }

  // Forgets every glyph: reference height 0.1, not loaded, all rectangles zero.
  void Reset();

  // Reads the description `name` from the content archive and parses it. False when
  // the file is missing or malformed; GetLoadError() then says why.
  bool Load(const char* name);
  // The same from `size` bytes at `data` (no terminating zero needed).
  bool LoadFromMemory(const char* data, int size);

  // Why the last Load or LoadFromMemory failed, naming the offending element; empty
  // after a success.
  const std::string& GetLoadError() const { return m_loadError; }

  bool IsLoaded() const { return m_loaded; }
  // Height of the last glyph read; a glyph that tall is drawn `size` high.
  float GetReferenceHeight() const { return m_referenceHeight; }
  const GlyphRect& GetGlyph(unsigned char code) const { return m_glyphs[code]; }

  // Rectangle for character c drawn at `size` (the on-screen height of a glyph as
  // tall as the reference) and `height` (the quad's height). Characters 128 .. 255,
  // and every character while nothing is loaded, give the empty quad.
  GlyphQuad GetGlyphQuad(char c, float size, float height) const;

  // Sum of the screen widths of the characters of a zero-terminated text; 0 when
  // nothing is loaded.
  float GetTextWidth(const char* text, float size) const;

 private:
  bool Fail(std::string why);

  float m_referenceHeight;          // h of the last glyph read
  bool m_loaded;                    // true only after a successful load
  GlyphRect m_glyphs[kGlyphCount];  // indexed by character code
  std::string m_loadError;          // reason of the last failed load
};
