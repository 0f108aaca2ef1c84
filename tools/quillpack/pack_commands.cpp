// quillpack's commands over the content checks, the product writer and the archive
// reader.
#include "tools/quillpack/pack_commands.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <map>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "base/screen_options.h"
#include "data/caption_list.h"
#include "data/content_archive.h"
#include "data/content_layout.h"
#include "data/xml_document.h"
#include "tools/quillpack/content_check.h"
#include "tools/quillpack/content_folder.h"
#include "tools/quillpack/content_maker.h"
#include "tools/quillpack/focus_report.h"
#include "tools/quillpack/installer_maker.h"
#include "tools/quillpack/music_tracks.h"
#include "tools/quillpack/photo_caption.h"
#include "tools/quillpack/photo_converter.h"
#include "tools/quillpack/photo_metadata.h"
#include "tools/quillpack/product_signer.h"
#include "tools/quillpack/product_writer.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

#ifdef _WIN32
#define QUILLPACK_FACES_HELP                                                     \
  "         This Windows quillpack has no face detector: it records no focus;\n" \
  "         the Linux one does.\n"
#else
#define QUILLPACK_FACES_HELP                                                             \
  "         Faces: each image is searched for faces (dlib's frontal face detector, on\n" \
  "         a copy at most 1024 pixels long) and the rectangle around them, its\n"       \
  "         focus, is written into the JPEG as a comment segment (nothing else of\n"     \
  "         the file changes); under fill the engine keeps it in view. --no-faces\n"     \
  "         skips the search.\n"
#endif

