// The product's two screen options in <ini>/<Screensaver> of its configuration
// document: on which monitors the slideshow runs and how a picture meets the shape
// of its screen. The element names and accepted values live here only; the engine
// reads them and quillpack checks, lists and writes them.
#pragma once

#include <string>

enum class MonitorsOption { Primary, All };
enum class FitMode { Stretch, Fill, Fit };

constexpr char kMonitorsElement[] = "Monitors";
constexpr char kFitElement[] = "Fit";

constexpr MonitorsOption kDefaultMonitors = MonitorsOption::Primary;
constexpr FitMode kDefaultFit = FitMode::Stretch;

// The value's name as written in the document: "primary", "all"; "stretch", "fill",
// "fit".
const char* ToString(MonitorsOption option);
const char* ToString(FitMode mode);

// Exact names only (letter case included, as element names are matched); false,
// with `out` unchanged, for anything else.
bool ParseMonitorsOption(const std::string& text, MonitorsOption& out);
bool ParseFitMode(const std::string& text, FitMode& out);

// The accepted values for a message: "primary, all" and "stretch, fill, fit".
std::string AcceptedMonitorsValues();
std::string AcceptedFitValues();
