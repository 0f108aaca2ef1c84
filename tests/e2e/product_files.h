// Test helper: product files made from the engine under test with the packer's
// writer, in the scratch folder, and the content a slideshow needs.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/image_files.h"
#include "tests/win/support/saver_harness.h"
#include "tools/quillpack/product_writer.h"

struct Entry {
  std::string name;
  std::string data;
};

inline std::string ReadEngine() {
  std::ifstream in(ScreensaverPath(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes engine + encrypted archive + trailer to the scratch folder; returns its path.
inline std::string MakeProduct(const std::string& fileName, const std::vector<Entry>& entries) {
  static const std::string engine = ReadEngine();
  EXPECT_GT(engine.size(), 1000u);
  const std::filesystem::path path = std::filesystem::path(ScratchFolder()) / fileName;
  CProductWriter writer;
  EXPECT_TRUE(writer.Begin(path, engine.data(), engine.size())) << writer.GetError();
  for (const Entry& entry : entries)
    EXPECT_TRUE(writer.AddEntry(entry.name, entry.data.data(), entry.data.size()))
        << writer.GetError();
  EXPECT_TRUE(writer.Commit()) << writer.GetError();
  return path.string();
}

inline std::string Config(const std::string& screensaverElements) {
  return "<?xml version=\"1.0\"?>\r\n<ini>\r\n\t<Screensaver>" + screensaverElements +
         "</Screensaver>\r\n</ini>\r\n";
}

// A one-colour 256 x 256 JPEG; colour is 0xRRGGBB.
inline std::string SolidJpeg(uint32_t colour) {
  const std::vector<uint32_t> pixels(256 * 256, 0xFF000000u | colour);
  const std::vector<uint8_t> bytes = EncodeJpeg(pixels, 256, 256);
  return std::string(bytes.begin(), bytes.end());
}

// Everything a slideshow needs: the configuration naming company and title, a font
// description of one glyph (the renderer requires one; the texture is optional) and
// one solid image per colour.
inline std::vector<Entry> SlideshowContent(const std::string& company, const std::string& title,
                                           const std::vector<uint32_t>& colours) {
  std::vector<Entry> entries = {
      {"config/config.xml", Config("<Title>" + title +
                                   "</Title><Version>1.0</Version>"
                                   "<Year>2026</Year><Company>" +
                                   company + "</Company>")},
      {"fonts/basic.font", "<charset><ch30>0 0 0.5 0.5</ch30></charset>"},
  };
  for (size_t i = 0; i < colours.size(); ++i)
    entries.push_back({"images/" + std::to_string(i) + ".jpg", SolidJpeg(colours[i])});
  return entries;
}
