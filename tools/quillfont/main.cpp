// quillfont: turns a TrueType font into the engine's bitmap font, the texture
// DIR/textures/font.tga and the description DIR/fonts/basic.font.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "data/content_layout.h"
#include "render/bitmap_font.h"
#include "tools/common/whole_file.h"
#include "tools/quillfont/font_atlas.h"

namespace {

constexpr int kDefaultPixelHeight = 64;  // a line of text, in texture pixels

void PrintUsage() {
  std::fprintf(stderr,
               "usage: quillfont FONT.ttf -o DIR [--size PX] [--aspect W:H]\n"
               "  Renders the printable ASCII characters of FONT.ttf into DIR/textures/font.tga\n"
               "  and writes their description to DIR/fonts/basic.font.\n"
               "  --size PX     line height in texture pixels, %d to %d (default %d)\n"
               "  --aspect W:H  screen shape on which the text keeps its designed\n"
               "                proportions (default 16:9; 4:3 for older screens)\n",
               kMinPixelHeight, kMaxPixelHeight, kDefaultPixelHeight);
}

bool WriteFile(const std::filesystem::path& path, const void* data, size_t size) {
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  return !out.fail();
}

}  // namespace

int main(int argc, char** argv) {
  const char* fontPath = nullptr;
  const char* outDir = nullptr;
  int pixelHeight = kDefaultPixelHeight;
  double aspect = kDefaultScreenAspect;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "-o") == 0 && i + 1 < argc) {
      outDir = argv[++i];
    } else if (std::strcmp(arg, "--size") == 0 && i + 1 < argc) {
      char* end = nullptr;
      const long value = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || value < kMinPixelHeight || value > kMaxPixelHeight) {
        std::fprintf(stderr, "quillfont: --size must be a number from %d to %d\n", kMinPixelHeight,
                     kMaxPixelHeight);
        return 2;
      }
      pixelHeight = static_cast<int>(value);
    } else if (std::strcmp(arg, "--aspect") == 0 && i + 1 < argc) {
      double w = 0, h = 0;
      char extra = 0;
      if (std::sscanf(argv[++i], "%lf:%lf%c", &w, &h, &extra) != 2 || !(h > 0) ||
          !(w / h >= kMinScreenAspect && w / h <= kMaxScreenAspect)) {
        std::fprintf(stderr, "quillfont: --aspect takes W:H, e.g. 16:9, between 1:2 and 4:1\n");
        return 2;
      }
      aspect = w / h;
    } else if (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0) {
      PrintUsage();
      return 0;
    } else if (arg[0] != '-' && fontPath == nullptr) {
      fontPath = arg;
    } else {
      PrintUsage();
      return 2;
    }
  }
  if (fontPath == nullptr || outDir == nullptr) {
    PrintUsage();
    return 2;
  }

  std::vector<uint8_t> ttf;
  std::string error;
  if (!ReadWholeFile(fontPath, &ttf, &error)) {
    std::fprintf(stderr, "quillfont: %s\n", error.c_str());
    return 1;
  }
  FontAtlas atlas;
  std::string why;
  if (!BuildFontAtlas(ttf.data(), ttf.size(), pixelHeight, aspect, &atlas, &why)) {
    std::fprintf(stderr, "quillfont: %s: %s\n", fontPath, why.c_str());
    return 1;
  }
  const std::string description =
      FormatFontDescription(atlas, std::filesystem::path(fontPath).filename().string());

  // The engine refuses to start without a readable description, so it is checked
  // with the engine's own reader before anything is written.
  CBitmapFont check;
  if (!check.LoadFromMemory(description.data(), static_cast<int>(description.size())) ||
      check.GetTextWidth("0123456789", 1.0f) <= 0.0f) {
    std::fprintf(stderr, "quillfont: the description does not load: %s\n",
                 check.GetLoadError().c_str());
    return 1;
  }

  const std::filesystem::path dir(outDir);
  const std::vector<uint8_t> tga = EncodeTga(atlas);
  const std::filesystem::path tgaPath = dir / kFontTextureName;
  const std::filesystem::path fontFile = dir / kFontDescriptionName;
  if (!WriteFile(tgaPath, tga.data(), tga.size())) {
    std::fprintf(stderr, "quillfont: cannot write %s\n", tgaPath.string().c_str());
    return 1;
  }
  if (!WriteFile(fontFile, description.data(), description.size())) {
    std::fprintf(stderr, "quillfont: cannot write %s\n", fontFile.string().c_str());
    return 1;
  }
  std::printf("quillfont: %d glyphs, %d px per line, texture %d x %d\n",
              static_cast<int>(atlas.cells.size()), atlas.cellHeight, atlas.width, atlas.height);
  return 0;
}
