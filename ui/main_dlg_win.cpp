// The settings dialog's window side: set-up, the exchange between controls and
// settings, and its message table.
#include "ui/main_dlg.h"

#include <commctrl.h>

#include <cstdio>
#include <string>

#include "base/error_trace.h"
#include "base/module_state.h"
#include "base/pending_failure.h"
#include "base/product_info.h"
#include "base/settings.h"
#include "base/wide_text.h"
#include "data/content_archive.h"
#include "data/content_layout.h"
#include "resources/resource_ids.h"
#include "ui/dialog_rules.h"
#include "ui/splash_thread.h"

namespace {
// Sends a message whose answer is a number.
LRESULT Send(HWND control, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return SendMessageA(control, message, wParam, lParam);
}

void SetRange(HWND trackbar, int low, int high) {
  Send(trackbar, TBM_SETRANGE, TRUE, MAKELPARAM(low, high));
}

int GetPosition(HWND trackbar) { return static_cast<int>(Send(trackbar, TBM_GETPOS)); }

void SetLabel(HWND label, const char* format, int value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  SetWindowTextA(label, text);
}

void Check(HWND button, int on) {
  Send(button, BM_SETCHECK, on != 0 ? BST_CHECKED : BST_UNCHECKED);
}

// With music the dialog grows by this many dialog units at the bottom, and the music
// group takes the right column under "Graphics" beside the narrowed product lines.
constexpr int kMusicRowGrowth = 20;
struct ControlPlace {
  int id;
  int x, y, width, height;  // dialog units
};
const ControlPlace kMusicPlaces[] = {
    {IDC_MUSIC_GROUP, 260, 150, 120, 45},
    {IDC_MUSIC, 270, 160, 100, 10},
    {IDC_MUSIC_VOLUME_LABEL, 265, 172, 110, 8},
    {IDC_MUSIC_VOLUME, 265, 181, 110, 12},
    {IDC_PRODUCT, 10, 155, 240, 20},
};
// Controls that move down by kMusicRowGrowth.
const int kBelowMusicRow[] = {IDC_SEPARATOR, IDOK, IDCANCEL, IDC_RESTORE_DEFAULTS};

// Runs a handler; a failure is kept for DoModal and the dialog ends so it can be
// reported. Nothing may unwind through the system's dispatch.
template <class Body>
INT_PTR Guarded(HWND dialog, Body&& body) {
  try {
    return body();
  } catch (...) {
    g_pendingFailure.Store(std::current_exception());
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
}
}  // namespace

CMainDlg::CMainDlg(void (*showHelp)()) : m_showHelp(showHelp) { m_display.BuildModeList(); }

INT_PTR CMainDlg::DoModal(HINSTANCE instance, HWND owner) {
  m_instance = instance;
  CModuleState::PushCreating(this);
  const INT_PTR result =
      DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_SETTINGS), owner, &CMainDlg::DialogProc, 0);
  // A dialog that never got its first message leaves the object on the stack.
  if (m_dialog == nullptr) CModuleState::TakeCreating();
  m_dialog = nullptr;
  g_pendingFailure.RethrowIfSet();
  return result;
}

INT_PTR CALLBACK CMainDlg::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<CMainDlg*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (self == nullptr) {
    self = static_cast<CMainDlg*>(CModuleState::TakeCreating());
    if (self == nullptr) return FALSE;
    self->m_dialog = dialog;
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
  }
  return Guarded(dialog, [&] { return self->OnMessage(message, wParam, lParam); });
}

INT_PTR CMainDlg::OnMessage(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_DESTROY:
      StopSplashThread();
      return TRUE;
    case WM_HSCROLL:
      UpdateControls(0, 1);
      return TRUE;
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam), HIWORD(wParam));
    default:
      return FALSE;
  }
}

bool CMainDlg::OnCommand(int id, int notification) {
  switch (id) {
    case IDOK:
      EndDialog(m_dialog, IDOK);
      break;
    case IDCANCEL:  // also Escape and the close box
      EndDialog(m_dialog, IDCANCEL);
      break;
    case IDC_VIDEO_MODE:
      if (notification == CBN_SELCHANGE) UpdateControls(0, 1);
      break;
    case IDC_RESTORE_DEFAULTS:
      if (notification != BN_CLICKED) break;
      SetDefaults();
      UpdateControls(0, 0);
      break;
    case IDC_ABOUT:
      if (notification == BN_CLICKED && m_showHelp != nullptr) m_showHelp();
      break;
    case IDC_DESKTOP:
    case IDC_FPS:
    case IDC_VSYNC:
    case IDC_LOW_CPU:
    case IDC_SHOW_TIME:
    case IDC_CLOCK_24H:
    case IDC_CLOCK_12H:
    case IDC_MUSIC:
      if (notification == BN_CLICKED) UpdateControls(0, 1);
      break;
    default:
      return false;
  }
  return true;
}

