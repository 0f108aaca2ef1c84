// The settings dialog of the real screensaver (/c and no argument), driven through
// its controls' own messages: what it shows, what OK stores, and that every other way
// out stores nothing.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "data/content_layout.h"
#include "resources/resource_ids.h"
#include "tests/e2e/splash_product.h"
#include "tests/win/support/saver_harness.h"

namespace {
constexpr DWORD kStartTimeoutMs = 20000;
constexpr DWORD kExitTimeoutMs = 10000;
const char kCaption[] = "Dialog Test. Settings:";

void StoreDword(const char* name, DWORD value) {
  ASSERT_TRUE(WriteRegistryDword(kKey, name, value));
}

DWORD Stored(const char* name) {
  DWORD value = 0xFFFFFFFF, type = 0;
  return ReadRegistryDword(kKey, name, &value, &type) ? value : 0xFFFFFFFF;
}

// One running dialog of the product.
class CDialogRun {
 public:
  explicit CDialogRun(const std::string& arguments, const std::string& product = Product()) {
    EXPECT_TRUE(m_saver.Start(product, arguments));
    m_dialog = WaitForWindow(m_saver.Id(), "#32770", kCaption, kStartTimeoutMs);
  }
  HWND Dialog() const { return m_dialog; }
  HWND Item(int id) const { return GetDlgItem(m_dialog, id); }
  LRESULT Send(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return SendMessageA(Item(id), message, wParam, lParam);
  }
  // Moves a trackbar as a drag that ends there: new position, then the notification.
  void Slide(int id, int position) const {
    Send(id, TBM_SETPOS, TRUE, position);
    SendMessageA(m_dialog, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0),
                 reinterpret_cast<LPARAM>(Item(id)));
  }
  void Click(int id) const { Send(id, BM_CLICK); }
  DWORD WaitForExit() {
    DWORD exitCode = 0xFFFFFFFF;
    EXPECT_TRUE(m_saver.WaitForExit(kExitTimeoutMs, &exitCode));
    return exitCode;
  }

 private:
  CTestProcess m_saver;
  HWND m_dialog = nullptr;
};

// How a dialog ends without OK.
enum class Way { CancelButton, Escape, CloseBox, DefaultsThenCancel };
}  // namespace

TEST(ConfigMode, ShowsTheProductAndTheAnimationAndStoresOnOk) {
  DeleteRegistryTree(kKey);
  StoreDword("Desktop", 0);
  StoreDword("Brightness", 150);
  StoreDword("Width", 1024);
  StoreDword("Height", 768);
  StoreDword("Depth", 32);
  CDialogRun run("/c");
  ASSERT_NE(run.Dialog(), nullptr);
  EXPECT_EQ(WindowText(run.Item(IDC_PRODUCT)), "Dialog Test\r\nCopyright (c) 2026 QuillSaver E2E");
  // The screen's own mode is always in the list; a drop-down list shows its text.
  const LRESULT selection = run.Send(IDC_VIDEO_MODE, CB_GETCURSEL);
  EXPECT_NE(selection, CB_ERR);
  EXPECT_EQ(WindowText(run.Item(IDC_VIDEO_MODE)), "1024x768 32 bits");
  EXPECT_TRUE(IsWindowEnabled(run.Item(IDC_VIDEO_MODE)));

  // The picture area on screen, sampled over two and a half seconds.
  RECT picture{};
  GetWindowRect(run.Item(IDC_PICTURE), &picture);
  Sleep(1000);
  const ScreenImage early = CaptureScreenRect(picture);
  Sleep(1500);
  const ScreenImage late = CaptureScreenRect(picture);
  int changed = 0;
  for (size_t i = 0; i < early.pixels.size(); ++i)
    changed += !ColoursMatch(early.pixels[i], late.pixels[i], 8);
  EXPECT_GT(changed, static_cast<int>(early.pixels.size()) / 10) << "the animation stands still";

  run.Slide(IDC_BRIGHTNESS, 95);
  EXPECT_EQ(run.Send(IDC_BRIGHTNESS, TBM_GETPOS), 100);
  EXPECT_EQ(WindowText(run.Item(IDC_BRIGHTNESS_LABEL)), "Screen Brightness [100%]");
  run.Slide(IDC_KEEP_TIME, 7);
  EXPECT_EQ(WindowText(run.Item(IDC_KEEP_TIME_LABEL)), "Image Keep Time [7 sec]");
  run.Click(IDC_DESKTOP);
  EXPECT_FALSE(IsWindowEnabled(run.Item(IDC_VIDEO_MODE)));
  EXPECT_EQ(run.Send(IDC_VIDEO_MODE, CB_GETCURSEL), selection);
  run.Click(IDC_SHOW_TIME);
  EXPECT_FALSE(IsWindowEnabled(run.Item(IDC_CLOCK_24H)));
  // Without music its controls stay hidden, and disabled although Music is on.
  for (int id : {IDC_MUSIC_GROUP, IDC_MUSIC, IDC_MUSIC_VOLUME, IDC_MUSIC_VOLUME_LABEL}) {
    EXPECT_FALSE(IsWindowVisible(run.Item(id))) << id;
    EXPECT_FALSE(IsWindowEnabled(run.Item(id))) << id;
  }
  EXPECT_FALSE(IsWindowVisible(run.Item(IDC_ABOUT)));
  run.Click(IDOK);
  EXPECT_EQ(run.WaitForExit(), 0u);

  const struct {
    const char* name;
    DWORD value;
  } expected[] = {{"Brightness", 100}, {"KeepTime", 7}, {"Desktop", 1}, {"ShowTime", 0},
                  {"Width", 1024},     {"Height", 768}, {"Depth", 32},  {"MusicVolume", 100}};
  for (const auto& e : expected) EXPECT_EQ(Stored(e.name), e.value) << e.name;
  DeleteRegistryTree(kKey);
}

