// The product's identity as the packaged configuration names it, the registry key
// derived from it, and its screen options. Read once at start; every layer may read it.
#pragma once

#include <string>

#include "base/screen_options.h"

// The screen options are its base, so that the engine reads g_product.Fit and the
// like directly.
struct ProductInfo : ScreenOptions {
  std::string Title = "***";
  std::string Version = "***";
  std::string Year = "***";
  std::string Company = "***";
  std::string SettingsKey;  // "Software\<Company>\<Title>"; empty until read
};

extern ProductInfo g_product;
