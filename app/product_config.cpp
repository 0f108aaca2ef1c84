// Reading the product's identity from its configuration document.
#include "app/product_config.h"

#include <cstring>

#include "data/xml_document.h"

bool ReadProductConfig(const char* data, int size, ProductInfo& product) {
  XmlDocumentPtr document = CreateXmlDocument();
  if (!document) return false;
  if (!document->Parse(data, size)) return false;
  product.Title = GetConfigValue(*document, kConfigSection, "Title", kMissingConfigValue);
  product.Version = GetConfigValue(*document, kConfigSection, "Version", kMissingConfigValue);
  product.Year = GetConfigValue(*document, kConfigSection, "Year", kMissingConfigValue);
  product.Company = GetConfigValue(*document, kConfigSection, "Company", kMissingConfigValue);
  product.SettingsKey = SettingsKeyName(product.Company, product.Title);
  // An unknown or missing value keeps the default: older products behave as before.
  static_cast<ScreenOptions&>(product) = ScreenOptions();
  size_t count = 0;
  const ScreenOptionInfo* table = ScreenOptionTable(&count);
  for (size_t i = 0; i < count; ++i)
    ParseScreenOption(table[i], GetConfigValue(*document, kConfigSection, table[i].element, ""),
                      product);
  return true;
}

std::string ExtractProgramPath(const char* commandLine) {
  if (commandLine == nullptr) return std::string();
  const char* begin = commandLine;
  const char* end = nullptr;
  if (*begin == '"') {
    ++begin;
    end = std::strchr(begin, '"');
  } else {
    end = std::strchr(begin, ' ');
  }
  const size_t length = end != nullptr ? static_cast<size_t>(end - begin) : std::strlen(begin);
  if (length >= kMaxProgramPath) return std::string();
  return std::string(begin, length);
}
