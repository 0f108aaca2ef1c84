// Signing through osslsigncode: the file is classified and checked, any signature it
// had is taken off so that none is ever nested, the signed copy is checked again and
// verified, and only then renamed over the output.
#include "tools/quillpack/product_signer.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <system_error>

#include "data/archive_trailer.h"
#include "data/content_archive.h"
#include "tools/common/whole_file.h"
#include "tools/quillpack/program_runner.h"

namespace {

// The option that names each field of SigningKey.
const struct {
  const char* option;
  std::string SigningKey::*field;
} kSigningOptions[] = {
    {"--key", &SigningKey::key},
    {"--cert", &SigningKey::cert},
    {"--pkcs12", &SigningKey::pkcs12},
    {"--password-file", &SigningKey::passwordFile},
    {"--timestamp", &SigningKey::timestamp},
    {"--name", &SigningKey::name},
    {"--url", &SigningKey::url},
};

// The first header of every NSIS installer and uninstaller: its signature word and
// the text after it.
constexpr char kNsisHeaderMark[] = "\xEF\xBE\xAD\xDENullsoftInst";

#ifdef _WIN32
constexpr char kPathSeparator = ';';
constexpr char kProgramSuffix[] = ".exe";
#else
constexpr char kPathSeparator = ':';
constexpr char kProgramSuffix[] = "";
#endif

bool IsOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  const std::string folders = path;
  for (size_t start = 0; start <= folders.size();) {
    size_t end = folders.find(kPathSeparator, start);
    if (end == std::string::npos) end = folders.size();
    if (end > start) {
      std::error_code ec;
      const std::filesystem::path candidate =
          std::filesystem::u8path(folders.substr(start, end - start)) /
          std::filesystem::u8path(program + kProgramSuffix);
      if (std::filesystem::is_regular_file(candidate, ec)) return true;
    }
    start = end + 1;
  }
  return false;
}

FileReadAt ReaderOf(const std::string& bytes) { return MemoryReader(bytes.data(), bytes.size()); }

// The sound certificate table of `bytes`, if it has one.
bool FindTable(const std::string& bytes, SecurityEntry* entry) {
  const FileReadAt read = ReaderOf(bytes);
  return ReadSecurityEntry(bytes.size(), read, entry) &&
         IsSoundCertificateTable(bytes.size(), read, *entry);
}

// `bytes` with any signature taken off: the table cut away and the security entry
// cleared, and a product's padding after its trailer dropped, so that a re-signed
// product holds exactly one signature over its unsigned bytes.
std::string WithoutSignature(const std::string& bytes, bool product) {
  std::string image = bytes;
  ArchiveTrailer trailer;
  if (DropSignature(&image) && product &&
      FindArchiveTrailer(bytes.size(), ReaderOf(bytes), &trailer) && trailer.beforeSignature)
    image.resize(trailer.trailerOffset + kArchiveTrailerSize);
  return image;
}

bool WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

std::filesystem::path Beside(const std::filesystem::path& path, const char* suffix) {
  std::filesystem::path candidate = path;
  candidate += suffix;
  return candidate;
}

// One DER element: its tag, where its contents start and how long they are.
struct DerElement {
  unsigned char tag = 0;
  size_t start = 0;     // offset of the element's first byte
  size_t contents = 0;  // offset of its contents
  size_t length = 0;    // bytes of contents
  size_t End() const { return contents + length; }
};

// Reads the element at `at`, which must end by `end`; definite lengths only.
bool ReadDer(const std::string& der, size_t at, size_t end, DerElement* element) {
  if (at + 2 > end) return false;
  element->tag = static_cast<unsigned char>(der[at]);
  element->start = at;
  size_t length = static_cast<unsigned char>(der[at + 1]);
  size_t next = at + 2;
  if (length & 0x80) {
    const size_t bytes = length & 0x7F;
    if (bytes == 0 || bytes > 4 || next + bytes > end) return false;
    length = 0;
    for (size_t i = 0; i < bytes; ++i)
      length = length << 8 | static_cast<unsigned char>(der[next++]);
  }
  if (length > end - next) return false;
  element->contents = next;
  element->length = length;
  return true;
}

