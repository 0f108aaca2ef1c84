// The screensaver mode of the real engine under Wine: it covers the screen and shows
// the slideshow, ignores input during the grace time, ends on input after it, switches
// the display mode and puts it back, reports a mode the display lacks, keeps to one
// instance, and writes the settings.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/saver_test_support.h"

namespace {
const char kCompany[] = "QuillSaver E2E";
const char kTitle[] = "Saver Mode";
const std::string kKey = SettingsKeyName(kCompany, kTitle);

std::string SaverProduct(const std::string& fileName) {
  return MakeProduct(fileName, SlideshowContent(kTitle, kCompany, kImageColours));
}

void WriteDword(const char* name, DWORD value) {
  ASSERT_TRUE(WriteRegistryDword(kKey, name, value)) << name;
}

// Writes the settings that select a display mode for the run.
void ChooseMode(DWORD width, DWORD height, DWORD depth) {
  DeleteRegistryTree(kKey);
  WriteDword("Desktop", 0);
  WriteDword("Width", width);
  WriteDword("Height", height);
  WriteDword("Depth", depth);
}

bool SameMode(const DisplayModeReading& a, const DisplayModeReading& b) {
  return a.width == b.width && a.height == b.height && a.bitsPerPixel == b.bitsPerPixel;
}
}  // namespace

namespace {
// Starts /s, expects the report with `message` while no window of the run is left,
// the cursor shows and the display mode is `before`, then dismisses it and expects exit code 1.
void ExpectReportOverTheDesktop(const std::string& product, const std::string& message,
                                const DisplayModeReading& before) {
  CTestProcess saver;
  ASSERT_TRUE(saver.Start(product, "/s"));
  HWND box = WaitForWindow(saver.Id(), "#32770", "3D Screensaver:", kWindowWaitMs);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box), "CSaverApp::Run() -> CSaverApp::DoSaver()\n\n" + message);
  EXPECT_TRUE(FindWindows(saver.Id(), kBlackWindowClass, nullptr, false).empty());
  EXPECT_TRUE(FindWindows(saver.Id(), kSaverWindowClass, nullptr, false).empty());
  EXPECT_TRUE(SameMode(CurrentDisplayMode(), before));
  CURSORINFO cursor{};
  cursor.cbSize = sizeof cursor;
  ASSERT_TRUE(GetCursorInfo(&cursor));
  EXPECT_NE(cursor.flags & CURSOR_SHOWING, 0u) << "no cursor over the report";
  DismissMessageBox(box);
  DWORD exitCode = 0xFFFFFFFF;
  ASSERT_TRUE(saver.WaitForExit(kExitWaitMs, &exitCode));
  EXPECT_EQ(exitCode, 1u);
}

}  // namespace

TEST(SaverMode, CoversTheScreenShowsTheSlideshowAndEndsOnInputAfterTheGraceTime) {
  DeleteRegistryTree(kKey);
  ASSERT_FALSE(RegistryKeyExists(kKey));
  const std::string product = SaverProduct("saver mode.scr");
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  const POINT start{width / 3, height / 3};
  MoveCursorTo(start.x, start.y);

  CTestProcess saver;
  ASSERT_TRUE(saver.Start(product, "/s"));
  HWND window = WaitForWindow(saver.Id(), kSaverWindowClass, kSaverWindowTitle, kWindowWaitMs);
  ASSERT_NE(window, nullptr);
  // At once, well inside the first second of rendered time: ignored.
  MoveCursorTo(start.x + 100, start.y + 100);
  SendKey(VK_SPACE);
  MoveCursorTo(start.x, start.y);

  EXPECT_TRUE(SameRect(WindowRect(window), {0, 0, width, height}));
  EXPECT_NE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  const std::vector<HWND> black = FindWindows(saver.Id(), kBlackWindowClass, nullptr);
  ASSERT_EQ(black.size(), 1u);
  EXPECT_TRUE(SameRect(WindowRect(black[0]), {0, 0, width, height}));
  ASSERT_TRUE(WaitForImageAt(width / 2, height / 2, kWindowWaitMs))
      << "no image at the centre of the screen";
  ASSERT_TRUE(saver.IsRunning()) << "input inside the grace time ended the run";

  Sleep(kPastGraceMs);
  MoveCursorTo(start.x + 30, start.y - 30);  // 30 pixels on both axes: not far enough
  Sleep(500);
  ASSERT_TRUE(saver.IsRunning()) << "a 30-pixel move ended the run";
  DWORD exitCode = 0xFFFFFFFF;
  ASSERT_TRUE(EndsOnA31PixelMove(saver, start, &exitCode)) << "a 31-pixel move did not end the run";
  EXPECT_EQ(exitCode, 0u);

  for (const char* name :
       {"Width", "Height", "Depth", "Desktop", "FPS", "ShowTime", "24h", "VSync", "LowCPULoad",
        "Music", "MusicVolume", "TransitionTime", "KeepTime", "Brightness"}) {
    DWORD value = 0;
    DWORD type = 0;
    EXPECT_TRUE(ReadRegistryDword(kKey, name, &value, &type)) << name;
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << name;
  }
  DeleteRegistryTree(kKey);
}

