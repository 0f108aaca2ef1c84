// Tests of the XML document model and parser: tables of inputs with the tree they
// give or the exact error message, with its line and column.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/xml_document.h"

namespace {

// One line per tree: name (or "()" when empty), [attributes in index order], "text",
// {children}.
std::string Summary(const IXmlNode* node) {
  std::string out = node->GetName()[0] ? node->GetName() : "()";
  if (node->GetAttributeCount() > 0) {
    out += '[';
    for (int i = 0; i < node->GetAttributeCount(); ++i) {
      if (i > 0) out += ' ';
      out += std::string(node->GetAttributeName(i)) + "=" + node->GetAttributeValue(i);
    }
    out += ']';
  }
  if (node->GetText()[0]) out += std::string("\"") + node->GetText() + "\"";
  if (node->GetChildCount() > 0) {
    out += '{';
    for (int i = 0; i < node->GetChildCount(); ++i) {
      if (i > 0) out += ' ';
      out += Summary(node->GetChild(i));
    }
    out += '}';
  }
  return out;
}

std::string Repeat(const std::string& part, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += part;
  return out;
}

struct ParseCase {
  const char* label;
  std::string input;
  const char* error;  // exact message, "" when the parse succeeds
  const char* tree;   // Summary of the root after the parse, failed or not
};

const char kConfig[] =
    "<ini>\r\n\t<Screensaver>\r\n\t\t<Title>My Title</Title>\r\n\t</Screensaver>\r\n</ini>";

const std::vector<ParseCase>& ParseCases() {
  static const std::vector<ParseCase> cases = {
      // Accepted documents.
      {"config with CR LF", kConfig, "", "xml{ini{Screensaver{Title\"My Title\"}}}"},
      {"empty input", "", "", "xml"},
      {"blanks only", " \r\n\t ", "", "xml"},
      {"text trimmed before child", "<a>  hello world  <b/></a>", "", "xml{a\"hello world\"{b}}"},
      {"text before comment", "<a>x<!-- c --></a>", "", "xml{a\"x\"}"},
      {"three value forms", "<a x=1 y='2' z=\"3\">\n</a>", "", "xml{a[x=1 y=2 z=3]}"},
      {"repeated attribute keeps first", "<a x=\"1\" x=\"2\"/>", "", "xml{a[x=1]}"},
      {"attributes in name order", "<a b=1 a=2 B=3/>", "", "xml{a[B=3 a=2 b=1]}"},
      {"blanks around = and in tags", "< a  k = \"v\" / >", "0:14 attribute name expected",
       "xml{a[k=v]}"},
      {"blanks in end tag", "<a></ a\r\n>", "", "xml{a}"},
      {"open element at end", "<a>", "", "xml{a}"},
      {"open element with child at end", "<a><b/>", "", "xml{a{b}}"},
      {"open element with text at end", "<a>text", "", "xml{a\"text\"}"},
      {"declaration leaves no trace", "<?xml version=\"1.0\"?>\n<r/>", "", "xml{r}"},
      {"doctype and cdata skipped", "<!DOCTYPE r><r><![CDATA[x]]></r>", "", "xml{r}"},
      {"entities kept as bytes", "<a k=\"&lt;\">&amp;</a>", "", "xml{a[k=&lt;]\"&amp;\"}"},
      {"quoted values keep CR LF and other quote", "<a k=\"x\r\ny'\" j='\"'/>", "",
       "xml{a[j=\" k=x\r\ny']}"},
      {"LF kept in value and text", "<a k=\"x\ny\">l1\nl2</a>", "", "xml{a[k=x\ny]\"l1\nl2\"}"},
      {"bare value holds < and quotes", "<a k=x<y\"z/>", "", "xml{a[k=x<y\"z]}"},
      {"0xFF bytes are ordinary",
       "<\xFF"
       "n k=\"\xFF"
       "v\">\xFF"
       "t</\xFF"
       "n>",
       "",
       "xml{\xFF"
       "n[k=\xFF"
       "v]\"\xFF"
       "t\"}"},
      {"end tag xml stops the parse", "<a/></xml>never read <<<", "", "xml{a}"},
      {"siblings and nesting", "<a><b><c/></b><d/></a><e/>", "", "xml{a{b{c} d} e}"},
      {"text only up to first <", "<a>one<b>two</b></a>", "", "xml{a\"one\"{b\"two\"}}"},

      // Errors, each with the position just past the last byte consumed.
      {"tail after child", "<a><b/>tail</a>", "0:12 unexpected symbol", "xml{a{b}}"},
      {"comment holding >", "<!-- a > b -->", "0:10 unexpected symbol", "xml"},
      {"comment holding > inside element", "<a><!-- x > y --></a>", "0:13 unexpected symbol",
       "xml{a}"},
      {"mismatched end tag", "<a></b>", "0:6 close tag name does not match open tag", "xml{a}"},
      {"end tag differs in case", "<a></A>", "0:6 close tag name does not match open tag",
       "xml{a}"},
      {"lone end tag", "</b>", "0:3 close tag name does not match open tag", "xml"},
      {"attribute without =", "<a x>", "0:5 '=' expected", "xml{a}"},
      {"attribute without value", "<a x=>", "0:6 attribute \"value\" expected", "xml{a}"},
      {"empty tag", "<>", "0:2 xml item name expected", "xml{()}"},
      {"declaration cut off", "<?xml", "0:5 unexpected end of XML", "xml"},
      {"markup cut off", "<a><!-- never closed", "0:20 unexpected end of XML", "xml{a}"},
      {"lone <", "<", "0:0 xml item name expected", "xml{()}"},
      {"name cut off", "<ab", "0:3 xml item name expected", "xml{()}"},
      {"slash at end of tag", "<a /", "0:2 attribute name expected", "xml{a}"},
      {"quoted value cut off", "<a x=\"1", "0:7 attribute \"value\" expected", "xml{a}"},
      {"quoted string as attribute name", "<a \"x\"=1>", "0:6 attribute name expected", "xml{a}"},
      {"end tag name cut off", "<a></a", "0:6 close tag name expected", "xml{a}"},
      {"end tag without name", "<a></>", "0:6 close tag name expected", "xml{a}"},
      {"end tag with attribute", "<a></a x>", "0:8 '>' expected", "xml{a}"},
      {"stray >", ">", "0:1 unexpected symbol", "xml"},
      {"stray />", " />", "0:3 unexpected symbol", "xml"},
      {"stray =", "=", "0:1 unexpected symbol", "xml"},
      {"stray slash", "/x", "0:1 unexpected symbol", "xml"},
      {"quoted string at top", "'q'", "0:3 unexpected symbol", "xml"},
      {"text after top-level element", "<a>1</a>junk", "0:12 unexpected symbol", "xml{a\"1\"}"},
      {"! inside a tag", "<a!>", "0:2 '=' expected", "xml{a}"},
      {"NUL as name", std::string("<\0>", 3), "0:1 '=' expected", "xml{()}"},
      {"NUL at top level", std::string(" \0", 2), "0:0 unexpected symbol", "xml"},

      // Lines count CR only; columns count bytes since the last CR, LF included.
      {"CR LF position", "<a>\r\n<b>\r\n</c>", "2:4 close tag name does not match open tag",
       "xml{a{b}}"},
      {"LF-only position", "<a>\n<b>\n</c>", "0:11 close tag name does not match open tag",
       "xml{a{b}}"},
      {"CR-only position", "<a/>\r\r=", "2:1 unexpected symbol", "xml{a}"},
      {"CR inside a quoted value counts", "<a k='\r\r'\r\n=>", "3:2 attribute name expected",
       "xml{a[k=\r\r]}"},

      // Nesting is bounded so a hostile document cannot exhaust the stack.
      {"256 levels", Repeat("<a>", 256), "", nullptr},
      {"256 levels closed", Repeat("<a>", 256) + Repeat("</a>", 256), "", nullptr},
      {"257 levels", Repeat("<a>", 257), "0:769 xml nesting too deep", nullptr},
      {"empty element at level 257", Repeat("<a>", 256) + "<b/>", "0:769 xml nesting too deep",
       nullptr},
      {"100000 levels", Repeat("<a>", 100000), "0:769 xml nesting too deep", nullptr},
      {"deep after CR LF", "\r\n" + Repeat("<a>", 300), "1:770 xml nesting too deep", nullptr},
  };
  return cases;
}

class XmlParseTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(XmlParseTest, GivesTreeOrExactError) {
  const ParseCase& c = GetParam();
  XmlDocumentPtr document = CreateXmlDocument();
  ASSERT_TRUE(document);
  const bool ok = document->Parse(c.input.data(), static_cast<int>(c.input.size()));
  EXPECT_EQ(ok, c.error[0] == '\0');
  EXPECT_STREQ(document->GetErrorMessage(), c.error);
  if (c.tree) {
    EXPECT_EQ(Summary(document->GetRoot()), c.tree);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, XmlParseTest, ::testing::ValuesIn(ParseCases()),
                         [](const ::testing::TestParamInfo<ParseCase>& info) {
                           std::string name;
                           for (const char* p = info.param.label; *p; ++p) {
                             name += isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                           }
                           return name + "_" + std::to_string(info.index);
                         });

// Depth of the first-child chain below node.
int ChainDepth(IXmlNode* node) {
  int depth = 0;
  while ((node = node->GetChild(0)) != nullptr) ++depth;
  return depth;
}

TEST(XmlParser, TooDeepKeepsTheLevelsBuilt) {
  CXmlDocument document;
  const std::string input = Repeat("<a>", 100000);
  EXPECT_FALSE(document.Parse(input.data(), static_cast<int>(input.size())));
  EXPECT_EQ(ChainDepth(document.GetRoot()), kMaxXmlDepth);
}

TEST(XmlParser, DeepestAllowedTreeSavesSearchesAndClears) {
  XmlDocumentPtr document = CreateXmlDocument();
  const std::string input = Repeat("<a>", kMaxXmlDepth - 1) + "<z>t</z>";
  ASSERT_TRUE(document->ParseText(input.c_str()));
  EXPECT_EQ(ChainDepth(document->GetRoot()), kMaxXmlDepth);
  IXmlNode* deepest = document->FindElement(document->GetRoot(), "z");
  ASSERT_NE(deepest, nullptr);
  EXPECT_STREQ(deepest->GetText(), "t");

  // The saved text reads back to the same tree.
  const std::string saved = document->Save();
  EXPECT_EQ(saved.compare(0, 25, "<?xml version=\"1.0\"?>\n<a>"), 0);
  CXmlDocument again;
  ASSERT_TRUE(again.ParseText(saved.c_str())) << again.GetErrorMessage();
  EXPECT_EQ(Summary(again.GetRoot()), Summary(document->GetRoot()));

  document->Clear();
  EXPECT_EQ(document->GetRoot()->GetChildCount(), 0);
}

TEST(XmlParser, ConfigDocumentIsSearchable) {
  CXmlDocument document;
  ASSERT_TRUE(document.ParseText(kConfig));
  IXmlNode* root = document.GetRoot();
  ASSERT_EQ(root->GetChildCount(), 1);
  EXPECT_STREQ(root->GetChild(0)->GetName(), "ini");
  IXmlNode* title = document.FindElement(root, "Title");
  ASSERT_NE(title, nullptr);
  EXPECT_STREQ(title->GetText(), "My Title");
}

TEST(XmlParser, ReadsOnlyTheGivenBytes) {
  const char buffer[] = "<a>xy</a>";
  CXmlDocument document;
  ASSERT_TRUE(document.Parse(buffer, 4));  // "<a>x"
  EXPECT_EQ(Summary(document.GetRoot()), "xml{a\"x\"}");
}

TEST(XmlParser, BadArgumentsFailCleanly) {
  struct Case {
    const char* data;
    int size;
    bool ok;
  };
  const Case cases[] = {
      {nullptr, 0, true},  {nullptr, 5, false},      {nullptr, -1, false},
      {"<a/>", -1, false}, {"<a/>", -100000, false},
  };
  for (const Case& c : cases) {
    CXmlDocument document;
    EXPECT_EQ(document.Parse(c.data, c.size), c.ok) << c.size;
    EXPECT_STREQ(document.GetErrorMessage(), c.ok ? "" : "0:0 invalid xml input");
    EXPECT_EQ(document.GetRoot()->GetChildCount(), 0);
  }
  CXmlDocument document;
  EXPECT_FALSE(document.ParseText(nullptr));
  EXPECT_STREQ(document.GetErrorMessage(), "0:0 invalid xml input");
}

TEST(XmlParser, NextParseReplacesTreeAndMessage) {
  CXmlDocument document;
  EXPECT_FALSE(document.ParseText("<a><b/>oops"));
  EXPECT_STRNE(document.GetErrorMessage(), "");
  EXPECT_TRUE(document.ParseText("<c/>"));
  EXPECT_STREQ(document.GetErrorMessage(), "");
  EXPECT_EQ(Summary(document.GetRoot()), "xml{c}");
}

// ---- Document model ----

TEST(XmlDocument, FreshDocument) {
  XmlDocumentPtr document = CreateXmlDocument();
  ASSERT_TRUE(document);
  EXPECT_STREQ(document->GetRoot()->GetName(), "xml");
  EXPECT_EQ(document->GetRoot()->GetChildCount(), 0);
  EXPECT_STREQ(document->GetErrorMessage(), "");
  EXPECT_STREQ(document->Save(), "<?xml version=\"1.0\"?>\n");
}

TEST(XmlDocument, SaveWritesExactBytes) {
  struct Case {
    const char* input;
    const char* saved;
  };
  const Case cases[] = {
      {"<a k=\"v\"><b>t</b></a>", "<?xml version=\"1.0\"?>\n<a k=\"v\">\n\t<b>t</b>\n</a>\n"},
      {"<b>t</b>", "<?xml version=\"1.0\"?>\n<b>t</b>\n"},
      {"<b></b>", "<?xml version=\"1.0\"?>\n<b/>\n"},
      {"<a>x<b/></a><c/>", "<?xml version=\"1.0\"?>\n<a>x\n\t<b/>\n</a>\n<c/>\n"},
      {"<a><b><c y=2 x=1/></b></a>",
       "<?xml version=\"1.0\"?>\n<a>\n\t<b>\n\t\t<c x=\"1\" y=\"2\"/>\n\t</b>\n</a>\n"},
      // Nothing is escaped.
      {"<a k='\"'>&amp;</a>", "<?xml version=\"1.0\"?>\n<a k=\"\"\">&amp;</a>\n"},
  };
  for (const Case& c : cases) {
    CXmlDocument document;
    ASSERT_TRUE(document.ParseText(c.input)) << c.input;
    EXPECT_STREQ(document.Save(), c.saved) << c.input;
  }
}

TEST(XmlDocument, FindElementIsPreOrderAndExact) {
  CXmlDocument document;
  ASSERT_TRUE(document.ParseText("<x><y><z>deep</z></y></x><z>later</z><ini/>"));
  IXmlNode* root = document.GetRoot();
  EXPECT_EQ(document.FindElement(root, "xml"), root);
  EXPECT_STREQ(document.FindElement(root, "z")->GetText(), "deep");
  EXPECT_EQ(document.FindElement(root, "Ini"), nullptr);
  EXPECT_NE(document.FindElement(root, "ini"), nullptr);
  EXPECT_EQ(document.FindElement(root, "missing"), nullptr);
  EXPECT_EQ(document.FindElement(root, "zz"), nullptr);
  EXPECT_EQ(document.FindElement(root->GetChild(1), "y"), nullptr);  // not above from
  EXPECT_EQ(document.FindElement(nullptr, "z"), nullptr);
  EXPECT_EQ(document.FindElement(root, nullptr), nullptr);
}

TEST(XmlNode, GettersOutOfRange) {
  CXmlNode node;
  node.CreateChild()->SetName("c");
  node.AddAttribute("a", "1");
  EXPECT_EQ(node.GetChild(-1), nullptr);
  EXPECT_EQ(node.GetChild(node.GetChildCount()), nullptr);
  EXPECT_NE(node.GetChild(0), nullptr);
  EXPECT_EQ(node.GetAttributeName(node.GetAttributeCount()), nullptr);
  EXPECT_EQ(node.GetAttributeValue(node.GetAttributeCount()), nullptr);
  EXPECT_EQ(node.GetAttributeName(-1), nullptr);
  EXPECT_EQ(node.GetAttributeValue(-1), nullptr);
  EXPECT_STREQ(node.GetText(), "");
  EXPECT_STREQ(node.GetChild(0)->GetName(), "c");
}

TEST(XmlNode, AttributesOrderedByUnsignedBytes) {
  struct Case {
    std::vector<std::pair<const char*, const char*>> added;
    const char* expected;  // Summary of a node named n
  };
  const Case cases[] = {
      {{{"a", "1"}, {"a", "2"}}, "n[a=1]"},
      {{{"b", "1"}, {"a", "2"}, {"B", "3"}}, "n[B=3 a=2 b=1]"},
      {{{"ab", "1"}, {"a", "2"}}, "n[a=2 ab=1]"},
      {{{"\xFF", "1"}, {"z", "2"}, {"\x01", "3"}}, "n[\x01=3 z=2 \xFF=1]"},
      {{{"", "e"}, {"a", "1"}}, "n[=e a=1]"},
  };
  for (const Case& c : cases) {
    CXmlNode node;
    node.SetName("n");
    for (const auto& pair : c.added) node.AddAttribute(pair.first, pair.second);
    EXPECT_EQ(Summary(&node), c.expected);
  }
}

TEST(XmlNode, ReplaceAttributeMatchesNameIgnoringCase) {
  struct Case {
    std::vector<std::pair<const char*, const char*>> before;
    const char* name;
    const char* value;
    const char* expected;
  };
  const Case cases[] = {
      {{}, "a", "1", "n[a=1]"},
      {{{"a", "1"}}, "a", "2", "n[a=2]"},
      {{{"id", "1"}}, "ID", "2", "n[ID=2]"},
      {{{"id", "1"}, {"x", "id"}}, "X", "2", "n[X=2 id=1]"},
      // An exact match wins over an earlier one that differs only in case.
      {{{"ID", "1"}, {"id", "2"}}, "id", "3", "n[ID=1 id=3]"},
      {{{"ID", "1"}, {"Id", "2"}}, "id", "3", "n[Id=2 id=3]"},
      {{{"a", "1"}}, "ab", "2", "n[a=1 ab=2]"},
  };
  for (const Case& c : cases) {
    CXmlNode node;
    node.SetName("n");
    for (const auto& pair : c.before) node.AddAttribute(pair.first, pair.second);
    node.ReplaceAttribute(c.name, c.value);
    EXPECT_EQ(Summary(&node), c.expected) << c.name;
  }
}

TEST(XmlNode, ClearEmptiesEverything) {
  CXmlNode node;
  node.SetName("n");
  node.SetText("t");
  node.AddAttribute("a", "1");
  node.CreateChild()->CreateChild()->SetName("g");
  node.AddChild(nullptr);
  EXPECT_EQ(node.GetChildCount(), 1);
  node.Clear();
  EXPECT_EQ(Summary(&node), "()");
}

// ---- Reference counting ----

int g_destroyed = 0;

class CTrackedDocument : public CRefCounted, public CXmlDocument {
 public:
  ~CTrackedDocument() override { ++g_destroyed; }
};

XmlDocumentPtr MakeTracked() {
  CTrackedDocument* document = new CTrackedDocument;
  document->AddRef();
  return XmlDocumentPtr(document, document);
}

// The count the owner holds, read without changing it.
int CountOf(const XmlDocumentPtr& pointer) {
  pointer.owner()->AddRef();
  return pointer.owner()->Release();
}

TEST(XmlDocumentPtr, CopiesCountAndLastReleaseDestroys) {
  g_destroyed = 0;
  {
    XmlDocumentPtr a = MakeTracked();
    EXPECT_EQ(CountOf(a), 1);
    {
      XmlDocumentPtr b = a;
      EXPECT_EQ(CountOf(a), 2);
      b = a;  // same owner: nothing changes
      EXPECT_EQ(CountOf(a), 2);
      const XmlDocumentPtr& alias = b;
      b = alias;  // self-assignment
      EXPECT_EQ(CountOf(a), 2);
    }
    EXPECT_EQ(CountOf(a), 1);

    XmlDocumentPtr other = MakeTracked();
    XmlDocumentPtr c = other;
    c = a;  // releases other's second reference, adds one to a
    EXPECT_EQ(CountOf(a), 2);
    EXPECT_EQ(CountOf(other), 1);
    other = a;  // other's last reference goes
    EXPECT_EQ(g_destroyed, 1);
    EXPECT_EQ(CountOf(a), 3);

    XmlDocumentPtr moved = std::move(c);
    EXPECT_FALSE(c);
    EXPECT_EQ(c.get(), nullptr);
    EXPECT_EQ(CountOf(a), 3);
    moved.Reset();
    EXPECT_FALSE(moved);
    EXPECT_EQ(CountOf(a), 2);
    EXPECT_EQ(g_destroyed, 1);
  }
  EXPECT_EQ(g_destroyed, 2);
}

TEST(XmlDocumentPtr, FactoryHandsOutOneReference) {
  XmlDocumentPtr document = CreateXmlDocument();
  ASSERT_TRUE(document);
  EXPECT_EQ(CountOf(document), 1);
  EXPECT_NE(document.get(), nullptr);
  EXPECT_TRUE(document->ParseText("<a/>"));
  XmlDocumentPtr empty;
  EXPECT_FALSE(empty);
}

}  // namespace
