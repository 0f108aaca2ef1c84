// Tests of the content archive: products built at test time under the build tree are
// read back entry by entry; lookups, probes and every kind of damaged program file
// come as tables of cases with the result each must give.
#include "data/content_archive.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/product_fixture.h"

#ifdef __linux__
#include <dirent.h>
#endif

namespace {

using Lookup = CContentArchive::Lookup;
const Lookup kLookups[] = {Lookup::Index, Lookup::DirectoryWalk};

std::string Incompressible(size_t size) {
  std::string data(size, '\0');
  uint32_t state = 12345;
  for (char& c : data) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>(state >> 23);
  }
  return data;
}

std::string ReadAll(CContentArchive& archive, const char* name) {
  auto data = archive.Read(name, false);
  if (!data) return "<null>";
  return std::string(data->GetData(), static_cast<size_t>(data->GetSize()));
}

// A product with the delivered archive's names (in the maker's letter case).
std::vector<FixtureEntry> ProductEntries() {
  std::vector<FixtureEntry> entries = {
      {"Config/Config.xml",
       "<ini><Screensaver><Title>T</Title><Version>1</Version><Year>2026</Year>"
       "<Company>C</Company></Screensaver></ini>"},
      {"Fonts/basic.font", "<font/>"},
      {"Textures/font.tga", Incompressible(3000)},
      {"Textures/DEFAULT.JPG", "\xFF\xD8\xFF jpeg"},
      {"Splash/splash1.bmp", "BM1"},
      {"Splash/splash2.bmp", "BM2"},
      {"Splash/splash3.bmp", "BM3"},
      {"Splash/splash4.bmp", "BM4"},
      {"Empty.bin", ""},
      {"Big/compressible.txt", std::string(1 << 20, 'q')},
      {"Big/incompressible.bin", Incompressible(300000)},
      {"Bilder/\xC3\x84.jpg", "umlaut"},
      {"dup/A.txt", "first"},
      {"DUP/a.TXT", "second"},
  };
  for (int i = 0; i < 12; ++i)
    entries.push_back({"Images/" + std::to_string(i) + ".jpg", "image " + std::to_string(i)});
  return entries;
}

class ContentArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_folder = FixtureFolder("content_archive");
    m_product = m_folder / "product.scr";
    m_engine = FakeEngine(4097);
    ASSERT_TRUE(WriteProduct(m_product, m_engine, ProductEntries()));
  }
  void TearDown() override { CloseContentArchive(); }

  std::filesystem::path m_folder;
  std::filesystem::path m_product;
  std::string m_engine;
};

TEST(FileDataTest, BlocksHoldExactlyWhatWasAsked) {
  CFileData probe;
  EXPECT_EQ(probe.GetData(), nullptr);
  EXPECT_EQ(probe.GetSize(), 0);

  CFileData block;
  EXPECT_FALSE(block.Allocate(-1));
  EXPECT_EQ(block.GetData(), nullptr);
  ASSERT_TRUE(block.Assign("abc", 3));
  EXPECT_EQ(std::string(block.GetData(), 3), "abc");
  ASSERT_TRUE(block.Allocate(0));
  EXPECT_NE(block.GetData(), nullptr);
  EXPECT_EQ(block.GetSize(), 0);
  EXPECT_FALSE(block.Assign(nullptr, 2));
  EXPECT_EQ(block.GetSize(), 0);
}

TEST(ArchiveLookupKeyTest, FoldsOnlyAsciiLettersAndSlashes) {
  const std::pair<std::string, std::string> cases[] = {
      {"config\\config.xml", "CONFIG/CONFIG.XML"},
      {"Textures/DEFAULT.jpg", "TEXTURES/DEFAULT.JPG"},
      {"a-z_[]{}@`", "A-Z_[]{}@`"},  // '[' '@' '`' '{' sit beside the letters
      {"\xC3\xA4\xC3\x84", "\xC3\xA4\xC3\x84"},
      {"", ""},
  };
  for (const auto& [name, key] : cases) EXPECT_EQ(ArchiveLookupKey(name), key) << name;
}

