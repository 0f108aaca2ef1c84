// Test content for products that show a slideshow: solid-colour images, a font whose
// every glyph is a solid white cell (so text shows as white blocks that a pixel test
// can find), a configuration, and the product file itself.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "data/content_layout.h"
#include "tests/support/image_files.h"
#include "tests/support/product_builder.h"

inline std::string ToString(const std::vector<uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// A baseline JPEG of one colour (0xRRGGBB), 4:4:4 so that the colour survives.
inline std::string SolidJpeg(uint32_t rgb, int width = 64, int height = 48) {
  JpegOptions options;
  options.quality = 100;
  options.subsample = false;
  return ToString(
      EncodeJpeg(std::vector<uint32_t>(static_cast<size_t>(width) * height, 0xFF000000u | rgb),
                 width, height, options));
}

// Printable ASCII, each glyph the whole (white) texture: widths equal the size.
inline std::string BlockFontDescription() {
  std::string text = "<?xml version=\"1.0\"?>\r\n<charset>\r\n";
  char line[64];
  for (int code = 0x20; code <= 0x7E; ++code) {
    std::snprintf(line, sizeof line, "\t<ch%02X>0 0 1 1</ch%02X>\r\n", code, code);
    text += line;
  }
  return text + "</charset>\r\n";
}

// One element inside <Screensaver>, as the options of ProductConfig take it.
inline std::string ConfigElement(const std::string& name, const std::string& value) {
  return "\t\t<" + name + ">" + value + "</" + name + ">\r\n";
}

// options: further elements inside <Screensaver>, such as the screen options.
inline std::string ProductConfig(const std::string& title, const std::string& company,
                                 const std::string& options = "") {
  return "<?xml version=\"1.0\"?>\r\n<ini>\r\n\t<Screensaver>\r\n\t\t<Title>" + title +
         "</Title>\r\n\t\t<Version>1.0</Version>\r\n\t\t<Year>2026</Year>\r\n\t\t<Company>" +
         company + "</Company>\r\n" + options + "\t</Screensaver>\r\n</ini>\r\n";
}

// Configuration, block font, font texture, default texture and one image per colour.
inline std::vector<ContentEntry> SlideshowContent(const std::string& title,
                                                  const std::string& company,
                                                  const std::vector<uint32_t>& colours) {
  std::vector<ContentEntry> entries = {
      {"config/config.xml", ProductConfig(title, company)},
      {kFontDescriptionName, BlockFontDescription()},
      {kFontTextureName, ToString(EncodeTga(std::vector<uint32_t>(64, 0xFFFFFFFFu), 8, 8))},
      {kDefaultTextureName, SolidJpeg(0x101010, 16, 16)},
  };
  for (size_t i = 0; i < colours.size(); ++i)
    entries.push_back({ImageFileName(static_cast<int>(i)), SolidJpeg(colours[i])});
  return entries;
}

// The content without the entries named in `names`.
inline std::vector<ContentEntry> Without(std::vector<ContentEntry> entries,
                                         const std::vector<std::string>& names) {
  std::vector<ContentEntry> kept;
  for (ContentEntry& entry : entries) {
    bool drop = false;
    for (const std::string& name : names) drop = drop || entry.name == name;
    if (!drop) kept.push_back(std::move(entry));
  }
  return kept;
}
