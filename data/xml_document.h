// The XML document: owns a tree of element nodes under a root named "xml", parses a
// byte buffer into it, writes it back as text and searches it by element name.
// Documents are handed out reference-counted by CreateXmlDocument.
#pragma once

#include <string>

#include "data/ref_counted.h"
#include "data/xml_node.h"

class IXmlDocument {
 public:
  // Clears the document, then destroys the root node and the tree.
  virtual ~IXmlDocument() {}

  // Resets the reader, empties the saved text and the error message, clears the root
  // and names it "xml".
  virtual void Clear() = 0;
  // Replaces the tree with the elements parsed from size bytes at data (no zero byte
  // needed at the end). False on failure: GetErrorMessage() tells why, as
  // "line:column reason", and the tree keeps what was built before the error.
  virtual bool Parse(const char* data, int size) = 0;
  // Parse of a zero-terminated text.
  virtual bool ParseText(const char* text) = 0;
  // Writes the tree as text; valid until the next Save, Clear, Parse or destruction.
  virtual const char* Save() = 0;
  // The root node, named "xml"; its children are the top-level elements.
  virtual IXmlNode* GetRoot() = 0;
  // First node in depth-first pre-order, starting with from itself, whose name equals
  // name byte for byte; null when none (or when from or name is null).
  virtual IXmlNode* FindElement(IXmlNode* from, const char* name) = 0;
  // The last parse error; "" when there is none.
  virtual const char* GetErrorMessage() = 0;
  // Where the last parse error was found, as its message gives it: lines count CR
  // bytes from 0, columns count bytes since the last CR. Both -1 when there is none.
  virtual int GetErrorLine() = 0;
  virtual int GetErrorColumn() = 0;
};

// Deepest element nesting that Parse accepts. The parser recurses once per level, so
// without a bound a hostile document would exhaust the stack.
constexpr int kMaxXmlDepth = 256;

class CXmlDocument : public IXmlDocument {
 public:
  CXmlDocument();
  ~CXmlDocument() override;
  CXmlDocument(const CXmlDocument&) = delete;
  CXmlDocument& operator=(const CXmlDocument&) = delete;

  void Clear() override;
  bool Parse(const char* data, int size) override;
  bool ParseText(const char* text) override;
  const char* Save() override;
  IXmlNode* GetRoot() override;
  IXmlNode* FindElement(IXmlNode* from, const char* name) override;
  const char* GetErrorMessage() override;
  int GetErrorLine() override { return m_errorLine; }
  int GetErrorColumn() override { return m_errorColumn; }

 private:
  enum Token {
    kOpenTagStart = 0,   // "<" not followed by "!", "/" or "?"
    kCloseTagStart = 1,  // "</"
    kDeclaration = 2,    // "<?"
    kMarkup = 3,         // "<!"
    kTagEnd = 4,         // ">"
    kEmptyTagEnd = 5,    // "/>"
    kEquals = 6,         // "="
    kWord = 7,           // bytes up to a delimiter
    kQuotedString = 8,   // between two double or two single quotes
    kInvalid = 9,        // lone "/", or a word or string cut off by the end
    kEndOfInput = 10,    // nothing left but blanks
  };

  int NextChar(bool skipBlanks);
  void Unget();
  Token NextToken(std::string* out);
  // The parser's phases. Content: elements, text, declarations and markup up to the
  // parent's close tag or the end. Element: after "<", the name, the attributes and,
  // after ">", the text and content. Attributes: name="value" pairs up to ">" (then
  // *hasContent) or "/>". Text: up to the next "<", trimmed. Markup: skipped to ">".
  bool ParseContent(CXmlNode* parent, int depth);
  bool ParseElement(CXmlNode* parent, int depth);
  bool ParseAttributes(CXmlNode* node, bool* hasContent);
  void ReadText(CXmlNode* node);
  bool ParseCloseTag(const CXmlNode& parent);
  bool SkipMarkup();
  bool ReportError(const char* format, int line, int column);
  void SaveNode(const IXmlNode* node, int depth);

  // Reader state. Lines count CR bytes only; columns count bytes since the last CR.
  int m_line = 0;
  int m_column = 0;
  int m_savedLine = 0;  // mark: state before the last NextChar that returned a byte
  int m_savedColumn = 0;
  const char* m_input = nullptr;  // borrowed, never freed here
  int m_inputSize = 0;
  int m_position = 0;
  int m_savedPosition = 0;

  std::string m_output;        // text built by Save
  std::string m_errorMessage;  // last parse error, empty when none
  int m_errorLine = -1;        // position of the last parse error, -1 when none
  int m_errorColumn = -1;
  CXmlNode m_root;  // always named "xml"; never written by Save
};

// A counted reference to a document: the owning counted object and the document view
// of the same object. Copies add a reference; destruction (or Reset) releases it.
class XmlDocumentPtr {
 public:
  XmlDocumentPtr() = default;
  XmlDocumentPtr(CRefCounted* owner, IXmlDocument* document);  // adopts one reference
  XmlDocumentPtr(const XmlDocumentPtr& other);
  XmlDocumentPtr(XmlDocumentPtr&& other) noexcept;
  // Assigning a different owner releases the current one and adds a reference to the
  // new one; assigning the same owner changes nothing.
  XmlDocumentPtr& operator=(const XmlDocumentPtr& other);
  XmlDocumentPtr& operator=(XmlDocumentPtr&& other) noexcept;
  ~XmlDocumentPtr();

  // Releases the reference now and leaves both pointers null.
  void Reset();

  CRefCounted* owner() const { return m_owner; }
  IXmlDocument* get() const { return m_document; }
  IXmlDocument* operator->() const { return m_document; }
  IXmlDocument& operator*() const { return *m_document; }
  explicit operator bool() const { return m_owner != nullptr; }

 private:
  CRefCounted* m_owner = nullptr;
  IXmlDocument* m_document = nullptr;
};

// A new cleared document holding one reference; both pointers are null when the
// allocation fails.
XmlDocumentPtr CreateXmlDocument();
