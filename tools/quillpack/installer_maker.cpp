// The installer script, written for NSIS 3 with its Unicode amd64 stubs, and the
// makensis run.
#include "tools/quillpack/installer_maker.h"

#include <cstdlib>
#include <fstream>
#include <system_error>

#include "data/content_archive.h"
#include "data/content_layout.h"
#include "data/xml_document.h"
#include "tools/common/whole_file.h"
#include "tools/quillpack/program_runner.h"

namespace {

// Text for a double-quoted NSIS string: "$" starts a variable and "$\" an escape;
// line breaks and tabs are written as escapes so that they cannot end the line.
std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '$':
        out += "$$";
        break;
      case '"':
        out += "$\\\"";
        break;
      case '\n':
        out += "$\\n";
        break;
      case '\r':
        out += "$\\r";
        break;
      case '\t':
        out += "$\\t";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string Quote(const std::string& text) { return "\"" + Escape(text) + "\""; }

std::filesystem::path Beside(const std::filesystem::path& path, const char* suffix) {
  std::filesystem::path candidate = path;
  candidate += suffix;
  return candidate;
}

std::string LowerAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

}  // namespace

std::string SafeFileName(const std::string& utf8, const std::string& fallback) {
  std::string name;
  for (char c : utf8) {
    const bool forbidden = static_cast<unsigned char>(c) < 0x20 ||
                           std::string("<>:\"/\\|?*").find(c) != std::string::npos;
    name += forbidden ? '_' : c;
  }
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  return name.empty() ? fallback : name;
}

