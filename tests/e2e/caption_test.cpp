// Captions in a /t run of the real screensaver under a German Wine: a Greek title and
// a date drawn in the bottom corner away from the clock, compared pixel for pixel
// with the same text painted here by the same GDI painter.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "data/content_layout.h"
#include "render/caption_layout.h"
#include "render/caption_painter.h"
#include "render/overlay_text.h"
#include "tests/e2e/product_files.h"
#include "ui/saver_wnd.h"

namespace {

constexpr uint32_t kBackground = 0x305078;  // neither white nor black
constexpr int kDifferent = 48;              // a channel this far off is a wrong pixel
// The test font's glyphs are as wide as high: "10.00am" at the clock's size.
constexpr float kBlockClockWidth = 7 * kClockTextSize;

// The pixels of the capture that differ from `caption` (the painter's ARGB) laid over
// the background at the caption's place; the caption's whole area counts.
int WrongPixels(const ScreenImage& capture, const CaptionImage& caption, int left, int top) {
  int wrong = 0;
  for (int y = 0; y < caption.height; ++y)
    for (int x = 0; x < caption.width; ++x) {
      const uint32_t c = caption.pixels[static_cast<size_t>(y) * caption.width + x];
      const uint32_t a = c >> 24;
      uint32_t expected = 0;
      for (int shift : {0, 8, 16}) {
        const uint32_t channel =
            (((c >> shift) & 0xFF) * a + ((kBackground >> shift) & 0xFF) * (255 - a)) / 255;
        expected |= channel << shift;
      }
      const int px = left + x, py = top + y;
      if (px < 0 || py < 0 || px >= capture.width || py >= capture.height ||
          !ColoursMatch(capture.At(px, py) & 0xFFFFFF, expected, kDifferent))
        ++wrong;
    }
  return wrong;
}

}  // namespace

TEST(Captions, GreekTitleAndGermanDateAwayFromTheClock) {
  const std::string title = "Caption Test";
  const std::string company = "QuillSaver E2E";
  const std::string key = SettingsKeyName(company, title);
  DeleteRegistryTree(key);
  ASSERT_TRUE(WriteRegistryDword(key, "KeepTime", 60));
  ASSERT_TRUE(WriteRegistryDword(key, "ShowTime", 1));  // the clock: bottom right first
  std::vector<Entry> content = SlideshowContent(title, company, {kBackground});
  content[0].data = ProductConfig(title, company, "\t\t<Captions>on</Captions>\r\n");
  const std::string greek =
      "\xCE\x9B\xCE\xB9\xCE\xBC\xCE\xAC\xCE\xBD\xCE\xB9 \xCF\x83\xCF\x84\xCE"
      "\xBF \xCE\xB4\xCE\xB5\xCE\xB9\xCE\xBB\xCE\xB9\xCE\xBD\xCF\x8C";
  content.push_back({kCaptionsName, "0 | 2023-07-14 | " + greek + "\n"});
  CTestProcess saver;
  ASSERT_TRUE(saver.Start(MakeProduct("captions.scr", content), "/t"));
  HWND window = WaitForWindow(saver.Id(), kSaverWindowClass, kDebugWindowTitle, 20000);
  ASSERT_NE(window, nullptr);
  RECT client{};
  GetClientRect(window, &client);
  const int width = client.right, height = client.bottom;

  // The same text by the same painter, at the size and place the engine computes.
  const std::wstring greekWide =
      L"\u039B\u03B9\u03BC\u03AC\u03BD\u03B9 \u03C3\u03C4\u03BF "
      L"\u03B4\u03B5\u03B9\u03BB\u03B9\u03BD\u03CC \u2014 ";
  const auto paint = [&](const std::wstring& date) {
    CCaptionPainter painter;
    CaptionImage image;
    EXPECT_TRUE(painter.Paint(greekWide + date, CaptionPixelHeight(height),
                              CaptionMaxPixels(width, kBlockClockWidth), &image));
    return image;
  };
  const CaptionImage expected = paint(L"14. Juli 2023");
  ScreenVertex quad[4];
  CaptionQuad(CaptionSide::Left, expected.width, expected.height, width, height, 1, quad);
  // The quad lies half a pixel up and left of the caption's first pixel.
  const int left = static_cast<int>(std::lround(quad[0].x * width + 0.5f));
  const int top = static_cast<int>(std::lround(quad[0].y * height + 0.5f));

  // Until the caption has faded in fully.
  ScreenImage capture;
  int wrong = expected.width * expected.height;
  WaitUntil(
      [&] {
        capture = CaptureClient(window);
        wrong = WrongPixels(capture, expected, left, top);
        return wrong * 100 < expected.width * expected.height;
      },
      8000);
  EXPECT_LT(wrong * 100, expected.width * expected.height)
      << "of " << expected.width << "x" << expected.height;
  // The comparison tells dates apart: English ("Juli" and "July" differ in one letter),
  // or with the weekday, is far off.
  for (const wchar_t* other : {L"14 July 2023", L"Freitag, 14. Juli 2023"})
    EXPECT_GT(WrongPixels(capture, paint(other), left, top), std::max(20, 10 * wrong))
        << "a caption with another date matched too";

  // The clock's corner, bottom right: its white blocks, and no caption shadow.
  int white = 0, dark = 0;
  for (int y = height * 9 / 10; y < height; ++y)
    for (int x = width / 2; x < width; ++x) {
      const uint32_t c = capture.At(x, y) & 0xFFFFFF;
      white += ColoursMatch(c, 0xFFFFFF, 16);
      dark += ColoursMatch(c, 0x000000, 40);
    }
  EXPECT_GT(white, 100) << "no clock";
  EXPECT_EQ(dark, 0) << "caption shadow under the clock's corner";
  saver.Terminate();
}