// A product with music shows the music group; the volume and its label follow the
// check box, and OK stores both settings.
TEST(ConfigMode, AProductWithMusicShowsItsMusicControls) {
  DeleteRegistryTree(kKey);
  StoreDword("MusicVolume", 40);
  const std::string product = ProductWithSplashes(
      "dialog music.scr", {{MusicFileName(0), ReadWholeFile(std::getenv("QUILL_TONE"))}});
  CDialogRun run("/c", product);
  ASSERT_NE(run.Dialog(), nullptr);
  for (int id : {IDC_MUSIC_GROUP, IDC_MUSIC, IDC_MUSIC_VOLUME, IDC_MUSIC_VOLUME_LABEL}) {
    EXPECT_TRUE(IsWindowVisible(run.Item(id))) << id;
    EXPECT_TRUE(IsWindowEnabled(run.Item(id))) << id;
  }
  EXPECT_FALSE(IsWindowVisible(run.Item(IDC_ABOUT)));
  // Clear of the animation and of the product lines; OK still inside the grown dialog.
  const auto rect = [&run](int id) {
    RECT r{};
    GetWindowRect(run.Item(id), &r);
    return r;
  };
  const RECT group = rect(IDC_MUSIC_GROUP), ok = rect(IDOK);
  RECT overlap{}, client{};
  for (int id : {IDC_PICTURE, IDC_PRODUCT, IDOK}) {
    const RECT other = rect(id);
    EXPECT_FALSE(IntersectRect(&overlap, &group, &other)) << id;
  }
  GetClientRect(run.Dialog(), &client);
  MapWindowPoints(run.Dialog(), nullptr, reinterpret_cast<POINT*>(&client), 2);
  EXPECT_TRUE(IntersectRect(&overlap, &client, &ok) && EqualRect(&overlap, &ok));
  EXPECT_EQ(run.Send(IDC_MUSIC, BM_GETCHECK), BST_CHECKED);
  EXPECT_EQ(WindowText(run.Item(IDC_MUSIC_VOLUME_LABEL)), "Music Volume [40%]");
  run.Click(IDC_MUSIC);
  EXPECT_FALSE(IsWindowEnabled(run.Item(IDC_MUSIC_VOLUME)));
  EXPECT_FALSE(IsWindowEnabled(run.Item(IDC_MUSIC_VOLUME_LABEL)));
  EXPECT_TRUE(IsWindowVisible(run.Item(IDC_MUSIC_VOLUME)));
  run.Click(IDC_MUSIC);
  run.Slide(IDC_MUSIC_VOLUME, 70);
  EXPECT_EQ(WindowText(run.Item(IDC_MUSIC_VOLUME_LABEL)), "Music Volume [70%]");
  run.Click(IDOK);
  EXPECT_EQ(run.WaitForExit(), 0u);
  EXPECT_EQ(Stored("Music"), 1u);
  EXPECT_EQ(Stored("MusicVolume"), 70u);
  DeleteRegistryTree(kKey);
}