TEST(ArchiveEntrySizeTest, ImplausibleClaimsAreRefused) {
  struct Case {
    uint64_t uncompressed;
    uint64_t compressed;
    bool plausible;
  };
  const Case cases[] = {
      {0, 0, true},
      {1024, 0, true},
      {1025, 0, false},
      {1032 * 14 + 1024, 14, true},
      {1032 * 14 + 1025, 14, false},
      {kMaxArchiveEntrySize, kMaxArchiveEntrySize, true},
      {kMaxArchiveEntrySize + 1, kMaxArchiveEntrySize, false},
      {kMaxArchiveEntrySize, 1 << 20, true},
      {kMaxArchiveEntrySize, 1000, false},
      {~uint64_t{0}, ~uint64_t{0}, false},
      {5, ~uint64_t{0}, true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsPlausibleArchiveEntrySize(c.uncompressed, c.compressed), c.plausible)
        << c.uncompressed << " from " << c.compressed;
}

// Every entry reads back byte for byte, from engines of several lengths (an empty
// one, one byte, an odd length), by name and by position.
TEST(ContentArchiveRoundTrip, EveryEntryByteForByte) {
  const std::filesystem::path folder = FixtureFolder("content_archive_round_trip");
  const std::vector<FixtureEntry> entries = ProductEntries();
  for (size_t engineSize : {size_t{0}, size_t{1}, size_t{12345}}) {
    SCOPED_TRACE(engineSize);
    const std::filesystem::path product = folder / ("engine" + std::to_string(engineSize) + ".scr");
    const std::string engine = FakeEngine(engineSize);
    ASSERT_TRUE(WriteProduct(product, engine, entries));
    const std::string bytes = ReadWholeFile(product);
    ASSERT_EQ(bytes.compare(0, engine.size(), engine), 0) << "engine bytes come first";
    EXPECT_EQ(bytes.substr(bytes.size() - 4), "BDTV");
    EXPECT_EQ(GetLe32(bytes, bytes.size() - 8), engineSize);

    CContentArchive archive;
    ASSERT_TRUE(archive.Open(product.string().c_str()));
    EXPECT_EQ(archive.GetArchiveOffset(), engineSize);
    ASSERT_EQ(archive.GetEntries().size(), entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
      EXPECT_EQ(archive.GetEntries()[i].name, entries[i].name);
      EXPECT_EQ(archive.GetEntries()[i].uncompressedSize, entries[i].data.size());
      EXPECT_TRUE(archive.GetEntries()[i].encrypted);
      auto data = archive.ReadEntry(i);
      ASSERT_TRUE(data) << entries[i].name;
      EXPECT_EQ(std::string(data->GetData(), static_cast<size_t>(data->GetSize())),
                entries[i].data);
      // A reader told to stop gets nothing of an entry that has bytes to read.
      const std::atomic<bool> stop{true};
      EXPECT_EQ(archive.ReadEntry(i, &stop) == nullptr, !entries[i].data.empty());
    }
    // "dup/a.txt" answers with the first of its two spellings, so only the others are
    // compared by name.
    for (const FixtureEntry& entry : entries) {
      if (entry.name == "DUP/a.TXT") continue;
      EXPECT_EQ(ReadAll(archive, entry.name.c_str()), entry.data);
    }
  }
}

struct LookupCase {
  std::string query;
  const char* expected;  // content read, or "<null>"
};

TEST_F(ContentArchiveTest, NamesMatchWithEitherSlashAndAnyAsciiCase) {
  const LookupCase cases[] = {
      {"config\\config.xml", nullptr},  // filled below with the config text
      {"config/config.xml", nullptr},
      {"CONFIG/CONFIG.XML", nullptr},
      {"TEXTURES/DEFAULT.JPG", "\xFF\xD8\xFF jpeg"},
      {"textures/default.jpg", "\xFF\xD8\xFF jpeg"},
      {"splash\\splash3.bmp", "BM3"},
      {"images/11.jpg", "image 11"},
      {"IMAGES\\0.JPG", "image 0"},
      {"dup/a.txt", "first"},  // first of two entries that fold alike
      {"Empty.bin", ""},
      {"bilder/\xC3\x84.jpg", "umlaut"},
      {"bilder/\xC3\xA4.jpg", "<null>"},  // bytes beyond ASCII match exactly
      {"images/12.jpg", "<null>"},
      {"images/0.jp", "<null>"},
      {"images/0.jpg ", "<null>"},
      {"/images/0.jpg", "<null>"},
      {"images//0.jpg", "<null>"},
      {"", "<null>"},
  };
  const std::string config = ProductEntries()[0].data;
  for (Lookup lookup : kLookups) {
    CContentArchive archive;
    archive.SetLookup(lookup);
    ASSERT_TRUE(archive.Open(m_product.string().c_str()));
    for (const LookupCase& c : cases)
      EXPECT_EQ(ReadAll(archive, c.query.c_str()), c.expected ? c.expected : config)
          << "query \"" << c.query << "\", walk " << (lookup == Lookup::DirectoryWalk);
  }
}

TEST_F(ContentArchiveTest, ProbesFindWithoutReading) {
  for (Lookup lookup : kLookups) {
    CContentArchive archive;
    archive.SetLookup(lookup);
    ASSERT_TRUE(archive.Open(m_product.string().c_str()));
    auto found = archive.Read("textures/font.tga", true);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->GetData(), nullptr);
    EXPECT_EQ(found->GetSize(), 0);
    EXPECT_FALSE(archive.Read("textures/missing.tga", true));

    // The slideshow's count: probe from 0 up to the first missing number.
    int count = 0;
    while (count < 1024 && archive.Read(("images/" + std::to_string(count) + ".jpg").c_str(), true))
      ++count;
    EXPECT_EQ(count, 12);
  }
}

