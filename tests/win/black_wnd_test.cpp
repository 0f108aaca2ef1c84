// The black windows in process under Wine, driven by real messages: size, style and
// owner, the input rules against the black windows' own initial cursor and the grace
// time, the cursor display count, and repeated Create and Destroy.
#include <gtest/gtest.h>

#include "base/app_base.h"
#include "tests/win/support/fake_app.h"
#include "tests/win/support/saver_harness.h"
#include "ui/black_wnd.h"

namespace {
class BlackWnd : public ::testing::Test {
 protected:
  void SetUp() override {
    g_pApp = &m_app;
    g_keepRunning = 1;
  }
  void TearDown() override {
    g_pApp = nullptr;
    g_keepRunning = 1;
  }
  CFakeApp m_app;
};
}  // namespace

TEST_F(BlackWnd, CoversThePrimaryScreenAndComesAgainAfterDestroy) {
  const int before = CursorDisplayCount();
  for (int round = 0; round < 2; ++round) {  // the second finds the class registered
    CBlackWnd black;
    ASSERT_TRUE(black.Create(GetModuleHandleA(nullptr), 0)) << round;
    HWND window = black.GetHandle();
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(rect.bottom, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_NE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    char title[64] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "Black Window");
    EXPECT_EQ(CursorDisplayCount(), before - 1);
    black.Destroy();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(CursorDisplayCount(), before);
    black.Destroy();  // a second Destroy does nothing
  }
}

TEST_F(BlackWnd, InputEndsTheRunOnlyAfterTheGraceTime) {
  const POINT initial{400, 300};
  const struct {
    double runTime;
    UINT message;
    int dx;
    int dy;
    bool ends;
    WPARAM wParam;  // the wheel's turn in the high word
  } cases[] = {
      {0.5, WM_MOUSEMOVE, 100, 100, false, 0},  // inside the grace time
      {1.0, WM_KEYDOWN, 0, 0, false, 0},        // the grace time ends strictly after 1.0
      {1.0, WM_LBUTTONDOWN, 0, 0, false, 0},
      {1.01, WM_KEYDOWN, 0, 0, true, 0},
      {1.5, WM_LBUTTONDOWN, 0, 0, true, 0},
      {1.5, WM_RBUTTONDOWN, 0, 0, true, 0},
      {1.5, WM_MBUTTONDOWN, 0, 0, true, 0},
      {1.5, WM_XBUTTONDOWN, 0, 0, true, 0},
      // Turns add up: a notch less one, then the rest inside the grace time.
      {1.5, WM_MOUSEWHEEL, 0, 0, false, MAKEWPARAM(0, static_cast<WORD>(1 - WHEEL_DELTA))},
      {0.5, WM_MOUSEHWHEEL, 0, 0, false, MAKEWPARAM(0, 1)},
      {1.5, WM_MOUSEWHEEL, 0, 0, true, MAKEWPARAM(0, 1)},
      {1.5, WM_MOUSEMOVE, 30, 30, false, 0},  // 30 pixels on both axes: not far enough
      {1.5, WM_MOUSEMOVE, -30, -30, false, 0},
      {1.5, WM_MOUSEMOVE, 31, 0, true, 0},
      {1.5, WM_MOUSEMOVE, 0, -31, true, 0},
      {1.5, WM_SYSKEYDOWN, 0, 0, false, 0},  // keys with Alt are not input that ends
      {1.5, WM_ACTIVATEAPP, 0, 0, false, 0},
  };
  ASSERT_TRUE(SetCursorPos(initial.x, initial.y));
  CBlackWnd black;
  ASSERT_TRUE(black.Create(GetModuleHandleA(nullptr), 0));
  for (const auto& c : cases) {
    g_keepRunning = 1;
    m_app.runTime = c.runTime;
    ASSERT_TRUE(SetCursorPos(initial.x + c.dx, initial.y + c.dy));
    // The procedure reads the cursor itself; lParam's position must not matter.
    SendMessageA(black.GetHandle(), c.message, c.wParam, MAKELPARAM(1000, 1000));
    EXPECT_EQ(g_keepRunning == 0, c.ends)
        << "message " << c.message << " at " << c.runTime << " s, moved " << c.dx << "," << c.dy;
  }
}
