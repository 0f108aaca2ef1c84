// Signed products: the archive is found in products that quillpack sign signed through
// osslsigncode with a certificate openssl makes here, and in files whose PE security
// entry lies; the sign command refuses what it cannot sign and leaves it as it was.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "data/archive_trailer.h"
#include "data/content_archive.h"
#include "data/content_layout.h"
#include "tests/support/product_fixture.h"
#include "tools/quillpack/pack_commands.h"
#include "tools/quillpack/product_signer.h"
#include "tools/quillpack/program_runner.h"

namespace {

const char kConfig[] =
    "<ini><Screensaver><Title>T</Title><Version>1</Version><Year>2026</Year>"
    "<Company>C</Company></Screensaver></ini>";

int Quillpack(const std::vector<std::string>& args, std::string* errors) {
  std::ostringstream out, err;
  const int status = RunQuillpack(args, out, err);
  *errors = err.str();
  return status;
}

// A self-signed certificate for a day, made in `folder`: nothing secret is kept.
std::vector<std::string> MakeKey(const std::filesystem::path& folder) {
  const std::string key = (folder / "key.pem").u8string(), cert = (folder / "cert.pem").u8string();
  std::string output;
  EXPECT_EQ(RunProgram({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                        "-subj", "/CN=QuillSaver test", "-keyout", key, "-out", cert},
                       &output),
            0)
      << output;
  return {"--key", key, "--cert", cert};
}

// The engine, then an archive with the configuration and `filler` random bytes.
std::string Product(const std::filesystem::path& path, size_t filler) {
  std::string noise(filler, '\0');
  for (size_t i = 0; i < filler; ++i)
    noise[i] = static_cast<char>((i * 7919 + filler) * 2654435761u >> 24);
  EXPECT_TRUE(WriteProduct(path, MinimalPeEngine(),
                           {{"config/config.xml", kConfig}, {"images/0.jpg", noise}}));
  return ReadWholeFile(path);
}

std::string Signed(const std::filesystem::path& path, const std::vector<std::string>& key) {
  std::vector<std::string> args = {"sign", path.u8string()};
  args.insert(args.end(), key.begin(), key.end());
  std::string errors;
  EXPECT_EQ(Quillpack(args, &errors), 0) << errors;
  return ReadWholeFile(path);
}

SecurityEntry EntryOf(const std::string& bytes) {
  SecurityEntry entry;
  EXPECT_TRUE(ReadSecurityEntry(bytes.size(), MemoryReader(bytes.data(), bytes.size()), &entry));
  return entry;
}

std::string WithEntry(std::string bytes, uint64_t offset, uint64_t size) {
  const SecurityEntry entry = EntryOf(bytes);
  PutLe32(&bytes, entry.entryOffset, static_cast<uint32_t>(offset));
  PutLe32(&bytes, entry.entryOffset + 4, static_cast<uint32_t>(size));
  return bytes;
}

}  // namespace

