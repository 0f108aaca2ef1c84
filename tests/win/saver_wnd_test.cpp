// The screensaver window's rules, driven by real messages: which input ends a run in
// which variant, the grace time, the 30-pixel limit, and the window's lifetime. Also
// that a failure inside a window procedure reaches the caller of CreateWindowEx.
#include <gtest/gtest.h>

#include "base/app_base.h"
#include "base/error_trace.h"
#include "base/pending_failure.h"
#include "tests/win/support/fake_app.h"
#include "tests/win/support/saver_harness.h"
#include "ui/saver_wnd.h"

namespace {
// Where the cursor is right after a window was made: where the window found it.
POINT CursorAtCreation() {
  POINT point{};
  GetCursorPos(&point);
  return point;
}

// Delivers what was posted to the window (null: to any window of the thread), the
// close request among it, as the loop would.
void PumpPosted(HWND window) {
  MSG message;
  while (PeekMessageA(&message, window, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

class SaverWndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_pApp = &m_app;
    SetCursorPos(400, 300);
  }
  void TearDown() override {
    m_window.Destroy();
    g_pApp = nullptr;
    g_keepRunning = 1;
  }
  CFakeApp m_app;
  CSaverWnd m_window;
};
}  // namespace

TEST_F(SaverWndTest, InputEndsTheRunOnlyInTheVariantAndAfterTheGraceTimeItShould) {
  enum { kSaver = 0, kDebug = 1 };
  const struct {
    int variant;
    double runTime;
    UINT message;
    WPARAM wParam;
    int cursorDx, cursorDy;  // cursor offset from where it was at creation
    bool ends;
  } cases[] = {
      {kSaver, 0.5, WM_KEYDOWN, 'A', 0, 0, false},
      {kSaver, 1.0, WM_LBUTTONDOWN, 0, 0, 0, false},  // the grace time is strict
      {kSaver, 1.05, WM_KEYDOWN, 'A', 0, 0, true},
      {kSaver, 1.05, WM_RBUTTONDOWN, 0, 0, 0, true},
      {kSaver, 1.05, WM_MBUTTONDOWN, 0, 0, 0, true},
      {kSaver, 1.05, WM_XBUTTONDOWN, MAKEWPARAM(0, XBUTTON1), 0, 0, true},
      // Less than a notch ends nothing, grace time or not; the rest of it does.
      {kSaver, 1.05, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA / 2), 0, 0, false},
      {kSaver, 0.5, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0, 0, false},
      {kSaver, 1.05, WM_MOUSEHWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0, 0, true},
      {kSaver, 0.5, WM_MOUSEMOVE, 0, 100, 0, false},
      {kSaver, 1.05, WM_MOUSEMOVE, 0, 30, 30, false},
      {kSaver, 1.05, WM_MOUSEMOVE, 0, 31, 0, true},
      {kSaver, 1.05, WM_MOUSEMOVE, 0, 0, -31, true},
      {kSaver, 1.05, WM_SYSKEYDOWN, VK_MENU, 0, 0, false},
      {kSaver, 1.05, WM_CHAR, 27, 0, 0, false},
      {kSaver, 0.0, WM_ACTIVATEAPP, 0, 0, 0, true},  // at once, grace time or not
      {kSaver, 0.0, WM_ACTIVATEAPP, 1, 0, 0, false},
      {kSaver, 0.0, WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0, 0, true},
      {kSaver, 0.0, WM_POWERBROADCAST, PBT_APMSUSPEND, 0, 0, true},
      {kSaver, 0.0, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0, 0, false},
      {kSaver, 0.0, WM_SYSCOMMAND, SC_SCREENSAVE, 0, 0, false},
      {kSaver, 0.0, WM_SYSCOMMAND, SC_CLOSE, 0, 0, false},  // swallowed
      {kDebug, 5.0, WM_KEYDOWN, 'A', 0, 0, false},
      {kDebug, 5.0, WM_MOUSEMOVE, 0, 200, 200, false},
      {kDebug, 5.0, WM_LBUTTONDOWN, 0, 0, 0, false},
      {kDebug, 5.0, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0, 0, false},
      {kDebug, 0.0, WM_CHAR, 27, 0, 0, true},  // Escape
      {kDebug, 0.0, WM_CHAR, 'x', 0, 0, false},
      {kDebug, 0.0, WM_SYSCOMMAND, SC_CLOSE, 0, 0, true},  // the close box
      {kDebug, 0.0, WM_ACTIVATEAPP, 0, 0, 0, true},
      {kDebug, 0.0, WM_POWERBROADCAST, PBT_APMSUSPEND, 0, 0, true},
  };
  // One window of a variant serves its cases (only one exists at a time, as in the
  // program): closing only clears the flag.
  for (int variant : {kSaver, kDebug}) {
    SetCursorPos(400, 300);
    ASSERT_TRUE(m_window.Create(GetModuleHandleA(nullptr), variant));
    HWND window = m_window.GetHandle();
    // Under Wine a move before the process has a window may not take: the cases
    // count from where the window found the cursor.
    const POINT base = CursorAtCreation();
    for (const auto& c : cases) {
      if (c.variant != variant) continue;
      SCOPED_TRACE(testing::Message() << (variant == kSaver ? "saver" : "debug") << " message 0x"
                                      << std::hex << c.message << " wParam " << c.wParam);
      // What the system sent meanwhile (activation changes, the cursor put back)
      // is handled before the case starts, so only the case's message counts.
      PumpPosted(nullptr);
      g_keepRunning = 1;
      m_app.runTime = c.runTime;
      SetCursorPos(base.x + c.cursorDx, base.y + c.cursorDy);
      SendMessageA(window, c.message, c.wParam, 0);
      PumpPosted(window);
      SetCursorPos(base.x, base.y);
      EXPECT_EQ(g_keepRunning == 0, c.ends);
      // Closing only clears the flag: the window is there until the loop destroys it.
      EXPECT_TRUE(IsWindow(window));
    }
    m_window.Destroy();
    EXPECT_FALSE(IsWindow(window));
    m_window.Destroy();  // a second Destroy is harmless
  }
}

