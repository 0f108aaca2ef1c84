// The product's identity, read from the configuration document in the content
// archive, and the registry key derived from it.
#pragma once

#include <string>

#include "base/product_info.h"

class IXmlDocument;

// The archive entry that holds the configuration document.
constexpr char kConfigEntryName[] = "config\\config.xml";
// Value of an element the document does not have.
constexpr char kMissingConfigValue[] = "***";

// The text of <ini>/<section>/<key>, each found depth-first from the one before;
// fallback when any of the three is missing.
const char* GetConfigValue(IXmlDocument& document, const char* section, const char* key,
                           const char* fallback);

// Parses a configuration document into product; false (product unchanged) when the
// document does not parse.
bool ReadProductConfig(const char* data, int size, ProductInfo& product);

// The program's path at the start of a command line: up to the closing quote when it
// starts with one, else up to the first blank. Paths that do not fit the system's
// 260-character path buffer give the empty text rather than a cut-off path that
// could name another file.
std::string ExtractProgramPath(const char* commandLine);

constexpr size_t kMaxProgramPath = 260;
