// The product's identity, read from the configuration document in the content
// archive, and the registry key derived from it.
#pragma once

#include <string>

#include "base/product_info.h"
#include "data/content_layout.h"

// Parses a configuration document into product; false (product unchanged) when the
// document does not parse.
bool ReadProductConfig(const char* data, int size, ProductInfo& product);
