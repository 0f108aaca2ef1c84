// The XML document object: tree ownership, writing the tree back as text, search by
// element name, and the reference-counted factory. The parser lives in xml_parser.cpp.
#include "data/xml_document.h"

#include <climits>
#include <cstring>
#include <new>
#include <utility>

namespace {
const char kRootName[] = "xml";
const char kDeclarationLine[] = "<?xml version=\"1.0\"?>\n";

// The one object CreateXmlDocument allocates: the count and the document together, so
// the last Release destroys document, root and tree in one delete.
class CCountedXmlDocument : public CRefCounted, public CXmlDocument {};
}  // namespace

CXmlDocument::CXmlDocument() { Clear(); }

CXmlDocument::~CXmlDocument() { Clear(); }

void CXmlDocument::Clear() {
  m_line = 0;
  m_column = 0;
  m_savedLine = 0;
  m_savedColumn = 0;
  m_input = nullptr;
  m_inputSize = 0;
  m_position = 0;
  m_savedPosition = 0;
  m_output.clear();
  m_errorMessage.clear();
  m_errorLine = -1;
  m_errorColumn = -1;
  m_root.Clear();
  m_root.SetName(kRootName);
}

bool CXmlDocument::Parse(const char* data, int size) {
  Clear();
  // No bytes behind a non-empty size, or a negative size, is the caller's mistake;
  // fail cleanly instead of reading through a null pointer.
  if (size < 0 || (data == nullptr && size > 0)) {
    return ReportError("%d:%d invalid xml input", 0, 0);
  }
  m_input = data;
  m_inputSize = size;
  return ParseContent(&m_root, 0);
}

bool CXmlDocument::ParseText(const char* text) {
  if (text == nullptr) return Parse(nullptr, -1);
  const size_t length = std::strlen(text);
  if (length > static_cast<size_t>(INT_MAX)) return Parse(text, -1);
  return Parse(text, static_cast<int>(length));
}

const char* CXmlDocument::Save() {
  m_output.clear();
  m_output += kDeclarationLine;
  for (int i = 0; i < m_root.GetChildCount(); ++i) SaveNode(m_root.GetChild(i), 0);
  return m_output.c_str();
}

void CXmlDocument::SaveNode(const IXmlNode* node, int depth) {
  // Written byte for byte, nothing escaped: the documents this program reads never
  // need it, and the writer has no reader of its own output.
  m_output.append(static_cast<size_t>(depth), '\t');
  m_output += '<';
  m_output += node->GetName();
  for (int i = 0; i < node->GetAttributeCount(); ++i) {
    m_output += ' ';
    m_output += node->GetAttributeName(i);
    m_output += "=\"";
    m_output += node->GetAttributeValue(i);
    m_output += '"';
  }
  const char* text = node->GetText();
  const int childCount = node->GetChildCount();
  if (text[0] == '\0' && childCount == 0) {
    m_output += "/>\n";
    return;
  }
  m_output += '>';
  m_output += text;
  if (childCount > 0) {
    m_output += '\n';
    for (int i = 0; i < childCount; ++i) SaveNode(node->GetChild(i), depth + 1);
    m_output.append(static_cast<size_t>(depth), '\t');
  }
  m_output += "</";
  m_output += node->GetName();
  m_output += ">\n";
}

IXmlNode* CXmlDocument::GetRoot() { return &m_root; }

IXmlNode* CXmlDocument::FindElement(IXmlNode* from, const char* name) {
  if (from == nullptr || name == nullptr) return nullptr;
  if (std::strcmp(from->GetName(), name) == 0) return from;
  for (int i = 0; i < from->GetChildCount(); ++i) {
    if (IXmlNode* found = FindElement(from->GetChild(i), name)) return found;
  }
  return nullptr;
}

const char* CXmlDocument::GetErrorMessage() { return m_errorMessage.c_str(); }

XmlDocumentPtr::XmlDocumentPtr(CRefCounted* owner, IXmlDocument* document)
    : m_owner(owner), m_document(owner ? document : nullptr) {}

XmlDocumentPtr::XmlDocumentPtr(const XmlDocumentPtr& other)
    : m_owner(other.m_owner), m_document(other.m_document) {
  if (m_owner) m_owner->AddRef();
}

XmlDocumentPtr::XmlDocumentPtr(XmlDocumentPtr&& other) noexcept
    : m_owner(other.m_owner), m_document(other.m_document) {
  other.m_owner = nullptr;
  other.m_document = nullptr;
}

XmlDocumentPtr& XmlDocumentPtr::operator=(const XmlDocumentPtr& other) {
  if (other.m_owner == m_owner) return *this;
  // Reference the new owner before letting go of the old one, in case the old
  // document is what keeps the new one alive.
  if (other.m_owner) other.m_owner->AddRef();
  CRefCounted* old = m_owner;
  m_owner = other.m_owner;
  m_document = other.m_document;
  if (old) old->Release();
  return *this;
}

XmlDocumentPtr& XmlDocumentPtr::operator=(XmlDocumentPtr&& other) noexcept {
  if (this != &other) {
    CRefCounted* old = m_owner;
    m_owner = other.m_owner;
    m_document = other.m_document;
    other.m_owner = nullptr;
    other.m_document = nullptr;
    if (old) old->Release();
  }
  return *this;
}

XmlDocumentPtr::~XmlDocumentPtr() { Reset(); }

void XmlDocumentPtr::Reset() {
  CRefCounted* old = m_owner;
  m_owner = nullptr;
  m_document = nullptr;
  if (old) old->Release();
}

XmlDocumentPtr CreateXmlDocument() {
  CCountedXmlDocument* document = new (std::nothrow) CCountedXmlDocument;
  if (document == nullptr) return XmlDocumentPtr();
  document->AddRef();
  return XmlDocumentPtr(document, document);
}
