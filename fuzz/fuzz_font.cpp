// libFuzzer target for the bitmap font's description reader: any bytes must give a
// clean load or a clean failure, and the glyph geometry of a loaded font must be
// computable for every character.
#include <cstddef>
#include <cstdint>
#include <string>

#include "render/bitmap_font.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;  // descriptions are a few kilobytes
  CBitmapFont font;
  const bool loaded =
      font.LoadFromMemory(reinterpret_cast<const char*>(data), static_cast<int>(size));
  if (loaded != font.IsLoaded()) __builtin_trap();
  if (!loaded && font.GetLoadError().empty()) __builtin_trap();

  char all[CBitmapFont::kGlyphCount];
  for (int i = 1; i < CBitmapFont::kGlyphCount; ++i) all[i - 1] = static_cast<char>(i);
  all[CBitmapFont::kGlyphCount - 1] = '\0';
  volatile float width = font.GetTextWidth(all, 0.1f);
  (void)width;
  const std::string text(reinterpret_cast<const char*>(data), size);
  width = font.GetTextWidth(text.c_str(), 0.04f);
  for (int c = -128; c < 128; ++c) {
    const GlyphQuad q = font.GetGlyphQuad(static_cast<char>(c), 0.1f, 0.1f);
    if (c < 0 && q.screenWidth != 0.0f) __builtin_trap();
  }
  return 0;
}
