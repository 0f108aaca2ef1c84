// Strict parsing of quillpreview's command line. Numbers are read with strtod and
// strtol and must consume the whole argument; anything else is reported, never guessed.
#include "tools/quillpreview/preview_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

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

}  // namespace

const char* PreviewUsage() {
  return "Usage:\n"
         "  quillpreview sheet A B -o sheet.png [--progress P1,P2,...] [--size WxH]\n"
         "  quillpreview frame A B --effect N --progress P -o out.png [--size WxH]\n"
         "  quillpreview mask --effect N --progress P\n"
         "Common options: [--centre X,Y] (star centre, default 0.5,0.5) [--seed N]\n"
         "  [--fit stretch|fill|fit] (how A and B meet the output's shape, as the\n"
         "  product's <Fit>; default stretch)\n"
         "  (random blocks) [--digits D] (mask text decimals, default 4).\n"
         "  frame --dump-mask prints the mask instead of writing an image.\n"
         "A is the current image (weight 0), B the next one (weight 1); both are\n"
         "placed on the output by --fit. sheet: one row per effect, one column per\n"
         "progress value (default 0.25,0.5,0.75), cells of --size (default 256x192).\n"
         "frame: the output has --size, by default the size of A. Progress and centre\n"
         "values lie in 0..1, effects in 0..19.\n";
}

bool ParsePreviewArguments(int argc, const char* const* argv, PreviewOptions& options,
                           std::string& error) {
  options = PreviewOptions();
  if (argc < 2) {
    error = "no mode given";
    return false;
  }
  const std::string mode = argv[1];
  if (mode == "-h" || mode == "--help" || mode == "help") {
    options.mode = PreviewMode::kHelp;
    return true;
  }
  if (mode == "sheet")
    options.mode = PreviewMode::kSheet;
  else if (mode == "frame")
    options.mode = PreviewMode::kFrame;
  else if (mode == "mask")
    options.mode = PreviewMode::kMask;
  else {
    error = "unknown mode '" + mode + "' (expected sheet, frame or mask)";
    return false;
  }

  std::vector<std::string> images;
  bool haveEffect = false, haveProgress = false, dumpMask = false;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      options.mode = PreviewMode::kHelp;
      return true;
    }
    if (arg == "--dump-mask") {
      dumpMask = true;
      continue;
    }
    if (arg.size() > 1 && arg[0] == '-') {
      // Every other option takes a value.
      if (i + 1 >= argc) {
        error = "option " + arg + " needs a value";
        return false;
      }
      const std::string value = argv[++i];
      if (arg == "-o" || arg == "--output") {
        if (value.empty()) {
          error = "empty output file name";
          return false;
        }
        options.output = value;
      } else if (arg == "--effect") {
        long effect = 0;
        if (!ParseLong(value, 0, CTransition::kEffectCount - 1, effect)) {
          error = "--effect must be a whole number from 0 to 19, not '" + value + "'";
          return false;
        }
        options.effect = static_cast<int>(effect);
        haveEffect = true;
      } else if (arg == "--progress") {
        if (!SplitFloats(value, options.progress) || options.progress.size() > kMaxProgressValues) {
          error = "--progress must be up to 32 numbers separated by commas, not '" + value + "'";
          return false;
        }
        for (float p : options.progress) {
          if (!InUnitRange(p)) {
            error = "progress values must lie in 0..1, not '" + value + "'";
            return false;
          }
        }
        haveProgress = true;
      } else if (arg == "--centre" || arg == "--center") {
        std::vector<float> centre;
        if (!SplitFloats(value, centre) || centre.size() != 2 || !InUnitRange(centre[0]) ||
            !InUnitRange(centre[1])) {
          error = arg + " must be X,Y with both in 0..1, not '" + value + "'";
          return false;
        }
        options.centreX = centre[0];
        options.centreY = centre[1];
      } else if (arg == "--size") {
        const size_t x = value.find_first_of("xX");
        long width = 0, height = 0;
        if (x == std::string::npos || !ParseLong(value.substr(0, x), 1, kMaxSide, width) ||
            !ParseLong(value.substr(x + 1), 1, kMaxSide, height)) {
          error = "--size must be WxH with sides from 1 to 8192, not '" + value + "'";
          return false;
        }
        options.width = static_cast<int>(width);
        options.height = static_cast<int>(height);
      } else if (arg == "--seed") {
        long seed = 0;
        if (!ParseLong(value, 0, 2147483647L, seed)) {
          error = "--seed must be a whole number from 0 to 2147483647, not '" + value + "'";
          return false;
        }
        options.seed = static_cast<unsigned>(seed);
      } else if (arg == "--digits") {
        long digits = 0;
        if (!ParseLong(value, 0, 9, digits)) {
          error = "--digits must be a whole number from 0 to 9, not '" + value + "'";
          return false;
        }
        options.digits = static_cast<int>(digits);
      } else if (arg == "--fit") {
        if (!ParseFitMode(value, options.fit)) {
          error = "--fit takes " + AcceptedFitValues() + ", not '" + value + "'";
          return false;
        }
      } else {
        error = "unknown option " + arg;
        return false;
      }
      continue;
    }
    images.push_back(arg);
  }

  if (dumpMask) {
    if (options.mode == PreviewMode::kSheet) {
      error = "--dump-mask needs one effect: use it with frame or mask";
      return false;
    }
    options.mode = PreviewMode::kMask;
  }

  if (options.mode == PreviewMode::kSheet) {
    if (!haveProgress) options.progress = {0.25f, 0.5f, 0.75f};
    if (haveEffect) {
      error = "sheet shows every effect; --effect belongs to frame and mask";
      return false;
    }
    if (options.width == 0) {
      options.width = 256;
      options.height = 192;
    }
  } else {
    if (!haveEffect) {
      error = "--effect is required";
      return false;
    }
    if (!haveProgress || options.progress.size() != 1) {
      error = "--progress must give exactly one value";
      return false;
    }
  }

  if (options.mode == PreviewMode::kMask) {
    // A frame turned into a dump may still name its images; they are not needed.
    if (!images.empty() && !dumpMask) {
      error = "mask takes no images";
      return false;
    }
    if (!options.output.empty()) {
      error = "mask prints to standard output; -o is not used";
      return false;
    }
    return true;
  }

  if (images.size() != 2) {
    error = "two images are needed (A and B), " + std::to_string(images.size()) + " given";
    return false;
  }
  options.imageA = images[0];
  options.imageB = images[1];
  if (options.output.empty()) {
    error = "-o OUTPUT.png is required";
    return false;
  }
  return true;
}
