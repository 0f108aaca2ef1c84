// Start-up of the real screensaver: what the user sees for each command line.
#include <gtest/gtest.h>

#include <string>

#include "tests/win/support/saver_harness.h"

namespace {
constexpr DWORD kStartTimeoutMs = 20000;
constexpr DWORD kExitTimeoutMs = 10000;

// Starts the screensaver with arguments, expects exactly one message box with the
// given text under "3D Screensaver:" (no second one open beside it, none after it),
// presses OK and returns the exit code.
DWORD ExpectOneMessageBox(const std::string& program, const std::string& arguments,
                          const std::string& expectedText) {
  CTestProcess saver;
  EXPECT_TRUE(saver.Start(program, arguments)) << arguments;
  HWND box = WaitForWindow(saver.Id(), "#32770", "3D Screensaver:", kStartTimeoutMs);
  EXPECT_NE(box, nullptr) << "no message box for '" << arguments << "'";
  if (box == nullptr) return 0xFFFFFFFF;
  EXPECT_EQ(MessageBoxText(box), expectedText) << arguments;
  // One box open now, and none after it: a second one fails with its text.
  EXPECT_EQ(FindMessageBoxes(saver.Id()).size(), 1u) << arguments;
  DismissMessageBox(box);
  // The press is posted, so the box lingers for a moment; only a box after it counts.
  EXPECT_TRUE(WaitUntil([box] { return !IsWindow(box); }, kExitTimeoutMs)) << arguments;
  DWORD exitCode = 0xFFFFFFFF;
  std::string boxText;
  const ExitWait result = WaitForExitWatchingBoxes(saver, kExitTimeoutMs, &exitCode, &boxText);
  EXPECT_NE(result, ExitWait::BoxShown) << arguments << ": another message box: " << boxText;
  EXPECT_EQ(result, ExitWait::Exited) << arguments;
  return exitCode;
}
}  // namespace

TEST(StartWithoutContent, EveryCommandLineShowsTheMediaMessageAndExitsZero) {
  const char* const commandLines[] = {
      "/s",    "/S",      "-s",     "/c", "/c:1234", "/p 1234", "/P 1234", "/t",
      "-test", "/a 1234", "/saver", "/x", "",        "/p",      "/a",
  };
  const std::string engine = ScreensaverPath();
  ASSERT_FALSE(engine.empty());
  for (const char* arguments : commandLines) {
    EXPECT_EQ(ExpectOneMessageBox(engine, arguments, "Unable to init Media file."), 0u)
        << "command line '" << arguments << "'";
  }
}
