// Test helper: products of the real engine with the title "Dialog Test" and the
// splash pictures a test gives, written to the scratch folder.
#pragma once

#include <string>
#include <vector>

#include "tests/e2e/product_files.h"

// The products' settings key.
inline const std::string kKey = SettingsKeyName("QuillSaver E2E", "Dialog Test");

inline std::string ProductWithSplashes(const std::string& fileName,
                                       const std::vector<Entry>& splashes) {
  std::vector<Entry> entries = {
      {"config/config.xml", ProductConfig("Dialog Test", "QuillSaver E2E")}};
  entries.insert(entries.end(), splashes.begin(), splashes.end());
  return MakeProduct(fileName, entries);
}

// The product with four solid splash pictures of different colours.
inline const std::string& Product() {
  static const std::string product = ProductWithSplashes(
      "dialog test.scr", {{kSplashFileNames[0], SolidBitmapFile(120, 90, 0xD04010)},
                          {kSplashFileNames[1], SolidBitmapFile(120, 90, 0x10D040)},
                          {kSplashFileNames[2], SolidBitmapFile(120, 90, 0x4010D0)},
                          {kSplashFileNames[3], SolidBitmapFile(120, 90, 0xF0F0F0)}});
  return product;
}
