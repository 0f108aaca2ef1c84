// The application shell's portable logic: mode selection, error trace and report
// composition, the application clock, the product configuration.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_clock.h"
#include "app/command_line.h"
#include "app/product_config.h"
#include "base/error_trace.h"
#include "base/pending_failure.h"

TEST(MatchOption, SelectsTheModeByTheFirstLetterFoundInTheFixedOrder) {
  const struct {
    const char* argument;
    int mode;
  } cases[] = {
      {"/s", ModeSaver},
      {"-S", ModeSaver},
      {"s", ModeSaver},
      {"/c", ModeConfig},
      {"/C:1234", ModeConfig},
      {"/c:1234", ModeConfig},
      {"/saver", ModeChangePassword},  // 'a' is tested before 's'
      {"/cs", ModeConfig},
      {"-test", ModeTest},
      {"/t", ModeTest},
      {"/p", ModePreview},
      {"/P", ModePreview},
      {"/a", ModeChangePassword},
      {"/x", ModeNone},
      {"", ModeNone},
      {"1234", ModeNone},
  };
  for (const auto& c : cases) EXPECT_EQ(MatchOption(c.argument), c.mode) << c.argument;
  EXPECT_EQ(MatchOption(nullptr), ModeNone);
}

TEST(MatchOption, TheTrailByteOfADoubleByteCharacterNeverMatches) {
  // 0x81 is a lead byte in the test's code page; 's' right after it is its trail byte.
  const LeadByteTest leadBytes = [](unsigned char byte) { return byte == 0x81; };
  EXPECT_EQ(MatchOption("/\x81s", leadBytes), ModeNone);
  EXPECT_EQ(MatchOption("/\x81sS", leadBytes), ModeSaver);
  EXPECT_EQ(MatchOption("/\x81s", nullptr), ModeSaver);
  EXPECT_EQ(MatchOption("\x81", leadBytes), ModeNone);  // lead byte at the very end
}

TEST(ParseWindowHandle, ReadsLikeAtolAndTakesAMissingArgumentAsNoWindow) {
  const struct {
    const char* text;
    long value;
  } cases[] = {{"1234", 1234}, {"  42", 42}, {"-7", -7}, {"12ab", 12}, {"abc", 0}, {"", 0}};
  for (const auto& c : cases) EXPECT_EQ(ParseWindowHandle(c.text), c.value) << c.text;
  EXPECT_EQ(ParseWindowHandle(nullptr), 0);
}

class ErrorTraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_errorTrace.clear();
    g_errorMessage.clear();
  }
};

TEST_F(ErrorTraceTest, FramesPrependTheirNamesOutermostFirst) {
  try {
    RunInErrorFrame("CSaverApp::Run", [] {
      RunInErrorFrame("CSaverApp::DoSaver",
                      [] { Raise("\"Could not set specified video mode\""); });
    });
    FAIL() << "nothing was thrown";
  } catch (int value) {
    EXPECT_EQ(value, 0);
  }
  EXPECT_EQ(g_errorTrace, "CSaverApp::Run() -> CSaverApp::DoSaver()");
  EXPECT_EQ(ComposeErrorReport(),
            "CSaverApp::Run() -> CSaverApp::DoSaver()\n\n\"Could not set specified video mode\"");
}

TEST_F(ErrorTraceTest, OneFrameWithAnEmptyMessageReportsUnknownError) {
  EXPECT_ANY_THROW(RunInErrorFrame("CSaverApp::LoadSettings", [] { throw 0; }));
  EXPECT_EQ(g_errorTrace, "CSaverApp::LoadSettings()");
  EXPECT_EQ(ComposeErrorReport(), "CSaverApp::LoadSettings()\n\n\"Unknown Error\"");
}

TEST_F(ErrorTraceTest, AnyExceptionPassesThroughAFrameUnchanged) {
  EXPECT_THROW(RunInErrorFrame("ShowHelp", [] { throw std::runtime_error("x"); }),
               std::runtime_error);
  EXPECT_EQ(g_errorTrace, "ShowHelp()");
  EXPECT_EQ(RunInErrorFrame("ShowHelp", [] { return 5; }), 5);
  EXPECT_EQ(g_errorTrace, "ShowHelp()");
}