const char kUsage[] =
    "usage:\n"
    "  quillpack new PHOTO... -o CONTENT_DIR --title T --company C [--year Y]\n"
    "                [--version V] [--font FONT.ttf] [--max-side N] [-r] [--force]\n"
    "                [--monitors all|primary] [--fit stretch|fill|fit]\n"
    "                [--motion panzoom|still] [--pairs on|off] [--bars blur|black]\n"
    "                [--captions title,date,name|none] [--music FILE...] [--no-faces]\n"
    "  quillpack installer PRODUCT.scr -o INSTALLER.exe [KEY]\n"
    "  quillpack sign FILE [-o OUT] KEY [--timestamp URL] [--name TEXT] [--url URL]\n"
    "  quillpack build CONTENT_DIR ENGINE.scr -o PRODUCT.scr\n"
    "  quillpack check CONTENT_DIR\n"
    "  quillpack key CONTENT_DIR\n"
    "  quillpack list PRODUCT.scr\n"
    "  quillpack extract PRODUCT.scr -o DIR\n"
    "\n"
    "new      makes a complete content folder from photos (files, and folders read in\n"
    "         natural name order; -r reads their subfolders too): upright baseline\n"
    "         JPEGs no longer than --max-side (default 3840) pixels, kept byte for\n"
    "         byte where they already are; four splash pictures; the bitmap font\n"
    "         (default DejaVu Sans, Arial on Windows); config/config.xml in\n"
    "         Windows-1252 (Year defaults to this year, Version to 1.0), with the\n"
    "         slideshow on --monitors (default all) and pictures placed by --fit\n"
    "         (default fill: cover the screen, crop to its shape; fit: whole picture\n"
    "         with black bars; stretch: to the screen's shape), moving them by --motion\n"
    "         (default panzoom: a slow zoom and drift), pairing pictures of the other\n"
    "         orientation than the screen's side by side by --pairs (default on) and\n"
    "         filling fit's bars by --bars (default blur: a blurred, darkened copy of\n"
    "         the picture; black). --music takes\n"
    "         the files after it up to the next option as music/0.ogg, music/1.ogg, ...\n"
    "         in that order (at most 64): Ogg Vorbis is checked and kept byte for byte,\n"
    "         WAV (PCM 8, 16 or 24 bit, or float) is encoded at Vorbis quality 5.\n"
    "         --captions (default title,date) writes images/captions.txt, a line a\n"
    "         photo: the title from its metadata (camera placeholders skipped), the\n"
    "         date it was taken, its file name with _ and - as spaces; texts in the\n"
    "         order given, the date last. UTF-8, editable; none writes no captions.\n"
    // clang-format off
    QUILLPACK_FACES_HELP
    // clang-format on
    "installer  makes a 64-bit Windows installer of PRODUCT.scr with NSIS's makensis\n"
    "         (QUILL_MAKENSIS names another): per user, no administrator rights; it\n"
    "         makes the product the current screensaver and its uninstaller puts the\n"
    "         previous one back. Given KEY, it signs the installer, the uninstaller\n"
    "         inside it and the product it installs.\n"
    "sign     signs a product, or an installer quillpack made, with osslsigncode: in\n"
    "         place, or into OUT. KEY is --key KEY.pem --cert CERT.pem, or --pkcs12\n"
    "         FILE.p12 with its password from --password-file FILE or the environment\n"
    "         variable QUILLPACK_SIGN_PASSWORD. An earlier signature is replaced. The\n"
    "         product must open its content archive before and after; the original is\n"
    "         replaced only once osslsigncode verifies the signed file.\n"
    "build    checks CONTENT_DIR, then writes PRODUCT.scr: the engine's bytes, every file\n"
    "         of CONTENT_DIR as an encrypted ZIP entry named by its relative path, and the\n"
    "         trailer. Errors stop the build; warnings do not. The product is written\n"
    "         under a temporary name and renamed into place when complete; it may not\n"
    "         replace the engine file.\n"
    "check    runs the checks alone. Exit status 1 when there is an error.\n"
    "key      prints the registry key below HKEY_CURRENT_USER where the product keeps\n"
    "         its settings, as the engine names it from config/config.xml.\n"
    "list     lists a product's entries (uncompressed size and name) and its screen\n"
    "         options (<Monitors>, <Fit>, <Motion>, <Pairs>, <Bars>, <Captions>).\n"
    "         check and list then show each image's focus and caption and describe\n"
    "         the music tracks: length, channels, rate.\n"
    "extract  writes every entry of a product into DIR (never outside it).\n"
    "\n"
    "Names are found as the engine finds them: either slash, ASCII letters in any case.\n"
    "Errors (the product would not start or would show nothing):\n"
    "  config/config.xml missing, not parseable, or without ini/Screensaver/Title,\n"
    "  Version, Year or Company; fonts/basic.font missing or not a valid font\n"
    "  description; no images/0.jpg; two files whose names differ only in letter case;\n"
    "  a file over 256 MiB.\n"
    "Warnings (the product runs, but not as probably meant):\n"
    "  textures/font.tga, textures/default.jpg or splash/splash1..4.bmp missing; a gap\n"
    "  in the image numbers (images after it are never shown); images numbered past\n"
    "  1023 or written with leading zeros; empty configuration values; a backslash in\n"
    "  Title or Company; glyphs of the clock or frame-rate counter missing from the\n"
    "  font; names the engine can never look up; a screen option's value the engine\n"
    "  does not know; a music track that does not decode or is over 64 MiB; a\n"
    "  caption line that is not NUMBER | YYYY-MM-DD | TEXT, or names no image.\n";

struct CommandLine {
  std::string command;
  std::vector<std::string> operands;
  std::string output;  // -o
  bool hasOutput = false;
  std::map<std::string, std::string> options;  // "--title" -> value, "-r" -> ""
  std::vector<std::string> music;              // --music FILE...
  bool hasMusic = false;
};

