// Defaults and registry layout of the settings record.
#include "base/settings.h"

Settings g_settings{};

void SetDefaults() {
  g_settings.Width = 800;
  g_settings.Height = 600;
  g_settings.Depth = 16;
  g_settings.Desktop = 1;
  g_settings.FPS = 0;
  g_settings.ShowTime = 1;
  g_settings.Clock24h = 0;
  g_settings.VSync = 1;
  g_settings.LowCPULoad = 1;
  g_settings.Music = 1;
  g_settings.MusicVolume = 100;
  g_settings.TransitionTime = 3;
  g_settings.KeepTime = 3;
  g_settings.Brightness = 100;
}

const SettingField kSettingFields[kSettingFieldCount] = {
    {"Width", &Settings::Width},
    {"Height", &Settings::Height},
    {"Depth", &Settings::Depth},
    {"Desktop", &Settings::Desktop},
    {"FPS", &Settings::FPS},
    {"ShowTime", &Settings::ShowTime},
    {"24h", &Settings::Clock24h},
    {"VSync", &Settings::VSync},
    {"Brightness", &Settings::Brightness},
    {"LowCPULoad", &Settings::LowCPULoad},
    {"Music", &Settings::Music},
    {"MusicVolume", &Settings::MusicVolume},
    {"TransitionTime", &Settings::TransitionTime},
    {"KeepTime", &Settings::KeepTime},
};