TEST(SaverMode, SwitchesToTheChosenModeAndPutsTheDesktopModeBack) {
  const DisplayModeReading before = CurrentDisplayMode();
  ASSERT_EQ(before.width, 1024u);
  ChooseMode(800, 600, 32);
  const std::string product = SaverProduct("saver mode.scr");

  CTestProcess saver;
  ASSERT_TRUE(saver.Start(product, "/s"));
  HWND window = WaitForWindow(saver.Id(), kSaverWindowClass, kSaverWindowTitle, kWindowWaitMs);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(SameMode(CurrentDisplayMode(), {800, 600, 32}));
  EXPECT_TRUE(SameRect(WindowRect(window), {0, 0, 800, 600}));
  ASSERT_TRUE(WaitForImageAt(400, 300, kWindowWaitMs));
  Sleep(kPastGraceMs);
  DWORD exitCode = 0xFFFFFFFF;
  ASSERT_TRUE(EndsOnAKey(saver, &exitCode));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_TRUE(SameMode(CurrentDisplayMode(), before));
  DeleteRegistryTree(kKey);
}

TEST(SaverMode, AModeTheDisplayLacksIsReportedAndChangesNothing) {
  const DisplayModeReading before = CurrentDisplayMode();
  ChooseMode(1000, 700, 32);
  const std::string product = SaverProduct("saver mode.scr");

  ExpectReportOverTheDesktop(product, "\"Could not set specified video mode\"", before);
  EXPECT_TRUE(SameMode(CurrentDisplayMode(), before));
  DeleteRegistryTree(kKey);
}

// The report of a failure after the windows exist must be seen: by the time it shows,
// the full-screen window and the topmost black windows are gone and the mode is back.
TEST(SaverMode, AFailedRendererIsReportedOverTheRestoredDesktop) {
  const DisplayModeReading before = CurrentDisplayMode();
  ChooseMode(800, 600, 32);
  // Without a font description the renderer refuses.
  const std::string product = MakeProduct(
      "no font.scr",
      Without(SlideshowContent(kTitle, kCompany, kImageColours), {kFontDescriptionName}));

  ExpectReportOverTheDesktop(product, "\"Could not init Rendering Engine\"", before);
  DeleteRegistryTree(kKey);
}

TEST(SaverMode, ASecondScreensaverExitsAtOnceButTheTestModeRuns) {
  DeleteRegistryTree(kKey);
  const std::string product = SaverProduct("saver mode.scr");
  CTestProcess first;
  ASSERT_TRUE(first.Start(product, "/s"));
  ASSERT_NE(WaitForWindow(first.Id(), kSaverWindowClass, kSaverWindowTitle, kWindowWaitMs),
            nullptr);

  CTestProcess second;
  ASSERT_TRUE(second.Start(product, "/s"));
  DWORD exitCode = 0xFFFFFFFF;
  ASSERT_TRUE(second.WaitForExit(kExitWaitMs, &exitCode));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_TRUE(first.IsRunning());

  CTestProcess test;
  ASSERT_TRUE(test.Start(product, "/t"));
  HWND debug = WaitForWindow(test.Id(), kSaverWindowClass, kDebugWindowTitle, kWindowWaitMs);
  ASSERT_NE(debug, nullptr);
  PostMessageA(debug, WM_CLOSE, 0, 0);
  ASSERT_TRUE(test.WaitForExit(kExitWaitMs, &exitCode));
  EXPECT_EQ(exitCode, 0u);
  // The test window took the activation from the screensaver, which ends it.
  ASSERT_TRUE(first.WaitForExit(kExitWaitMs, &exitCode));
  EXPECT_EQ(exitCode, 0u);
  DeleteRegistryTree(kKey);
}

TEST(SaverMode, ThePasswordChangeEndsCleanlyWithAndWithoutItsLibrary) {
  for (const char* fileName : {"mpr-present.scr", "no-mpr.scr"}) {
    const std::string product = SaverProduct(fileName);
    const bool absent = std::string(fileName) == "no-mpr.scr";
    if (absent) {
      ASSERT_TRUE(DisableDllFor(fileName, "mpr"));
    }
    CTestProcess saver;
    ASSERT_TRUE(saver.Start(product, "/a 0"));
    DWORD exitCode = 0xFFFFFFFF;
    EXPECT_TRUE(saver.WaitForExit(kExitWaitMs, &exitCode)) << fileName;
    EXPECT_EQ(exitCode, 0u) << fileName;
    if (absent) DeleteDllOverrides(fileName);
  }
  DeleteRegistryTree(kKey);
}