std::string Base64(const std::string& bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t count = bytes.size() - i < 3 ? bytes.size() - i : 3;
    uint32_t group = 0;
    for (size_t k = 0; k < 3; ++k)
      group = group << 8 | (k < count ? static_cast<unsigned char>(bytes[i + k]) : 0u);
    for (size_t k = 0; k < 4; ++k) out += k <= count ? kDigits[group >> (18 - 6 * k) & 0x3F] : '=';
  }
  return out;
}

// The text after "Default -CAfile location: " in osslsigncode's version output: the
// system's trusted roots, which an explicit trust file would otherwise replace.
std::string DefaultTrustFile() {
  std::string output;
  if (RunProgram({kSigningTool, "--version"}, &output) < 0) return "";
  const std::string label = "Default -CAfile location: ";
  const size_t at = output.find(label);
  if (at == std::string::npos) return "";
  const size_t start = at + label.size();
  const size_t end = output.find_first_of("\r\n", start);
  return output.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

}  // namespace

bool IsSigningOption(const std::string& option) {
  for (const auto& entry : kSigningOptions)
    if (option == entry.option) return true;
  return false;
}

bool SigningKeyFromOptions(const std::map<std::string, std::string>& options, SigningKey* key,
                           std::string* error) {
  for (const auto& entry : kSigningOptions) {
    const auto found = options.find(entry.option);
    if (found != options.end()) key->*entry.field = found->second;
  }
  if (!key->pkcs12.empty() && (!key->key.empty() || !key->cert.empty())) {
    *error = "give either --pkcs12 or --key with --cert, not both";
    return false;
  }
  if (key->pkcs12.empty() && key->key.empty() != key->cert.empty()) {
    *error = "--key and --cert go together";
    return false;
  }
  if (!key->IsGiven()) {
    *error = "signing needs --key KEY.pem --cert CERT.pem, or --pkcs12 FILE.p12";
    return false;
  }
  return true;
}

std::vector<std::string> SigningOptions(const SigningKey& key) {
  std::vector<std::string> args;
  for (const auto& entry : kSigningOptions) {
    if ((key.*entry.field).empty()) continue;
    args.push_back(entry.option);
    args.push_back(key.*entry.field);
  }
  return args;
}

std::string CertificatesAsPem(const std::string& pkcs7) {
  // ContentInfo { type, [0] { SignedData { version, digest algorithms, content,
  // [0] IMPLICIT certificates, ... } } }
  DerElement info, explicitContent, signedData, field;
  if (!ReadDer(pkcs7, 0, pkcs7.size(), &info) || info.tag != 0x30 ||
      !ReadDer(pkcs7, info.contents, info.End(), &field) ||
      !ReadDer(pkcs7, field.End(), info.End(), &explicitContent) || explicitContent.tag != 0xA0 ||
      !ReadDer(pkcs7, explicitContent.contents, explicitContent.End(), &signedData) ||
      signedData.tag != 0x30)
    return "";
  size_t at = signedData.contents;
  for (int skipped = 0; skipped < 3; ++skipped) {
    if (!ReadDer(pkcs7, at, signedData.End(), &field)) return "";
    at = field.End();
  }
  DerElement certificates;
  if (!ReadDer(pkcs7, at, signedData.End(), &certificates) || certificates.tag != 0xA0) return "";
  std::string pem;
  DerElement certificate;
  for (at = certificates.contents;
       at < certificates.End() && ReadDer(pkcs7, at, certificates.End(), &certificate);
       at = certificate.End()) {
    const std::string text =
        Base64(pkcs7.substr(certificate.start, certificate.End() - certificate.start));
    pem += "-----BEGIN CERTIFICATE-----\n";
    for (size_t i = 0; i < text.size(); i += 64) pem += text.substr(i, 64) + "\n";
    pem += "-----END CERTIFICATE-----\n";
  }
  return pem;
}

bool CarriesSignature(const std::string& bytes) {
  SecurityEntry entry;
  return FindTable(bytes, &entry);
}

bool DropSignature(std::string* programImage) {
  const std::string& bytes = *programImage;
  SecurityEntry entry;
  if (!ReadSecurityEntry(bytes.size(), ReaderOf(bytes), &entry) ||
      (entry.tableOffset == 0 && entry.tableSize == 0))
    return false;
  const bool sound = IsSoundCertificateTable(bytes.size(), ReaderOf(bytes), entry);
  std::memset(&(*programImage)[entry.entryOffset], 0, 8);
  if (sound) programImage->resize(entry.tableOffset);
  return true;
}