TEST_F(SaverWndTest, TheVariantsHaveTheirStylesAndSizesAndASecondCreateSucceeds) {
  ASSERT_TRUE(m_window.Create(GetModuleHandleA(nullptr), 0));
  HWND saver = m_window.GetHandle();
  RECT rect{};
  GetWindowRect(saver, &rect);
  EXPECT_EQ(rect.right - rect.left, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(rect.bottom - rect.top, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_TRUE(GetWindowLongA(saver, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(GetWindowLongA(saver, GWL_STYLE) & WS_POPUP);
  char name[64] = {};
  GetClassNameA(saver, name, sizeof name);
  EXPECT_STREQ(name, kSaverWindowClass);
  m_window.Destroy();

  // The class stays registered; creating again in the same process still works.
  ASSERT_TRUE(m_window.Create(GetModuleHandleA(nullptr), 1));
  GetWindowRect(m_window.GetHandle(), &rect);
  EXPECT_EQ(rect.right - rect.left, kDebugWindowWidth);
  EXPECT_EQ(rect.bottom - rect.top, kDebugWindowHeight);
  EXPECT_TRUE(GetWindowLongA(m_window.GetHandle(), GWL_STYLE) & WS_CAPTION);
}

// With a slideshow on every monitor several screensaver windows exist at once: each
// keeps its own input rules, hides the cursor once and shows it once, and only a
// window destroyed behind its owner's back ends the run.
TEST_F(SaverWndTest, ScreensaverWindowsKeepTheirOwnStateAndAnOwnersDestroyEndsNothing) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  const int cursor = CursorDisplayCount();
  m_app.runTime = 1.05;
  const auto ends = [](HWND window, UINT message, WPARAM wParam) {
    g_keepRunning = 1;
    SendMessageA(window, message, wParam, 0);
    PumpPosted(window);
    return g_keepRunning == 0;
  };
  const WPARAM halfNotch = MAKEWPARAM(0, WHEEL_DELTA / 2);
  ASSERT_TRUE(m_window.Create(instance, 0));
  const POINT base = CursorAtCreation();
  EXPECT_FALSE(ends(m_window.GetHandle(), WM_MOUSEWHEEL, halfNotch));
  // The second window is made 40 pixels away; the first keeps its start and its turn.
  SetCursorPos(base.x + 40, base.y);
  CSaverWnd second;
  ASSERT_TRUE(second.CreateOver(instance, 0, 0, 200, 150));
  EXPECT_EQ(CursorDisplayCount(), cursor - 2);
  EXPECT_TRUE(ends(m_window.GetHandle(), WM_MOUSEMOVE, 0));
  EXPECT_TRUE(ends(m_window.GetHandle(), WM_MOUSEWHEEL, halfNotch));
  EXPECT_FALSE(ends(second.GetHandle(), WM_MOUSEMOVE, 0));
  EXPECT_FALSE(ends(second.GetHandle(), WM_MOUSEWHEEL, halfNotch));

  // A screen whose renderer fails loses its window; the run goes on.
  g_keepRunning = 1;
  second.Destroy();
  EXPECT_EQ(g_keepRunning, 1);
  EXPECT_EQ(CursorDisplayCount(), cursor - 1);
  // Closing, however often, shows nothing; the destruction shows the cursor once.
  EXPECT_TRUE(ends(m_window.GetHandle(), WM_CLOSE, 0));
  EXPECT_TRUE(ends(m_window.GetHandle(), WM_CLOSE, 0));
  EXPECT_EQ(CursorDisplayCount(), cursor - 1);
  m_window.Destroy();
  EXPECT_EQ(CursorDisplayCount(), cursor);

  // The debug window never hides the cursor, so its end shows none.
  ASSERT_TRUE(m_window.Create(instance, 1));
  EXPECT_TRUE(ends(m_window.GetHandle(), WM_CHAR, 27));
  m_window.Destroy();
  EXPECT_EQ(CursorDisplayCount(), cursor);

  // Destroyed by anyone else, the window ends the run.
  ASSERT_TRUE(second.CreateOver(instance, 0, 0, 200, 150));
  g_keepRunning = 1;
  DestroyWindow(second.GetHandle());
  EXPECT_EQ(g_keepRunning, 0);
  EXPECT_EQ(second.GetHandle(), nullptr);
  EXPECT_EQ(CursorDisplayCount(), cursor);
}

namespace {
LRESULT CALLBACK FailingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return RunInWindowFrame("CFailingWnd::WndProc", LRESULT{-1}, [&]() -> LRESULT {
    if (message == WM_CREATE) Raise("\"Failed in WM_CREATE\"");
    if (message == WM_DESTROY) Raise("\"Failed in WM_DESTROY\"");
    return DefWindowProcA(window, message, wParam, lParam);
  });
}
}  // namespace

TEST(WindowFrame, AFailureInsideWindowCreationReachesTheCallerWithItsTrace) {
  g_errorTrace.clear();
  g_errorMessage.clear();
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = &FailingProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "QuillFailingWindow";
  ASSERT_NE(RegisterClassA(&windowClass), 0);
  // The procedure fails WM_CREATE, so creation fails, then WM_DESTROY fails too:
  // the first failure is the one that reaches the caller, with its own trace.
  EXPECT_THROW(RunInErrorFrame("CSaverApp::DoTest",
                               [] {
                                 HWND window = CreateWindowExA(
                                     0, "QuillFailingWindow", "", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                                     100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
                                 EXPECT_EQ(window, nullptr);
                                 g_pendingFailure.RethrowIfSet();
                               }),
               int);
  EXPECT_EQ(g_errorTrace, "CSaverApp::DoTest() -> CFailingWnd::WndProc()");
  EXPECT_EQ(g_errorMessage, "\"Failed in WM_CREATE\"");
  EXPECT_FALSE(g_pendingFailure.IsSet());
}