// Options of "new" that take a value, and those that stand alone.
bool TakesValue(const std::string& arg) {
  if (arg == "--title" || arg == "--company" || arg == "--year" || arg == "--version" ||
      arg == "--font" || arg == "--max-side" || arg == "--captions" || IsSigningOption(arg))
    return true;
  size_t count = 0;
  const ScreenOptionInfo* table = ScreenOptionTable(&count);
  for (size_t i = 0; i < count; ++i)
    if (table[i].newFlag != nullptr && arg == table[i].newFlag) return true;
  return false;
}
bool IsFlag(const std::string& arg) {
  return arg == "-r" || arg == "--force" || arg == "--no-faces";
}

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine* line, std::ostream& err) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-o") {
      if (i + 1 >= args.size() || line->hasOutput) {
        err << "quillpack: -o needs exactly one path\n";
        return false;
      }
      line->output = args[++i];
      line->hasOutput = true;
    } else if (arg == "--music") {
      if (line->hasMusic) {
        err << "quillpack: --music given twice\n";
        return false;
      }
      line->hasMusic = true;
      while (i + 1 < args.size() && args[i + 1].compare(0, 1, "-") != 0)
        line->music.push_back(args[++i]);
    } else if (TakesValue(arg) || IsFlag(arg)) {
      if (line->options.count(arg) != 0 || (TakesValue(arg) && i + 1 >= args.size())) {
        err << "quillpack: " << arg << (IsFlag(arg) ? " given twice\n" : " needs one value\n");
        return false;
      }
      line->options[arg] = TakesValue(arg) ? args[++i] : "";
    } else if (arg.size() > 1 && arg[0] == '-' &&
               !(line->command.empty() && (arg == "--help" || arg == "-h"))) {
      // Taken for a file name, it would fail later with a misleading "no such file".
      err << "quillpack: unknown option " << arg << "\n" << kUsage;
      return false;
    } else if (line->command.empty()) {
      line->command = arg;
    } else {
      line->operands.push_back(arg);
    }
  }
  return true;
}

void PrintMessages(const std::vector<CheckMessage>& messages, std::ostream& err) {
  for (const CheckMessage& message : messages)
    err << (message.error ? "error: " : "warning: ") << message.text << '\n';
}

// Runs the checks; prints what they found. False when the folder cannot be read or
// an error was found.
bool CheckFolder(const std::filesystem::path& folder, CContentFolder* content, std::ostream& err) {
  if (!content->Scan(folder)) {
    err << "error: " << content->GetError() << '\n';
    return false;
  }
  const std::vector<CheckMessage> messages = CheckContent(*content);
  PrintMessages(messages, err);
  return !HasErrors(messages);
}

// Whether two paths name the same file, existing or not.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code ec;
  if (std::filesystem::exists(a, ec) && std::filesystem::exists(b, ec)) {
    const bool same = std::filesystem::equivalent(a, b, ec);
    if (!ec) return same;
  }
  const auto ca = std::filesystem::weakly_canonical(a, ec);
  if (ec) return false;
  const auto cb = std::filesystem::weakly_canonical(b, ec);
  return !ec && ca == cb;
}

int Build(const CommandLine& line, std::ostream& out, std::ostream& err) {
  if (line.operands.size() != 2 || !line.hasOutput) {
    err << "quillpack: build needs CONTENT_DIR ENGINE.scr -o PRODUCT.scr\n";
    return kExitUsage;
  }
  const std::filesystem::path folder = std::filesystem::u8path(line.operands[0]);
  const std::filesystem::path enginePath = std::filesystem::u8path(line.operands[1]);
  const std::filesystem::path output = std::filesystem::u8path(line.output);
  if (SameFile(enginePath, output)) {
    err << "quillpack: the output " << line.output
        << " is the engine file; refusing to overwrite it\n";
    return kExitFailure;
  }
  CContentFolder content;
  if (!CheckFolder(folder, &content, err)) {
    err << "quillpack: nothing written\n";
    return kExitFailure;
  }

  std::string engine;
  std::string error;
  if (!ReadWholeFile(enginePath, &engine, &error)) {
    err << "error: " << error << '\n';
    return kExitFailure;
  }
  // An engine that already carries content would carry it twice; only its program
  // image is kept.
  {
    CContentArchive previous;
    if (previous.Open(line.operands[1].c_str())) {
      out << "note: " << line.operands[1] << " already carries a content archive; using its first "
          << previous.GetArchiveOffset() << " bytes as the engine\n";
      engine.resize(previous.GetArchiveOffset());
    }
  }
  // A signature covers the file it was made for; the product is signed after build.
  if (DropSignature(&engine))
    out << "note: " << line.operands[1] << " is signed; its signature is left out of the product\n";

  CProductWriter writer;
  bool ok = writer.Begin(output, engine.data(), engine.size());
  uintmax_t total = 0;
  for (const ContentFile& file : content.GetFiles()) {
    if (!ok) break;
    std::string bytes;
    if (!ReadWholeFile(file.path, &bytes, &error)) {
      err << "error: " << error << '\n';
      writer.Abandon();
      return kExitFailure;
    }
    ok = writer.AddEntry(file.name, bytes.data(), bytes.size());
    total += bytes.size();
  }
  ok = ok && writer.Commit();
  if (!ok) {
    err << "error: " << writer.GetError() << "\nquillpack: nothing written\n";
    return kExitFailure;
  }
  out << "wrote " << line.output << ": " << content.GetFiles().size() << " entries, " << total
      << " bytes of content, archive at offset " << writer.GetArchiveOffset() << '\n';
  return kExitOk;
}

