// The product's identity as the packaged configuration names it, the registry key
// derived from it, and its screen options. Read once at start; every layer may read it.
#pragma once

#include <string>

#include "base/screen_options.h"

struct ProductInfo {
  std::string Title = "***";
  std::string Version = "***";
  std::string Year = "***";
  std::string Company = "***";
  std::string SettingsKey;                     // "Software\<Company>\<Title>"; empty until read
  MonitorsOption Monitors = kDefaultMonitors;  // where the slideshow runs
  FitMode Fit = kDefaultFit;                   // how a picture meets its screen
};

extern ProductInfo g_product;
