// Products made with the packer's writer from the real engine, started under Wine:
// their identity comes from the packaged configuration and names the settings key.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/product_files.h"

namespace {
constexpr DWORD kRunTimeoutMs = 20000;

// Runs the product to its end and returns its exit code; fails the test at once with
// the box's text when it shows a message box, or when it does not end in time.
void RunToTheEndSilently(const std::string& product, const std::string& arguments,
                         DWORD* exitCode) {
  CTestProcess saver;
  ASSERT_TRUE(saver.Start(product, arguments)) << arguments;
  std::string boxText;
  const ExitWait result = WaitForExitWatchingBoxes(saver, kRunTimeoutMs, exitCode, &boxText);
  ASSERT_NE(result, ExitWait::BoxShown) << arguments << ": a message box: " << boxText;
  ASSERT_EQ(result, ExitWait::Exited)
      << arguments << ": still running after " << kRunTimeoutMs << " ms";
}
}  // namespace

TEST(Product, AValidConfigurationStartsAndCreatesTheProductsSettingsKey) {
  const std::string key = SettingsKeyName("QuillSaver E2E", "Valid Product");
  const std::string product = MakeProduct(
      "valid product.scr",
      {{"Config/Config.xml", Config("<Title>Valid Product</Title><Version>2.1</Version>"
                                    "<Year>2026</Year><Company>QuillSaver E2E</Company>")},
       {"Images/0.jpg", "not really a picture"}});
  // The password change is the one mode that ends by itself once the product is read;
  // the screensaver (/s), the settings dialog (/c) and the test mode (/t) wait for the
  // user and have tests of their own.
  for (const char* arguments : {"/a 0", "-a 0"}) {
    DeleteRegistryTree(key);
    DWORD exitCode = 0xFFFFFFFF;
    ASSERT_NO_FATAL_FAILURE(RunToTheEndSilently(product, arguments, &exitCode));
    EXPECT_EQ(exitCode, 0u) << arguments;
    EXPECT_TRUE(RegistryKeyExists(key)) << arguments;
  }
  DeleteRegistryTree(key);
}

TEST(Product, MissingElementsStandAsThreeAsterisks) {
  const std::string key = SettingsKeyName(kMissingConfigValue, kMissingConfigValue);
  DeleteRegistryTree(key);
  const std::string product =
      MakeProduct("stars.scr", {{"config/config.xml", "<ini><Other>x</Other></ini>"}});
  DWORD exitCode = 0xFFFFFFFF;
  ASSERT_NO_FATAL_FAILURE(RunToTheEndSilently(product, "/a 0", &exitCode));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_TRUE(RegistryKeyExists(key));
  DeleteRegistryTree(key);
}

TEST(Product, UnreadableContentShowsOnlyTheMediaMessage) {
  const struct {
    const char* fileName;
    std::vector<Entry> entries;
  } cases[] = {
      {"broken-config.scr", {{"config/config.xml", "<ini></Ini>"}}},
      {"no-config.scr", {{"images/0.jpg", "x"}}},
  };
  for (const auto& c : cases) {
    const std::string product = MakeProduct(c.fileName, c.entries);
    CTestProcess saver;
    ASSERT_TRUE(saver.Start(product, "/s"));
    HWND box = WaitForWindow(saver.Id(), "#32770", "3D Screensaver:", kRunTimeoutMs);
    ASSERT_NE(box, nullptr) << c.fileName;
    EXPECT_EQ(MessageBoxText(box), "Unable to init Media file.") << c.fileName;
    DismissMessageBox(box);
    DWORD exitCode = 0xFFFFFFFF;
    EXPECT_TRUE(saver.WaitForExit(kRunTimeoutMs, &exitCode));
    EXPECT_EQ(exitCode, 0u) << c.fileName;
  }
}