// Long names: the working buffer holds 1023 bytes and the library refuses 256 or more,
// so only names up to 255 bytes are ever found.
TEST(ContentArchiveNames, LongNamesAreNotFound) {
  const std::filesystem::path folder = FixtureFolder("content_archive_long_names");
  const std::string name255 = "n/" + std::string(253, 'x');
  const std::string name256 = "n/" + std::string(254, 'y');
  const std::string name1100 = "n/" + std::string(1098, 'z');
  ASSERT_TRUE(WriteProduct(folder / "p.scr", FakeEngine(10),
                           {{name255, "255"}, {name256, "256"}, {name1100, "1100"}}));
  const std::pair<std::string, const char*> cases[] = {
      {name255, "255"},
      {name256, "<null>"},
      {name1100, "<null>"},
      {std::string(1023, 'a'), "<null>"},
      {std::string(1024, 'a'), "<null>"},
      {std::string(70000, 'a'), "<null>"},
  };
  for (Lookup lookup : kLookups) {
    CContentArchive archive;
    archive.SetLookup(lookup);
    ASSERT_TRUE(archive.Open((folder / "p.scr").string().c_str()));
    for (const auto& [query, expected] : cases)
      EXPECT_EQ(ReadAll(archive, query.c_str()), expected) << query.size() << " bytes";
    // Still listed and readable by position.
    ASSERT_EQ(archive.GetEntries().size(), 3u);
    EXPECT_EQ(archive.GetEntries()[2].name, name1100);
    auto data = archive.ReadEntry(2);
    ASSERT_TRUE(data);
    EXPECT_EQ(std::string(data->GetData(), 4), "1100");
  }
}

// A damaged program file: how it is spoiled, whether it still opens, and what the
// reads give (entry name -> content or "<null>").
struct DamageCase {
  const char* label;
  std::function<void(std::string*)> damage;
  bool opens;
  std::vector<std::pair<std::string, std::string>> reads;  // in the order read
};

const std::vector<FixtureEntry>& DamageEntries() {
  static const std::vector<FixtureEntry> entries = {
      {"config/config.xml", "<ini/>"},
      {"images/0.jpg", std::string(5000, 'i') + "tail"},
      {"images/1.jpg", "image one"},
      {"empty.bin", ""},
      {"other/wrong.pwd", "locked away", "not-the-password"},
      {"other/plain.txt", "not encrypted", nullptr},
  };
  return entries;
}

void PatchBoth(std::string* bytes, const std::string& name, size_t localAt, size_t centralAt,
               uint32_t value) {
  const size_t local = FindZipRecord(*bytes, "PK\3\4", name);
  const size_t central = FindZipRecord(*bytes, "PK\1\2", name);
  ASSERT_NE(local, std::string::npos);
  ASSERT_NE(central, std::string::npos);
  PutLe32(bytes, local + localAt, value);
  PutLe32(bytes, central + centralAt, value);
}

