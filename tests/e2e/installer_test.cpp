// The installer that "quillpack installer" made from photos, run under Wine as a
// user would run it: silently installed, the product started from where it was put,
// then silently uninstalled. The driver tests/e2e/kit_e2e.sh makes the installer
// with the native quillpack and names it and the product's identity in the
// environment.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "data/content_layout.h"
#include "tests/win/support/saver_harness.h"
#include "ui/saver_wnd.h"

namespace {
constexpr DWORD kInstallTimeoutMs = 60000;
constexpr DWORD kRunTimeoutMs = 20000;
constexpr char kDesktopKey[] = "Control Panel\\Desktop";
constexpr char kPrevious[] = "C:\\windows\\system32\\previous.scr";

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Desktop(const char* name) {
  std::string value;
  return ReadRegistryString(kDesktopKey, name, &value) ? value : "(none)";
}

// Per channel within a JPEG's and a blend's rounding.
bool ColoursMatch(uint32_t a, uint32_t b) {
  for (int shift = 0; shift < 24; shift += 8)
    if (std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)) > 24)
      return false;
  return true;
}

// Runs program with arguments to its end; false on time-out or a non-zero exit.
bool RunToEnd(const std::string& program, const std::string& arguments) {
  CTestProcess process;
  DWORD exitCode = 0xFFFFFFFF;
  return process.Start(program, arguments) && process.WaitForExit(kInstallTimeoutMs, &exitCode) &&
         exitCode == 0;
}
}  // namespace

TEST(Installer, InstallsForTheUserAndUninstallsCleanly) {
  const std::string installer = Environment("QUILL_KIT_INSTALLER");
  const std::string title = Environment("QUILL_KIT_TITLE");
  const std::string company = Environment("QUILL_KIT_COMPANY");
  const std::string version = Environment("QUILL_KIT_VERSION");
  ASSERT_TRUE(FileExists(installer)) << installer;
  const std::string folder = Environment("LOCALAPPDATA") + "\\Programs\\" + company + "\\" + title;
  const std::string product = folder + "\\" + Environment("QUILL_KIT_PRODUCT");
  const std::string uninstallKey =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + company + " " + title;
  const std::string settingsKey = SettingsKeyName(company, title);
  DeleteRegistryTree(uninstallKey);
  DeleteRegistryTree(settingsKey);
  ASSERT_TRUE(WriteRegistryValue(kDesktopKey, "SCRNSAVE.EXE", REG_SZ, kPrevious, sizeof kPrevious));

  ASSERT_TRUE(RunToEnd(installer, "/S"));
  EXPECT_TRUE(FileExists(product)) << product;
  // The driver checks the signatures of what was installed once Wine is done.
  const std::string keep = Environment("QUILL_KIT_KEEP");
  if (!keep.empty()) {
    EXPECT_TRUE(CopyFileA(product.c_str(), (keep + "\\installed.scr").c_str(), FALSE));
    EXPECT_TRUE(
        CopyFileA((folder + "\\uninstall.exe").c_str(), (keep + "\\uninstall.exe").c_str(), FALSE));
  }
  EXPECT_EQ(Desktop("SCRNSAVE.EXE"), product);
  EXPECT_EQ(Desktop("ScreenSaveActive"), "1");
  const struct {
    const char* name;
    std::string expected;
  } entries[] = {{"DisplayName", title},
                 {"Publisher", company},
                 {"DisplayVersion", version},
                 {"PreviousScreenSaver", kPrevious}};
  for (const auto& entry : entries) {
    std::string value;
    EXPECT_TRUE(ReadRegistryString(uninstallKey, entry.name, &value)) << entry.name;
    EXPECT_EQ(value, entry.expected) << entry.name;
  }

  // The test mode shows the photos in its window; every photo has the one colour.
  const uint32_t colour = std::strtoul(Environment("QUILL_KIT_COLOUR").c_str(), nullptr, 16);
  CTestProcess saver;
  ASSERT_TRUE(saver.Start(product, "/t"));
  HWND window = WaitForWindow(saver.Id(), kSaverWindowClass, nullptr, kRunTimeoutMs);
  ASSERT_NE(window, nullptr);
  uint32_t shown = 0;
  EXPECT_TRUE(WaitUntil(
      [&] {
        RECT client{};
        GetClientRect(window, &client);
        POINT centre{client.right / 2, client.bottom / 2};
        ClientToScreen(window, &centre);
        const ScreenImage screen = CaptureScreen();
        if (centre.x < 0 || centre.y < 0 || centre.x >= screen.width || centre.y >= screen.height)
          return false;
        shown = screen.At(centre.x, centre.y) & 0xFFFFFF;
        return ColoursMatch(shown, colour);
      },
      kRunTimeoutMs))
      << std::hex << "shown " << shown << ", photos " << colour;
  EXPECT_TRUE(FindWindows(saver.Id(), "#32770", nullptr).empty());
  PostMessageA(window, WM_CLOSE, 0, 0);
  DWORD exitCode = 0xFFFFFFFF;
  EXPECT_TRUE(saver.WaitForExit(kRunTimeoutMs, &exitCode));
  EXPECT_EQ(exitCode, 0u);
  EXPECT_TRUE(RegistryKeyExists(settingsKey));

  // The uninstaller runs on from a copy of itself, so its effects are waited for.
  ASSERT_TRUE(RunToEnd(folder + "\\uninstall.exe", "/S"));
  EXPECT_TRUE(WaitUntil([&] { return !FileExists(product) && !RegistryKeyExists(uninstallKey); },
                        kInstallTimeoutMs));
  EXPECT_EQ(Desktop("SCRNSAVE.EXE"), kPrevious);
  EXPECT_FALSE(RegistryKeyExists(settingsKey));
}
