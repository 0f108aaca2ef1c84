// DIB sections for the splash pictures, and BMP files stretched into them.
#include "ui/dib_surface.h"

#include <algorithm>

#include "ui/bitmap_file.h"

CDibSurface::~CDibSurface() {
  if (m_bitmap != nullptr) DeleteObject(m_bitmap);
}

bool CDibSurface::Create(int width, int height) {
  width = std::max(width, kMinDibSide);
  height = std::max(height, kMinDibSide);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // positive: bottom-up rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (bitmap == nullptr) return false;
  if (m_bitmap != nullptr) DeleteObject(m_bitmap);
  m_bitmap = bitmap;
  m_bits = static_cast<uint32_t*>(bits);
  m_width = width;
  m_height = height;
  return true;
}

bool CDibSurface::LoadBitmapFile(const void* data, int size) {
  BitmapFileView view;
  if (m_bitmap == nullptr || size <= 0 || !ParseBitmapFile(data, static_cast<size_t>(size), &view))
    return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  if (memory == nullptr) return false;
  HGDIOBJ old = SelectObject(memory, m_bitmap);
  SetStretchBltMode(memory, HALFTONE);
  // HALFTONE needs the brush origin set again after the mode changes.
  SetBrushOrgEx(memory, 0, 0, nullptr);
  const int lines =
      StretchDIBits(memory, 0, 0, m_width, m_height, 0, 0, view.width, view.height, view.bits,
                    reinterpret_cast<const BITMAPINFO*>(view.info), DIB_RGB_COLORS, SRCCOPY);
  GdiFlush();
  SelectObject(memory, old);
  DeleteDC(memory);
  return lines > 0;  // 0 and GDI_ERROR (negative as an int) are failures
}