std::vector<DamageCase> DamageCases() {
  using Reads = std::vector<std::pair<std::string, std::string>>;
  const Reads intact = {
      {"config/config.xml", "<ini/>"},
      {"images/1.jpg", "image one"},
      {"empty.bin", ""},
  };
  const Reads nothing = {
      {"config/config.xml", "<null>"}, {"images/1.jpg", "<null>"}, {"empty.bin", "<null>"}};
  auto with = [&](const std::string& name, const std::string& value) {
    Reads reads = intact;
    bool replaced = false;
    for (auto& read : reads) {
      if (read.first == name) {
        read.second = value;
        replaced = true;
      }
    }
    if (!replaced) reads.emplace_back(name, value);
    return reads;
  };
  auto setTrailerOffset = [](uint32_t offset) {
    return [offset](std::string* b) { PutLe32(b, b->size() - 8, offset); };
  };
  return {
      {"intact", [](std::string*) {}, true, with("images/0.jpg", std::string(5000, 'i') + "tail")},
      {"entry under another password", [](std::string*) {}, true,
       with("other/wrong.pwd", "<null>")},
      {"entry stored without encryption", [](std::string*) {}, true,
       with("other/plain.txt", "<null>")},
      {"magic is not BDTV", [](std::string* b) { (*b)[b->size() - 1] = 'W'; }, false, nothing},
      {"trailer missing", [](std::string* b) { b->resize(b->size() - 8); }, false, nothing},
      {"truncated by one byte", [](std::string* b) { b->pop_back(); }, false, nothing},
      {"truncated to half", [](std::string* b) { b->resize(b->size() / 2); }, false, nothing},
      {"empty file", [](std::string* b) { b->clear(); }, false, nothing},
      {"seven bytes", [](std::string* b) { *b = "xxxBDTV"; }, false, nothing},
      {"trailer alone", [](std::string* b) { *b = std::string(4, '\0') + "BDTV"; }, false, nothing},
      {"offset beyond the file", setTrailerOffset(0xFFFFFFF0u), false, nothing},
      {"offset just past the trailer's start",
       [](std::string* b) { PutLe32(b, b->size() - 8, static_cast<uint32_t>(b->size() - 7)); },
       false, nothing},
      {"offset into the middle of the ZIP",
       [](std::string* b) { PutLe32(b, b->size() - 8, GetLe32(*b, b->size() - 8) + 200); }, false,
       nothing},
      // The library finds the ZIP from its end record and makes up for bytes before
      // it, so an offset that is too small still reads.
      {"offset into the engine", setTrailerOffset(3), true, intact},
      {"end record destroyed",
       [](std::string* b) { (*b)[FindEndOfCentralDirectory(*b) + 1] = 'X'; }, false, nothing},
      {"central directory offset wrong",
       [](std::string* b) {
         const size_t end = FindEndOfCentralDirectory(*b);
         PutLe32(b, end + 16, GetLe32(*b, end + 16) + 1000000);
       },
       false, nothing},
      {"first central record damaged",
       [](std::string* b) { (*b)[FindZipRecord(*b, "PK\1\2", "config/config.xml")] = 'Q'; }, true,
       nothing},
      // Entries before the damage stay readable, also after a lookup that ran into it.
      {"later central record damaged",
       [](std::string* b) { (*b)[FindZipRecord(*b, "PK\1\2", "images/1.jpg")] = 'Q'; },
       true,
       {{"empty.bin", "<null>"},
        {"images/1.jpg", "<null>"},
        {"z", "<null>"},
        {"config/config.xml", "<ini/>"}}},
      {"local header damaged",
       [](std::string* b) { (*b)[FindZipRecord(*b, "PK\3\4", "images/1.jpg") + 2] = 'Q'; }, true,
       with("images/1.jpg", "<null>")},
      {"CRC mismatch",
       [](std::string* b) {
         const size_t central = FindZipRecord(*b, "PK\1\2", "images/1.jpg");
         PatchBoth(b, "images/1.jpg", 14, 16, GetLe32(*b, central + 16) ^ 0x00010000u);
       },
       true, with("images/1.jpg", "<null>")},
      {"CRC mismatch on an empty entry",
       [](std::string* b) { PatchBoth(b, "empty.bin", 14, 16, 0x12345678u); }, true,
       with("empty.bin", "<null>")},
      {"compressed byte corrupted",
       [](std::string* b) {
         const size_t local = FindZipRecord(*b, "PK\3\4", "images/0.jpg");
         (*b)[local + 30 + 12 + 12 + 5] ^= 0x55;
       },
       true, with("images/0.jpg", "<null>")},
      {"claimed size far beyond the cap",
       [](std::string* b) { PatchBoth(b, "images/1.jpg", 22, 24, 0x7FFFFFF0u); }, true,
       with("images/1.jpg", "<null>")},
      {"claimed size just over the cap",
       [](std::string* b) {
         PatchBoth(b, "images/1.jpg", 22, 24, static_cast<uint32_t>(kMaxArchiveEntrySize + 1));
       },
       true, with("images/1.jpg", "<null>")},
      {"claimed size beyond what deflate can give",
       [](std::string* b) { PatchBoth(b, "images/1.jpg", 22, 24, 8u << 20); }, true,
       with("images/1.jpg", "<null>")},
      {"claimed size one byte longer",
       [](std::string* b) { PatchBoth(b, "images/1.jpg", 22, 24, 10); }, true,
       with("images/1.jpg", "<null>")},
      {"claimed size one byte shorter",
       [](std::string* b) { PatchBoth(b, "images/1.jpg", 22, 24, 8); }, true,
       with("images/1.jpg", "<null>")},
      {"claimed compressed size beyond the file",
       [](std::string* b) { PatchBoth(b, "images/0.jpg", 18, 20, 0x00FFFFFFu); }, true,
       with("images/0.jpg", "<null>")},
  };
}

