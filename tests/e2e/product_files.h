// Test helper: products of the engine under test, written to the scratch folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "data/content_layout.h"
#include "tests/support/product_builder.h"
#include "tests/win/support/saver_harness.h"
#include "tests/win/support/slideshow_content.h"

using Entry = ProductEntry;

// Writes engine + encrypted archive + trailer to the scratch folder; returns its path.
inline std::string MakeProduct(const std::string& fileName, const std::vector<Entry>& entries) {
  static const std::string engine = ReadWholeFile(ScreensaverPath());
  EXPECT_GT(engine.size(), 1000u);
  const std::string path = (std::filesystem::path(ScratchFolder()) / fileName).string();
  std::string error;
  EXPECT_TRUE(WriteProduct(path, engine, entries, &error)) << error;
  return path;
}

inline std::string Config(const std::string& screensaverElements) {
  return "<?xml version=\"1.0\"?>\r\n<ini>\r\n\t<Screensaver>" + screensaverElements +
         "</Screensaver>\r\n</ini>\r\n";
}