BOOL CMainDlg::OnInitDialog() {
  return RunInErrorFrame("CMainDlg::OnInitDialog", [this] {
    // Probed before the splash thread starts reading the archive, and before the
    // dialog is placed, since music makes it taller.
    m_hasMusic = ReadArchiveFile(MusicFileName(0).c_str(), true) != nullptr;
    if (m_hasMusic) MakeRoomForMusic();
    Place();
    // The product's texts are Windows-1252 whatever the system's code page: the
    // dialog is a Unicode window and takes them converted.
    const std::string caption = g_product.Title + ". Settings:";
    SetWindowTextW(m_dialog, WideFrom1252(caption).c_str());
    const struct {
      int width, height;
      WPARAM kind;
    } icons[] = {{SM_CXICON, SM_CYICON, ICON_BIG}, {SM_CXSMICON, SM_CYSMICON, ICON_SMALL}};
    for (const auto& icon : icons) {
      // Shared: the system owns the icons (both are of the standard sizes), so the
      // dialog never has to destroy them after its window is gone.
      HANDLE image = LoadImageA(m_instance, MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON,
                                GetSystemMetrics(icon.width), GetSystemMetrics(icon.height),
                                LR_DEFAULTCOLOR | LR_SHARED);
      Send(m_dialog, WM_SETICON, icon.kind, reinterpret_cast<LPARAM>(image));
    }
    m_product = GetDlgItem(m_dialog, IDC_PRODUCT);
    const std::string lines = ProductLines(g_product.Title, g_product.Year, g_product.Company);
    SetWindowTextW(m_product, WideFrom1252(lines).c_str());
    m_brightnessLabel = GetDlgItem(m_dialog, IDC_BRIGHTNESS_LABEL);
    m_musicVolumeLabel = GetDlgItem(m_dialog, IDC_MUSIC_VOLUME_LABEL);
    m_transitionTimeLabel = GetDlgItem(m_dialog, IDC_TRANSITION_TIME_LABEL);
    m_keepTimeLabel = GetDlgItem(m_dialog, IDC_KEEP_TIME_LABEL);
    m_brightness = GetDlgItem(m_dialog, IDC_BRIGHTNESS);
    m_musicVolume = GetDlgItem(m_dialog, IDC_MUSIC_VOLUME);
    m_transitionTime = GetDlgItem(m_dialog, IDC_TRANSITION_TIME);
    m_keepTime = GetDlgItem(m_dialog, IDC_KEEP_TIME);
    m_fps = GetDlgItem(m_dialog, IDC_FPS);
    m_desktop = GetDlgItem(m_dialog, IDC_DESKTOP);
    m_showTime = GetDlgItem(m_dialog, IDC_SHOW_TIME);
    m_vsync = GetDlgItem(m_dialog, IDC_VSYNC);
    m_lowCpu = GetDlgItem(m_dialog, IDC_LOW_CPU);
    m_music = GetDlgItem(m_dialog, IDC_MUSIC);
    m_clock24h = GetDlgItem(m_dialog, IDC_CLOCK_24H);
    m_clock12h = GetDlgItem(m_dialog, IDC_CLOCK_12H);
    m_videoMode = GetDlgItem(m_dialog, IDC_VIDEO_MODE);
    if (m_hasMusic) ShowMusicControls();
    StartSplashThread(GetDlgItem(m_dialog, IDC_PICTURE), m_instance);
    ResumeSplashThread();
    UpdateControls(1, 1);
    return TRUE;
  });
}

void CMainDlg::MakeRoomForMusic() {
  const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
  for (const ControlPlace& place : kMusicPlaces) {
    RECT r{place.x, place.y, place.x + place.width, place.y + place.height};
    MapDialogRect(m_dialog, &r);
    SetWindowPos(GetDlgItem(m_dialog, place.id), nullptr, r.left, r.top, r.right - r.left,
                 r.bottom - r.top, flags);
  }
  RECT growth{0, 0, 0, kMusicRowGrowth};
  MapDialogRect(m_dialog, &growth);
  for (int id : kBelowMusicRow) {
    HWND control = GetDlgItem(m_dialog, id);
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, m_dialog, reinterpret_cast<POINT*>(&r), 2);
    SetWindowPos(control, nullptr, r.left, r.top + growth.bottom, 0, 0, flags | SWP_NOSIZE);
  }
  RECT frame{};
  GetWindowRect(m_dialog, &frame);
  SetWindowPos(m_dialog, nullptr, 0, 0, frame.right - frame.left,
               frame.bottom - frame.top + growth.bottom, flags | SWP_NOMOVE);
}

void CMainDlg::ShowMusicControls() {
  for (HWND control : {GetDlgItem(m_dialog, IDC_MUSIC_GROUP), m_music}) {
    ShowWindow(control, SW_SHOW);
    EnableWindow(control, TRUE);
  }
  // Whether these two are enabled follows the setting (WriteControls).
  ShowWindow(m_musicVolume, SW_SHOW);
  ShowWindow(m_musicVolumeLabel, SW_SHOW);
}

