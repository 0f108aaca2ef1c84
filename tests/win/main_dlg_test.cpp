// The settings dialog inside the test's process: a failure raised by one of its
// message handlers closes the dialog and comes out of DoModal for the report.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "base/error_trace.h"
#include "base/settings.h"
#include "resources/resource_ids.h"
#include "tests/win/support/saver_harness.h"
#include "ui/main_dlg.h"

namespace {
std::string g_captionSeen;

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::string(name) == "#32770") *reinterpret_cast<HWND*>(found) = window;
  return TRUE;
}

// Runs inside the dialog's modal loop: presses the (hidden) About button.
void CALLBACK PressAbout(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &FindDialog, reinterpret_cast<LPARAM>(&dialog));
  if (dialog == nullptr) return;
  KillTimer(nullptr, timer);
  g_captionSeen = WindowText(dialog);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_ABOUT, BN_CLICKED), 0);
}

void FailingHelp() { Raise("\"help failed\""); }
}  // namespace

TEST(MainDlg, AFailureInAHandlerEndsTheDialogAndReachesTheCaller) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  SetDefaults();
  g_errorMessage.clear();
  CMainDlg dialog(&FailingHelp);
  SetTimer(nullptr, 0, 200, &PressAbout);
  bool thrown = false;
  try {
    dialog.DoModal(GetModuleHandleA(nullptr), nullptr);
  } catch (int) {
    thrown = true;
  }
  EXPECT_TRUE(thrown);
  EXPECT_EQ(g_errorMessage, "\"help failed\"");
  EXPECT_EQ(g_captionSeen, "***. Settings:");
  HWND left = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &FindDialog, reinterpret_cast<LPARAM>(&left));
  EXPECT_EQ(left, nullptr);
}