// Shows the captions file (read by `read`) as the engine will take it.
void PrintCaptions(const EntryReader& read, std::ostream& out) {
  std::string bytes;
  if (!read(kCaptionsName, &bytes)) return;
  CCaptionList captions;
  captions.Parse(bytes.data(), bytes.size());
  out << "captions: " << captions.GetCaptions().size() << '\n';
  for (const Caption& caption : captions.GetCaptions()) {
    const std::string date = FormatIsoDate(caption.date);
    out << "  " << caption.number << ": " << caption.text
        << (caption.text.empty() || date.empty() ? "" : kCaptionSeparator) << date << '\n';
  }
}

int Check(const CommandLine& line, std::ostream& out, std::ostream& err) {
  if (line.operands.size() != 1 || line.hasOutput) {
    err << "quillpack: check needs CONTENT_DIR\n";
    return kExitUsage;
  }
  CContentFolder content;
  if (!CheckFolder(std::filesystem::u8path(line.operands[0]), &content, err)) return kExitFailure;
  const EntryReader readFile = [&content](const std::string& name, std::string* bytes) {
    const ContentFile* file = content.Find(name);
    std::string why;
    return file != nullptr && ReadWholeFile(file->path, bytes, &why);
  };
  PrintFocuses(readFile, out);
  PrintMusic(DescribeMusic(readFile), out, err);
  PrintCaptions(readFile, out);
  out << line.operands[0] << ": " << content.GetFiles().size() << " files, ready to pack\n";
  return kExitOk;
}

int Key(const CommandLine& line, std::ostream& out, std::ostream& err) {
  if (line.operands.size() != 1 || line.hasOutput) {
    err << "quillpack: key needs CONTENT_DIR\n";
    return kExitUsage;
  }
  CContentFolder content;
  if (!content.Scan(std::filesystem::u8path(line.operands[0]))) {
    err << "error: " << content.GetError() << '\n';
    return kExitFailure;
  }
  const ContentFile* file = content.Find(kConfigEntryName);
  std::string bytes, why;
  XmlDocumentPtr document = CreateXmlDocument();
  if (file == nullptr || !ReadWholeFile(file->path, &bytes, &why) || !document ||
      !document->Parse(bytes.data(), static_cast<int>(bytes.size()))) {
    err << "error: " << line.operands[0] << ": no readable config/config.xml " << why << '\n';
    return kExitFailure;
  }
  // The engine's own lookup and fallbacks, so the key is the one the product uses.
  out << SettingsKeyName(GetConfigValue(*document, kConfigSection, "Company", kMissingConfigValue),
                         GetConfigValue(*document, kConfigSection, "Title", kMissingConfigValue))
      << '\n';
  return kExitOk;
}

bool OpenProduct(const std::string& path, CContentArchive* archive, std::ostream& err) {
  if (archive->Open(path.c_str())) return true;
  err << "error: " << path << ": no readable content archive\n";
  return false;
}