bool CProductSigner::Fail(const std::string& why) {
  m_error = why;
  return false;
}

bool CProductSigner::Classify(const std::string& bytes, const std::filesystem::path& path,
                              FileKind* kind) {
  const std::string name = path.u8string();
  SecurityEntry entry;
  if (!ReadSecurityEntry(bytes.size(), ReaderOf(bytes), &entry))
    return Fail(name + ": not a Windows program (no PE header)");
  ArchiveTrailer trailer;
  if (FindArchiveTrailer(bytes.size(), ReaderOf(bytes), &trailer)) {
    *kind = FileKind::Product;
    return ProductOpens(path);
  }
  if (bytes.find(kNsisHeaderMark, 0, sizeof kNsisHeaderMark - 1) != std::string::npos) {
    *kind = FileKind::Installer;
    return true;
  }
  return Fail(name +
              ": carries no content archive and is not an installer quillpack made; sign the "
              "product that quillpack build wrote");
}

bool CProductSigner::ProductOpens(const std::filesystem::path& path) {
  const std::string name = path.u8string();
  CContentArchive archive;
  if (!archive.Open(name.c_str())) return Fail(name + ": its content archive does not open");
  // Every entry is inflated and its CRC compared, so damage anywhere shows now.
  for (size_t i = 0; i < archive.GetEntries().size(); ++i)
    if (!archive.ReadEntry(i))
      return Fail(name + ": " + archive.GetEntries()[i].name +
                  " in its content archive is damaged");
  return true;
}

bool CProductSigner::RunTool(const std::vector<std::string>& args, const std::string& what) {
  const int status = RunProgram(args, &m_toolOutput);
  if (status == 0) return true;
  return Fail(status < 0 ? std::string(kSigningTool) + " could not be started: " + m_toolOutput
                         : std::string(kSigningTool) + " " + what + " failed with status " +
                               std::to_string(status));
}

bool CProductSigner::Verify(const std::filesystem::path& signedFile,
                            const std::filesystem::path& trustFile) {
  // The signature's own certificates are trusted beside the system's roots: the check
  // is that the signature is whole and matches the file, whoever issued the key.
  std::string bytes, why;
  SecurityEntry entry;
  if (!ReadWholeFile(signedFile, &bytes, &why) || !FindTable(bytes, &entry))
    return Fail(signedFile.u8string() + ": the signed file carries no sound certificate table");
  std::string trust = CertificatesAsPem(bytes.substr(entry.tableOffset + kWinCertificateHeaderSize,
                                                     entry.tableSize - kWinCertificateHeaderSize));
  const std::string system = DefaultTrustFile();
  std::string roots;
  if (!system.empty() && ReadWholeFile(std::filesystem::u8path(system), &roots, &why))
    trust += roots;
  if (!WriteFile(trustFile, trust)) return Fail(trustFile.u8string() + ": cannot write");
  return RunTool(
      {kSigningTool, "verify", "-CAfile", trustFile.u8string(), "-in", signedFile.u8string()},
      "verify");
}

