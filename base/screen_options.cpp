// Names of the product's screen options and their values.
#include "base/screen_options.h"

#include <cstddef>

namespace {
// Indexed by the enumerators' values.
const char* const kMonitorsNames[] = {"primary", "all"};
const char* const kFitNames[] = {"stretch", "fill", "fit"};

template <typename Enum, size_t N>
bool ParseName(const char* const (&names)[N], const std::string& text, Enum& out) {
  for (size_t i = 0; i < N; ++i) {
    if (text == names[i]) {
      out = static_cast<Enum>(i);
      return true;
    }
  }
  return false;
}

template <size_t N>
std::string JoinNames(const char* const (&names)[N]) {
  std::string joined;
  for (const char* name : names) joined += (joined.empty() ? "" : ", ") + std::string(name);
  return joined;
}
}  // namespace

const char* ToString(MonitorsOption option) { return kMonitorsNames[static_cast<int>(option)]; }
const char* ToString(FitMode mode) { return kFitNames[static_cast<int>(mode)]; }

bool ParseMonitorsOption(const std::string& text, MonitorsOption& out) {
  return ParseName(kMonitorsNames, text, out);
}
bool ParseFitMode(const std::string& text, FitMode& out) { return ParseName(kFitNames, text, out); }

std::string AcceptedMonitorsValues() { return JoinNames(kMonitorsNames); }
std::string AcceptedFitValues() { return JoinNames(kFitNames); }
