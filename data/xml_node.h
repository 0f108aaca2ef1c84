// Element nodes of the program's own XML tree: the abstract interface that readers of
// the configuration and font documents use, and the one implementation behind it.
#pragma once

#include <map>
#include <string>
#include <vector>

// An element: a name, the character data that opens its content (the text), a set of
// attributes enumerated in name order, and an ordered list of owned children. Strings
// returned by the getters stay valid until this node is changed, cleared or destroyed.
class IXmlNode {
 public:
  // Clears the node, destroying its whole subtree.
  virtual ~IXmlNode() {}

  // Empties the name, the text, the children (each destroyed) and the attributes.
  virtual void Clear() = 0;

  // Never null: "" when empty.
  virtual const char* GetName() const = 0;
  virtual const char* GetText() const = 0;

  virtual int GetChildCount() const = 0;
  virtual int GetAttributeCount() const = 0;

  // Null when index is negative or not below the count.
  virtual IXmlNode* GetChild(int index) const = 0;
  // Attributes by index in ascending byte-wise (unsigned) order of their names; null
  // when index is out of range. Access walks the map from its start.
  virtual const char* GetAttributeName(int index) const = 0;
  virtual const char* GetAttributeValue(int index) const = 0;

  // Creates an empty node, appends it as the last child and returns it.
  virtual IXmlNode* CreateChild() = 0;
  // Appends child as the last child; this node takes ownership (null is ignored).
  virtual void AddChild(IXmlNode* child) = 0;
  // Inserts the pair unless an attribute of exactly this name exists: the first
  // value stays.
  virtual void AddAttribute(const char* name, const char* value) = 0;
  virtual void SetName(const char* name) = 0;
  // Removes at most one attribute, the first in name order whose NAME equals name
  // ignoring ASCII letter case, then adds (name, value).
  virtual void ReplaceAttribute(const char* name, const char* value) = 0;
  virtual void SetText(const char* text) = 0;
};

class CXmlNode : public IXmlNode {
 public:
  CXmlNode() = default;
  ~CXmlNode() override;
  CXmlNode(const CXmlNode&) = delete;
  CXmlNode& operator=(const CXmlNode&) = delete;

  void Clear() override;
  const char* GetName() const override;
  const char* GetText() const override;
  int GetChildCount() const override;
  int GetAttributeCount() const override;
  IXmlNode* GetChild(int index) const override;
  const char* GetAttributeName(int index) const override;
  const char* GetAttributeValue(int index) const override;
  IXmlNode* CreateChild() override;
  void AddChild(IXmlNode* child) override;
  void AddAttribute(const char* name, const char* value) override;
  void SetName(const char* name) override;
  void ReplaceAttribute(const char* name, const char* value) override;
  void SetText(const char* text) override;

 private:
  // std::string compares through char_traits<char>, which orders bytes as unsigned
  // char, so a name that is a prefix of another sorts first and 0xFF sorts last.
  using AttributeMap = std::map<std::string, std::string>;

  const AttributeMap::value_type* AttributeAt(int index) const;

  std::string m_name;
  std::string m_text;  // character data that opens the element's content
  AttributeMap m_attributes;
  std::vector<IXmlNode*> m_children;  // owned, in insertion order
};
