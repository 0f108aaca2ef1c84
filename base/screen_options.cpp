// Names of the product's screen options and their values, in one table.
#include "base/screen_options.h"

#include <type_traits>

namespace {
// Indexed by the enumerators' values.
const char* const kMonitorsNames[] = {"primary", "all"};
const char* const kFitNames[] = {"stretch", "fill", "fit"};
const char* const kMotionNames[] = {"still", "panzoom"};
const char* const kOnOffNames[] = {"off", "on"};
const char* const kBarsNames[] = {"black", "blur"};

template <auto Member>
int GetField(const ScreenOptions& options) {
  return static_cast<int>(options.*Member);
}
template <auto Member>
void SetField(ScreenOptions& options, int value) {
  using Enum = std::remove_reference_t<decltype(options.*Member)>;
  options.*Member = static_cast<Enum>(value);
}

template <auto Member, size_t N, typename Enum>
ScreenOptionInfo Option(const char* element, const char* const (&names)[N], Enum engineDefault,
                        Enum newDefault, const char* flag) {
  return {element,
          names,
          N,
          static_cast<int>(engineDefault),
          static_cast<int>(newDefault),
          flag,
          &GetField<Member>,
          &SetField<Member>};
}

// New products ask for every screen, pictures in their own shape, motion, pairs, blurred
// bars and captions; older products, which name none of these, keep the engine's
// defaults.
const ScreenOptionInfo kTable[] = {
    Option<&ScreenOptions::Monitors>(kMonitorsElement, kMonitorsNames, kDefaultMonitors,
                                     MonitorsOption::All, "--monitors"),
    Option<&ScreenOptions::Fit>(kFitElement, kFitNames, kDefaultFit, FitMode::Fill, "--fit"),
    Option<&ScreenOptions::Motion>(kMotionElement, kMotionNames, kDefaultMotion,
                                   MotionMode::PanZoom, "--motion"),
    Option<&ScreenOptions::Pairs>(kPairsElement, kOnOffNames, kDefaultPairs, PairsOption::On,
                                  "--pairs"),
    Option<&ScreenOptions::Bars>(kBarsElement, kBarsNames, kDefaultBars, BarsOption::Blur,
                                 "--bars"),
    // quillpack new's --captions chooses what the captions hold; "none" turns this off.
    Option<&ScreenOptions::Captions>(kCaptionsElement, kOnOffNames, kDefaultCaptions,
                                     CaptionsOption::On, nullptr),
};

const ScreenOptionInfo& InfoFor(const char* element) {
  for (const ScreenOptionInfo& info : kTable)
    if (info.element == element) return info;
  return kTable[0];
}
}  // namespace

const ScreenOptionInfo* ScreenOptionTable(size_t* count) {
  *count = sizeof kTable / sizeof kTable[0];
  return kTable;
}

ScreenOptions NewProductScreenOptions() {
  ScreenOptions options;
  for (const ScreenOptionInfo& info : kTable) info.set(options, info.newProductDefault);
  return options;
}

bool ParseScreenOption(const ScreenOptionInfo& info, const std::string& text, ScreenOptions& out) {
  for (size_t i = 0; i < info.count; ++i) {
    if (text == info.names[i]) {
      info.set(out, static_cast<int>(i));
      return true;
    }
  }
  return false;
}

const char* ScreenOptionName(const ScreenOptionInfo& info, const ScreenOptions& options) {
  return info.names[info.get(options)];
}

const char* ScreenOptionDefaultName(const ScreenOptionInfo& info) {
  return info.names[info.engineDefault];
}

std::string AcceptedScreenOptionValues(const ScreenOptionInfo& info) {
  std::string joined;
  for (size_t i = 0; i < info.count; ++i)
    joined += (i == 0 ? "" : ", ") + std::string(info.names[i]);
  return joined;
}

const char* ToString(MonitorsOption option) { return kMonitorsNames[static_cast<int>(option)]; }
const char* ToString(FitMode mode) { return kFitNames[static_cast<int>(mode)]; }

bool ParseFitMode(const std::string& text, FitMode& out) {
  ScreenOptions options;
  if (!ParseScreenOption(InfoFor(kFitElement), text, options)) return false;
  out = options.Fit;
  return true;
}

std::string AcceptedFitValues() { return AcceptedScreenOptionValues(InfoFor(kFitElement)); }
