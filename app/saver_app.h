// The application object: prepares what every mode shares, chooses the mode from the
// command line, runs its handler and reports any failure in one message box.
#pragma once

#include <windows.h>

#include <functional>

#include "app/app_clock.h"
#include "app/secondary_screens.h"
#include "audio/music_player.h"
#include "base/app_base.h"
#include "render/drawer.h"
#include "render/frame_timer.h"
#include "ui/black_wnd.h"
#include "ui/saver_wnd.h"

// The named mutex that keeps a second screensaver or preview from starting.
constexpr char kInstanceMutexName[] = "QUILLSAVERMUTEX2008";
// The start-up benchmark's event, set by its builds after the first Present.
constexpr char kFirstFrameEventName[] = "QuillFirstFrameBench";
// Caption of every message box the program shows.
constexpr char kMessageCaption[] = "3D Screensaver:";

class CSaverApp : public CAppBase {
 public:
  CSaverApp();
  ~CSaverApp();
  CSaverApp(const CSaverApp&) = delete;
  CSaverApp& operator=(const CSaverApp&) = delete;

  // The whole life of the program's logic; returns the process exit code.
  int Run(HINSTANCE instance);

  // Creates or opens the instance mutex; false when another process created it.
  bool CheckInstance();
  // Opens the content archive in the program's own file and reads the product.
  bool InitMedia();
  void LoadSettings();
  void SaveSettings();
  void StartClock();
  void TickClock();

  // Tells the system whether a screensaver runs (the previous state is not kept).
  void SetScreenSaverRunning(bool on);
  // Returns when no password is required or the right one has been entered.
  void VerifyPassword(HWND owner);
  // Timing builds only: the frame loop ends after this many frames (0: never), and
  // reached() is called at once, before anything is released.
  void SetFrameLimit(int frames, void (*reached)()) {
    m_frameLimit = frames;
    m_frameLimitReached = reached;
  }

  double GetTime() override { return m_clock.Time(); }
  double GetFrameTime() override { return m_clock.FrameTime(); }
  double GetRunTime() override { return m_clock.RunTime(); }
  double GetFrameStep() override { return m_clock.FrameStep(); }
  int PumpMessages() override;
  CDrawer* GetDrawer() override;

 private:
  // Seeds the generator, reads the media, settings and clock; false (after telling
  // the user) when the program file carries no readable content.
  bool Prepare();
  void Dispatch();
  // Shows the error report; may throw, which Run turns into a silent exit code 1.
  void ShowErrorReport();

  // Every message loop's step: translates and dispatches one message, then throws a
  // failure that a window procedure stored meanwhile (none may cross the dispatch).
  static void DispatchAndRethrow(const MSG& message);

  // The shared run of the test and screensaver modes: window, renderer, frame loop,
  // release. beforeFrames (may be empty) runs once the renderer is ready.
  void RunRenderedMode(bool fullScreen, const std::function<void()>& beforeFrames);
  // Pumps messages and draws frames until a window procedure clears the
  // keep-running flag.
  void RunFrameLoop();
  // Tells the decode workers of every screen to stop, joining none.
  void StopRenderers();

  // Mode handlers.
  void DoConfig();
  void DoPreview();
  void DoTest();
  void DoSaver();
  void ChangePassword(HWND parent);

  HANDLE m_instanceMutex = nullptr;  // null until CheckInstance runs
  HINSTANCE m_instance = nullptr;    // the module instance, stored by Run
  CFrameTimer m_timer;               // the clock source
  CAppClock m_clock;                 // per-frame times derived from m_timer
  CBlackWnd m_blackWnd;              // covers every monitor in the screensaver mode
  int m_frameLimit = 0;              // frames before the loop ends; 0: no limit
  void (*m_frameLimitReached)() = nullptr;
  // Destroyed in reverse order: the renderer lets go of the window before the
  // window goes.
  CSaverWnd m_saverWnd;                  // the window the renderer draws into
  CDrawer m_drawer;                      // the renderer
  CSecondaryScreens m_secondaryScreens;  // the slideshow on the other monitors
  CMusicPlayer m_music;                  // the product's music in the test and screensaver modes
};

// Opens the help file, the settings' Path followed by "ReadMe.chm".
void ShowHelp();