// The screen options as the engine will take them; an unknown value is shown with
// the default that replaces it.
void ListScreenOptions(CContentArchive& archive, std::ostream& out) {
  std::unique_ptr<IFileData> file = archive.Read(kConfigEntryName, false);
  XmlDocumentPtr document = CreateXmlDocument();
  if (!file || !document || !document->Parse(file->GetData(), file->GetSize())) return;
  size_t count = 0;
  const ScreenOptionInfo* table = ScreenOptionTable(&count);
  for (size_t i = 0; i < count; ++i) {
    const ScreenOptionInfo& info = table[i];
    const char* found = GetConfigValue(*document, kConfigSection, info.element, nullptr);
    ScreenOptions options;
    out << info.element << ": ";
    if (found == nullptr)
      out << ScreenOptionDefaultName(info) << " (not set)\n";
    else if (ParseScreenOption(info, found, options))
      out << ScreenOptionName(info, options) << '\n';
    else
      out << ScreenOptionDefaultName(info) << " (unknown value \"" << found << "\")\n";
  }
}

int List(const CommandLine& line, std::ostream& out, std::ostream& err) {
  if (line.operands.size() != 1 || line.hasOutput) {
    err << "quillpack: list needs PRODUCT.scr\n";
    return kExitUsage;
  }
  CContentArchive archive;
  if (!OpenProduct(line.operands[0], &archive, err)) return kExitFailure;
  out << "archive at offset " << archive.GetArchiveOffset() << ", " << archive.GetEntries().size()
      << " entries\n";
  for (const ArchiveEntryInfo& entry : archive.GetEntries())
    out << entry.uncompressedSize << '\t' << entry.name
        << (entry.encrypted ? "" : "\t(not encrypted)") << '\n';
  ListScreenOptions(archive, out);
  const EntryReader readEntry = [&archive](const std::string& name, std::string* bytes) {
    const std::unique_ptr<IFileData> data = archive.Read(name.c_str(), false);
    if (data == nullptr) return false;
    bytes->assign(data->GetData(), static_cast<size_t>(data->GetSize()));
    return true;
  };
  PrintFocuses(readEntry, out);
  PrintMusic(DescribeMusic(readEntry), out, err);
  PrintCaptions(readEntry, out);
  return kExitOk;
}

// Whether `path` lies inside `folder` once links and dots are resolved.
bool IsInside(const std::filesystem::path& folder, const std::filesystem::path& path) {
  std::error_code ec;
  const auto base = std::filesystem::weakly_canonical(folder, ec);
  if (ec) return false;
  const auto target = std::filesystem::weakly_canonical(path, ec);
  if (ec) return false;
  auto b = base.begin();
  auto t = target.begin();
  for (; b != base.end(); ++b, ++t) {
    if (b->empty() && std::next(b) == base.end()) break;  // trailing separator
    if (t == target.end() || *b != *t) return false;
  }
  return true;
}

int Extract(const CommandLine& line, std::ostream& out, std::ostream& err) {
  if (line.operands.size() != 1 || !line.hasOutput) {
    err << "quillpack: extract needs PRODUCT.scr -o DIR\n";
    return kExitUsage;
  }
  CContentArchive archive;
  if (!OpenProduct(line.operands[0], &archive, err)) return kExitFailure;
  const std::filesystem::path folder = std::filesystem::u8path(line.output);
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    err << "error: " << line.output << ": " << ec.message() << '\n';
    return kExitFailure;
  }
  int failures = 0;
  int written = 0;
  const auto& entries = archive.GetEntries();
  for (size_t i = 0; i < entries.size(); ++i) {
    const std::string& name = entries[i].name;
    std::filesystem::path relative;
    if (!SafeEntryPath(name, &relative)) {
      err << "error: " << name << ": unsafe entry name, not extracted\n";
      ++failures;
      continue;
    }
    const std::filesystem::path target = folder / relative;
    std::filesystem::create_directories(target.parent_path(), ec);
    // A link already in the folder could still lead outside it.
    if (ec || !IsInside(folder, target)) {
      err << "error: " << name << ": would be written outside " << line.output << '\n';
      ++failures;
      continue;
    }
    std::unique_ptr<IFileData> data = archive.ReadEntry(i);
    if (!data) {
      err << "error: " << name << ": cannot be read (damaged, or not under the product password)\n";
      ++failures;
      continue;
    }
    std::ofstream file(target, std::ios::binary | std::ios::trunc);
    file.write(data->GetData(), data->GetSize());
    file.close();
    if (!file) {
      err << "error: " << target.u8string() << ": cannot write\n";
      ++failures;
      continue;
    }
    ++written;
  }
  out << "extracted " << written << " of " << entries.size() << " entries into " << line.output
      << '\n';
  return failures == 0 ? kExitOk : kExitFailure;
}

