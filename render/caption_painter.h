// Paints a picture's caption with the system's own text rendering (GDI, the Windows
// UI font, with the fallback Windows applies for scripts that font lacks) into
// pixels for a texture, and formats its date the way the user reads dates.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "data/caption_list.h"

struct CaptionImage {
  int width = 0;  // pixels
  int height = 0;
  std::vector<uint32_t> pixels;  // ARGB, rows top down, not premultiplied
};

class CCaptionPainter {
 public:
  CCaptionPainter() = default;
  ~CCaptionPainter();
  CCaptionPainter(const CCaptionPainter&) = delete;
  CCaptionPainter& operator=(const CCaptionPainter&) = delete;

  // The text the screen shows for a caption, "Harbour at dusk — 14 July 2023".
  static std::wstring CaptionText(const Caption& caption);
  // The day in the user's long date format without its weekday ("14. Juli 2023"
  // for German); empty when the system cannot format it.
  static std::wstring FormatDate(const CaptionDate& date);

  // White letters pixelHeight high over a soft shadow, wrapped to lines at most
  // maxWidth pixels wide. False when GDI cannot paint (no memory for the bitmap).
  bool Paint(const std::wstring& text, int pixelHeight, int maxWidth, CaptionImage* image);

 private:
  void ReleaseFont();

  HDC m_dc = nullptr;      // memory device context, made on first use
  HFONT m_font = nullptr;  // the UI font at m_fontHeight
  int m_fontHeight = 0;    // pixels
};
