// Products made with the packer's writer from the real engine, started under Wine:
// their identity comes from the packaged configuration and names the settings key.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/win/support/saver_harness.h"
#include "tools/quillpack/product_writer.h"

namespace {
constexpr DWORD kRunTimeoutMs = 20000;

std::string ReadEngine() {
  std::ifstream in(ScreensaverPath(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Entry {
  std::string name;
  std::string data;
};

// Writes engine + encrypted archive + trailer to the scratch folder.
std::string MakeProduct(const std::string& fileName, const std::vector<Entry>& entries) {
  static const std::string engine = ReadEngine();
  EXPECT_GT(engine.size(), 1000u);
  const std::filesystem::path path = std::filesystem::path(ScratchFolder()) / fileName;
  CProductWriter writer;
  EXPECT_TRUE(writer.Begin(path, engine.data(), engine.size())) << writer.GetError();
  for (const Entry& entry : entries)
    EXPECT_TRUE(writer.AddEntry(entry.name, entry.data.data(), entry.data.size()))
        << writer.GetError();
  EXPECT_TRUE(writer.Commit()) << writer.GetError();
  return path.string();
}

std::string Config(const std::string& screensaverElements) {
  return "<?xml version=\"1.0\"?>\r\n<ini>\r\n\t<Screensaver>" + screensaverElements +
         "</Screensaver>\r\n</ini>\r\n";
}

// Runs the product to its end; false when it showed anything that waits for the user.
bool RunsToTheEndSilently(const std::string& product, const std::string& arguments,
                          DWORD* exitCode) {
  CTestProcess saver;
  if (!saver.Start(product, arguments)) return false;
  return saver.WaitForExit(kRunTimeoutMs, exitCode);
}
}  // namespace

TEST(Product, AValidConfigurationStartsAndCreatesTheProductsSettingsKey) {
  const std::string key = "Software\\QuillSaver E2E\\Valid Product";
  const std::string product = MakeProduct(
      "valid product.scr",
      {{"Config/Config.xml", Config("<Title>Valid Product</Title><Version>2.1</Version>"
                                    "<Year>2026</Year><Company>QuillSaver E2E</Company>")},
       {"Images/0.jpg", "not really a picture"}});
  // The settings dialog (/c) and the test mode (/t) wait for the user; they have tests
  // of their own.
  for (const char* arguments : {"/s"}) {
    DeleteRegistryTree(key);
    DWORD exitCode = 0xFFFFFFFF;
    ASSERT_TRUE(RunsToTheEndSilently(product, arguments, &exitCode)) << arguments;
    EXPECT_EQ(exitCode, 0u) << arguments;
    EXPECT_TRUE(RegistryKeyExists(key)) << arguments;
  }
  DeleteRegistryTree(key);
}

TEST(Product, MissingElementsStandAsThreeAsterisks) {
  const std::string key = "Software\\***\\***";
  DeleteRegistryTree(key);
  const std::string product =
      MakeProduct("stars.scr", {{"config/config.xml", "<ini><Other>x</Other></ini>"}});
  DWORD exitCode = 0xFFFFFFFF;
  ASSERT_TRUE(RunsToTheEndSilently(product, "/s", &exitCode));
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