TEST_F(ErrorTraceTest, AWindowFrameKeepsTheFailureUntilTheLoopRethrowsIt) {
  const long answer = RunInWindowFrame("CSaverWnd::WndProc", 0L,
                                       []() -> long { Raise("\"Could not create main window\""); });
  EXPECT_EQ(answer, 0);
  EXPECT_TRUE(g_pendingFailure.IsSet());
  // A second failure before the loop runs is dropped: the trace and the message
  // still describe the first, which is what gets rethrown.
  RunInWindowFrame("CBlackWnd::WndProc", 0L, []() -> long {
    RunInErrorFrame("CDrawer::OutText", [] { Raise("\"Unknown Error\""); });
    return 1;
  });
  EXPECT_EQ(g_errorMessage, "\"Could not create main window\"");
  try {
    RunInErrorFrame("CSaverApp::DoTest", [] { g_pendingFailure.RethrowIfSet(); });
    FAIL() << "nothing was rethrown";
  } catch (int value) {
    EXPECT_EQ(value, 0);
  }
  EXPECT_FALSE(g_pendingFailure.IsSet());
  EXPECT_EQ(g_errorTrace, "CSaverApp::DoTest() -> CSaverWnd::WndProc()");
  g_pendingFailure.RethrowIfSet();  // nothing left: no throw
}

TEST(AppClock, StepsAreCappedAndOnlyTheCappedStepCountsAsRunTime) {
  CAppClock clock;
  clock.Start(5.0);
  EXPECT_EQ(clock.Time(), 5.0);
  EXPECT_EQ(clock.RunTime(), 0.0);
  clock.Tick(7.0);  // a frame of 2 s
  EXPECT_EQ(clock.Time(), 7.0);
  EXPECT_EQ(clock.FrameTime(), 2.0);
  EXPECT_EQ(clock.FrameStep(), 0.1);
  EXPECT_DOUBLE_EQ(clock.RunTime(), 0.1);
  clock.Tick(7.05);
  EXPECT_NEAR(clock.FrameStep(), 0.05, 1e-12);
  EXPECT_NEAR(clock.RunTime(), 0.15, 1e-12);
}

TEST(AppClock, RunTimePassesOneSecondOnlyAfterElevenTicks) {
  CAppClock clock;
  clock.Start(0.0);
  double now = 0.0;
  int ticks = 0;
  while (clock.RunTime() <= 1.0) {
    now += 3.0;  // every frame stalls well past the cap
    clock.Tick(now);
    ++ticks;
    ASSERT_LT(ticks, 100);
  }
  EXPECT_GE(ticks, 11);
}

TEST(ProductConfig, ReadsTheFourValuesAndComposesTheSettingsKey) {
  const struct {
    const char* document;
    const char* title;
    const char* company;
    const char* key;
  } cases[] = {
      {"<ini>\r\n\t<Screensaver>\r\n\t\t<Title>My Title</Title><Company>Acme</Company>"
       "</Screensaver>\r\n</ini>",
       "My Title", "Acme", "Software\\Acme\\My Title"},
      {"<ini><Other/></ini>", "***", "***", "Software\\***\\***"},
      {"<ini><Screensaver><Title>T</Title><Company></Company></Screensaver></ini>", "T", "",
       "Software\\\\T"},
      {"<ini><Screensaver><title>lower</title><Company>A\\B</Company></Screensaver></ini>", "***",
       "A\\B", "Software\\A\\B\\***"},
      {"<root><deep><ini><Screensaver><Title>Nested</Title></Screensaver></ini></deep></root>",
       "Nested", "***", "Software\\***\\Nested"},
  };
  for (const auto& c : cases) {
    ProductInfo product;
    ASSERT_TRUE(ReadProductConfig(c.document, static_cast<int>(strlen(c.document)), product))
        << c.document;
    EXPECT_EQ(product.Title, c.title) << c.document;
    EXPECT_EQ(product.Company, c.company) << c.document;
    EXPECT_EQ(product.SettingsKey, c.key) << c.document;
    EXPECT_EQ(product.Version, "***");
  }
  ProductInfo broken;
  EXPECT_FALSE(ReadProductConfig("<a></b>", 7, broken));
  EXPECT_TRUE(broken.SettingsKey.empty());
}
