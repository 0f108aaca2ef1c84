// The document's parser for the small XML subset of the program's own files: a byte
// reader with one step of push-back and line/column counting, a tokenizer, and a
// recursive content parser that builds nodes under the root. Entities are not decoded,
// declarations and "<!...>" markup are skipped up to the first ">".
#include <cstdio>
#include <cstring>

#include "data/xml_document.h"

namespace {
// What NextChar returns past the last byte; distinct from every byte value 0..255.
constexpr int kNoMoreBytes = -1;

bool IsBlank(int c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

bool IsWordDelimiter(int c) { return c == 0 || std::strchr(" =\n\r\t!?/>", c) != nullptr; }

// Trims the blanks " \n\r\t" from both ends.
void TrimBlanks(std::string* text) {
  size_t begin = 0;
  size_t end = text->size();
  while (begin < end && IsBlank(static_cast<unsigned char>((*text)[begin]))) ++begin;
  while (end > begin && IsBlank(static_cast<unsigned char>((*text)[end - 1]))) --end;
  *text = text->substr(begin, end - begin);
}
}  // namespace

int CXmlDocument::NextChar(bool skipBlanks) {
  if (m_position < 0 || m_position >= m_inputSize) return kNoMoreBytes;
  m_savedPosition = m_position;
  m_savedLine = m_line;
  m_savedColumn = m_column;
  for (;;) {
    if (m_position < 0 || m_position >= m_inputSize) return kNoMoreBytes;
    const int c = static_cast<unsigned char>(m_input[m_position++]);
    // Only CR starts a line: LF is counted as an ordinary column, so CR LF text
    // reports column 2 for the first byte of a line.
    if (c == '\r') {
      ++m_line;
      m_column = 0;
    } else {
      ++m_column;
    }
    if (!skipBlanks || !IsBlank(c)) return c;
  }
}

void CXmlDocument::Unget() {
  m_position = m_savedPosition;
  m_line = m_savedLine;
  m_column = m_savedColumn;
}

CXmlDocument::Token CXmlDocument::NextToken(std::string* out) {
  if (out) out->clear();
  int c = NextChar(true);
  if (c == kNoMoreBytes) return kEndOfInput;

  if (c == '"' || c == '\'') {
    const int quote = c;
    for (;;) {
      c = NextChar(false);
      if (c == quote) return kQuotedString;
      if (c == kNoMoreBytes) return kInvalid;
      if (out) *out += static_cast<char>(c);
    }
  }
  if (c == '/') {
    if (NextChar(false) == '>') return kEmptyTagEnd;
    Unget();
    return kInvalid;
  }
  if (c == '<') {
    switch (NextChar(false)) {
      case '!':
        return kMarkup;
      case '/':
        return kCloseTagStart;
      case '?':
        return kDeclaration;
      default:
        Unget();
        return kOpenTagStart;
    }
  }
  if (c == '=') return kEquals;
  if (c == '>') return kTagEnd;

  // A word: step back over c (and the blanks before it) and read it again, so that a
  // delimiter met first leaves an empty word with the delimiter unread.
  Unget();
  c = NextChar(true);
  for (;;) {
    if (c == kNoMoreBytes) return kInvalid;
    if (IsWordDelimiter(c)) {
      Unget();
      return kWord;
    }
    if (out) *out += static_cast<char>(c);
    c = NextChar(false);
  }
}

bool CXmlDocument::ReportError(const char* format, int line, int column) {
  char message[1024];
  std::snprintf(message, sizeof message, format, line, column);
  m_errorMessage = message;
  m_errorLine = line;
  m_errorColumn = column;
  return false;
}

// depth is the nesting level of parent: 0 for the root, 1 for a top-level element.
bool CXmlDocument::ParseContent(CXmlNode* parent, int depth) {
  for (;;) {
    switch (NextToken(nullptr)) {
      case kOpenTagStart:
        if (!ParseElement(parent, depth)) return false;
        break;
      case kCloseTagStart:
        return ParseCloseTag(*parent);
      case kDeclaration:
      case kMarkup:
        if (!SkipMarkup()) return false;
        break;
      case kEndOfInput:
        return true;
      default:
        return ReportError("%d:%d unexpected symbol", m_line, m_column);
    }
  }
}

bool CXmlDocument::ParseElement(CXmlNode* parent, int depth) {
  if (depth >= kMaxXmlDepth) return ReportError("%d:%d xml nesting too deep", m_line, m_column);
  // Appended before its name is known, so a failed parse keeps the nameless node.
  CXmlNode* node = new CXmlNode;
  parent->AddChild(node);
  std::string name;
  if (NextToken(&name) != kWord)
    return ReportError("%d:%d xml item name expected", m_line, m_column);
  node->SetName(name.c_str());
  bool hasContent = false;
  if (!ParseAttributes(node, &hasContent)) return false;
  if (!hasContent) return true;
  ReadText(node);
  return ParseContent(node, depth + 1);
}

bool CXmlDocument::ParseAttributes(CXmlNode* node, bool* hasContent) {
  std::string name;
  std::string value;
  for (;;) {
    switch (NextToken(&name)) {
      case kTagEnd:
        *hasContent = true;
        return true;
      case kEmptyTagEnd:
        *hasContent = false;
        return true;
      case kWord: {
        if (NextToken(nullptr) != kEquals)
          return ReportError("%d:%d '=' expected", m_line, m_column);
        const Token valueToken = NextToken(&value);
        if (valueToken != kQuotedString && valueToken != kWord)
          return ReportError("%d:%d attribute \"value\" expected", m_line, m_column);
        node->AddAttribute(name.c_str(), value.c_str());
        break;
      }
      default:
        return ReportError("%d:%d attribute name expected", m_line, m_column);
    }
  }
}

void CXmlDocument::ReadText(CXmlNode* node) {
  std::string text;
  for (;;) {
    const int c = NextChar(false);
    if (c == kNoMoreBytes) break;
    if (c == '<') {
      Unget();
      break;
    }
    text += static_cast<char>(c);
  }
  TrimBlanks(&text);
  if (!text.empty()) node->SetText(text.c_str());
}

bool CXmlDocument::ParseCloseTag(const CXmlNode& parent) {
  std::string name;
  if (NextToken(&name) != kWord)
    return ReportError("%d:%d close tag name expected", m_line, m_column);
  if (name != parent.GetName())
    return ReportError("%d:%d close tag name does not match open tag", m_line, m_column);
  if (NextToken(nullptr) != kTagEnd) return ReportError("%d:%d '>' expected", m_line, m_column);
  return true;
}

bool CXmlDocument::SkipMarkup() {
  for (;;) {
    const int c = NextChar(false);
    if (c == '>') return true;
    if (c == kNoMoreBytes) return ReportError("%d:%d unexpected end of XML", m_line, m_column);
  }
}
