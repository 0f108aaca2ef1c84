// Content archive speed: opening a product and counting its images by probing
// "images/%d.jpg" for 0..1023 (with the central-directory index and with the
// library's walk from the first entry), and reading one 5 MB entry.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "data/content_archive.h"
#include "tools/quillpack/product_writer.h"

namespace {

const std::filesystem::path& BenchFolder() {
  static const std::filesystem::path folder = [] {
    std::filesystem::path path =
        std::filesystem::path(QUILL_BINARY_DIR) / "bench-fixtures" / "archive";
    std::filesystem::create_directories(path);
    return path;
  }();
  return folder;
}

// A product shaped like a full one: the fixed entries and 1024 images, 1030 entries.
const std::string& ManyEntriesProduct() {
  static const std::string path = [] {
    const std::filesystem::path product = BenchFolder() / "many.scr";
    const std::string engine(200000, 'E');
    CProductWriter writer;
    bool ok = writer.Begin(product, engine.data(), engine.size());
    const char* fixed[] = {"Config/Config.xml",    "Fonts/basic.font",   "Textures/font.tga",
                           "Textures/DEFAULT.JPG", "Splash/splash1.bmp", "Splash/splash2.bmp"};
    for (const char* name : fixed) ok = ok && writer.AddEntry(name, name, 8);
    for (int i = 0; i < 1024 && ok; ++i) {
      const std::string name = "Images/" + std::to_string(i) + ".jpg";
      ok = writer.AddEntry(name, name.data(), name.size());
    }
    if (!ok || !writer.Commit()) std::fprintf(stderr, "cannot build %s\n", product.c_str());
    return product.string();
  }();
  return path;
}

constexpr size_t kLargeEntrySize = 5 << 20;

// Bytes of a large entry: text that deflates about as well as XML, or bytes that do
// not deflate at all, like JPEG data. The latter are a hash of the position.
std::string LargeEntry(bool compressible) {
  std::string data;
  data.reserve(kLargeEntrySize + 64);
  uint32_t hash = 2166136261u;
  for (uint32_t i = 0; data.size() < kLargeEntrySize; ++i) {
    if (compressible) {
      data += "<glyph code=\"" + std::to_string(i % 256) + "\" x=\"" + std::to_string(i % 97) +
              "\" y=\"" + std::to_string(i % 13) + "\"/>\n";
    } else {
      hash = (hash ^ i) * 16777619u;
      data += static_cast<char>(hash >> 13);
    }
  }
  data.resize(kLargeEntrySize);
  return data;
}

const std::string& LargeEntryProduct(bool compressible) {
  static std::string paths[2];
  std::string& path = paths[compressible ? 1 : 0];
  if (path.empty()) {
    const std::filesystem::path product =
        BenchFolder() / (compressible ? "large-text.scr" : "large-noise.scr");
    const std::string data = LargeEntry(compressible);
    CProductWriter writer;
    if (!writer.Begin(product, "MZ", 2) ||
        !writer.AddEntry("images/0.jpg", data.data(), data.size()) || !writer.Commit())
      std::fprintf(stderr, "cannot build %s\n", product.c_str());
    path = product.string();
  }
  return path;
}

// Argument 0: the index; 1: the library's walk from the first entry on every lookup.
void BM_OpenAndCountImages(benchmark::State& state) {
  const std::string& product = ManyEntriesProduct();
  const auto lookup =
      state.range(0) == 0 ? CContentArchive::Lookup::Index : CContentArchive::Lookup::DirectoryWalk;
  char name[32];
  for (auto _ : state) {
    CContentArchive archive;
    archive.SetLookup(lookup);
    if (!archive.Open(product.c_str())) {
      state.SkipWithError("cannot open the product");
      break;
    }
    int count = 0;
    for (; count < 1024; ++count) {
      std::snprintf(name, sizeof(name), "images/%d.jpg", count);
      if (!archive.Read(name, true)) break;
    }
    if (count != 1024) state.SkipWithError("images missing");
    benchmark::DoNotOptimize(count);
  }
  state.SetLabel(state.range(0) == 0 ? "index" : "walk");
}
BENCHMARK(BM_OpenAndCountImages)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_OpenOnly(benchmark::State& state) {
  const std::string& product = ManyEntriesProduct();
  for (auto _ : state) {
    CContentArchive archive;
    benchmark::DoNotOptimize(archive.Open(product.c_str()));
  }
}
BENCHMARK(BM_OpenOnly)->Unit(benchmark::kMillisecond);

// Argument 1: text-like content; 0: incompressible content.
void BM_ReadLargeEntry(benchmark::State& state) {
  CContentArchive archive;
  if (!archive.Open(LargeEntryProduct(state.range(0) == 1).c_str())) {
    state.SkipWithError("cannot open the product");
    return;
  }
  for (auto _ : state) {
    auto data = archive.Read("images/0.jpg", false);
    if (!data || data->GetSize() != static_cast<int>(kLargeEntrySize)) {
      state.SkipWithError("read failed");
      break;
    }
    benchmark::DoNotOptimize(data->GetData());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kLargeEntrySize);
  state.SetLabel(state.range(0) == 1 ? "text-like" : "incompressible");
}
BENCHMARK(BM_ReadLargeEntry)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
