// The user's settings: fourteen integers and the help file's folder, one process-wide
// record kept in the registry under the product's key.
#pragma once

#include <cstdint>
#include <string>

struct Settings {
  int32_t Width;           // screensaver video mode width, pixels
  int32_t Height;          // screensaver video mode height, pixels
  int32_t Depth;           // screensaver video mode colour depth, bits per pixel
  int32_t Desktop;         // 1: keep the desktop's mode; 0: switch for the run
  int32_t FPS;             // draw the frame-rate counter
  int32_t ShowTime;        // draw the digital clock
  int32_t Clock24h;        // 1: 24-hour clock; 0: 12-hour clock
  int32_t VSync;           // full-screen presentation waits for the retrace
  int32_t LowCPULoad;      // sleep 20 ms after every rendered frame
  int32_t Music;           // music on (stored and edited only)
  int32_t MusicVolume;     // percent (stored and edited only)
  int32_t TransitionTime;  // seconds a transition between two images takes
  int32_t KeepTime;        // seconds an image stays before the next transition
  int32_t Brightness;      // percent; 100 leaves the gamma ramp alone
  std::string Path;        // folder of the help file; read, never written
};

extern Settings g_settings;

// Every field but Path to its default.
void SetDefaults();

// A registry-backed integer: the value's name and the field it fills.
struct SettingField {
  const char* valueName;
  int32_t Settings::*field;
};

// The integer fields in the order the registry is read and written.
constexpr int kSettingFieldCount = 14;
extern const SettingField kSettingFields[kSettingFieldCount];

// The default folder of the help file when the registry holds none.
constexpr char kDefaultHelpPath[] = ".\\";
