// The settings dialog: edits the process-wide settings in place, shows the splash
// animation in its picture area, and ends with IDOK or IDCANCEL; the caller saves.
#pragma once

#include <windows.h>

#include "ui/display_modes.h"

class CMainDlg {
 public:
  // Builds the display-mode list before any window exists. showHelp serves the About
  // button (it lives with the application, above this layer).
  explicit CMainDlg(void (*showHelp)() = nullptr);
  virtual ~CMainDlg() = default;
  CMainDlg(const CMainDlg&) = delete;
  CMainDlg& operator=(const CMainDlg&) = delete;

  // Runs the dialog from template 102 owned by owner; returns DialogBoxParamW's
  // result (1 on OK). A failure inside the dialog closes it and is thrown here.
  INT_PTR DoModal(HINSTANCE instance, HWND owner);

  BOOL OnInitDialog();
  // init: fill the mode list and trackbar ranges; read (without init): controls into
  // the settings first. Then the settings always go back into every control.
  void UpdateControls(int init, int read);

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool OnCommand(int id, int notification);
  void Place();
  // Grows the dialog and moves the music group under "Graphics": where the template
  // has it, the splash animation would paint over it.
  void MakeRoomForMusic();
  // Shows and enables the music group, the check box, the volume and its label.
  void ShowMusicControls();
  void ReadControls();
  void WriteControls();
  bool IsChecked(HWND button) const;

  void (*m_showHelp)() = nullptr;
  HINSTANCE m_instance = nullptr;
  HWND m_dialog = nullptr;
  CDisplay m_display;
  bool m_hasMusic = false;  // the product carries music: its controls are shown
  // Control handles, null until OnInitDialog.
  HWND m_product = nullptr;
  HWND m_brightnessLabel = nullptr;
  HWND m_musicVolumeLabel = nullptr;
  HWND m_transitionTimeLabel = nullptr;
  HWND m_keepTimeLabel = nullptr;
  HWND m_brightness = nullptr;
  HWND m_musicVolume = nullptr;
  HWND m_transitionTime = nullptr;
  HWND m_keepTime = nullptr;
  HWND m_fps = nullptr;
  HWND m_desktop = nullptr;
  HWND m_showTime = nullptr;
  HWND m_vsync = nullptr;
  HWND m_lowCpu = nullptr;
  HWND m_music = nullptr;
  HWND m_clock24h = nullptr;
  HWND m_clock12h = nullptr;
  HWND m_videoMode = nullptr;
};
