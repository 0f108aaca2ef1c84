// "quillpack sign": signs a product, or an installer quillpack made, with an
// Authenticode certificate through osslsigncode, run as a program. A signature never
// leaves a maker with a broken file: the product must open its archive before and
// after, and the original is replaced only once osslsigncode verifies the result.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

// Environment variable that carries a PKCS#12 file's password when no password file
// is given; passwords never travel on a command line.
constexpr char kSignPasswordVariable[] = "QUILLPACK_SIGN_PASSWORD";
// The program that signs and verifies.
constexpr char kSigningTool[] = "osslsigncode";

// What to sign with; every path as given on quillpack's command line.
struct SigningKey {
  std::string key;           // --key KEY.pem
  std::string cert;          // --cert CERT.pem (the chain may follow the certificate)
  std::string pkcs12;        // --pkcs12 FILE.p12
  std::string passwordFile;  // --password-file FILE
  std::string timestamp;     // --timestamp URL (RFC 3161)
  std::string name;          // --name TEXT, the signature's description
  std::string url;           // --url URL, the description's link

  bool IsGiven() const { return !key.empty() || !cert.empty() || !pkcs12.empty(); }
};

// Whether `option` is one of the signing options (each takes one value).
bool IsSigningOption(const std::string& option);
// The key from the options given (option -> value). False with the reason when the
// combination is incomplete or contradictory.
bool SigningKeyFromOptions(const std::map<std::string, std::string>& options, SigningKey* key,
                           std::string* error);
// The options that name `key` again, for a second quillpack run.
std::vector<std::string> SigningOptions(const SigningKey& key);

// The certificates inside a PKCS#7 SignedData (DER), as PEM text; empty when the
// structure is not one.
std::string CertificatesAsPem(const std::string& pkcs7);

// Whether a program file's bytes carry a certificate table as signing writes it.
bool CarriesSignature(const std::string& bytes);

// Takes any signature off a program image that becomes an engine again: a table as
// signing writes it is cut away, and the security entry is cleared even when the
// table is already gone. False when there was none.
bool DropSignature(std::string* programImage);

class CProductSigner {
 public:
  explicit CProductSigner(SigningKey key) : m_key(std::move(key)) {}

  // Signs `input` into `output` (the same path signs in place), replacing any
  // signature it had. False with the reason in GetError(); the output is then
  // untouched.
  bool Sign(const std::filesystem::path& input, const std::filesystem::path& output);

  // The NSIS line that signs the uninstaller while makensis builds the installer, by
  // running this quillpack's sign command on it. Empty with GetError() set when the
  // key's paths cannot be written into the line.
  std::string UninstallerFinalizeLine();

  const std::string& GetError() const { return m_error; }
  // osslsigncode's own output when it failed.
  const std::string& GetToolOutput() const { return m_toolOutput; }

 private:
  enum class FileKind { Product, Installer };

  bool Fail(const std::string& why);
  bool Classify(const std::string& bytes, const std::filesystem::path& path, FileKind* kind);
  bool ProductOpens(const std::filesystem::path& path);
  bool RunTool(const std::vector<std::string>& args, const std::string& what);
  bool Verify(const std::filesystem::path& signedFile, const std::filesystem::path& trustFile);

  SigningKey m_key;
  std::string m_error;
  std::string m_toolOutput;
};