TEST(ConfigMode, EveryWayButOkStoresNothing) {
  const struct {
    Way way;
    const char* arguments;
  } cases[] = {{Way::CancelButton, "/c"},
               {Way::Escape, ""},
               {Way::CloseBox, "/c:1234"},
               {Way::DefaultsThenCancel, "/C"}};
  for (const auto& c : cases) {
    DeleteRegistryTree(kKey);
    CDialogRun run(c.arguments);
    ASSERT_NE(run.Dialog(), nullptr) << c.arguments;
    run.Click(IDC_FPS);
    run.Slide(IDC_BRIGHTNESS, 40);
    switch (c.way) {
      case Way::CancelButton:
        run.Click(IDCANCEL);
        break;
      case Way::Escape:
        PostMessageA(run.Item(IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
        break;
      case Way::CloseBox:
        PostMessageA(run.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
      case Way::DefaultsThenCancel:
        run.Click(IDC_RESTORE_DEFAULTS);
        EXPECT_EQ(WindowText(run.Item(IDC_BRIGHTNESS_LABEL)), "Screen Brightness [100%]");
        EXPECT_EQ(run.Send(IDC_FPS, BM_GETCHECK), BST_UNCHECKED);
        run.Click(IDCANCEL);
        break;
    }
    EXPECT_EQ(run.WaitForExit(), 0u) << c.arguments;
    EXPECT_EQ(Stored("FPS"), 0xFFFFFFFF) << c.arguments;
    EXPECT_EQ(Stored("Brightness"), 0xFFFFFFFF) << c.arguments;
  }
  DeleteRegistryTree(kKey);
}

TEST(ConfigMode, OutOfRangeValuesShowClampedAndAreKeptOnOk) {
  DeleteRegistryTree(kKey);
  StoreDword("Brightness", 250);
  StoreDword("Width", 1234);
  StoreDword("Height", 567);
  StoreDword("Depth", 32);
  StoreDword("Desktop", 0);
  CDialogRun run("/c");
  ASSERT_NE(run.Dialog(), nullptr);
  EXPECT_EQ(run.Send(IDC_BRIGHTNESS, TBM_GETPOS), 200);
  EXPECT_EQ(WindowText(run.Item(IDC_BRIGHTNESS_LABEL)), "Screen Brightness [200%]");
  EXPECT_EQ(run.Send(IDC_VIDEO_MODE, CB_GETCURSEL), CB_ERR);
  run.Click(IDOK);
  EXPECT_EQ(run.WaitForExit(), 0u);
  EXPECT_EQ(Stored("Brightness"), 250u);
  EXPECT_EQ(Stored("Width"), 1234u);
  EXPECT_EQ(Stored("Height"), 567u);
  DeleteRegistryTree(kKey);
}

TEST(ConfigMode, MissingOrBrokenSplashPicturesStillShowTheDialog) {
  const std::string good = SolidBitmapFile(40, 30, 0x808080);
  const std::string broken = ProductWithSplashes(
      "broken splashes.scr", {{kSplashFileNames[0], good.substr(0, good.size() / 2)},
                              {kSplashFileNames[1], "BM and nothing else"},
                              {kSplashFileNames[2], "not a bitmap at all"}});
  for (const std::string& product : {broken, ProductWithSplashes("no splashes.scr", {})}) {
    DeleteRegistryTree(kKey);
    CDialogRun run("/c", product);
    ASSERT_NE(run.Dialog(), nullptr) << product;
    Sleep(500);
    run.Click(IDCANCEL);
    EXPECT_EQ(run.WaitForExit(), 0u) << product;
  }
  DeleteRegistryTree(kKey);
}
