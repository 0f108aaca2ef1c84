// The product's identity, read from the configuration document in the content
// archive, and the registry key derived from it.
#pragma once

#include <string>

#include "base/product_info.h"
#include "data/content_layout.h"

// Parses a configuration document into product; false (product unchanged) when the
// document does not parse.
bool ReadProductConfig(const char* data, int size, ProductInfo& product);

// The program's path at the start of a command line: up to the closing quote when it
// starts with one, else up to the first blank. Paths that do not fit the system's
// 260-character path buffer give the empty text rather than a cut-off path that
// could name another file.
std::string ExtractProgramPath(const char* commandLine);

constexpr size_t kMaxProgramPath = 260;