bool CProductSigner::Sign(const std::filesystem::path& input, const std::filesystem::path& output) {
  m_error.clear();
  m_toolOutput.clear();
  if (!m_key.IsGiven())
    return Fail("signing needs --key KEY.pem --cert CERT.pem, or --pkcs12 FILE.p12");
  if (!IsOnPath(kSigningTool))
#ifdef _WIN32
    return Fail(
        "osslsigncode.exe is not on the PATH: quillpack signs only through it (put the folder "
        "that holds osslsigncode.exe on the PATH)");
#else
    return Fail("osslsigncode is not on the PATH (Debian's package osslsigncode provides it)");
#endif
  std::string bytes;
  std::string why;
  if (!ReadWholeFile(input, &bytes, &why)) return Fail(why);
  FileKind kind = FileKind::Product;
  if (!Classify(bytes, input, &kind)) return false;

  struct Cleanup {
    std::vector<std::filesystem::path> files;
    ~Cleanup() {
      std::error_code ignored;
      for (const auto& file : files) std::filesystem::remove(file, ignored);
    }
  } cleanup;
  const std::filesystem::path unsignedFile = Beside(output, ".unsigned.partial");
  const std::filesystem::path signedFile = Beside(output, ".signed.partial");
  const std::filesystem::path trustFile = Beside(output, ".trust.partial");
  const std::filesystem::path passwordFile = Beside(output, ".password.partial");
  cleanup.files = {unsignedFile, signedFile, trustFile, passwordFile};
  if (!WriteFile(unsignedFile, WithoutSignature(bytes, kind == FileKind::Product)))
    return Fail(unsignedFile.u8string() + ": cannot write");

  std::vector<std::string> args = {kSigningTool, "sign", "-h", "sha256"};
  if (!m_key.pkcs12.empty()) {
    args.insert(args.end(), {"-pkcs12", m_key.pkcs12});
  } else {
    args.insert(args.end(), {"-certs", m_key.cert, "-key", m_key.key});
  }
  std::string password = m_key.passwordFile;
  const char* variable = std::getenv(kSignPasswordVariable);
  if (password.empty() && variable != nullptr && *variable != '\0') {
    // Only the owner may read the password while osslsigncode takes it.
    std::error_code ec;
    if (!WriteFile(passwordFile, "")) return Fail(passwordFile.u8string() + ": cannot write");
    std::filesystem::permissions(
        passwordFile, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write, ec);
    if (ec || !WriteFile(passwordFile, variable))
      return Fail(passwordFile.u8string() + ": cannot write");
    password = passwordFile.u8string();
  }
  if (!password.empty()) args.insert(args.end(), {"-readpass", password});
  if (!m_key.name.empty()) args.insert(args.end(), {"-n", m_key.name});
  if (!m_key.url.empty()) args.insert(args.end(), {"-i", m_key.url});
  if (!m_key.timestamp.empty()) args.insert(args.end(), {"-ts", m_key.timestamp});
  args.insert(args.end(), {"-in", unsignedFile.u8string(), "-out", signedFile.u8string()});
  if (!RunTool(args, "sign")) return false;

  if (kind == FileKind::Product) {
    ArchiveTrailer before, after;
    std::string signedBytes;
    const bool found = FindArchiveTrailer(bytes.size(), ReaderOf(bytes), &before) &&
                       ReadWholeFile(signedFile, &signedBytes, &why) &&
                       FindArchiveTrailer(signedBytes.size(), ReaderOf(signedBytes), &after);
    if (!found || !after.beforeSignature || after.archiveOffset != before.archiveOffset)
      return Fail(input.u8string() + ": signed, the product would not find its content archive");
    if (!ProductOpens(signedFile)) return false;
  }
  if (!Verify(signedFile, trustFile)) return false;

  std::error_code ec;
  std::filesystem::rename(signedFile, output, ec);
  if (ec) {
    // Windows renames nothing over an existing file.
    std::filesystem::remove(output, ec);
    std::filesystem::rename(signedFile, output, ec);
  }
  if (ec) return Fail(output.u8string() + ": cannot put in place: " + ec.message());
  return true;
}

std::string CProductSigner::UninstallerFinalizeLine() {
  const std::string self = OwnProgramPath();
  if (self.empty()) {
    Fail("cannot find quillpack's own program file to sign the uninstaller with");
    return "";
  }
  // makensis hands the line to the system's shell with %1 as the uninstaller; every
  // argument is quoted for it, and texts the shell or NSIS would rewrite are refused.
  if (self.find_first_of("'\"$%`\n") != std::string::npos) {
    Fail(self + ": a quote, $, % or ` in quillpack's own path cannot be passed to makensis");
    return "";
  }
  std::string command = "\"" + self + "\" sign \"%1\"";
  SigningKey key = m_key;
  // makensis runs the line from the script's folder, so the key files are named whole.
  for (std::string* path : {&key.key, &key.cert, &key.pkcs12, &key.passwordFile}) {
    std::error_code ec;
    if (!path->empty())
      *path = std::filesystem::absolute(std::filesystem::u8path(*path), ec).u8string();
  }
  for (const std::string& arg : SigningOptions(key)) {
    if (arg.find_first_of("'\"$%`\n") != std::string::npos) {
      Fail("signing option " + arg + " holds a quote, $, % or ` that the installer cannot pass on");
      return "";
    }
    command += " \"" + arg + "\"";
  }
#ifdef _WIN32
  // cmd.exe strips the outermost pair of quotes from a line that starts with one.
  command = "\"" + command + "\"";
#endif
  return "!uninstfinalize '" + command + "' = 0";
}
