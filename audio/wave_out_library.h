// The waveOut functions of winmm.dll, bound at run time from the system folder: winmm
// is not one of the libraries Windows always takes from there, so importing it would
// let a copy saved beside the program run before the program starts.
#pragma once

#include <windows.h>
// After windows.h, whose types it uses.
#include <mmsystem.h>

class CWaveOutLibrary {
 public:
  // The process-wide binding, loaded at the first call. It is never unloaded: a
  // player thread stuck in the driver may still be inside it when the process ends.
  static const CWaveOutLibrary& Get();

  // False when winmm or one of the functions is missing; the music stays silent.
  bool IsLoaded() const { return m_loaded; }

  decltype(&::waveOutOpen) Open = nullptr;
  decltype(&::waveOutClose) Close = nullptr;
  decltype(&::waveOutPrepareHeader) PrepareHeader = nullptr;
  decltype(&::waveOutUnprepareHeader) UnprepareHeader = nullptr;
  decltype(&::waveOutWrite) Write = nullptr;
  decltype(&::waveOutReset) Reset = nullptr;
  decltype(&::waveOutGetPosition) GetPosition = nullptr;

 private:
  CWaveOutLibrary();
  bool m_loaded = false;
};
