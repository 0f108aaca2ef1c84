// Time of "quillpack sign" on a 20 MB product: the checks before and after (every
// entry inflated twice), osslsigncode's signing and its verification, with a
// throw-away certificate that openssl makes on the first run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/product_builder.h"
#include "tools/quillpack/pack_commands.h"
#include "tools/quillpack/program_runner.h"

namespace {

constexpr size_t kEntrySize = 5 << 20;  // four entries of JPEG-like noise: 20 MB
constexpr int kEntries = 4;

struct Fixture {
  std::filesystem::path product, output;
  std::vector<std::string> key;
};

const Fixture& SignFixture() {
  static const Fixture fixture = [] {
    const std::filesystem::path folder =
        std::filesystem::path(QUILL_BINARY_DIR) / "bench-fixtures" / "sign";
    std::filesystem::create_directories(folder);
    Fixture f{folder / "product.scr",
              folder / "signed.scr",
              {"--key", (folder / "key.pem").string(), "--cert", (folder / "cert.pem").string()}};
    std::string output;
    if (RunProgram({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                    "-subj", "/CN=QuillSaver bench", "-keyout", f.key[1], "-out", f.key[3]},
                   &output) != 0)
      std::fprintf(stderr, "openssl: %s\n", output.c_str());
    std::vector<ProductEntry> entries = {{"config/config.xml", "<ini/>"}};
    uint32_t hash = 2166136261u;
    for (int i = 0; i < kEntries; ++i) {
      std::string noise(kEntrySize, '\0');
      for (size_t k = 0; k < kEntrySize; ++k)
        noise[k] = static_cast<char>((hash = (hash ^ k) * 16777619u) >> 13);
      entries.push_back({"images/" + std::to_string(i) + ".jpg", noise});
    }
    if (!WriteProduct(f.product, MinimalPeEngine(), entries))
      std::fprintf(stderr, "cannot build %s\n", f.product.string().c_str());
    return f;
  }();
  return fixture;
}

void BM_SignProduct(benchmark::State& state) {
  const Fixture& f = SignFixture();
  std::vector<std::string> args = {"sign", f.product.string(), "-o", f.output.string()};
  args.insert(args.end(), f.key.begin(), f.key.end());
  for (auto _ : state) {
    std::ostringstream out, err;
    if (RunQuillpack(args, out, err) != 0) state.SkipWithError(err.str().c_str());
  }
  state.counters["MB"] = static_cast<double>(std::filesystem::file_size(f.product)) / 1e6;
}
BENCHMARK(BM_SignProduct)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
