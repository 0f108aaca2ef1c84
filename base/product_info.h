// The product's identity as the packaged configuration names it, and the registry
// key derived from it. Read once at start; every layer may read it.
#pragma once

#include <string>

struct ProductInfo {
  std::string Title = "***";
  std::string Version = "***";
  std::string Year = "***";
  std::string Company = "***";
  std::string SettingsKey;  // "Software\<Company>\<Title>"; empty until read
};

extern ProductInfo g_product;