std::string ThisYear() {
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  return std::to_string(local != nullptr ? local->tm_year + 1900 : 2026);
}

bool StderrIsTerminal(const std::ostream& err) {
  if (&err != &std::cerr) return false;
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(fileno(stderr)) != 0;
#endif
}

int New(const CommandLine& line, std::ostream& out, std::ostream& err) {
  const auto option = [&line](const char* name, const std::string& fallback) {
    const auto it = line.options.find(name);
    return it != line.options.end() ? it->second : fallback;
  };
  if (line.operands.empty() || !line.hasOutput || option("--title", "").empty() ||
      option("--company", "").empty()) {
    err << "quillpack: new needs PHOTO... -o CONTENT_DIR --title T --company C\n";
    return kExitUsage;
  }
  NewContentOptions options;
  options.photos = line.operands;
  options.output = std::filesystem::u8path(line.output);
  options.identity = {option("--title", ""), option("--version", "1.0"),
                      option("--year", ThisYear()), option("--company", "")};
  options.font = std::filesystem::u8path(option("--font", DefaultFontPath().u8string()));
  const std::string maxSide = option("--max-side", std::to_string(kDefaultMaxSide));
  char* end = nullptr;
  const long side = std::strtol(maxSide.c_str(), &end, 10);
  if (maxSide.empty() || *end != '\0' || side < kMinMaxSide || side > kMaxMaxSide) {
    err << "quillpack: --max-side takes a number of pixels from " << kMinMaxSide << " to "
        << kMaxMaxSide << '\n';
    return kExitUsage;
  }
  options.maxSide = static_cast<int>(side);
  size_t count = 0;
  const ScreenOptionInfo* table = ScreenOptionTable(&count);
  for (size_t i = 0; i < count; ++i) {
    const ScreenOptionInfo& info = table[i];
    if (info.newFlag == nullptr) continue;
    const auto given = line.options.find(info.newFlag);
    if (given != line.options.end() && !ParseScreenOption(info, given->second, options.screen)) {
      err << "quillpack: " << info.newFlag << " takes " << AcceptedScreenOptionValues(info)
          << ", not \"" << given->second << "\"\n";
      return kExitUsage;
    }
  }
  std::string why;
  if (!ParseCaptionParts(option("--captions", kDefaultCaptionParts), &options.captionParts, &why)) {
    err << "quillpack: " << why << '\n';
    return kExitUsage;
  }
  options.screen.Captions = options.captionParts.empty() ? CaptionsOption::Off : CaptionsOption::On;
  options.recursive = line.options.count("-r") != 0;
  options.force = line.options.count("--force") != 0;
  options.faces = line.options.count("--no-faces") == 0;
  options.music = line.music;
  if (line.hasMusic && line.music.empty()) {
    err << "quillpack: --music needs at least one file\n";
    return kExitUsage;
  }
  options.progress = StderrIsTerminal(err);
  CContentMaker maker(options, out, err);
  return maker.Run() ? kExitOk : kExitFailure;
}

