// Command line of quillpreview: which mode, which images, effects, progress values,
// centre, sizes and output. Parsing is strict: every number must be whole and in range.
#pragma once

#include <string>
#include <vector>

#include "base/screen_options.h"

enum class PreviewMode {
  kHelp,   // print the usage
  kSheet,  // contact sheet of all twenty effects at chosen progress values
  kFrame,  // one effect at one progress value
  kMask,   // the weight grid as text
};

struct PreviewOptions {
  PreviewMode mode = PreviewMode::kHelp;
  std::string imageA;           // current image (weight 0)
  std::string imageB;           // next image (weight 1)
  std::string output;           // PNG to write
  int effect = -1;              // frame and mask modes: 0..19
  std::vector<float> progress;  // sheet: several values; frame and mask: exactly one
  float centreX = 0.5f;         // centre of the star effects, 0..1
  float centreY = 0.5f;
  int width = 0;  // output or cell size in pixels; 0 = the mode's default
  int height = 0;
  unsigned seed = 1;               // seeds the random draws of the block effect's table
  int digits = 4;                  // decimals of each weight in the text dump
  FitMode fit = FitMode::Stretch;  // how each image meets the output's shape
};

// Parses argv[1..argc-1]. On failure returns false with a message for the user in
// `error`; the caller then exits with status 2.
bool ParsePreviewArguments(int argc, const char* const* argv, PreviewOptions& options,
                           std::string& error);

// Usage text for --help and after errors.
const char* PreviewUsage();
