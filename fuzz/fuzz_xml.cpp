// Fuzz target for the XML parser: any bytes must give a clean true or false, and the
// resulting tree (complete or partial) must survive Save, search and a reparse.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "data/xml_document.h"

namespace {
// Walks the tree through the public getters so that every string is read once.
size_t Walk(IXmlNode* node, int depth) {
  if (node == nullptr || depth > kMaxXmlDepth + 1) __builtin_trap();
  size_t bytes = std::strlen(node->GetName()) + std::strlen(node->GetText());
  for (int i = 0; i < node->GetAttributeCount(); ++i) {
    bytes += std::strlen(node->GetAttributeName(i)) + std::strlen(node->GetAttributeValue(i));
  }
  if (node->GetAttributeName(node->GetAttributeCount()) != nullptr) __builtin_trap();
  if (node->GetChild(node->GetChildCount()) != nullptr) __builtin_trap();
  for (int i = 0; i < node->GetChildCount(); ++i) bytes += Walk(node->GetChild(i), depth + 1);
  return bytes;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > static_cast<size_t>(INT_MAX)) return 0;
  XmlDocumentPtr document = CreateXmlDocument();
  if (!document) return 0;
  const bool parsed = document->Parse(reinterpret_cast<const char*>(data), static_cast<int>(size));
  const char* message = document->GetErrorMessage();
  // A failure always says why; a success never leaves a message behind.
  if (parsed != (message[0] == '\0')) __builtin_trap();

  IXmlNode* root = document->GetRoot();
  Walk(root, 0);
  if (document->FindElement(root, "xml") != root) __builtin_trap();
  document->FindElement(root, "ini");
  document->FindElement(root, "charset");

  // Save writes without escaping, so its output need not read back to the same tree;
  // it must still be a buffer the parser handles cleanly.
  const std::string saved = document->Save();
  XmlDocumentPtr copy = document;
  CXmlDocument again;
  again.ParseText(saved.c_str());
  Walk(again.GetRoot(), 0);
  return 0;
}
