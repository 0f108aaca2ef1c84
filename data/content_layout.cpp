// Names inside the content archive and the configuration lookup.
#include "data/content_layout.h"

#include <cstdio>

#include "data/xml_document.h"

std::string ImageFileName(int number) {
  char name[32];
  std::snprintf(name, sizeof(name), "images/%d.jpg", number);
  return name;
}

std::string MusicFileName(int number) {
  char name[32];
  std::snprintf(name, sizeof(name), "music/%d.ogg", number);
  return name;
}

std::string SettingsKeyName(const std::string& company, const std::string& title) {
  return "Software\\" + company + "\\" + title;
}

const char* GetConfigValue(IXmlDocument& document, const char* section, const char* key,
                           const char* fallback) {
  IXmlNode* ini = document.FindElement(document.GetRoot(), kConfigRootElement);
  if (ini == nullptr) return fallback;
  IXmlNode* sectionNode = document.FindElement(ini, section);
  if (sectionNode == nullptr) return fallback;
  IXmlNode* node = document.FindElement(sectionNode, key);
  if (node == nullptr) return fallback;
  return node->GetText();
}
