// The product's screen options in <ini>/<Screensaver> of its configuration document:
// on which monitors the slideshow runs, how a picture meets the shape of its screen,
// whether it moves, pairs and captions, and what fills its bars. The element names,
// accepted values and defaults live here only; the engine reads them and quillpack
// checks, lists and writes them from the one table below.
#pragma once

#include <cstddef>
#include <string>

enum class MonitorsOption { Primary, All };
enum class FitMode { Stretch, Fill, Fit };
enum class MotionMode { Still, PanZoom };
enum class PairsOption { Off, On };
enum class BarsOption { Black, Blur };
enum class CaptionsOption { Off, On };

constexpr char kMonitorsElement[] = "Monitors";
constexpr char kFitElement[] = "Fit";
constexpr char kMotionElement[] = "Motion";
constexpr char kPairsElement[] = "Pairs";
constexpr char kBarsElement[] = "Bars";
constexpr char kCaptionsElement[] = "Captions";

// What the engine takes when an element is absent or its value unknown: a product
// made before an option existed keeps its behaviour.
constexpr MonitorsOption kDefaultMonitors = MonitorsOption::Primary;
constexpr FitMode kDefaultFit = FitMode::Stretch;
constexpr MotionMode kDefaultMotion = MotionMode::Still;
constexpr PairsOption kDefaultPairs = PairsOption::Off;
constexpr BarsOption kDefaultBars = BarsOption::Black;
constexpr CaptionsOption kDefaultCaptions = CaptionsOption::Off;

struct ScreenOptions {
  MonitorsOption Monitors = kDefaultMonitors;  // where the slideshow runs
  FitMode Fit = kDefaultFit;                   // how a picture meets its screen
  MotionMode Motion = kDefaultMotion;          // whether pictures pan and zoom
  PairsOption Pairs = kDefaultPairs;           // portraits side by side on a landscape screen
  BarsOption Bars = kDefaultBars;              // what shows where a picture leaves the screen bare
  CaptionsOption Captions = kDefaultCaptions;  // each picture's caption drawn at the bottom
};

// One option element of the table.
struct ScreenOptionInfo {
  const char* element;       // "Fit"
  const char* const* names;  // the values as written, indexed by the enumerator
  size_t count;              // number of names
  int engineDefault;         // the enumerator the engine takes when absent or unknown
  int newProductDefault;     // the enumerator `quillpack new` writes unless told
  const char* newFlag;       // quillpack new's option ("--fit"), or null where it has its own
  int (*get)(const ScreenOptions&);
  void (*set)(ScreenOptions&, int);
};

// Every option, in the order the document lists them.
const ScreenOptionInfo* ScreenOptionTable(size_t* count);

// The options a new product gets unless the maker says otherwise.
ScreenOptions NewProductScreenOptions();

// Exact names only (letter case included, as element names are matched); false,
// with the options unchanged, for anything else.
bool ParseScreenOption(const ScreenOptionInfo& info, const std::string& text, ScreenOptions& out);
// The current value's name as written in the document.
const char* ScreenOptionName(const ScreenOptionInfo& info, const ScreenOptions& options);
// The engine default's name ("stretch").
const char* ScreenOptionDefaultName(const ScreenOptionInfo& info);
// The accepted values for a message: "stretch, fill, fit".
std::string AcceptedScreenOptionValues(const ScreenOptionInfo& info);

// The value's name as written in the document: "primary", "all"; "stretch", "fill",
// "fit".
const char* ToString(MonitorsOption option);
const char* ToString(FitMode mode);

bool ParseFitMode(const std::string& text, FitMode& out);

// The accepted values of <Fit> for a message: "stretch, fill, fit".
std::string AcceptedFitValues();
