// Tests of quillpack through its library: content folders built under the build tree,
// each spoiled in one way and expected to give its own message; building, listing
// and extracting products; and the guards on where files are written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "data/content_layout.h"
#include "data/xml_document.h"
#include "tests/support/product_fixture.h"
#include "tools/quillpack/content_check.h"
#include "tools/quillpack/content_folder.h"
#include "tools/quillpack/pack_commands.h"

namespace {

namespace fs = std::filesystem;

const char kConfig[] =
    "<ini><Screensaver><Title>Quill Demo</Title><Version>1.0</Version><Year>2026</Year>"
    "<Company>QuillSaver Demo</Company></Screensaver></ini>";

// A font description with every glyph the overlays draw.
std::string FontDescription() {
  std::string font = "<font><charset>";
  for (const char* c = "0123456789. :FPSapm"; *c != '\0'; ++c) {
    char element[64];
    std::snprintf(element, sizeof(element), "<ch%02X>0 0 0.05 0.1</ch%02X>", *c, *c);
    font += element;
  }
  return font + "</charset></font>";
}

void Put(const fs::path& folder, const std::string& name, const std::string& bytes) {
  const fs::path path = folder / fs::u8path(name);
  fs::create_directories(path.parent_path());
  WriteWholeFile(path, bytes);
}

// A folder that passes every check without a warning.
void FillGoodFolder(const fs::path& folder) {
  Put(folder, "Config/Config.xml", kConfig);
  Put(folder, kFontDescriptionName, FontDescription());
  Put(folder, kFontTextureName, "tga");
  Put(folder, "Textures/DEFAULT.JPG", "jpg");
  for (const char* splash : kSplashFileNames) Put(folder, splash, "BM");
  for (int i = 0; i < 3; ++i) Put(folder, ImageFileName(i), "image");
}

struct CheckCase {
  const char* label;
  std::function<void(const fs::path&)> spoil;
  std::vector<std::string> messages;  // "error: ..." or "warning: ...", in order
};

std::string Text(const CheckMessage& message) {
  return (message.error ? "error: " : "warning: ") + message.text;
}

std::vector<CheckCase> CheckCases() {
  auto remove = [](const char* name) {
    return [name](const fs::path& folder) { fs::remove(folder / name); };
  };
  auto config = [](const std::string& text) {
    return [text](const fs::path& folder) { Put(folder, "Config/Config.xml", text); };
  };
  auto font = [](const std::string& text) {
    return [text](const fs::path& folder) { Put(folder, kFontDescriptionName, text); };
  };
  auto add = [](const char* name) {
    return [name](const fs::path& folder) { Put(folder, name, "x"); };
  };
  return {
      {"good folder", [](const fs::path&) {}, {}},
      {"config in other letter case",
       [](const fs::path& folder) {
         fs::remove_all(folder / "Config");
         Put(folder, "CONFIG/config.XML", kConfig);
       },
       {}},
      {"config missing",
       remove("Config/Config.xml"),
       {"error: config/config.xml: missing; the engine cannot start without it"}},
      {"config does not parse",
       config("<ini><Screensaver></Title>"),
       {"error: Config/Config.xml: 0:25 close tag name does not match open tag (line 1, column "
        "25)"}},
      {"config error on a later line",
       config("<ini>\r\n<Screensaver>\n  <Title>x</Titel>"),
       {"error: Config/Config.xml: 1:32 close tag name does not match open tag (line 3, column "
        "17)"}},
      {"no ini element",
       config("<Screensaver><Title>T</Title></Screensaver>"),
       {"error: Config/Config.xml: no <ini> element"}},
      {"no Screensaver element",
       config("<ini><screensaver/></ini>"),
       {"error: Config/Config.xml: no <Screensaver> element inside <ini>"}},
      {"Title in lower case",
       config("<ini><Screensaver><title>T</title><Version>1</Version><Year>2026</Year>"
              "<Company>C</Company></Screensaver></ini>"),
       {"error: Config/Config.xml: no <Title> element inside <ini>/<Screensaver> (names are "
        "case-sensitive); the engine would show \"***\""}},
      {"empty Company, backslash in Title",
       config("<ini><Screensaver><Title>A\\B</Title><Version>1</Version><Year>2026</Year>"
              "<Company></Company></Screensaver></ini>"),
       {"warning: Config/Config.xml: <Title> contains a backslash, which nests the settings' "
        "registry key one level deeper",
        "warning: Config/Config.xml: <Company> is empty"}},
      {"unknown screen option values",
       config("<ini><Screensaver><Title>T</Title><Version>1</Version><Year>2026</Year>"
              "<Company>C</Company><Monitors>both</Monitors><Fit>Fill</Fit><Bars>grey</Bars>"
              "</Screensaver></ini>"),
       {"warning: Config/Config.xml: <Monitors> has the unknown value \"both\"; accepted values "
        "are primary, all; the engine uses primary",
        "warning: Config/Config.xml: <Fit> has the unknown value \"Fill\"; accepted values are "
        "stretch, fill, fit; the engine uses stretch",
        "warning: Config/Config.xml: <Bars> has the unknown value \"grey\"; accepted values are "
        "black, blur; the engine uses black"}},
      {"font missing",
       remove("fonts/basic.font"),
       {"error: fonts/basic.font: missing; the engine's renderer does not start without it"}},
      {"font does not parse",
       font("<font><charset></font>"),
       {"error: fonts/basic.font: 0:21 close tag name does not match open tag (line 1, column "
        "21)"}},
      {"font refused by the engine's loader",
       font("<charset><ch100>0 0 1 1</ch100></charset>"),
       {"error: fonts/basic.font: element <ch100>: character code outside 00 .. FF"}},
      {"font without clock glyphs",
       font("<charset><ch46>0 0 0.1 0.1</ch46></charset>"),
       {"warning: fonts/basic.font: no glyph for the characters \"0123456789. :PSapm\" (drawn "
        "by the clock or the frame-rate counter)"}},
      {"font texture missing",
       remove("textures/font.tga"),
       {"warning: textures/font.tga: missing; the clock and the frame-rate counter draw "
        "nothing"}},
      {"splash picture missing",
       remove("splash/splash3.bmp"),
       {"warning: splash/splash3.bmp: missing; the preview shows fewer pictures"}},
      {"no images at all",
       [](const fs::path& folder) { fs::remove_all(folder / "images"); },
       {"error: images/0.jpg: missing; the slideshow needs at least one image"}},
      {"gap in the numbers",
       [](const fs::path& folder) {
         fs::remove(folder / "images/1.jpg");
         Put(folder, "images/7.jpg", "x");
       },
       {"warning: images/1.jpg: missing; the engine counts images up to the first gap, so 2 "
        "later image(s) are never shown (first: images/2.jpg)"}},
      {"number past 1023",
       add("images/1024.jpg"),
       {"warning: 1 image(s) numbered past 1023 are never shown; the engine counts at most "
        "1024 (such as images/1024.jpg)"}},
      {"leading zero",
       add("images/03.jpg"),
       {"warning: images/03.jpg: never shown; the engine asks for images/3.jpg"}},
      {"names differing only in case",
       add("IMAGES/1.jpg"),
       {"error: images/1.jpg: the engine cannot tell it from IMAGES/1.jpg (names differ only "
        "in letter case) and reads only IMAGES/1.jpg"}},
  };
}

TEST(QuillpackCheck, EachFaultGivesItsOwnMessage) {
  for (const CheckCase& c : CheckCases()) {
    SCOPED_TRACE(c.label);
    const fs::path folder = FixtureFolder("quillpack_check");
    FillGoodFolder(folder);
    c.spoil(folder);
    CContentFolder content;
    ASSERT_TRUE(content.Scan(folder)) << content.GetError();
    std::vector<std::string> messages;
    for (const CheckMessage& message : CheckContent(content)) messages.push_back(Text(message));
    EXPECT_EQ(messages, c.messages);
    bool error = false;
    for (const std::string& m : c.messages) error = error || m.rfind("error: ", 0) == 0;
    EXPECT_EQ(HasErrors(CheckContent(content)), error);
  }
}

TEST(QuillpackCheck, EditorPositions) {
  // The parser's own positions, taken from the document that failed, so the table
  // follows the parser rather than a hand-written copy of its counting.
  struct Case {
    std::string document;
    int line;
    int column;
  };
  const Case cases[] = {
      {"<a></b>", 1, 6},     {"<a>\r\n</b>", 2, 3},          {"<a>\n\n</b>", 3, 3},
      {"<a>\r\r</b>", 3, 3}, {"<a>\r\n<b x></b></a>", 2, 5},
  };
  for (const Case& c : cases) {
    XmlDocumentPtr document = CreateXmlDocument();
    ASSERT_FALSE(document->ParseText(c.document.c_str())) << c.document;
    int line = 0;
    int column = 0;
    EXPECT_TRUE(EditorPosition(c.document, document->GetErrorLine(), document->GetErrorColumn(),
                               &line, &column))
        << c.document;
    // The message keeps its text, and its position is the one given as numbers.
    EXPECT_EQ(std::string(document->GetErrorMessage())
                  .rfind(std::to_string(document->GetErrorLine()) + ":" +
                             std::to_string(document->GetErrorColumn()) + " ",
                         0),
              0u)
        << document->GetErrorMessage();
    EXPECT_EQ(line, c.line) << c.document;
    EXPECT_EQ(column, c.column) << c.document;
  }
  // Positions outside the document, or none at all, give no editor position.
  const struct {
    int line;
    int column;
  } outside[] = {{0, 9}, {3, 1}, {-1, -1}};
  for (const auto& o : outside) {
    int line = 0;
    int column = 0;
    EXPECT_FALSE(EditorPosition("<a>", o.line, o.column, &line, &column))
        << o.line << ":" << o.column;
  }
}

TEST(QuillpackExtract, UnsafeNamesAreRefused) {
  const std::pair<std::string, const char*> cases[] = {
      {"images/0.jpg", "images/0.jpg"},
      {"a\\b.txt", "a/b.txt"},
      {"./a//b.txt", "a/b.txt"},
      {"../evil.txt", nullptr},
      {"a/../../evil.txt", nullptr},
      {"..\\evil.txt", nullptr},
      {"/etc/evil", nullptr},
      {"\\evil", nullptr},
      {"C:evil.txt", nullptr},
      {"a/file.txt:stream", nullptr},
      {"a/.. /evil", nullptr},
      {"a/.../evil", nullptr},
      {"a/name./x", nullptr},
      {"a/name /x", nullptr},
      {"con", nullptr},
      {"a/LPT1.txt", nullptr},
      {"a/console.txt", "a/console.txt"},
      {std::string("a/\x01.txt"), nullptr},
      {std::string("a\0b", 3), nullptr},
      {"", nullptr},
      {"./", nullptr},
  };
  for (const auto& [name, expected] : cases) {
    fs::path relative;
    const bool safe = SafeEntryPath(name, &relative);
    EXPECT_EQ(safe, expected != nullptr) << name;
    if (!safe || !expected) continue;
    EXPECT_EQ(relative.generic_u8string(), expected) << name;
  }
}

int RunTool(const std::vector<std::string>& args, std::string* out = nullptr,
            std::string* err = nullptr) {
  std::ostringstream o;
  std::ostringstream e;
  const int status = RunQuillpack(args, o, e);
  if (out) *out = o.str();
  if (err) *err = e.str();
  return status;
}

// Files in `folder` (recursively), relative, sorted.
std::vector<std::string> Listing(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file())
      names.push_back(entry.path().lexically_relative(folder).generic_u8string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(QuillpackCommands, BuildListExtractRoundTrip) {
  const fs::path root = FixtureFolder("quillpack_commands");
  const fs::path content = root / "content";
  FillGoodFolder(content);
  Put(content, "notes/readme.txt", std::string(100000, 'r'));
  WriteWholeFile(root / "engine.scr", FakeEngine(5001));
  const std::string product = (root / "out" / "product.scr").string();
  fs::create_directories(root / "out");

  std::string out;
  std::string err;
  ASSERT_EQ(RunTool({"build", content.string(), (root / "engine.scr").string(), "-o", product},
                    &out, &err),
            0)
      << err;
  EXPECT_EQ(err, "");
  EXPECT_EQ(Listing(root / "out"), std::vector<std::string>{"product.scr"}) << "no temporary left";

  ASSERT_EQ(RunTool({"list", product}, &out, &err), 0) << err;
  EXPECT_EQ(out.substr(0, out.find('\n')), "archive at offset 5001, 12 entries");
  EXPECT_NE(out.find("100000\tnotes/readme.txt\n"), std::string::npos) << out;
  EXPECT_NE(out.find("\nMonitors: primary (not set)\nFit: stretch (not set)\n"), std::string::npos)
      << out;
  ASSERT_EQ(RunTool({"key", content.string()}, &out, &err), 0) << err;
  EXPECT_EQ(out, "Software\\QuillSaver Demo\\Quill Demo\n");  // as config/config.xml names it

  const fs::path extracted = root / "extracted";
  ASSERT_EQ(RunTool({"extract", product, "-o", extracted.string()}, &out, &err), 0) << err;
  EXPECT_EQ(Listing(extracted), Listing(content));
  for (const std::string& name : Listing(content))
    EXPECT_EQ(ReadWholeFile(extracted / name), ReadWholeFile(content / name)) << name;

  // The product's engine is its first 5001 bytes.
  EXPECT_EQ(ReadWholeFile(product).substr(0, 5001), FakeEngine(5001));
}

TEST(QuillpackCommands, RefusalsLeaveNothingBehind) {
  const fs::path root = FixtureFolder("quillpack_refusals");
  const fs::path content = root / "content";
  FillGoodFolder(content);
  const fs::path engine = root / "engine.scr";
  WriteWholeFile(engine, FakeEngine(64));
  std::string err;

  // The engine is never the output, however it is spelled.
  for (const fs::path& output :
       {engine, root / "." / "engine.scr", root / "content" / ".." / "engine.scr"}) {
    EXPECT_EQ(
        RunTool({"build", content.string(), engine.string(), "-o", output.string()}, nullptr, &err),
        1);
    EXPECT_NE(err.find("is the engine file"), std::string::npos) << err;
    EXPECT_EQ(ReadWholeFile(engine), FakeEngine(64));
  }

  // Content with an error: no product, and an earlier product stays as it was.
  WriteWholeFile(root / "product.scr", "old product");
  fs::remove(content / "Config/Config.xml");
  EXPECT_EQ(
      RunTool({"build", content.string(), engine.string(), "-o", (root / "product.scr").string()},
              nullptr, &err),
      1);
  EXPECT_NE(err.find("error: config/config.xml: missing"), std::string::npos) << err;
  EXPECT_EQ(ReadWholeFile(root / "product.scr"), "old product");
  EXPECT_EQ(RunTool({"check", content.string()}), 1);

  // An output folder that does not exist.
  FillGoodFolder(content);
  EXPECT_EQ(
      RunTool({"build", content.string(), engine.string(), "-o", (root / "no" / "p.scr").string()},
              nullptr, &err),
      1);
  EXPECT_FALSE(fs::exists(root / "no"));
  EXPECT_EQ(Listing(root).size(), Listing(content).size() + 2)
      << "only engine and old product beside";

  // Malformed command lines.
  EXPECT_EQ(RunTool({}), 2);
  EXPECT_EQ(RunTool({"build", content.string()}), 2);
  EXPECT_EQ(RunTool({"extract", "x.scr"}), 2);
  // An option "new" does not know is named as one, not taken for a photo.
  EXPECT_EQ(RunTool({"new", content.string(), "--pears", "on", "-o", (root / "n").string(),
                     "--title", "t", "--company", "c"},
                    nullptr, &err),
            2);
  EXPECT_EQ(err.rfind("quillpack: unknown option --pears\nusage:\n", 0), 0u) << err;
  EXPECT_FALSE(fs::exists(root / "n"));
  EXPECT_EQ(RunTool({"list", (root / "engine.scr").string()}, nullptr, &err), 1);
  EXPECT_NE(err.find("no readable content archive"), std::string::npos);
}

TEST(QuillpackCommands, ExtractNeverWritesOutsideItsFolder) {
  const fs::path root = FixtureFolder("quillpack_extract");
  const fs::path product = root / "hostile.scr";
  ASSERT_TRUE(WriteProduct(product, FakeEngine(10),
                           {{"../escaped.txt", "x"},
                            {"sub/../../escaped2.txt", "x"},
                            {"/abs-escaped.txt", "x"},
                            {"ok/file.txt", "fine"},
                            {"link/through.txt", "x"},
                            {"locked.txt", "x", "other password"}}));
  const fs::path target = root / "target";
  fs::create_directories(target);
  std::error_code ec;
  fs::create_directory_symlink(root / "elsewhere", target / "link", ec);
  fs::create_directories(root / "elsewhere");

  std::string err;
  EXPECT_EQ(RunTool({"extract", product.string(), "-o", target.string()}, nullptr, &err), 1);
  EXPECT_EQ(ReadWholeFile(target / "ok" / "file.txt"), "fine");
  EXPECT_FALSE(fs::exists(root / "escaped.txt"));
  EXPECT_FALSE(fs::exists(root / "escaped2.txt"));
  EXPECT_FALSE(fs::exists("/abs-escaped.txt"));
  EXPECT_TRUE(fs::is_empty(root / "elsewhere"));
  EXPECT_NE(err.find("locked.txt: cannot be read"), std::string::npos) << err;
}

}  // namespace
