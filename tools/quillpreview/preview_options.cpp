// Strict parsing of quillpreview's command line. Numbers are read with strtod and
// strtol and must consume the whole argument; anything else is reported, never guessed.
#include "tools/quillpreview/preview_options.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "render/transition.h"

namespace {

// Largest output or cell side: keeps a typo from asking for gigabytes.
constexpr long kMaxSide = 8192;
// Largest number of progress values on one sheet.
constexpr size_t kMaxProgressValues = 32;

bool ParseFloat(const std::string& text, float& value) {
  if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return false;
  errno = 0;
  char* end = nullptr;
  const double parsed = std::strtod(text.c_str(), &end);
  if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(parsed)) return false;
  value = static_cast<float>(parsed);
  return true;
}

bool ParseLong(const std::string& text, long lo, long hi, long& value) {
  if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return false;
  errno = 0;
  char* end = nullptr;
  const long parsed = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || end != text.c_str() + text.size() || parsed < lo || parsed > hi) return false;
  value = parsed;
  return true;
}

// "a,b,c" (or a single value) into floats; false for an empty item.
bool SplitFloats(const std::string& text, std::vector<float>& values) {
  values.clear();
  size_t start = 0;
  while (true) {
    const size_t comma = text.find(',', start);
    float value = 0.0f;
    if (!ParseFloat(
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start),
            value))
      return false;
    values.push_back(value);
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

bool InUnitRange(float value) { return value >= 0.0f && value <= 1.0f; }

// Largest random seed and number of decimals in the text dump.
constexpr long kMaxSeed = 2147483647L;
constexpr long kMaxDigits = 9;
// The sheet's defaults: its progress values and the size of each cell.
const std::vector<float> kDefaultSheetProgress = {0.25f, 0.5f, 0.75f};
constexpr int kDefaultCellWidth = 256;
constexpr int kDefaultCellHeight = 192;

// What the arguments said, beyond the values they set in the options.
struct ParseState {
  explicit ParseState(PreviewOptions& target) : options(target) {}
  PreviewOptions& options;
  std::vector<std::string> images;
  bool help = false;
  bool haveEffect = false;
  bool haveProgress = false;
  bool dumpMask = false;
};

// Reads an option's value into the state; false with a message in error.
using ReadOption = bool (*)(const std::string& name, const std::string& value, ParseState& state,
                            std::string& error);

// A whole number from lo to hi, or a message that names the option and its range.
bool ReadWholeNumber(const std::string& name, const std::string& value, long lo, long hi,
                     long& number, std::string& error) {
  if (ParseLong(value, lo, hi, number)) return true;
  error = name + " must be a whole number from " + std::to_string(lo) + " to " +
          std::to_string(hi) + ", not '" + value + "'";
  return false;
}

bool ReadOutput(const std::string&, const std::string& value, ParseState& state,
                std::string& error) {
  if (value.empty()) {
    error = "empty output file name";
    return false;
  }
  state.options.output = value;
  return true;
}

bool ReadEffect(const std::string& name, const std::string& value, ParseState& state,
                std::string& error) {
  long effect = 0;
  if (!ReadWholeNumber(name, value, 0, CTransition::kEffectCount - 1, effect, error)) return false;
  state.options.effect = static_cast<int>(effect);
  state.haveEffect = true;
  return true;
}

bool ReadProgress(const std::string& name, const std::string& value, ParseState& state,
                  std::string& error) {
  std::vector<float>& progress = state.options.progress;
  if (!SplitFloats(value, progress) || progress.size() > kMaxProgressValues) {
    error = name + " must be up to " + std::to_string(kMaxProgressValues) +
            " numbers separated by commas, not '" + value + "'";
    return false;
  }
  for (float p : progress) {
    if (!InUnitRange(p)) {
      error = "progress values must lie in 0..1, not '" + value + "'";
      return false;
    }
  }
  state.haveProgress = true;
  return true;
}

bool ReadCentre(const std::string& name, const std::string& value, ParseState& state,
                std::string& error) {
  std::vector<float> centre;
  if (!SplitFloats(value, centre) || centre.size() != 2 || !InUnitRange(centre[0]) ||
      !InUnitRange(centre[1])) {
    error = name + " must be X,Y with both in 0..1, not '" + value + "'";
    return false;
  }
  state.options.centreX = centre[0];
  state.options.centreY = centre[1];
  return true;
}

bool ReadSize(const std::string& name, const std::string& value, ParseState& state,
              std::string& error) {
  const size_t x = value.find_first_of("xX");
  long width = 0, height = 0;
  if (x == std::string::npos || !ParseLong(value.substr(0, x), 1, kMaxSide, width) ||
      !ParseLong(value.substr(x + 1), 1, kMaxSide, height)) {
    error = name + " must be WxH with sides from 1 to " + std::to_string(kMaxSide) + ", not '" +
            value + "'";
    return false;
  }
  state.options.width = static_cast<int>(width);
  state.options.height = static_cast<int>(height);
  return true;
}

bool ReadSeed(const std::string& name, const std::string& value, ParseState& state,
              std::string& error) {
  long seed = 0;
  if (!ReadWholeNumber(name, value, 0, kMaxSeed, seed, error)) return false;
  state.options.seed = static_cast<unsigned>(seed);
  return true;
}

bool ReadDigits(const std::string& name, const std::string& value, ParseState& state,
                std::string& error) {
  long digits = 0;
  if (!ReadWholeNumber(name, value, 0, kMaxDigits, digits, error)) return false;
  state.options.digits = static_cast<int>(digits);
  return true;
}

bool ReadFit(const std::string& name, const std::string& value, ParseState& state,
             std::string& error) {
  if (ParseFitMode(value, state.options.fit)) return true;
  error = name + " takes " + AcceptedFitValues() + ", not '" + value + "'";
  return false;
}

// The options that take a value, by every name they answer to.
const struct {
  const char* name;
  ReadOption read;
} kValueOptions[] = {
    {"-o", &ReadOutput},           {"--output", &ReadOutput}, {"--effect", &ReadEffect},
    {"--progress", &ReadProgress}, {"--centre", &ReadCentre}, {"--center", &ReadCentre},
    {"--size", &ReadSize},         {"--seed", &ReadSeed},     {"--digits", &ReadDigits},
    {"--fit", &ReadFit},
};

bool ParseMode(const std::string& mode, PreviewMode& result, std::string& error) {
  if (mode == "-h" || mode == "--help" || mode == "help")
    result = PreviewMode::kHelp;
  else if (mode == "sheet")
    result = PreviewMode::kSheet;
  else if (mode == "frame")
    result = PreviewMode::kFrame;
  else if (mode == "mask")
    result = PreviewMode::kMask;
  else {
    error = "unknown mode '" + mode + "' (expected sheet, frame or mask)";
    return false;
  }
  return true;
}

// The arguments after the mode: options, their values and the images. Stops at a
// request for help.
bool ReadArguments(int argc, const char* const* argv, ParseState& state, std::string& error) {
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      state.help = true;
      return true;
    }
    if (arg == "--dump-mask") {
      state.dumpMask = true;
      continue;
    }
    if (arg.size() <= 1 || arg[0] != '-') {
      state.images.push_back(arg);
      continue;
    }
    const auto* option = std::find_if(std::begin(kValueOptions), std::end(kValueOptions),
                                      [&](const auto& o) { return arg == o.name; });
    if (option == std::end(kValueOptions)) {
      error = "unknown option " + arg;
      return false;
    }
    if (i + 1 >= argc) {
      error = "option " + arg + " needs a value";
      return false;
    }
    if (!option->read(arg, argv[++i], state, error)) return false;
  }
  return true;
}