std::string FormatInstallerScript(const InstallerPlan& plan) {
  const ProductIdentity& id = plan.identity;
  const std::string folder =
      SafeFileName(id.company, "Screensavers") + "\\" + SafeFileName(id.title, "Screensaver");
  std::string s;
  auto line = [&s](const std::string& text) { s += text + "\n"; };
  line("; Installer of the screensaver " + id.title + ", written by quillpack.");
  line("Unicode true");
  line("Target amd64-unicode");
  line("RequestExecutionLevel user");
  line("ManifestDPIAware true");
  line("SetCompressor /SOLID lzma");
  if (!plan.uninstallerFinalize.empty()) line(plan.uninstallerFinalize);
  line("Name " + Quote(id.title));
  line("OutFile " + Quote(plan.outputPath.u8string()));
  line("InstallDir \"$LOCALAPPDATA\\Programs\\" + Escape(folder) + "\"");
  line("!define PRODUCT_FILE " + Quote(plan.productFileName));
  line("!define DESKTOP_KEY \"Control Panel\\Desktop\"");
  line("!define SETTINGS_KEY " + Quote(SettingsKeyName(id.company, id.title)));
  line("!define COMPANY_KEY " + Quote("Software\\" + id.company));
  line("!define UNINSTALL_KEY " +
       Quote("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + id.company + " " +
             id.title));
  line("!include \"MUI2.nsh\"");
  line("!include \"LogicLib.nsh\"");
  line("!define MUI_FINISHPAGE_RUN");
  line("!define MUI_FINISHPAGE_RUN_TEXT \"Open screensaver settings\"");
  line("!define MUI_FINISHPAGE_RUN_FUNCTION OpenScreensaverSettings");
  line("!insertmacro MUI_PAGE_INSTFILES");
  line("!insertmacro MUI_PAGE_FINISH");
  line("!insertmacro MUI_UNPAGE_CONFIRM");
  line("!insertmacro MUI_UNPAGE_INSTFILES");
  line("!insertmacro MUI_LANGUAGE \"English\"");
  line("");
  line("Function OpenScreensaverSettings");
  line("  Exec '\"$SYSDIR\\control.exe\" desk.cpl,,@screensaver'");
  line("FunctionEnd");
  line("");
  line("Section \"Install\"");
  line("  SetShellVarContext current");
  line("  SetOutPath \"$INSTDIR\"");
  line("  File " + Quote("/oname=" + plan.productFileName) + " " +
       Quote(plan.productPath.u8string()));
  line("  WriteUninstaller \"$INSTDIR\\uninstall.exe\"");
  // The previous choice is recorded only by the first installation, so that
  // installing again does not record the product as its own predecessor.
  line("  ClearErrors");
  line("  ReadRegDWORD $0 HKCU \"${UNINSTALL_KEY}\" \"PreviousRecorded\"");
  line("  ${If} ${Errors}");
  line("    ReadRegStr $1 HKCU \"${DESKTOP_KEY}\" \"SCRNSAVE.EXE\"");
  line("    ReadRegStr $2 HKCU \"${DESKTOP_KEY}\" \"ScreenSaveActive\"");
  line("    WriteRegStr HKCU \"${UNINSTALL_KEY}\" \"PreviousScreenSaver\" $1");
  line("    WriteRegStr HKCU \"${UNINSTALL_KEY}\" \"PreviousScreenSaveActive\" $2");
  line("    WriteRegDWORD HKCU \"${UNINSTALL_KEY}\" \"PreviousRecorded\" 1");
  line("  ${EndIf}");
  line("  WriteRegStr HKCU \"${DESKTOP_KEY}\" \"SCRNSAVE.EXE\" \"$INSTDIR\\${PRODUCT_FILE}\"");
  line("  WriteRegStr HKCU \"${DESKTOP_KEY}\" \"ScreenSaveActive\" \"1\"");
  line("  WriteRegStr HKCU \"${UNINSTALL_KEY}\" \"DisplayName\" " + Quote(id.title));
  line("  WriteRegStr HKCU \"${UNINSTALL_KEY}\" \"Publisher\" " + Quote(id.company));
  line("  WriteRegStr HKCU \"${UNINSTALL_KEY}\" \"DisplayVersion\" " + Quote(id.version));
  line("  WriteRegStr HKCU \"${UNINSTALL_KEY}\" \"DisplayIcon\" \"$INSTDIR\\${PRODUCT_FILE}\"");
  line("  WriteRegStr HKCU \"${UNINSTALL_KEY}\" \"InstallLocation\" \"$INSTDIR\"");
  line("  WriteRegStr HKCU \"${UNINSTALL_KEY}\" \"UninstallString\" '\"$INSTDIR\\uninstall.exe\"'");
  line(
      "  WriteRegStr HKCU \"${UNINSTALL_KEY}\" \"QuietUninstallString\" "
      "'\"$INSTDIR\\uninstall.exe\" /S'");
  line("  WriteRegDWORD HKCU \"${UNINSTALL_KEY}\" \"NoModify\" 1");
  line("  WriteRegDWORD HKCU \"${UNINSTALL_KEY}\" \"NoRepair\" 1");
  line("SectionEnd");
  line("");
  line("Section \"Uninstall\"");
  line("  SetShellVarContext current");
  // The previous screensaver comes back only while this product is still the
  // choice; one the user picked since stays.
  line("  ReadRegStr $0 HKCU \"${DESKTOP_KEY}\" \"SCRNSAVE.EXE\"");
  line("  ${If} $0 == \"$INSTDIR\\${PRODUCT_FILE}\"");
  line("    ReadRegStr $1 HKCU \"${UNINSTALL_KEY}\" \"PreviousScreenSaver\"");
  line("    ReadRegStr $2 HKCU \"${UNINSTALL_KEY}\" \"PreviousScreenSaveActive\"");
  line("    ${If} $1 == \"\"");
  line("      DeleteRegValue HKCU \"${DESKTOP_KEY}\" \"SCRNSAVE.EXE\"");
  line("    ${Else}");
  line("      WriteRegStr HKCU \"${DESKTOP_KEY}\" \"SCRNSAVE.EXE\" $1");
  line("    ${EndIf}");
  line("    ${If} $2 == \"\"");
  line("      DeleteRegValue HKCU \"${DESKTOP_KEY}\" \"ScreenSaveActive\"");
  line("    ${Else}");
  line("      WriteRegStr HKCU \"${DESKTOP_KEY}\" \"ScreenSaveActive\" $2");
  line("    ${EndIf}");
  line("  ${EndIf}");
  line("  Delete \"$INSTDIR\\${PRODUCT_FILE}\"");
  line("  Delete \"$INSTDIR\\uninstall.exe\"");
  line("  RMDir \"$INSTDIR\"");
  line("  RMDir \"$INSTDIR\\..\"");
  line("  DeleteRegKey HKCU \"${SETTINGS_KEY}\"");
  line("  DeleteRegKey /ifempty HKCU \"${COMPANY_KEY}\"");
  line("  DeleteRegKey HKCU \"${UNINSTALL_KEY}\"");
  line("SectionEnd");
  return s;
}

bool CInstallerMaker::Fail(const std::string& why) {
  m_error = why;
  return false;
}

