// GDI text into a DIB section; the letters' coverage becomes the texture's alpha.
#include "render/caption_painter.h"

#include <algorithm>
#include <cstring>

#include "base/wide_text.h"
#include "render/caption_layout.h"

namespace {

constexpr UINT kTextFormat = DT_WORDBREAK | DT_NOPREFIX | DT_LEFT;
// Room around the letters for the shadow's blur and shift.
constexpr int kPadding = kCaptionShadowRadius + kCaptionShadowOffset + 1;

}  // namespace

CCaptionPainter::~CCaptionPainter() {
  ReleaseFont();
  if (m_dc != nullptr) DeleteDC(m_dc);
}

void CCaptionPainter::ReleaseFont() {
  if (m_font != nullptr) DeleteObject(m_font);
  m_font = nullptr;
  m_fontHeight = 0;
}

std::wstring CCaptionPainter::FormatDate(const CaptionDate& date) {
  if (!date.IsSet()) return std::wstring();
  SYSTEMTIME day{};
  day.wYear = static_cast<WORD>(date.year);
  day.wMonth = static_cast<WORD>(date.month);
  day.wDay = static_cast<WORD>(date.day);
  // The long date's own picture without the weekday: "14 July 2023" reads as a
  // caption, "Friday, 14 July 2023" as a calendar.
  wchar_t picture[128] = {};
  std::wstring format;
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SLONGDATE, picture, 128) > 0) {
    const std::u16string in(picture, picture + wcslen(picture));
    const std::u16string out = RemoveWeekday(in);
    format.assign(out.begin(), out.end());
  }
  wchar_t text[128] = {};
  if (!format.empty() &&
      GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &day, format.c_str(), text, 128, nullptr) > 0)
    return text;
  if (GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_LONGDATE, &day, nullptr, text, 128, nullptr) >
      0)
    return text;
  return std::wstring();
}

std::wstring CCaptionPainter::CaptionText(const Caption& caption) {
  return WideFromUtf8(JoinCaption(caption.text, Utf8FromWide(FormatDate(caption.date))));
}

bool CCaptionPainter::Paint(const std::wstring& text, int pixelHeight, int maxWidth,
                            CaptionImage* image) {
  *image = CaptionImage();
  if (text.empty()) return false;
  if (m_dc == nullptr && (m_dc = CreateCompatibleDC(nullptr)) == nullptr) return false;
  if (m_font == nullptr || m_fontHeight != pixelHeight) {
    ReleaseFont();
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    LOGFONTW face{};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
      face = metrics.lfMessageFont;
    else
      lstrcpynW(face.lfFaceName, L"Segoe UI", LF_FACESIZE);
    face.lfHeight = -pixelHeight;  // the letters' height, not the cell's
    face.lfWidth = 0;
    face.lfQuality = ANTIALIASED_QUALITY;  // grey coverage, no colour fringes
    m_font = CreateFontIndirectW(&face);
    if (m_font == nullptr) return false;
    m_fontHeight = pixelHeight;
  }
  const HGDIOBJ oldFont = SelectObject(m_dc, m_font);
  RECT bounds{0, 0, std::max(maxWidth, pixelHeight), 0};
  DrawTextW(m_dc, text.c_str(), static_cast<int>(text.size()), &bounds, kTextFormat | DT_CALCRECT);
  const int width = bounds.right - bounds.left + 2 * kPadding;
  const int height = bounds.bottom - bounds.top + 2 * kPadding;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr || bits == nullptr) {
    SelectObject(m_dc, oldFont);
    return false;
  }
  const HGDIOBJ oldBitmap = SelectObject(m_dc, bitmap);
  std::memset(bits, 0, static_cast<size_t>(width) * height * 4);
  SetBkMode(m_dc, TRANSPARENT);
  SetTextColor(m_dc, RGB(255, 255, 255));
  RECT place{kPadding, kPadding, kPadding + bounds.right, kPadding + bounds.bottom};
  DrawTextW(m_dc, text.c_str(), static_cast<int>(text.size()), &place, kTextFormat);
  GdiFlush();
  std::vector<uint8_t> coverage(static_cast<size_t>(width) * height);
  const auto* pixels = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < coverage.size(); ++i) coverage[i] = (pixels[i] >> 8) & 0xFF;  // green
  SelectObject(m_dc, oldBitmap);
  SelectObject(m_dc, oldFont);
  DeleteObject(bitmap);

  image->width = width;
  image->height = height;
  image->pixels = ShadeCaption(coverage, width, height);
  return true;
}