// What each mode requires of the options together, and the sheet's defaults.
bool ApplyModeRules(ParseState& state, std::string& error) {
  PreviewOptions& options = state.options;
  if (state.dumpMask) {
    if (options.mode == PreviewMode::kSheet) {
      error = "--dump-mask needs one effect: use it with frame or mask";
      return false;
    }
    options.mode = PreviewMode::kMask;
  }

  if (options.mode == PreviewMode::kSheet) {
    if (!state.haveProgress) options.progress = kDefaultSheetProgress;
    if (state.haveEffect) {
      error = "sheet shows every effect; --effect belongs to frame and mask";
      return false;
    }
    if (options.width == 0) {
      options.width = kDefaultCellWidth;
      options.height = kDefaultCellHeight;
    }
  } else {
    if (!state.haveEffect) {
      error = "--effect is required";
      return false;
    }
    if (!state.haveProgress || options.progress.size() != 1) {
      error = "--progress must give exactly one value";
      return false;
    }
  }

  if (options.mode == PreviewMode::kMask) {
    // A frame turned into a dump may still name its images; they are not needed.
    if (!state.images.empty() && !state.dumpMask) {
      error = "mask takes no images";
      return false;
    }
    if (!options.output.empty()) {
      error = "mask prints to standard output; -o is not used";
      return false;
    }
    return true;
  }

  if (state.images.size() != 2) {
    error = "two images are needed (A and B), " + std::to_string(state.images.size()) + " given";
    return false;
  }
  options.imageA = state.images[0];
  options.imageB = state.images[1];
  if (options.output.empty()) {
    error = "-o OUTPUT.png is required";
    return false;
  }
  return true;
}

}  // namespace

const char* PreviewUsage() {
  static const std::string usage =
      "Usage:\n"
      "  quillpreview sheet A B -o sheet.png [--progress P1,P2,...] [--size WxH]\n"
      "  quillpreview frame A B --effect N --progress P -o out.png [--size WxH]\n"
      "  quillpreview mask --effect N --progress P\n"
      "Common options: [--centre X,Y] (star centre, default 0.5,0.5) [--seed N]\n"
      "  (random blocks) [--digits D] (mask text decimals, default 4)\n"
      "  [--fit stretch|fill|fit] (how A and B meet the output's shape, as the\n"
      "  product's <Fit>; default stretch).\n"
      "  frame --dump-mask prints the mask instead of writing an image.\n"
      "A is the current image (weight 0), B the next one (weight 1); both are\n"
      "placed on the output by --fit. sheet: one row per effect, one column per\n"
      "progress value (default 0.25,0.5,0.75), cells of --size (default " +
      std::to_string(kDefaultCellWidth) + "x" + std::to_string(kDefaultCellHeight) +
      ").\n"
      "frame: the output has --size, by default the size of A. Progress and centre\n"
      "values lie in 0..1, effects in 0.." +
      std::to_string(CTransition::kEffectCount - 1) + ".\n";
  return usage.c_str();
}

bool ParsePreviewArguments(int argc, const char* const* argv, PreviewOptions& options,
                           std::string& error) {
  options = PreviewOptions();
  if (argc < 2) {
    error = "no mode given";
    return false;
  }
  if (!ParseMode(argv[1], options.mode, error)) return false;
  if (options.mode == PreviewMode::kHelp) return true;
  ParseState state(options);
  if (!ReadArguments(argc, argv, state, error)) return false;
  if (state.help) {
    options.mode = PreviewMode::kHelp;
    return true;
  }
  return ApplyModeRules(state, error);
}