bool CInstallerMaker::ReadIdentity(const std::filesystem::path& product,
                                   ProductIdentity* identity) {
  const std::string name = product.u8string();
  CContentArchive archive;
  if (!archive.Open(name.c_str())) return Fail(name + ": no readable content archive");
  std::unique_ptr<IFileData> config = archive.Read(kConfigEntryName, false);
  if (!config) return Fail(name + ": no readable config/config.xml");
  // The engine's own reader and lookup, so the installer names the product exactly
  // as the program will.
  XmlDocumentPtr document = CreateXmlDocument();
  if (!document || !document->Parse(config->GetData(), static_cast<int>(config->GetSize())))
    return Fail(name + ": config/config.xml does not parse");
  const struct {
    const char* element;
    std::string* out;
  } fields[] = {{"Title", &identity->title},
                {"Version", &identity->version},
                {"Company", &identity->company},
                {"Year", &identity->year}};
  std::string title, company;  // as the engine passes them to Windows
  for (const auto& field : fields) {
    const std::string value =
        GetConfigValue(*document, kConfigSection, field.element, kMissingConfigValue);
    if (value == kMissingConfigValue || value.empty())
      return Fail(name + ": config/config.xml has no " + field.element);
    if (field.out == &identity->title) title = value;
    if (field.out == &identity->company) company = value;
    *field.out = Windows1252ToUtf8(value);
  }
  for (const std::string* key : {&title, &company})
    if (key->find('\\') != std::string::npos)
      return Fail(name + ": a backslash in Title or Company would split the settings key");
  return true;
}

bool CInstallerMaker::Make(const std::filesystem::path& product,
                           const std::filesystem::path& output, const SigningKey& key) {
  m_error.clear();
  m_toolOutput.clear();
  const std::string outputName = output.u8string();
  if (LowerAscii(output.extension().u8string()) != ".exe")
    return Fail(outputName + ": the installer's name must end in .exe");
  // Windows treats programs named like this as installers that need administrator
  // rights, which this one must not ask for.
  if (LowerAscii(output.filename().u8string()) == "setup.exe")
    return Fail(outputName + ": an installer named setup.exe would ask for administrator rights");
  InstallerPlan plan;
  if (!ReadIdentity(product, &plan.identity)) return false;
  plan.productFileName = SafeFileName(product.filename().u8string(), "screensaver.scr");
  std::error_code ec;
  // The installer and its script are written beside the output and renamed at the end.
  const std::filesystem::path script = Beside(output, ".partial.nsi");
  const std::filesystem::path partial = Beside(output, ".partial.exe");
  const std::filesystem::path signedProduct = Beside(output, ".partial.scr");
  struct Cleanup {
    std::filesystem::path script, installer, product;
    ~Cleanup() {
      std::error_code ignored;
      std::filesystem::remove(script, ignored);
      std::filesystem::remove(installer, ignored);
      std::filesystem::remove(product, ignored);
    }
  } cleanup{script, partial, signedProduct};
  std::filesystem::path packed = product;
  CProductSigner signer(key);
  if (key.IsGiven()) {
    plan.uninstallerFinalize = signer.UninstallerFinalizeLine();
    if (plan.uninstallerFinalize.empty()) return Fail(signer.GetError());
    // The installed file must be the signed product; an unsigned one is signed on a
    // copy, leaving the maker's file as it was.
    std::string bytes, why;
    if (!ReadWholeFile(product, &bytes, &why)) return Fail(why);
    if (!CarriesSignature(bytes)) {
      if (!signer.Sign(product, signedProduct)) {
        m_toolOutput = signer.GetToolOutput();
        return Fail(signer.GetError());
      }
      packed = signedProduct;
    }
  }
  const std::filesystem::path folder = std::filesystem::absolute(output, ec).parent_path();
  plan.productPath = std::filesystem::absolute(packed, ec).lexically_relative(folder);
  if (plan.productPath.empty()) plan.productPath = std::filesystem::absolute(packed, ec);
  plan.outputPath = partial.filename();
  {
    // A byte-order mark tells makensis the script is UTF-8.
    std::ofstream file(script, std::ios::binary | std::ios::trunc);
    file << "\xEF\xBB\xBF" << FormatInstallerScript(plan);
    file.close();
    if (!file) return Fail(script.u8string() + ": cannot write");
  }
  const char* tool = std::getenv("QUILL_MAKENSIS");
  const int status = RunProgram(
      {tool != nullptr && *tool != '\0' ? tool : "makensis", "-V2", "-WX", script.u8string()},
      &m_toolOutput);
  if (status != 0)
    return Fail(status < 0 ? "makensis could not be started: " + m_toolOutput +
                                 " (Debian's package nsis provides it)"
                           : "makensis failed with status " + std::to_string(status));
  if (key.IsGiven() && !signer.Sign(partial, partial)) {
    m_toolOutput = signer.GetToolOutput();
    return Fail(signer.GetError());
  }
  std::filesystem::rename(partial, output, ec);
  if (ec) return Fail(outputName + ": cannot put in place: " + ec.message());
  return true;
}
