// A 32-bit GDI picture the splash thread draws into: a bottom-up DIB section whose
// pixels the portable code reads and writes directly.
#pragma once

#include <windows.h>

#include <cstdint>

// Surfaces are never smaller than this on either side.
constexpr int kMinDibSide = 8;

class CDibSurface {
 public:
  CDibSurface() = default;
  virtual ~CDibSurface();
  CDibSurface(const CDibSurface&) = delete;
  CDibSurface& operator=(const CDibSurface&) = delete;

  // A black picture of at least 8 x 8 pixels; false when GDI refuses.
  bool Create(int width, int height);
  // Draws a whole BMP file stretched (HALFTONE) over the surface. False, leaving the
  // surface as it was, for anything but a well-formed BMP lying inside size bytes.
  bool LoadBitmapFile(const void* data, int size);

  uint32_t* GetBits() const { return m_bits; }
  HBITMAP GetBitmap() const { return m_bitmap; }
  int GetWidth() const { return m_width; }
  int GetHeight() const { return m_height; }

 private:
  HBITMAP m_bitmap = nullptr;  // DIB section, owned
  uint32_t* m_bits = nullptr;  // its pixels: blue, green, red, reserved; rows bottom-up
  int m_width = 0;             // pixels
  int m_height = 0;            // pixels
};