TEST(SignedProduct, ArchiveIsFoundOrRefusedCleanly) {
  const std::filesystem::path folder = FixtureFolder("cases");
  const std::vector<std::string> key = MakeKey(folder);
  // Products whose length is a multiple of 8 get no padding before the table.
  std::string unpadded, padded;
  for (size_t filler = 64; unpadded.empty() || padded.empty(); ++filler) {
    const std::string bytes = Product(folder / "unsigned.scr", filler);
    (bytes.size() % kCertificateTableAlignment == 0 ? unpadded : padded) = bytes;
  }
  WriteWholeFile(folder / "padded.scr", padded);
  WriteWholeFile(folder / "unpadded.scr", unpadded);
  const std::string signedPadded = Signed(folder / "padded.scr", key);
  const std::string signedUnpadded = Signed(folder / "unpadded.scr", key);
  const std::string resigned = Signed(folder / "padded.scr", key);
  const SecurityEntry table = EntryOf(signedPadded);
  ASSERT_EQ(table.tableOffset + table.tableSize, signedPadded.size());
  EXPECT_GT(table.tableOffset, padded.size()) << "padding expected";
  EXPECT_EQ(EntryOf(signedUnpadded).tableOffset, unpadded.size()) << "no padding expected";
  // One signature replaces the other: a nested one would make the table grow.
  EXPECT_EQ(resigned.size(), signedPadded.size());
  // Signing changes only the headers' checksum and security entry before the table.
  const size_t engine = MinimalPeEngine().size();
  EXPECT_EQ(resigned.compare(engine, padded.size() - engine, padded, engine), 0);

  const uint64_t end = padded.size();
  const struct {
    const char* name;
    std::string bytes;
    bool opens;            // false: fails cleanly
    bool beforeSignature;  // where the trailer is found
  } cases[] = {
      {"unsigned", padded, true, false},
      {"signed with padding", signedPadded, true, true},
      {"signed without padding", signedUnpadded, true, true},
      {"re-signed", resigned, true, true},
      {"entry past the end", WithEntry(padded, (end + 8) & ~7ull, 16), true, false},
      {"entry overlapping the headers", WithEntry(padded, 0, end), true, false},
      {"entry overlapping the trailer",
       WithEntry(padded, (end - 8) & ~7ull, end - ((end - 8) & ~7ull)), true, false},
      {"absurd size", WithEntry(padded, 512, 0xFFFFFFF8u), true, false},
      {"signed, table moved over the trailer",
       WithEntry(signedPadded, table.tableOffset - 8, table.tableSize + 8), false, false},
      {"table not ending at the end", signedPadded + std::string(8, '\0'), false, false},
      {"truncated inside the table",
       signedPadded.substr(0, table.tableOffset + table.tableSize / 2), false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    bool outside = false;
    const FileReadAt inner = MemoryReader(c.bytes.data(), c.bytes.size());
    const FileReadAt read = [&](uint64_t offset, void* buffer, size_t size) {
      outside = outside || offset > c.bytes.size() || size > c.bytes.size() - offset;
      return inner(offset, buffer, size);
    };
    ArchiveTrailer trailer;
    const bool found = FindArchiveTrailer(c.bytes.size(), read, &trailer);
    EXPECT_FALSE(outside);
    const std::filesystem::path path = folder / "case.scr";
    WriteWholeFile(path, c.bytes);
    CContentArchive archive;
    EXPECT_EQ(archive.Open(path.u8string().c_str()), c.opens);
    if (!c.opens) continue;
    EXPECT_TRUE(found);
    EXPECT_EQ(trailer.beforeSignature, c.beforeSignature);
    EXPECT_EQ(archive.GetArchiveOffset(), MinimalPeEngine().size());
    const std::unique_ptr<IFileData> config = archive.Read(kConfigEntryName, false);
    ASSERT_TRUE(config);
    EXPECT_EQ(std::string(config->GetData(), config->GetSize()), kConfig);
  }
}

TEST(SignCommand, RefusesWhatItCannotSignAndLeavesItAsItWas) {
  const std::filesystem::path folder = FixtureFolder("refusals");
  const std::string product = Product(folder / "product.scr", 300);
  std::filesystem::remove(folder / "product.scr");
  std::string damaged = product;
  damaged[FindZipRecord(product, "PK\3\4", "images/0.jpg") + 30 + 12 + 40] ^= 0x55;
  const std::vector<std::string> key = {"--key", (folder / "key.pem").u8string(), "--cert",
                                        (folder / "cert.pem").u8string()};
  const struct {
    const char* name;
    std::string bytes;
    const char* says;
    bool withTool;  // false: run without osslsigncode on the PATH
  } cases[] = {
      {"a text file", "just some text\n", "not a Windows program", true},
      {"a damaged archive", damaged, "images/0.jpg in its content archive is damaged", true},
      {"an engine without content", MinimalPeEngine(), "carries no content archive", true},
      {"no osslsigncode", product, "not on the PATH", false},
  };
  const char* path = std::getenv("PATH");
  const std::string savedPath = path != nullptr ? path : "";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::filesystem::path file = folder / "file.scr";
    WriteWholeFile(file, c.bytes);
#ifndef _WIN32
    // The Windows build runs under Wine, where osslsigncode is never on the PATH.
    setenv("PATH", c.withTool ? savedPath.c_str() : "", 1);
#else
    if (c.withTool) continue;
#endif
    std::vector<std::string> args = {"sign", file.u8string(), "-o",
                                     (folder / "out.scr").u8string()};
    args.insert(args.end(), key.begin(), key.end());
    std::string errors;
    EXPECT_EQ(Quillpack(args, &errors), 1);
    EXPECT_NE(errors.find(c.says), std::string::npos) << errors;
    EXPECT_EQ(ReadWholeFile(file), c.bytes);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              1)
        << "only the file remains";
  }
#ifndef _WIN32
  setenv("PATH", savedPath.c_str(), 1);
#endif
}
