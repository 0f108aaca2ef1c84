// quilldemo: paints the demo product's content (slideshow images, default texture
// and splash pictures) into a folder, ready for the packer.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "data/caption_list.h"
#include "data/content_layout.h"
#include "tools/common/vorbis_writer.h"
#include "tools/demo/image_files.h"
#include "tools/demo/melody.h"
#include "tools/demo/picture.h"
#include "tools/demo/scenes.h"
#include "tools/demo/text.h"

namespace {

constexpr int kJpegQuality = 90;
constexpr int kSplashWidth = 320;
constexpr int kSplashHeight = 240;
constexpr int kMusicRate = 44100;

struct ImageDesign {
  void (*paint)(CPicture&);
  int width, height;
  const char* caption;  // UTF-8, in several scripts, as a maker's captions might be
  CaptionDate taken;
  // Above width: the scene is painted this wide and its middle `width` columns kept, so
  // that a portrait is a part of a landscape scene rather than the scene squeezed.
  int paintWidth = 0;
};

// Varied sizes and shapes on purpose: landscapes of several shapes that fit places
// between bars, portraits that pair, and the largest tests the texture loader's path
// for big pictures.
const ImageDesign kImages[] = {
    {PaintSunset, 1920, 1080, "Harbour at dusk", {2023, 7, 14}},
    {PaintAurora, 2560, 1080, "Revontulet, Lapland", {2024, 2, 29}},
    {PaintMosaic, 2048, 1536, "\xCE\x9C\xCF\x89\xCF\x83\xCE\xB1\xCF\x8A\xCE\xBA\xCF\x8C", {}},
    {PaintBokeh, 1280, 1024, "", {2022, 12, 24}},
    {PaintOcean, 3840, 2160, "\xE6\xB5\xB7\xE3\x81\xAE\xE6\xB3\xA2", {2021, 8, 3}},
    {PaintDunes, 1024, 768, "P\xC3\xADse\xC4\x8Dn\xC3\xA9 duny", {2020, 5, 1}},
    {PaintForest, 1920, 1200, "Forest path", {}},
    {PaintNebula, 1600, 1200, "", {}},
    {PaintSilk, 1366, 768, "Silk", {2019, 10, 9}},
    {PaintRetroSun, 1920, 1080, "Retro sun", {2025, 1, 1}},
    // Portraits: on a landscape screen they pair up, and the odd one stands alone
    // between its blurred backdrop.
    {PaintForest, 1080, 1620, "Birches", {2024, 9, 21}, 2880},
    {PaintSunset, 1200, 1800, "Lighthouse", {2023, 7, 15}, 3200},
    {PaintSilk, 900, 1600, "", {2018, 3, 30}, 2840},
};

struct SplashDesign {
  void (*paint)(CPicture&);
  const char* subtitle;
};

const SplashDesign kSplashes[] = {
    {PaintSunset, "Sunsets and hills"},
    {PaintAurora, "Northern lights"},
    {PaintOcean, "Ocean waves"},
    {PaintRetroSun, "A demo screensaver"},
};

bool SaveJpeg(const CPicture& picture, const std::string& path) {
  std::vector<uint8_t> bytes;
  std::string why;
  if (!EncodeJpeg(picture, kJpegQuality, &bytes, &why)) {
    std::fprintf(stderr, "quilldemo: %s: %s\n", path.c_str(), why.c_str());
    return false;
  }
  if (!WriteFileBytes(path, bytes)) {
    std::fprintf(stderr, "quilldemo: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

// A splash picture: the scene, a darkened band across its lower part and the title.
CPicture MakeSplash(const SplashDesign& design, const CTitleFont& font, const std::string& title) {
  CPicture picture(kSplashWidth, kSplashHeight);
  design.paint(picture);
  const float top = 0.60f * kSplashHeight, bottom = 0.88f * kSplashHeight;
  for (int y = 0; y < kSplashHeight; ++y) {
    const float band =
        Smoothstep(top - 6, top + 6, y + 0.5f) * (1 - Smoothstep(bottom - 6, bottom + 6, y + 0.5f));
    for (int x = 0; x < kSplashWidth; ++x) picture.At(x, y) = picture.At(x, y) * (1 - 0.45f * band);
  }
  const float center = kSplashWidth / 2.0f;
  // Long titles are set smaller so that they keep a margin on both sides.
  constexpr float kTitleHeight = 40, kMargin = 16;
  float size = kTitleHeight;
  const float width = font.Measure(title.c_str(), size);
  if (width > kSplashWidth - 2 * kMargin) size *= (kSplashWidth - 2 * kMargin) / width;
  font.DrawCentered(picture, title.c_str(), size, center + 1.5f, 0.76f * kSplashHeight + 1.5f,
                    Rgb{0, 0, 0}, 0.5f);
  font.DrawCentered(picture, title.c_str(), size, center, 0.76f * kSplashHeight, Hex(0xFFF6E8), 1);
  font.DrawCentered(picture, design.subtitle, 15, center, 0.845f * kSplashHeight, Hex(0xF3E3D3),
                    0.9f);
  return picture;
}

}  // namespace

int main(int argc, char** argv) {
  std::string outDir, fontPath, title = "QuillSaver";
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--font") == 0 && i + 1 < argc) {
      fontPath = argv[++i];
    } else if (std::strcmp(argv[i], "--title") == 0 && i + 1 < argc) {
      title = argv[++i];
    } else if (argv[i][0] != '-' && outDir.empty()) {
      outDir = argv[i];
    } else {
      outDir.clear();
      break;
    }
  }
  if (outDir.empty()) {
    std::fprintf(stderr,
                 "usage: quilldemo DIR [--font TITLE.ttf] [--title TEXT]\n"
                 "  Paints images/N.jpg, textures/default.jpg and splash/splashN.bmp into DIR;\n"
                 "  the splash pictures carry TEXT (the product's title) set in TITLE.ttf.\n"
                 "  Synthesises music/0.ogg and writes the images' captions.\n");
    return 2;
  }
  const auto started = std::chrono::steady_clock::now();

  int number = 0;
  std::vector<Caption> captions;
  for (const ImageDesign& design : kImages) {
    CPicture picture(design.width, design.height);
    if (design.paintWidth > design.width) {
      CPicture scene(design.paintWidth, design.height);
      design.paint(scene);
      const int left = (design.paintWidth - design.width) / 2;
      for (int y = 0; y < design.height; ++y)
        for (int x = 0; x < design.width; ++x) picture.At(x, y) = scene.At(left + x, y);
    } else {
      design.paint(picture);
    }
    if (design.caption[0] != '\0' || design.taken.IsSet())
      captions.push_back({number, design.taken, design.caption});
    if (!SaveJpeg(picture, outDir + "/" + ImageFileName(number++))) return 1;
  }
  const std::string captionText = CCaptionList::Format(captions);
  if (!WriteFileBytes(outDir + "/" + kCaptionsName,
                      std::vector<uint8_t>(captionText.begin(), captionText.end()))) {
    std::fprintf(stderr, "quilldemo: cannot write %s\n", kCaptionsName);
    return 1;
  }

  CPicture texture(256, 256);
  PaintDefaultTexture(texture);
  if (!SaveJpeg(texture, outDir + "/textures/default.jpg")) return 1;

  CTitleFont font;
  if (!fontPath.empty() && !font.Load(fontPath)) {
    std::fprintf(stderr, "quilldemo: cannot use the font %s\n", fontPath.c_str());
    return 1;
  }
  int splash = 1;
  for (const SplashDesign& design : kSplashes) {
    const std::string path = outDir + "/splash/splash" + std::to_string(splash++) + ".bmp";
    if (!WriteFileBytes(path, EncodeBmp(MakeSplash(design, font, title)))) {
      std::fprintf(stderr, "quilldemo: cannot write %s\n", path.c_str());
      return 1;
    }
  }

  std::string ogg;
  std::string why;
  const std::string musicPath = outDir + "/" + MusicFileName(0);
  if (!EncodeOggVorbis(SynthesizeMelody(kMusicRate), 2, kMusicRate, kMusicEncodeQuality, &ogg,
                       &why) ||
      !WriteFileBytes(musicPath, std::vector<uint8_t>(ogg.begin(), ogg.end()))) {
    std::fprintf(stderr, "quilldemo: %s: %s\n", musicPath.c_str(), why.c_str());
    return 1;
  }

  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("quilldemo: %d images, default texture, %d splash pictures and music in %.1f s\n",
              number, splash - 1, seconds);
  return 0;
}
