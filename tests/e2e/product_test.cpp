// Products made with the packer's writer from the real engine, started under Wine:
// their identity comes from the packaged configuration and names the settings key.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/win/support/saver_harness.h"
#include "tools/common/whole_file.h"
#include "tools/quillpack/product_writer.h"

namespace {
constexpr DWORD kRunTimeoutMs = 20000;

struct Entry {
  std::string name;
  std::string data;
};

// Writes engine + encrypted archive + trailer to the scratch folder and sets *product
// to its path. Callers wrap it in ASSERT_NO_FATAL_FAILURE: a half-written product
// would only make the test fail later for the wrong reason.
void MakeProduct(const std::string& fileName, const std::vector<Entry>& entries,
                 std::string* product) {
  static std::string engine;
  std::string error;
  if (engine.empty()) {
    ASSERT_TRUE(ReadWholeFile(ScreensaverPath(), &engine, &error)) << error;
  }
  ASSERT_GT(engine.size(), 1000u);
  const std::filesystem::path path = std::filesystem::path(ScratchFolder()) / fileName;
  CProductWriter writer;
  ASSERT_TRUE(writer.Begin(path, engine.data(), engine.size())) << writer.GetError();
  for (const Entry& entry : entries)
    ASSERT_TRUE(writer.AddEntry(entry.name, entry.data.data(), entry.data.size()))
        << writer.GetError();
  ASSERT_TRUE(writer.Commit()) << writer.GetError();
  *product = path.string();
}

std::string Config(const std::string& screensaverElements) {
  return "<?xml version=\"1.0\"?>\r\n<ini>\r\n\t<Screensaver>" + screensaverElements +
         "</Screensaver>\r\n</ini>\r\n";
}

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
  const std::string key = "Software\\QuillSaver E2E\\Valid Product";
  std::string product;
  ASSERT_NO_FATAL_FAILURE(MakeProduct(
      "valid product.scr",
      {{"Config/Config.xml", Config("<Title>Valid Product</Title><Version>2.1</Version>"
                                    "<Year>2026</Year><Company>QuillSaver E2E</Company>")},
       {"Images/0.jpg", "not really a picture"}},
      &product));
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
  const std::string key = "Software\\***\\***";
  DeleteRegistryTree(key);
  std::string product;
  ASSERT_NO_FATAL_FAILURE(
      MakeProduct("stars.scr", {{"config/config.xml", "<ini><Other>x</Other></ini>"}}, &product));
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
    std::string product;
    ASSERT_NO_FATAL_FAILURE(MakeProduct(c.fileName, c.entries, &product));
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