int Installer(const CommandLine& line, std::ostream& out, std::ostream& err) {
  if (line.operands.size() != 1 || !line.hasOutput) {
    err << "quillpack: installer needs PRODUCT.scr -o INSTALLER.exe\n";
    return kExitUsage;
  }
  SigningKey key;
  std::string why;
  if (!line.options.empty() && !SigningKeyFromOptions(line.options, &key, &why)) {
    err << "quillpack: " << why << '\n';
    return kExitUsage;
  }
  CInstallerMaker maker;
  if (!maker.Make(std::filesystem::u8path(line.operands[0]), std::filesystem::u8path(line.output),
                  key)) {
    err << maker.GetToolOutput();
    err << "error: " << maker.GetError() << '\n';
    return kExitFailure;
  }
  out << line.output << ": installer of " << line.operands[0]
      << (key.IsGiven() ? ", signed\n" : "\n");
  return kExitOk;
}

int Sign(const CommandLine& line, std::ostream& out, std::ostream& err) {
  if (line.operands.size() != 1) {
    err << "quillpack: sign needs FILE [-o OUT] and a key\n";
    return kExitUsage;
  }
  SigningKey key;
  std::string why;
  if (!SigningKeyFromOptions(line.options, &key, &why)) {
    err << "quillpack: " << why << '\n';
    return kExitUsage;
  }
  const std::filesystem::path input = std::filesystem::u8path(line.operands[0]);
  CProductSigner signer(key);
  if (!signer.Sign(input, line.hasOutput ? std::filesystem::u8path(line.output) : input)) {
    err << signer.GetToolOutput();
    err << "error: " << signer.GetError() << "\nquillpack: " << line.operands[0]
        << " left as it was\n";
    return kExitFailure;
  }
  out << (line.hasOutput ? line.output : line.operands[0]) << ": signed\n";
  return kExitOk;
}

bool IsReservedDeviceName(const std::string& component) {
  std::string base = component.substr(0, component.find('.'));
  for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
  return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
         base[3] >= '0' && base[3] <= '9';
}

}  // namespace

bool SafeEntryPath(const std::string& name, std::filesystem::path* relative) {
  if (name.empty() || name[0] == '/' || name[0] == '\\' || name.find(':') != std::string::npos ||
      std::memchr(name.data(), '\0', name.size()) != nullptr)
    return false;
  std::filesystem::path path;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("/\\", start);
    if (end == std::string::npos) end = name.size();
    const std::string component = name.substr(start, end - start);
    start = end + 1;
    if (component.empty() || component == ".") continue;
    // Windows drops trailing dots and blanks, which would turn ".. " into "..".
    const char last = component.back();
    if (component.find_first_not_of(". ") == std::string::npos || last == '.' || last == ' ')
      return false;
    if (IsReservedDeviceName(component)) return false;
    for (unsigned char c : component)
      if (c < 0x20) return false;
    path /= std::filesystem::u8path(component);
  }
  if (path.empty()) return false;
  *relative = path;
  return true;
}

int RunQuillpack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  CommandLine line;
  if (!ParseCommandLine(args, &line, err)) return kExitUsage;
  for (const auto& option : line.options) {
    const bool signing = IsSigningOption(option.first);
    if (line.command == "new"
            ? signing
            : !signing || (line.command != "sign" && line.command != "installer")) {
      err << "quillpack: " << option.first << " belongs to the "
          << (signing ? "sign and installer commands\n" : "new command\n");
      return kExitUsage;
    }
  }
  if (line.command == "new") return New(line, out, err);
  if (line.command == "installer") return Installer(line, out, err);
  if (line.command == "sign") return Sign(line, out, err);
  if (line.command == "build") return Build(line, out, err);
  if (line.command == "check") return Check(line, out, err);
  if (line.command == "key") return Key(line, out, err);
  if (line.command == "list") return List(line, out, err);
  if (line.command == "extract") return Extract(line, out, err);
  if (line.command == "help" || line.command == "--help" || line.command == "-h") {
    out << kUsage;
    return kExitOk;
  }
  err << kUsage;
  return kExitUsage;
}
