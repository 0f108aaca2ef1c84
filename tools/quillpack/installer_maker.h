// "quillpack installer": wraps a product in a 64-bit Windows installer made with
// NSIS. The installer works for the current user without administrator rights:
// it copies the product under the user's local application data, makes it the
// current screensaver (remembering the previous one), registers an uninstaller
// with the product's title, company and version, and offers to open the
// screensaver settings. The uninstaller removes the file, puts the previous
// screensaver back and removes the product's settings key.
#pragma once

#include <filesystem>
#include <string>

#include "tools/quillpack/product_identity.h"
#include "tools/quillpack/product_signer.h"

// What the script needs to know; every text is UTF-8. makensis works in the
// script's folder, so paths relative to it keep the script usable wherever
// makensis runs, a makensis for another system included.
struct InstallerPlan {
  ProductIdentity identity;           // from the product's own configuration
  std::string productFileName;        // name of the .scr as installed
  std::filesystem::path productPath;  // the product to put in, from the script's folder
  std::filesystem::path outputPath;   // where makensis writes, from the script's folder
  std::string uninstallerFinalize;    // the line that signs the uninstaller; empty: unsigned
};

// The NSIS script for `plan`.
std::string FormatInstallerScript(const InstallerPlan& plan);

// Folder and file names from product texts: characters Windows forbids in names
// become "_", trailing dots and blanks go; empty names become `fallback`.
std::string SafeFileName(const std::string& utf8, const std::string& fallback);

class CInstallerMaker {
 public:
  // Reads the product's identity through the engine's own configuration reader,
  // writes the script beside the output, runs makensis (QUILL_MAKENSIS or makensis
  // on PATH) and renames the finished installer into place. Given a key, the
  // installer, its uninstaller and the product it installs are signed (a product
  // already signed goes in as it is). False with the reason in GetError().
  bool Make(const std::filesystem::path& product, const std::filesystem::path& output,
            const SigningKey& key = SigningKey());

  const std::string& GetError() const { return m_error; }
  // makensis's own output when it failed.
  const std::string& GetToolOutput() const { return m_toolOutput; }

 private:
  bool Fail(const std::string& why);
  bool ReadIdentity(const std::filesystem::path& product, ProductIdentity* identity);

  std::string m_error;
  std::string m_toolOutput;
};
