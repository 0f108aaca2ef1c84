// Title text for the splash pictures, rendered from a TrueType font.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/demo/picture.h"

class CTitleFont {
 public:
  CTitleFont();
  ~CTitleFont();
  CTitleFont(const CTitleFont&) = delete;
  CTitleFont& operator=(const CTitleFont&) = delete;

  // Reads a TrueType file; false when it cannot be read or used.
  bool Load(const std::string& path);
  bool IsLoaded() const { return m_info != nullptr; }

  // Width in pixels of `text` set `pixelHeight` high.
  float Measure(const char* text, float pixelHeight) const;
  // Draws `text` centred on centerX with its baseline at baselineY (pixels).
  void DrawCentered(CPicture& picture, const char* text, float pixelHeight, float centerX,
                    float baselineY, Rgb color, float opacity) const;

 private:
  std::vector<uint8_t> m_file;
  void* m_info = nullptr;  // stbtt_fontinfo, kept out of this header
};