TEST(ContentArchiveDamage, DamagedProductsGiveCleanFailures) {
  const std::filesystem::path folder = FixtureFolder("content_archive_damage");
  const std::filesystem::path original = folder / "original.scr";
  ASSERT_TRUE(WriteProduct(original, FakeEngine(777), DamageEntries()));
  const std::string bytes = ReadWholeFile(original);
  for (const DamageCase& c : DamageCases()) {
    std::string damaged = bytes;
    c.damage(&damaged);
    const std::filesystem::path product = folder / "damaged.scr";
    WriteWholeFile(product, damaged);
    for (Lookup lookup : kLookups) {
      SCOPED_TRACE(std::string(c.label) + (lookup == Lookup::DirectoryWalk ? " (walk)" : ""));
      CContentArchive archive;
      archive.SetLookup(lookup);
      EXPECT_EQ(archive.Open(product.string().c_str()), c.opens);
      for (const auto& [name, expected] : c.reads) {
        EXPECT_EQ(ReadAll(archive, name.c_str()), expected) << name;
        // Reading again gives the same answer: a failure leaves nothing behind that
        // spoils the next read.
        EXPECT_EQ(ReadAll(archive, name.c_str()), expected) << name << " again";
      }
    }
  }
}

TEST(ContentArchiveDamage, MissingFileOpensNothing) {
  CContentArchive archive;
  EXPECT_FALSE(
      archive.Open((FixtureFolder("content_archive_missing") / "none.scr").string().c_str()));
  EXPECT_FALSE(archive.Open(nullptr));
  EXPECT_FALSE(archive.Read("config/config.xml", false));
  EXPECT_FALSE(archive.Read(nullptr, true));
  EXPECT_EQ(archive.GetArchiveOffset(), 0u);
  EXPECT_TRUE(archive.GetEntries().empty());
}

#ifdef __linux__
int OpenDescriptorCount() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (readdir(dir) != nullptr) ++count;
    closedir(dir);
  }
  return count;
}

// Refused files are closed again, whatever stage refused them.
TEST(ContentArchiveDamage, RefusedFilesAreNotLeftOpen) {
  const std::filesystem::path folder = FixtureFolder("content_archive_leak");
  ASSERT_TRUE(WriteProduct(folder / "good.scr", FakeEngine(100), {{"a.txt", "a"}}));
  std::string bytes = ReadWholeFile(folder / "good.scr");
  std::string noMagic = bytes;
  noMagic.back() = 'X';
  WriteWholeFile(folder / "no-magic.scr", noMagic);
  std::string farOffset = bytes;
  PutLe32(&farOffset, farOffset.size() - 8, 0xFFFFFF00u);
  WriteWholeFile(folder / "far-offset.scr", farOffset);
  WriteWholeFile(folder / "short.scr", "BDTV");
  const int before = OpenDescriptorCount();
  for (const char* name : {"no-magic.scr", "far-offset.scr", "short.scr"}) {
    CContentArchive archive;
    EXPECT_FALSE(archive.Open((folder / name).string().c_str())) << name;
    EXPECT_EQ(OpenDescriptorCount(), before) << name;
  }
  {
    CContentArchive archive;
    ASSERT_TRUE(archive.Open((folder / "good.scr").string().c_str()));
    EXPECT_EQ(OpenDescriptorCount(), before + 1);
  }
  EXPECT_EQ(OpenDescriptorCount(), before);
}
#endif

