// A product run from the folders users have: a downloads folder holding libraries
// named like the system's, whose code must never run, and folders named in other
// languages, from which the product still reads itself and plays its music.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "data/content_layout.h"
#include "tests/e2e/saver_test_support.h"
#include "tests/support/music_capture.h"

namespace {
constexpr DWORD kStartTimeoutMs = 20000;
const char kCompany[] = "QuillSaver Folders";
const char kTitle[] = "Folder Test";

// An empty folder of that name (UTF-8) in the scratch folder.
std::filesystem::path FreshFolder(const std::string& name) {
  const std::filesystem::path folder =
      std::filesystem::u8path(ScratchFolder()) / std::filesystem::u8path(name);
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

// Writes the product (one picture, the test tone) into folder as fileName.
std::filesystem::path ProductIn(const std::filesystem::path& folder, const std::string& fileName) {
  std::vector<Entry> content = SlideshowContent(kTitle, kCompany, {kImageColours[0]});
  content.push_back({MusicFileName(0), ReadWholeFile(std::getenv("QUILL_TONE"))});
  const std::filesystem::path product = folder / fileName;
  std::string error;
  EXPECT_TRUE(WriteProduct(product, ReadWholeFile(ScreensaverPath()), content, &error)) << error;
  return product;
}

// Runs the test mode with the music on until its window shows the picture and a
// second more has played; false when it never does. Ends the run with Escape.
bool ShowsItsPicture(const std::filesystem::path& product) {
  const std::string key = SettingsKeyName(kCompany, kTitle);
  WriteRegistryDword(key, "Music", 1);
  WriteRegistryDword(key, "MusicVolume", 100);
  CTestProcess saver;
  if (!saver.Start(product.u8string(), "/t")) return false;
  HWND window = WaitForWindow(saver.Id(), kSaverWindowClass, kDebugWindowTitle, kStartTimeoutMs);
  if (window == nullptr) return false;
  RECT client{};
  GetClientRect(window, &client);
  POINT centre{client.right / 2, client.bottom / 2};
  ClientToScreen(window, &centre);
  const bool shown = WaitForImageAt(centre.x, centre.y, kWindowWaitMs);
  Sleep(2500);  // the music's one-second fade-in, then a second at full level
  SetForegroundWindow(window);
  SendKey(VK_ESCAPE);
  DWORD exitCode = 0;
  return saver.WaitForExit(kExitWaitMs, &exitCode) && shown;
}
}  // namespace

// Each library the engine loads, planted beside the product and given the Windows
// search order (its folder first). The engine takes the system's copy: the slideshow
// runs, the music starts, and the planted code never runs. A planted winmm exports
// nothing, so an engine that still imported it would fail at its first call.
TEST(ProductFolder, LibrariesPlantedBesideTheProductNeverRun) {
  const std::filesystem::path planted = std::filesystem::u8path(std::getenv("QUILL_PLANTED_DLL"));
  // The planted library leaves its marker when it is loaded.
  const std::filesystem::path check = FreshFolder("planted check") / "planted-check.dll";
  std::filesystem::copy_file(planted, check);
  HMODULE loaded = LoadLibraryW(check.wstring().c_str());
  ASSERT_NE(loaded, nullptr);
  FreeLibrary(loaded);
  ASSERT_TRUE(std::filesystem::exists(check.wstring() + L".ran"));

  for (const std::string name : {"d3d8", "winmm"}) {
    SCOPED_TRACE(name);
    const std::filesystem::path folder = FreshFolder("planted " + name);
    const std::string program = "planted-" + name + ".scr";
    const std::filesystem::path product = ProductIn(folder, program);
    const std::filesystem::path library = folder / (name + ".dll");
    std::filesystem::copy_file(planted, library);
    ASSERT_TRUE(SetDllOverride(program, name.c_str(), "native,builtin"));
    EXPECT_TRUE(ShowsItsPicture(product)) << "no slideshow";
    DeleteDllOverrides(program);
    EXPECT_FALSE(std::filesystem::exists(library.wstring() + L".ran")) << "the planted code ran";
  }
}

// Folders named in scripts outside the Western code page: the product reads its own
// file from there, shows its picture and plays its music.
TEST(ProductFolder, RunsFromAFolderNamedInAnyLanguage) {
  CMusicCapture capture;
  ASSERT_TRUE(capture.Prepare());
  for (const char* name : {"\xC5\x81ukasz",
                           "\xD0\x94\xD0\xBC\xD0\xB8\xD1\x82\xD1\x80\xD0\xB8\xD0\xB9 "
                           "\xE5\x86\x99\xE7\x9C\x9F"}) {
    SCOPED_TRACE(name);
    capture.Clear();
    EXPECT_TRUE(ShowsItsPicture(ProductIn(FreshFolder(name), "folder test.scr")));
    int peak = 0;
    for (int16_t sample : capture.Samples()) peak = std::max(peak, std::abs(int{sample}));
    EXPECT_GT(peak, 8192) << "no music";  // the tone peaks at half scale
  }
}
