// Element nodes of the XML tree: name, text, attributes in name order, owned children.
#include "data/xml_node.h"

#include <iterator>

namespace {
const char* OrNothing(const char* text) { return text ? text : ""; }

// ASCII-only case folding, so the result does not depend on the process locale.
bool EqualIgnoringCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return i == a.size() && b[i] == '\0';
}
}  // namespace

CXmlNode::~CXmlNode() { Clear(); }

void CXmlNode::Clear() {
  m_name.clear();
  m_text.clear();
  // Detach first so that a child's destructor never sees a half-emptied list.
  std::vector<IXmlNode*> children;
  children.swap(m_children);
  for (IXmlNode* child : children) delete child;
  m_attributes.clear();
}

const char* CXmlNode::GetName() const { return m_name.c_str(); }

const char* CXmlNode::GetText() const { return m_text.c_str(); }

int CXmlNode::GetChildCount() const { return static_cast<int>(m_children.size()); }

int CXmlNode::GetAttributeCount() const { return static_cast<int>(m_attributes.size()); }

IXmlNode* CXmlNode::GetChild(int index) const {
  if (index < 0 || index >= GetChildCount()) return nullptr;
  return m_children[static_cast<size_t>(index)];
}

const CXmlNode::AttributeMap::value_type* CXmlNode::AttributeAt(int index) const {
  if (index < 0 || index >= GetAttributeCount()) return nullptr;
  return &*std::next(m_attributes.begin(), index);
}

const char* CXmlNode::GetAttributeName(int index) const {
  const AttributeMap::value_type* entry = AttributeAt(index);
  return entry ? entry->first.c_str() : nullptr;
}

const char* CXmlNode::GetAttributeValue(int index) const {
  const AttributeMap::value_type* entry = AttributeAt(index);
  return entry ? entry->second.c_str() : nullptr;
}

IXmlNode* CXmlNode::CreateChild() {
  CXmlNode* child = new CXmlNode;
  AddChild(child);
  return child;
}

void CXmlNode::AddChild(IXmlNode* child) {
  if (child) m_children.push_back(child);
}

void CXmlNode::AddAttribute(const char* name, const char* value) {
  // emplace leaves an existing entry untouched: the first value stays.
  m_attributes.emplace(OrNothing(name), OrNothing(value));
}

void CXmlNode::SetName(const char* name) { m_name = OrNothing(name); }

void CXmlNode::ReplaceAttribute(const char* name, const char* value) {
  // Matching on the name makes this a case-insensitive "set": Replace("ID", v) on a
  // node holding "id" leaves one attribute, named "ID", with value v. An attribute of
  // exactly this name goes first, else AddAttribute would keep its old value.
  const std::string key = OrNothing(name);
  AttributeMap::iterator victim = m_attributes.find(key);
  if (victim == m_attributes.end()) {
    for (victim = m_attributes.begin(); victim != m_attributes.end(); ++victim) {
      if (EqualIgnoringCase(victim->first, key.c_str())) break;
    }
  }
  if (victim != m_attributes.end()) m_attributes.erase(victim);
  AddAttribute(name, value);
}

void CXmlNode::SetText(const char* text) { m_text = OrNothing(text); }