// The process-wide archive: closed until opened, reopened on another file, closed again.
TEST_F(ContentArchiveTest, ProcessArchiveOpensClosesAndReopens) {
  const std::filesystem::path second = m_folder / "second.scr";
  ASSERT_TRUE(WriteProduct(second, FakeEngine(33), {{"config/config.xml", "second"}}));
  const std::string config = ProductEntries()[0].data;

  EXPECT_FALSE(ReadArchiveFile("config\\config.xml", false));
  for (int cycle = 0; cycle < 2; ++cycle) {
    ASSERT_TRUE(OpenContentArchive(m_product.string().c_str()));
    auto data = ReadArchiveFile("config\\config.xml", false);
    ASSERT_TRUE(data);
    EXPECT_EQ(std::string(data->GetData(), static_cast<size_t>(data->GetSize())), config);
    // Opening another file replaces the first.
    ASSERT_TRUE(OpenContentArchive(second.string().c_str()));
    data = ReadArchiveFile("config\\config.xml", false);
    ASSERT_TRUE(data);
    EXPECT_EQ(std::string(data->GetData(), static_cast<size_t>(data->GetSize())), "second");
    EXPECT_FALSE(ReadArchiveFile("images/0.jpg", true));
    CloseContentArchive();
    EXPECT_FALSE(ReadArchiveFile("config\\config.xml", true));
  }
  // A failed open leaves the archive closed.
  ASSERT_TRUE(OpenContentArchive(m_product.string().c_str()));
  EXPECT_FALSE(OpenContentArchive((m_folder / "none.scr").string().c_str()));
  EXPECT_FALSE(ReadArchiveFile("config\\config.xml", true));
}

// Two archives with different offsets open at once, reads interleaved: each stream
// keeps its own offset.
TEST_F(ContentArchiveTest, TwoArchivesOpenAtOnceStayApart) {
  const std::filesystem::path second = m_folder / "second.scr";
  ASSERT_TRUE(WriteProduct(second, FakeEngine(1), {{"images/0.jpg", "other zero"}}));
  CContentArchive first;
  CContentArchive other;
  ASSERT_TRUE(first.Open(m_product.string().c_str()));
  ASSERT_TRUE(other.Open(second.string().c_str()));
  EXPECT_EQ(first.GetArchiveOffset(), m_engine.size());
  EXPECT_EQ(other.GetArchiveOffset(), 1u);
  ASSERT_TRUE(OpenContentArchive(second.string().c_str()));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(ReadAll(first, "images/0.jpg"), "image 0");
    EXPECT_EQ(ReadAll(other, "images/0.jpg"), "other zero");
    auto data = ReadArchiveFile("images/0.jpg", false);
    ASSERT_TRUE(data);
    EXPECT_EQ(std::string(data->GetData(), static_cast<size_t>(data->GetSize())), "other zero");
    EXPECT_EQ(ReadAll(first, "images/7.jpg"), "image 7");
  }
}

// A stop flag that turns true while a read is under way ends it at the next block,
// and a reader told to stop while another holds the archive through a long entry
// gives up waiting instead of sitting through it. Times are measured against a whole
// read of the same entry, so the checks hold on slow and fast machines alike.
TEST_F(ContentArchiveTest, AStopDuringAReadOrWhileWaitingForTheLockEndsItSoon) {
  const std::filesystem::path big = m_folder / "big.scr";
  ASSERT_TRUE(
      WriteProduct(big, FakeEngine(64),
                   {{"big.bin", std::string(size_t{48} << 20, '\0')}, {"small.txt", "small"}}));
  ASSERT_TRUE(OpenContentArchive(big.string().c_str()));
  using Clock = std::chrono::steady_clock;
  const auto whole = [] {
    const Clock::time_point start = Clock::now();
    EXPECT_TRUE(ReadArchiveFile("big.bin", false));
    return Clock::now() - start;
  }();

  std::atomic<bool> stop{false};
  std::unique_ptr<IFileData> stopped;
  std::thread reader([&] { stopped = ReadArchiveFile("big.bin", false, &stop); });
  std::this_thread::sleep_for(whole / 4);
  stop = true;
  reader.join();
  EXPECT_FALSE(stopped) << "the read ran to its end";

  std::thread holder([] { EXPECT_TRUE(ReadArchiveFile("big.bin", false)); });
  std::this_thread::sleep_for(whole / 8);
  const Clock::time_point start = Clock::now();
  EXPECT_FALSE(ReadArchiveFile("small.txt", false, &stop));
  const auto waited = Clock::now() - start;
  holder.join();
  EXPECT_LT(waited, whole / 4) << "waited for the other reader's whole entry";
  // Without a stop the small entry is read once the lock is free.
  EXPECT_TRUE(ReadArchiveFile("small.txt", false));
}

}  // namespace
