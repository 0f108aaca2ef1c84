// Title text through stb_truetype: glyph by glyph with kerning, blended as coverage.
#include "tools/demo/text.h"

#include <cmath>
#include <string>

#include "tools/common/whole_file.h"

#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>

CTitleFont::CTitleFont() = default;

CTitleFont::~CTitleFont() { delete static_cast<stbtt_fontinfo*>(m_info); }

bool CTitleFont::Load(const std::string& path) {
  std::string error;
  if (!ReadWholeFile(path, &m_file, &error)) return false;
  // The demo only reads the system's own font files; a short read is all that is
  // checked before the library takes over.
  if (m_file.size() < 12) return false;
  auto* info = new stbtt_fontinfo;
  if (!stbtt_InitFont(info, m_file.data(), stbtt_GetFontOffsetForIndex(m_file.data(), 0))) {
    delete info;
    return false;
  }
  m_info = info;
  return true;
}

float CTitleFont::Measure(const char* text, float pixelHeight) const {
  if (m_info == nullptr) return 0;
  const auto* info = static_cast<const stbtt_fontinfo*>(m_info);
  const float scale = stbtt_ScaleForPixelHeight(info, pixelHeight);
  float width = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    int advance = 0, bearing = 0;
    stbtt_GetCodepointHMetrics(info, *p, &advance, &bearing);
    width += advance * scale;
    if (p[1] != '\0') width += scale * stbtt_GetCodepointKernAdvance(info, p[0], p[1]);
  }
  return width;
}

void CTitleFont::DrawCentered(CPicture& picture, const char* text, float pixelHeight, float centerX,
                              float baselineY, Rgb color, float opacity) const {
  if (m_info == nullptr) return;
  const auto* info = static_cast<const stbtt_fontinfo*>(m_info);
  const float scale = stbtt_ScaleForPixelHeight(info, pixelHeight);
  float pen = centerX - Measure(text, pixelHeight) / 2;
  std::vector<uint8_t> bitmap;
  for (const char* p = text; *p != '\0'; ++p) {
    const float shift = pen - std::floor(pen);
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    stbtt_GetCodepointBitmapBoxSubpixel(info, *p, scale, scale, shift, 0, &x0, &y0, &x1, &y1);
    const int w = x1 - x0, h = y1 - y0;
    if (w > 0 && h > 0) {
      bitmap.assign(static_cast<size_t>(w) * h, 0);
      stbtt_MakeCodepointBitmapSubpixel(info, bitmap.data(), w, h, w, scale, scale, shift, 0, *p);
      picture.BlendCoverage(bitmap.data(), w, h, static_cast<int>(std::floor(pen)) + x0,
                            static_cast<int>(std::lround(baselineY)) + y0, color, opacity);
    }
    int advance = 0, bearing = 0;
    stbtt_GetCodepointHMetrics(info, *p, &advance, &bearing);
    pen += advance * scale;
    if (p[1] != '\0') pen += scale * stbtt_GetCodepointKernAdvance(info, p[0], p[1]);
  }
}