void CMainDlg::Place() {
  HWND owner = GetWindow(m_dialog, GW_OWNER);
  if (owner != nullptr && (!IsWindowVisible(owner) || IsIconic(owner))) owner = nullptr;
  RECT area{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  RECT centre = area;
  if (owner != nullptr) GetWindowRect(owner, &centre);
  RECT dialog{};
  GetWindowRect(m_dialog, &dialog);
  const int x =
      PlaceOnAxis(area.left, area.right, centre.left, centre.right, dialog.right - dialog.left);
  const int y =
      PlaceOnAxis(area.top, area.bottom, centre.top, centre.bottom, dialog.bottom - dialog.top);
  SetWindowPos(m_dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMainDlg::UpdateControls(int init, int read) {
  RunInErrorFrame("CMainDlg::UpdateControls", [&] {
    if (init != 0) {
      Send(m_videoMode, CB_RESETCONTENT);
      for (int i = 0; i < m_display.GetModesCount(); ++i) {
        const std::string text = DisplayModeText(*m_display.GetModeDescription(i));
        Send(m_videoMode, CB_INSERTSTRING, i, reinterpret_cast<LPARAM>(text.c_str()));
      }
      SetRange(m_brightness, 10, 200);
      SetRange(m_musicVolume, 0, 100);
      SetRange(m_transitionTime, 1, 10);
      SetRange(m_keepTime, 1, 10);
    } else if (read != 0) {
      ReadControls();
    }
    WriteControls();
  });
}

bool CMainDlg::IsChecked(HWND button) const { return Send(button, BM_GETCHECK) == BST_CHECKED; }

void CMainDlg::ReadControls() {
  const auto selection = static_cast<unsigned>(Send(m_videoMode, CB_GETCURSEL));
  if (const DisplayMode* mode = m_display.GetModeDescription(selection)) {
    g_settings.Width = static_cast<int32_t>(mode->width);
    g_settings.Height = static_cast<int32_t>(mode->height);
    g_settings.Depth = static_cast<int32_t>(mode->bitsPerPixel);
  }
  g_settings.Brightness = SnapBrightness(GetPosition(m_brightness));
  g_settings.MusicVolume = GetPosition(m_musicVolume);
  g_settings.TransitionTime = GetPosition(m_transitionTime);
  g_settings.KeepTime = GetPosition(m_keepTime);
  g_settings.ShowTime = IsChecked(m_showTime);
  g_settings.FPS = IsChecked(m_fps);
  g_settings.Desktop = IsChecked(m_desktop);
  g_settings.VSync = IsChecked(m_vsync);
  g_settings.LowCPULoad = IsChecked(m_lowCpu);
  g_settings.Music = IsChecked(m_music);
  // The 12-hour button is the other state of the same setting.
  g_settings.Clock24h = IsChecked(m_clock24h);
}

void CMainDlg::WriteControls() {
  Send(m_brightness, TBM_SETPOS, TRUE, g_settings.Brightness);
  Send(m_musicVolume, TBM_SETPOS, TRUE, g_settings.MusicVolume);
  Send(m_transitionTime, TBM_SETPOS, TRUE, g_settings.TransitionTime);
  Send(m_keepTime, TBM_SETPOS, TRUE, g_settings.KeepTime);
  Check(m_fps, g_settings.FPS);
  Check(m_desktop, g_settings.Desktop);
  Check(m_showTime, g_settings.ShowTime);
  Check(m_vsync, g_settings.VSync);
  Check(m_lowCpu, g_settings.LowCPULoad);
  Check(m_music, g_settings.Music);
  Check(m_clock24h, g_settings.Clock24h);
  Check(m_clock12h, g_settings.Clock24h == 0);

  EnableWindow(m_videoMode, g_settings.Desktop == 0);
  // Without music the volume stays disabled as the template has it.
  EnableWindow(m_musicVolume, m_hasMusic && g_settings.Music != 0);
  EnableWindow(m_musicVolumeLabel, m_hasMusic && g_settings.Music != 0);
  EnableWindow(m_clock24h, g_settings.ShowTime != 0);
  EnableWindow(m_clock12h, g_settings.ShowTime != 0);

  // The trackbars clamp what they were given, and the labels show what they hold.
  SetLabel(m_brightnessLabel, "Screen Brightness [%d%%]", GetPosition(m_brightness));
  SetLabel(m_musicVolumeLabel, "Music Volume [%d%%]", GetPosition(m_musicVolume));
  SetLabel(m_transitionTimeLabel, "Image Transition Time [%d sec]", GetPosition(m_transitionTime));
  SetLabel(m_keepTimeLabel, "Image Keep Time [%d sec]", GetPosition(m_keepTime));

  const int index =
      FindDisplayMode(m_display, g_settings.Width, g_settings.Height, g_settings.Depth);
  if (index >= 0) Send(m_videoMode, CB_SETCURSEL, index);
}
