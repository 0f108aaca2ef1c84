// The screensaver on two monitors (the bench's Xorg dummy display): the slideshow on
// the primary, a black window owned by the primary black window over exactly the
// second monitor, wherever it lies, and input over the second monitor ends the run.
// QUILL_MONITOR_LAYOUT says where the bench put the second monitor: right or left.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/e2e/saver_test_support.h"

TEST(TwoMonitors, TheSecondMonitorIsCoveredAndInputThereEndsTheRun) {
  const char* layout = std::getenv("QUILL_MONITOR_LAYOUT");
  ASSERT_NE(layout, nullptr);
  const bool left = std::string(layout) == "left";
  const RECT primary{0, 0, 1024, 768};
  const RECT second = left ? RECT{-1024, 0, 0, 768} : RECT{1024, 0, 2048, 768};
  const std::vector<RECT> monitors = MonitorRects();
  ASSERT_EQ(monitors.size(), 2u);
  ASSERT_TRUE(SameRect(monitors[0], primary));
  ASSERT_TRUE(SameRect(monitors[1], second));

  const std::string key = SettingsKeyName("QuillSaver E2E", "Two Monitors");
  DeleteRegistryTree(key);
  const std::string product = MakeProduct(
      "two monitors.scr", SlideshowContent("Two Monitors", "QuillSaver E2E", kImageColours));
  const POINT start{(second.left + second.right) / 2, (second.top + second.bottom) / 2};
  MoveCursorTo(start.x, start.y);

  CTestProcess saver;
  ASSERT_TRUE(saver.Start(product, "/s"));
  ASSERT_NE(WaitForWindow(saver.Id(), kSaverWindowClass, kSaverWindowTitle, kWindowWaitMs),
            nullptr);
  std::vector<HWND> black;
  ASSERT_TRUE(WaitUntil(
      [&] {
        black = FindWindows(saver.Id(), kBlackWindowClass, nullptr);
        return black.size() == 2;
      },
      kWindowWaitMs));
  HWND primaryBlack = SameRect(WindowRect(black[0]), primary) ? black[0] : black[1];
  HWND secondBlack = primaryBlack == black[0] ? black[1] : black[0];
  EXPECT_TRUE(SameRect(WindowRect(primaryBlack), primary));
  EXPECT_TRUE(SameRect(WindowRect(secondBlack), second));
  EXPECT_EQ(GetWindow(secondBlack, GW_OWNER), primaryBlack);
  EXPECT_EQ(GetWindow(primaryBlack, GW_OWNER), nullptr);

  ASSERT_TRUE(WaitForImageAt(512, 384, kWindowWaitMs));
  const uint32_t cover = CaptureScreenRect({start.x, start.y, start.x + 1, start.y + 1}).At(0, 0);
  EXPECT_TRUE(ColoursMatch(cover, 0, 8)) << std::hex << cover;
  Sleep(kPastGraceMs);
  ASSERT_TRUE(saver.IsRunning());
  DWORD exitCode = 0xFFFFFFFF;
  ASSERT_TRUE(EndsOnA31PixelMove(saver, start, &exitCode));
  EXPECT_EQ(exitCode, 0u);
  DeleteRegistryTree(key);
}
