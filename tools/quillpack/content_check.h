// Checks a content folder the way the engine will read it, before quillpack packs it:
// the configuration document, the font description, the numbered images and the
// files that the engine loads by fixed names.
//
// Errors (the product would not start or would show nothing):
//   config/config.xml missing, not parseable, or without ini/Screensaver/Title,
//   Version, Year or Company; fonts/basic.font missing or not a valid description;
//   no images/0.jpg; two files the engine cannot tell apart (names that differ only
//   in ASCII letter case); a file larger than the engine reads.
// Warnings (the product runs, but not as the maker probably meant):
//   textures/font.tga missing (no clock or frame-rate text), textures/default.jpg
//   missing, splash/splash1..4.bmp missing (fewer pictures in the preview), a gap in
//   the image numbers (later images are never shown), images numbered past 1023 or
//   written with leading zeros (never shown), an empty Title/Version/Year/Company, a
//   backslash in Title or Company (nests the settings key), glyphs the overlays draw
//   missing from the font, names the engine can never look up, a <Monitors> or
//   <Fit> value the engine does not know (it takes the default).
#pragma once

#include <string>
#include <vector>

#include "tools/quillpack/content_folder.h"

struct CheckMessage {
  bool error = false;  // false: a warning
  std::string text;    // "file: what is wrong"; parse errors carry "line:column" too
};

// Every problem found, errors and warnings in the order the checks run.
std::vector<CheckMessage> CheckContent(const CContentFolder& folder);

bool HasErrors(const std::vector<CheckMessage>& messages);

// Converts the XML parser's error position (lines counted by CR bytes from 0, columns
// by bytes since the last CR) into the 1-based line and column an editor shows (lines
// end at LF, CR LF or CR). False when the position lies outside the document.
bool EditorPosition(const std::string& document, int parserLine, int parserColumn, int* line,
                    int* column);
