// The test mode of the real screensaver: a product's slideshow in the debug window,
// seen through screen captures, and what a product without its font reports.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "tests/win/support/saver_harness.h"
#include "tests/win/support/slideshow_content.h"

namespace {
constexpr DWORD kStartTimeoutMs = 20000;
constexpr DWORD kExitTimeoutMs = 10000;
constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;
const char kCompany[] = "QuillSaver E2E";

// JPEG and filtering blur a solid colour's edges a little.
bool ColourNear(uint32_t actual, uint32_t expected) { return ColoursMatch(actual, expected, 24); }

std::string MakeTestProduct(const std::string& fileName, const std::vector<ContentEntry>& content) {
  static const std::string engine = ReadFileBytes(ScreensaverPath());
  const std::string path = ScratchFolder() + "\\" + fileName;
  std::string error;
  EXPECT_GT(engine.size(), 1000u);
  EXPECT_TRUE(WriteProductFile(path, engine, content, &error)) << error;
  return path;
}

void StoreTimes(const std::string& title, DWORD keep, DWORD transition) {
  const std::string key = std::string("Software\\") + kCompany + "\\" + title;
  DeleteRegistryTree(key);
  const DWORD zero = 0;
  ASSERT_TRUE(WriteRegistryValue(key, "KeepTime", REG_DWORD, &keep, sizeof keep));
  ASSERT_TRUE(WriteRegistryValue(key, "TransitionTime", REG_DWORD, &transition, sizeof transition));
  ASSERT_TRUE(WriteRegistryValue(key, "ShowTime", REG_DWORD, &zero, sizeof zero));
}

HWND FindMessageBox(DWORD pid) {
  std::vector<HWND> boxes = FindWindows(pid, "#32770", "3D Screensaver:");
  return boxes.empty() ? nullptr : boxes.front();
}

// Ends a /t run with Escape, as a user would, and returns its exit code.
DWORD PressEscapeAndWait(CTestProcess& saver, HWND window) {
  SetForegroundWindow(window);
  SendKey(VK_ESCAPE);
  DWORD exitCode = 0xFFFFFFFF;
  EXPECT_TRUE(saver.WaitForExit(kExitTimeoutMs, &exitCode)) << "Escape did not end the run";
  return exitCode;
}
}  // namespace

TEST(TestMode, TheSlideshowFillsTheDebugWindowAndBlendsItsImages) {
  const std::string title = "Test Mode Colours";
  StoreTimes(title, 1, 1);
  const std::string product =
      MakeTestProduct("test-mode.scr", SlideshowContent(title, kCompany, {kRed, kGreen, kBlue}));
  CTestProcess saver;
  ASSERT_TRUE(saver.Start(product, "/t"));
  HWND window = WaitForWindow(saver.Id(), "Quillmark Window", "Debug Window", kStartTimeoutMs);
  ASSERT_NE(window, nullptr) << "no debug window";

  // Samples at the client area's corners and centre, in screen coordinates.
  RECT client{};
  GetClientRect(window, &client);
  std::vector<POINT> points;
  for (double fx : {0.1, 0.5, 0.9})
    for (double fy : {0.1, 0.9}) {
      POINT p{static_cast<LONG>(client.right * fx), static_cast<LONG>(client.bottom * fy)};
      ClientToScreen(window, &p);
      points.push_back(p);
    }
  std::set<uint32_t> filled;  // pure colours seen filling the whole client area
  int mixtures = 0;           // captures during a transition
  const DWORD start = GetTickCount();
  int shot = 0;
  while (GetTickCount() - start < 7000 && (filled.size() < 3 || mixtures == 0)) {
    ASSERT_EQ(FindMessageBox(saver.Id()), nullptr) << MessageBoxText(FindMessageBox(saver.Id()));
    const ScreenImage image = CaptureScreen();
    SaveBitmap(image, ScratchFolder() + "\\test-mode-" + std::to_string(shot++ % 8) + ".bmp");
    bool allPure = true;
    for (uint32_t colour : {kRed, kGreen, kBlue}) {
      bool everywhere = true;
      for (const POINT& p : points)
        everywhere = everywhere && ColourNear(image.At(p.x, p.y) & 0xFFFFFF, colour);
      if (everywhere) filled.insert(colour);
      allPure = allPure && !everywhere;
    }
    if (allPure) ++mixtures;  // no single colour everywhere: two images blended
    Sleep(150);
  }
  EXPECT_EQ(filled.size(), 3u) << "not every image filled the window";
  EXPECT_GT(mixtures, 0) << "no transition was seen";
  EXPECT_EQ(PressEscapeAndWait(saver, window), 0u);
}

TEST(TestMode, WithoutTheFontDescriptionTheRendererFailsAndIsReported) {
  const std::string title = "Test Mode No Font";
  StoreTimes(title, 1, 1);
  const std::string product =
      MakeTestProduct("test-mode-no-font.scr",
                      Without(SlideshowContent(title, kCompany, {kRed}), {"fonts/basic.font"}));
  CTestProcess saver;
  ASSERT_TRUE(saver.Start(product, "/t"));
  HWND box = nullptr;
  ASSERT_TRUE(
      WaitUntil([&] { return (box = FindMessageBox(saver.Id())) != nullptr; }, kStartTimeoutMs));
  EXPECT_EQ(MessageBoxText(box),
            "CSaverApp::Run() -> CSaverApp::DoTest()\n\n\"Could not init Rendering Engine\"");
  DismissMessageBox(box);
  DWORD exitCode = 0;
  ASSERT_TRUE(saver.WaitForExit(kExitTimeoutMs, &exitCode));
  EXPECT_EQ(exitCode, 1u);
}

TEST(TestMode, WithoutTheFontTextureAndTheDefaultTextureItStillRuns) {
  const std::string title = "Test Mode No Textures";
  StoreTimes(title, 1, 1);
  const std::string product = MakeTestProduct(
      "test-mode-no-textures.scr", Without(SlideshowContent(title, kCompany, {kGreen}),
                                           {"textures/font.tga", "textures/default.jpg"}));
  CTestProcess saver;
  ASSERT_TRUE(saver.Start(product, "/t"));
  HWND window = WaitForWindow(saver.Id(), "Quillmark Window", "Debug Window", kStartTimeoutMs);
  ASSERT_NE(window, nullptr);
  RECT client{};
  GetClientRect(window, &client);
  POINT centre{client.right / 2, client.bottom / 2};
  ClientToScreen(window, &centre);
  EXPECT_TRUE(WaitUntil(
      [&] { return ColourNear(CaptureScreen().At(centre.x, centre.y) & 0xFFFFFF, kGreen); }, 5000));
  EXPECT_EQ(FindMessageBox(saver.Id()), nullptr);
  EXPECT_EQ(PressEscapeAndWait(saver, window), 0u);
}
