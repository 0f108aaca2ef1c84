// A product's Western texts on a system of another code page: run under a Japanese
// locale (code page 932), where the ANSI functions would read the configuration's
// Windows-1252 bytes as Shift-JIS.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "data/content_layout.h"
#include "resources/resource_ids.h"
#include "tests/e2e/product_files.h"

namespace {
constexpr DWORD kStartTimeoutMs = 20000;
constexpr DWORD kExitTimeoutMs = 10000;

// A window's text as the system keeps it (GetWindowTextW reads another process's
// caption without asking it).
std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}
}  // namespace

// The dialog shows "Café Noël" by "Crème Co" as written, and the settings live under
// the key that `quillpack key` prints and the uninstaller removes. What an older
// engine saved under the key its ANSI calls made here is read until then.
TEST(CodePage, WesternTextsReadRightOnAJapaneseSystem) {
  ASSERT_EQ(GetACP(), 932u) << "the run needs a Japanese locale (LC_ALL=ja_JP.UTF-8)";
  const std::string title = "Caf\xE9 No\xEBl", company = "Cr\xE8me Co";  // Windows-1252
  const std::wstring key = L"Software\\Cr\u00E8me Co\\Caf\u00E9 No\u00EBl";
  // The harness's ANSI registry calls reach the key an older engine made.
  const std::string olderKey = SettingsKeyName(company, title);
  RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
  DeleteRegistryTree(olderKey);
  ASSERT_TRUE(WriteRegistryDword(olderKey, "KeepTime", 9));

  std::vector<Entry> entries = {{"config/config.xml", ProductConfig(title, company)}};
  for (const char* splash : kSplashFileNames)
    entries.push_back({splash, SolidBitmapFile(120, 90, 0x808080)});
  CTestProcess saver;
  ASSERT_TRUE(saver.Start(MakeProduct("code page.scr", entries), "/c"));
  HWND dialog = WaitForWindow(saver.Id(), "#32770", nullptr, kStartTimeoutMs);
  ASSERT_NE(dialog, nullptr);
  const std::wstring caption = L"Caf\u00E9 No\u00EBl. Settings:";
  EXPECT_TRUE(WaitUntil([&] { return TextOf(dialog) == caption; }, kStartTimeoutMs));
  EXPECT_TRUE(TextOf(GetDlgItem(dialog, IDC_PRODUCT)) ==
              L"Caf\u00E9 No\u00EBl\r\nCopyright (c) 2026 Cr\u00E8me Co");
  EXPECT_EQ(SendMessageW(GetDlgItem(dialog, IDC_KEEP_TIME), TBM_GETPOS, 0, 0), 9);
  SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  DWORD exitCode = 0xFFFFFFFF;
  ASSERT_TRUE(saver.WaitForExit(kExitTimeoutMs, &exitCode));

  HKEY stored = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &stored), ERROR_SUCCESS);
  DWORD value = 0, size = sizeof value;
  EXPECT_EQ(RegQueryValueExW(stored, L"KeepTime", nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                             &size),
            ERROR_SUCCESS);
  RegCloseKey(stored);
  EXPECT_EQ(value, 9u);
  RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
  DeleteRegistryTree(olderKey);
}
