// The splash preview and display modes on Windows: BMP files stretched into DIB
// surfaces, the splash thread animating a window of this process (read back with
// BitBlt from the window's DC), and the system's mode list.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "data/content_archive.h"
#include "data/content_layout.h"
#include "tests/support/product_fixture.h"
#include "tests/win/support/saver_harness.h"
#include "ui/dib_surface.h"
#include "ui/display_modes.h"
#include "ui/splash_thread.h"

namespace {
// The four splash colours and how the 255/256 blend shows them.
const uint32_t kSplashColours[] = {0xC03020, 0x20C030, 0x3020C0, 0xE0E0E0};
constexpr int kTolerance = 3;

int MatchingColour(uint32_t pixel) {
  for (int i = 0; i < 4; ++i)
    if (ColoursMatch(pixel, kSplashColours[i], kTolerance)) return i;
  return -1;
}

// A plain window of this process for the splash thread to draw into.
HWND CreateTarget(int width, int height) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = &DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "Splash Test Target";
  RegisterClassA(&windowClass);
  RECT frame{0, 0, width, height};
  AdjustWindowRect(&frame, WS_POPUP, FALSE);
  HWND window = CreateWindowExA(WS_EX_TOPMOST, "Splash Test Target", "", WS_POPUP | WS_VISIBLE, 40,
                                40, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
  PumpUntil([] { return false; }, 100);
  return window;
}
}  // namespace

TEST(DibSurface, LoadsBitmapsStretchedAndRefusesBrokenOnes) {
  const std::string good = SolidBitmapFile(20, 10, 0x4080C0);
  const struct {
    const char* what;
    std::string file;
    bool loaded;
    uint32_t centre;
  } cases[] = {
      {"solid picture", good, true, 0x4080C0},
      {"not a bitmap", "PK" + good.substr(2), false, 0},
      {"truncated", good.substr(0, good.size() - 7), false, 0},
  };
  for (const auto& c : cases) {
    CDibSurface surface;
    ASSERT_TRUE(surface.Create(3, 2)) << c.what;
    EXPECT_EQ(surface.GetWidth(), kMinDibSide);
    EXPECT_EQ(surface.GetHeight(), kMinDibSide);
    EXPECT_EQ(surface.LoadBitmapFile(c.file.data(), static_cast<int>(c.file.size())), c.loaded)
        << c.what;
    for (int i : {0, 27, 63})
      EXPECT_TRUE(ColoursMatch(surface.GetBits()[i], c.centre, kTolerance))
          << c.what << " pixel " << i << " " << std::hex << surface.GetBits()[i];
  }
}

TEST(SplashThread, AnimatesAWindowOfThisProcess) {
  const std::filesystem::path product = std::filesystem::path(ScratchFolder()) / "splash.scr";
  std::vector<FixtureEntry> entries = {{"config/config.xml", "<ini></ini>"}};
  for (int i = 0; i < kSplashCount; ++i)
    entries.push_back({kSplashFileNames[i], SolidBitmapFile(64, 48, kSplashColours[i])});
  ASSERT_TRUE(WriteProduct(product, FakeEngine(4096), entries));
  ASSERT_TRUE(OpenContentArchive(product.string().c_str()));

  HWND target = CreateTarget(152, 112);
  ASSERT_NE(target, nullptr);
  ASSERT_NE(StartSplashThread(target, GetModuleHandleA(nullptr)), nullptr);
  ResumeSplashThread();
  // Samples over three seconds. The first transition takes two, so the centre moves
  // from the first picture towards the second and then shows the second alone.
  std::vector<uint32_t> centre;
  ScreenImage last;
  for (int sample = 0; sample < 12; ++sample) {
    PumpUntil([] { return false; }, 250);
    last = CaptureClient(target);
    ASSERT_EQ(last.width, 152);
    ASSERT_EQ(last.height, 112);
    centre.push_back(last.At(76, 56));
  }
  StopSplashThread();
  DestroyWindow(target);
  CloseContentArchive();

  const int standing = MatchingColour(last.At(76, 56));
  EXPECT_NE(standing, -1) << std::hex << last.At(76, 56);
  for (const auto& [x, y] : {std::pair{1, 1}, {150, 1}, {1, 110}, {150, 110}})
    EXPECT_EQ(MatchingColour(last.At(x, y)), standing) << x << "," << y;
  const bool moved = std::any_of(centre.begin(), centre.end(), [&](uint32_t pixel) {
    return !ColoursMatch(pixel, last.At(76, 56), kTolerance);
  });
  EXPECT_TRUE(moved) << "the picture did not change";
}

// Four splash pictures of 48 MB each take seconds to read and stretch. A stop at
// once ends the thread inside its loading, well before the one-second wait runs out
// (the wait would have ended in the thread's termination before).
TEST(SplashThread, AStopDuringLoadingEndsTheThreadWithinItsRead) {
  const std::filesystem::path product = std::filesystem::path(ScratchFolder()) / "huge splash.scr";
  std::vector<FixtureEntry> entries = {{"config/config.xml", "<ini></ini>"}};
  const std::string huge = SolidBitmapFile(4096, 4096, kSplashColours[0]);
  for (int i = 0; i < kSplashCount; ++i) entries.push_back({kSplashFileNames[i], huge});
  ASSERT_TRUE(WriteProduct(product, FakeEngine(4096), entries));
  ASSERT_TRUE(OpenContentArchive(product.string().c_str()));
  HWND target = CreateTarget(152, 112);
  ASSERT_NE(target, nullptr);
  for (DWORD delayMs : {0, 150}) {
    ASSERT_NE(StartSplashThread(target, GetModuleHandleA(nullptr)), nullptr);
    ResumeSplashThread();
    Sleep(delayMs);
    const DWORD start = GetTickCount();
    StopSplashThread();
    EXPECT_LT(GetTickCount() - start, 400u) << "stopped " << delayMs << " ms after the start";
  }
  DestroyWindow(target);
  CloseContentArchive();
}

TEST(DisplayModes, TheSystemListHasTheUsualModesAndRefusesOthers) {
  CDisplay display;
  ASSERT_GT(display.GetModesCount(), 0);
  for (int i = 0; i < display.GetModesCount(); ++i) {
    const DisplayMode* mode = display.GetModeDescription(i);
    EXPECT_TRUE(mode->bitsPerPixel == 16 || mode->bitsPerPixel == 32);
    EXPECT_GE(mode->width, 640u);
    if (i > 0) {
      EXPECT_TRUE(IsDisplayModeBefore(*display.GetModeDescription(i - 1), *mode));
    }
  }
  EXPECT_EQ(display.GetModeDescription(display.GetModesCount()), nullptr);
  const int before = GetSystemMetrics(SM_CXSCREEN);
  EXPECT_FALSE(CDisplay::SetMode(1234, 567, 32));
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), before);
}
