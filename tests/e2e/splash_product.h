// Test helper: products of the real engine with the title "Dialog Test" and the
// splash pictures a test gives, written to the scratch folder.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/product_fixture.h"
#include "tests/win/support/saver_harness.h"

// The products' settings key.
inline constexpr char kKey[] = "Software\\QuillSaver E2E\\Dialog Test";

inline std::string ProductWithSplashes(const std::string& fileName,
                                       const std::vector<FixtureEntry>& splashes) {
  static const std::string engine = ReadWholeFile(ScreensaverPath());
  std::vector<FixtureEntry> entries = {
      {"config/config.xml",
       "<ini><Screensaver><Title>Dialog Test</Title><Version>1.0</Version><Year>2026</Year>"
       "<Company>QuillSaver E2E</Company></Screensaver></ini>"}};
  entries.insert(entries.end(), splashes.begin(), splashes.end());
  const std::filesystem::path path = std::filesystem::path(ScratchFolder()) / fileName;
  EXPECT_TRUE(WriteProduct(path, engine, entries));
  return path.string();
}

// The product with four solid splash pictures of different colours.
inline const std::string& Product() {
  static const std::string product = ProductWithSplashes(
      "dialog test.scr", {{"splash/splash1.bmp", SolidBitmapFile(120, 90, 0xD04010)},
                          {"splash/splash2.bmp", SolidBitmapFile(120, 90, 0x10D040)},
                          {"splash/splash3.bmp", SolidBitmapFile(120, 90, 0x4010D0)},
                          {"splash/splash4.bmp", SolidBitmapFile(120, 90, 0xF0F0F0)}});
  return product;
}
