// The preview mode of the real screensaver inside a host window made by the test, as
// the system's screensaver settings start it: /p and the host's handle in decimal.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/splash_product.h"
#include "tests/win/support/saver_harness.h"
#include "ui/splash_wnd.h"

namespace {
constexpr DWORD kStartTimeoutMs = 20000;
// Wine tells the child's process of the host's destruction about 2 s later.
constexpr DWORD kExitTimeoutMs = 10000;
constexpr int kHostWidth = 152;
constexpr int kHostHeight = 112;

// The host's preview window: a plain top-level window of the test's process.
HWND CreateHost() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = &DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = "Preview Host";
  RegisterClassA(&windowClass);
  RECT frame{0, 0, kHostWidth, kHostHeight};
  AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
  return CreateWindowExA(0, "Preview Host", "Preview Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100,
                         100, frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

std::string PreviewArguments(HWND host) {
  return "/p " + std::to_string(reinterpret_cast<INT_PTR>(host));
}

// Waits for the splash child inside host, serving the messages its creation sends.
HWND WaitForSplash(HWND host) {
  HWND splash = nullptr;
  PumpUntil(
      [&] {
        splash = FindWindowExA(host, nullptr, kSplashWindowClass, nullptr);
        return splash != nullptr;
      },
      kStartTimeoutMs);
  return splash;
}

DWORD PumpUntilExit(CTestProcess& saver, DWORD timeoutMs) {
  DWORD exitCode = 0xFFFFFFFF;
  PumpUntil([&] { return saver.WaitForExit(0, &exitCode); }, timeoutMs);
  return exitCode;
}
}  // namespace

TEST(PreviewMode, RunsInsideTheHostUntilTheHostIsDestroyed) {
  HWND host = CreateHost();
  ASSERT_NE(host, nullptr);
  CTestProcess preview;
  ASSERT_TRUE(preview.Start(Product(), PreviewArguments(host)));
  HWND splash = WaitForSplash(host);
  ASSERT_NE(splash, nullptr);
  RECT client{};
  GetClientRect(splash, &client);
  EXPECT_EQ(client.right, kHostWidth);
  EXPECT_EQ(client.bottom, kHostHeight);
  DWORD owner = 0;
  GetWindowThreadProcessId(splash, &owner);
  EXPECT_EQ(owner, preview.Id());

  // A second preview while the first runs ends at once, leaving the first alone.
  CTestProcess second;
  ASSERT_TRUE(second.Start(Product(), PreviewArguments(host)));
  EXPECT_EQ(PumpUntilExit(second, kExitTimeoutMs), 0u);
  EXPECT_EQ(FindWindowExA(host, splash, kSplashWindowClass, nullptr), nullptr);
  EXPECT_TRUE(preview.IsRunning());

  DestroyWindow(host);
  EXPECT_EQ(PumpUntilExit(preview, kExitTimeoutMs), 0u);
}

TEST(PreviewMode, WithoutAHostWindowEndsAtOnce) {
  for (const char* arguments : {"/p 12345", "/p", "/p 0"}) {
    CTestProcess preview;
    ASSERT_TRUE(preview.Start(Product(), arguments));
    DWORD exitCode = 0xFFFFFFFF;
    EXPECT_TRUE(preview.WaitForExit(kExitTimeoutMs, &exitCode)) << arguments;
    EXPECT_EQ(exitCode, 0u) << arguments;
  }
}
