// The test mode of the real screensaver: a product's slideshow in the debug window,
// seen through screen captures, and what a product without its font reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "base/screen_options.h"
#include "data/content_layout.h"
#include "tests/e2e/product_files.h"
#include "tests/support/music_capture.h"
#include "ui/saver_wnd.h"

namespace {
constexpr DWORD kStartTimeoutMs = 20000;
constexpr DWORD kExitTimeoutMs = 10000;
constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;
const char kCompany[] = "QuillSaver E2E";

// JPEG and filtering blur a solid colour's edges a little.
bool ColourNear(uint32_t actual, uint32_t expected) { return ColoursMatch(actual, expected, 24); }

void StoreTimes(const std::string& title, DWORD keep, DWORD transition) {
  const std::string key = SettingsKeyName(kCompany, title);
  DeleteRegistryTree(key);
  ASSERT_TRUE(WriteRegistryDword(key, "KeepTime", keep));
  ASSERT_TRUE(WriteRegistryDword(key, "TransitionTime", transition));
  ASSERT_TRUE(WriteRegistryDword(key, "ShowTime", 0));
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
      MakeProduct("test-mode.scr", SlideshowContent(title, kCompany, {kRed, kGreen, kBlue}));
  CTestProcess saver;
  ASSERT_TRUE(saver.Start(product, "/t"));
  HWND window = WaitForWindow(saver.Id(), kSaverWindowClass, kDebugWindowTitle, kStartTimeoutMs);
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
  while (GetTickCount() - start < 7000 && (filled.size() < 3 || mixtures == 0)) {
    ASSERT_EQ(FindMessageBox(saver.Id()), nullptr) << MessageBoxText(FindMessageBox(saver.Id()));
    const ScreenImage image = CaptureScreen();
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
      MakeProduct("test-mode-no-font.scr",
                  Without(SlideshowContent(title, kCompany, {kRed}), {kFontDescriptionName}));
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
  const std::string product =
      MakeProduct("test-mode-no-textures.scr", Without(SlideshowContent(title, kCompany, {kGreen}),
                                                       {kFontTextureName, kDefaultTextureName}));
  CTestProcess saver;
  ASSERT_TRUE(saver.Start(product, "/t"));
  HWND window = WaitForWindow(saver.Id(), kSaverWindowClass, kDebugWindowTitle, kStartTimeoutMs);
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

// A product asking for every monitor and fit: still one window, the 2:1 picture whole
// in it with black above and below.
TEST(TestMode, OneWindowWhateverMonitorsSaysAndPicturesPlacedByFit) {
  const std::string title = "Test Mode Fit";
  StoreTimes(title, 1, 1);
  std::vector<ContentEntry> content = SlideshowContent(title, kCompany, {});
  content[0].data =
      ProductConfig(title, kCompany,
                    std::string("<") + kMonitorsElement + ">all</" + kMonitorsElement + "><" +
                        kFitElement + ">fit</" + kFitElement + ">");
  content.push_back({ImageFileName(0), SolidJpeg(kGreen, 256, 128)});
  CTestProcess saver;
  ASSERT_TRUE(saver.Start(MakeProduct("test-mode-fit.scr", content), "/t"));
  HWND window = WaitForWindow(saver.Id(), kSaverWindowClass, kDebugWindowTitle, kStartTimeoutMs);
  ASSERT_NE(window, nullptr);
  RECT client{};
  GetClientRect(window, &client);
  ASSERT_GT(client.bottom, client.right / 2 + 20);  // room for bars
  POINT centre{client.right / 2, client.bottom / 2}, top{client.right / 2, 4};
  ClientToScreen(window, &centre);
  ClientToScreen(window, &top);
  EXPECT_TRUE(WaitUntil(
      [&] { return ColourNear(CaptureScreen().At(centre.x, centre.y) & 0xFFFFFF, kGreen); }, 5000));
  EXPECT_TRUE(ColourNear(CaptureScreen().At(top.x, top.y) & 0xFFFFFF, 0));
  EXPECT_EQ(FindWindows(saver.Id(), kSaverWindowClass, nullptr).size(), 1u);
  EXPECT_EQ(PressEscapeAndWait(saver, window), 0u);
}

// With an .asoundrc in the HOME that Wine's ALSA driver reads, the run's sound lands
// in a WAV file. The tone (440 Hz at half scale) comes back at the volume's level
// once the one-second fade-in is over, and not at all with music off.
TEST(TestMode, MusicPlaysATrackAtTheUserVolume) {
  CMusicCapture capture;
  ASSERT_TRUE(capture.Prepare());

  const std::string title = "Test Mode Music";
  std::vector<ContentEntry> content = SlideshowContent(title, kCompany, {kRed});
  content.push_back({MusicFileName(0), ReadWholeFile(std::getenv("QUILL_TONE"))});
  ASSERT_GT(content.back().data.size(), 1000u);
  const std::string product = MakeProduct("test-mode-music.scr", content);
  struct Case {
    DWORD music, volume;
    double level;  // expected peak, in full scale
  };
  for (const Case& c : {Case{1, 100, 0.5}, Case{1, 50, 0.5 * 0.125}, Case{0, 100, 0}}) {
    SCOPED_TRACE(c.volume * c.music);
    StoreTimes(title, 1, 1);
    const std::string key = SettingsKeyName(kCompany, title);
    ASSERT_TRUE(WriteRegistryDword(key, "Music", c.music));
    ASSERT_TRUE(WriteRegistryDword(key, "MusicVolume", c.volume));
    capture.Clear();
    CTestProcess saver;
    ASSERT_TRUE(saver.Start(product, "/t"));
    HWND window = WaitForWindow(saver.Id(), kSaverWindowClass, kDebugWindowTitle, kStartTimeoutMs);
    ASSERT_NE(window, nullptr) << "no debug window";
    Sleep(3000);  // the fade-in and more than a second at full level
    EXPECT_EQ(PressEscapeAndWait(saver, window), 0u);

    const std::vector<int16_t> samples = capture.Samples();
    size_t start = 0;  // the first audible sample
    while (start < samples.size() && std::abs(samples[start]) < 64) ++start;
    if (c.level == 0) {
      EXPECT_EQ(start, samples.size()) << "sound with music off";
      continue;
    }
    // One second from 1.2 s after the music starts, both channels.
    const size_t from = start + 2 * 52920, to = from + 2 * 44100;
    ASSERT_GE(samples.size(), to) << "too little sound captured";
    int peak = 0;
    for (size_t i = from; i < to; ++i) peak = std::max(peak, std::abs(int{samples[i]}));
    EXPECT_NEAR(peak / 32768.0, c.level, c.level * 0.08);
  }
}
