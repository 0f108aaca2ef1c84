// Image decoding for textures: JPEG and TGA pixels, scaling, mip chains, hostile
// files.
#include "render/image_decoder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <vector>

#include "render/image_scaler.h"
#include "render/jpeg_reader.h"
#include "render/mip_chain.h"
#include "render/tga_reader.h"
#include "tests/support/image_files.h"

namespace {

constexpr uint32_t kRed = 0xFFE01010;
constexpr uint32_t kGreen = 0xFF10C020;
constexpr uint32_t kBlue = 0xFF2020D0;
constexpr uint32_t kYellow = 0xFFF0E030;

int Channel(uint32_t pixel, int c) { return (pixel >> (8 * c)) & 0xFF; }

// Per-channel comparison with a tolerance, printing both colours on failure.
::testing::AssertionResult ColourNear(uint32_t actual, uint32_t expected, int tolerance) {
  for (int c = 0; c < 4; ++c) {
    if (std::abs(Channel(actual, c) - Channel(expected, c)) > tolerance)
      return ::testing::AssertionFailure() << std::hex << "0x" << actual << " vs 0x" << expected;
  }
  return ::testing::AssertionSuccess();
}

// Red, green, blue and yellow quadrants (top left, top right, bottom left, bottom right).
std::vector<uint32_t> Quadrants(int width, int height) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool right = x >= width / 2, bottom = y >= height / 2;
      pixels[static_cast<size_t>(y) * width + x] =
          bottom ? (right ? kYellow : kBlue) : (right ? kGreen : kRed);
    }
  }
  return pixels;
}

void ExpectQuadrants(const MipLevel& level, int tolerance) {
  const int w = level.width, h = level.height;
  auto at = [&](int x, int y) { return level.pixels[static_cast<size_t>(y) * w + x]; };
  EXPECT_TRUE(ColourNear(at(w / 4, h / 4), kRed, tolerance));
  EXPECT_TRUE(ColourNear(at(3 * w / 4, h / 4), kGreen, tolerance));
  EXPECT_TRUE(ColourNear(at(w / 4, 3 * h / 4), kBlue, tolerance));
  EXPECT_TRUE(ColourNear(at(3 * w / 4, 3 * h / 4), kYellow, tolerance));
}

// Deterministic pseudo-random pixels for comparisons with reference formulas.
std::vector<uint32_t> Noise(int width, int height, uint32_t seed) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (uint32_t& p : pixels) {
    seed = seed * 1664525u + 1013904223u;
    p = seed ^ (seed >> 13);
  }
  return pixels;
}

MipLevel Level(int width, int height, std::vector<uint32_t> pixels) {
  MipLevel level;
  level.width = width;
  level.height = height;
  level.pixels.assign(pixels.begin(), pixels.end());
  return level;
}

bool Decode(const std::vector<uint8_t>& file, DecodedImage& image,
            const ImageRequest& request = {}) {
  return DecodeImage(file.data(), file.size(), request, image);
}

// Rewrites the size in a JPEG's frame header.
std::vector<uint8_t> WithJpegSize(std::vector<uint8_t> file, int width, int height) {
  for (size_t i = 2; i + 9 < file.size(); ++i) {
    if (file[i] == 0xFF && (file[i + 1] == 0xC0 || file[i + 1] == 0xC2)) {
      file[i + 5] = static_cast<uint8_t>(height >> 8);
      file[i + 6] = static_cast<uint8_t>(height);
      file[i + 7] = static_cast<uint8_t>(width >> 8);
      file[i + 8] = static_cast<uint8_t>(width);
      break;
    }
  }
  return file;
}

// ---------------------------------------------------------------------------------

TEST(ChooseImageSizeTest, RequestRules) {
  struct Case {
    int imageW, imageH, askW, askH;
    bool powerOfTwo;
    int maxSize, expectW, expectH;
    FitMode fit = FitMode::Stretch;
  } cases[] = {
      {1920, 1080, 0, 0, false, 16384, 1920, 1080},  // own size
      {4000, 3000, 1024, 1024, false, 16384, 1024, 1024},
      {1920, 1080, 0, 0, true, 16384, 2048, 2048},  // rounded up
      {1024, 3, 0, 0, true, 16384, 1024, 4},
      {1000, 500, 0, 0, true, 1024, 1024, 512},
      {3000, 3000, 0, 0, true, 2048, 2048, 2048},  // capped after rounding
      {3000, 100, 0, 0, true, 1000, 512, 128},     // cap rounded down to a power of two
      {640, 480, 0, 0, false, 512, 512, 480},      // sides capped independently
      {640, 480, 0, 0, false, 0, 640, 480},        // 0: no cap of our own
      {640, 480, 99999, 200, false, 16384, 16384, 200},
      {1, 1, 0, 0, true, 16384, 1, 1},
      // On a 1024 x 768 screen under fill (fit: half the size): the shape is kept, the
      // part on screen at the screen's resolution, never above the picture's own size.
      {3840, 2160, 0, 0, false, 16384, 1365, 768, FitMode::Fill},
      {3840, 2160, 0, 0, false, 16384, 1024, 576, FitMode::Fit},
      {800, 600, 0, 0, false, 16384, 800, 600, FitMode::Fill},
  };
  for (const Case& k : cases) {
    ImageRequest request;
    request.width = k.askW;
    request.height = k.askH;
    request.powerOfTwo = k.powerOfTwo;
    request.maxSize = k.maxSize;
    if (k.fit != FitMode::Stretch) {
      request.screenWidth = 1024;
      request.screenHeight = 768;
      request.fit = k.fit;
    }
    int w = 0, h = 0;
    ChooseImageSize(k.imageW, k.imageH, request, w, h);
    EXPECT_EQ(w, k.expectW) << k.imageW << "x" << k.imageH;
    EXPECT_EQ(h, k.expectH) << k.imageW << "x" << k.imageH;
  }
}

TEST(ChooseJpegScaleTest, SmallestDctScaleNotBelowTheAskedSize) {
  struct Case {
    int w, h, minW, minH, scale;
  } cases[] = {
      {3840, 2160, 1024, 1024, 2}, {4000, 3000, 1024, 1024, 2}, {8192, 8192, 1024, 1024, 8},
      {1920, 1080, 1024, 1024, 1}, {1920, 1080, 1920, 1080, 1}, {1000, 1000, 125, 125, 8},
      {1000, 1000, 126, 126, 4},   {1001, 1001, 126, 126, 8},   {640, 480, 1024, 1024, 1},
      {4096, 512, 1024, 64, 4},
  };
  for (const Case& k : cases)
    EXPECT_EQ(ChooseJpegScale(k.w, k.h, k.minW, k.minH), k.scale) << k.w << "x" << k.h;
}

TEST(JpegDecodeTest, QuadrantColoursSurvive) {
  struct Case {
    const char* name;
    JpegOptions options;
  } cases[] = {
      {"baseline 4:2:0", {}},
      {"baseline 4:4:4", {95, false, 0, false}},
      {"progressive", {95, true}},
      {"scan script", {95, false, 20}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    const auto file = EncodeJpeg(Quadrants(96, 64), 96, 64, k.options);
    ImageInfo info;
    ASSERT_TRUE(ReadImageInfo(file.data(), file.size(), info));
    EXPECT_EQ(info.width, 96);
    EXPECT_EQ(info.height, 64);
    DecodedImage image;
    ASSERT_TRUE(Decode(file, image));
    EXPECT_FALSE(image.hasAlpha);
    ASSERT_EQ(image.levels[0].width, 96);
    ASSERT_EQ(image.levels[0].height, 64);
    ExpectQuadrants(image.levels[0], 8);
    for (uint32_t p : image.levels[0].pixels) ASSERT_EQ(p >> 24, 0xFFu);  // opaque
  }
}

TEST(JpegDecodeTest, GreyImageDecodesToGreyPixels) {
  std::vector<uint32_t> pixels(32 * 16, 0xFF008000);  // green channel 0x80 becomes the grey
  const auto file = EncodeJpeg(pixels, 32, 16, {95, false, 0, true, true});
  DecodedImage image;
  ASSERT_TRUE(Decode(file, image));
  EXPECT_TRUE(ColourNear(image.levels[0].pixels[100], 0xFF808080, 2));
}

TEST(JpegDecodeTest, LargeImageAskedAt1024x1024) {
  const auto file = EncodeJpeg(Quadrants(4000, 3000), 4000, 3000, {90});
  ImageRequest request;
  request.width = 1024;
  request.height = 1024;
  DecodedImage image;
  ASSERT_TRUE(Decode(file, image, request));
  ASSERT_EQ(image.levels[0].width, 1024);
  ASSERT_EQ(image.levels[0].height, 1024);
  ExpectQuadrants(image.levels[0], 8);
  EXPECT_EQ(image.levels.size(), 11u);
  ExpectQuadrants(image.levels[4], 10);  // 64 × 64: still four clean quadrants
}

TEST(JpegDecodeTest, ScanLimit) {
  struct Case {
    int scans;
    bool decodes;
  } cases[] = {
      {4, true}, {64, true}, {kMaxJpegScans, true}, {kMaxJpegScans + 1, false}, {190, false}};
  const auto pixels = Noise(16, 16, 7);
  for (const Case& k : cases) {
    const auto file = EncodeJpeg(pixels, 16, 16, {90, false, k.scans});
    DecodedImage image;
    EXPECT_EQ(Decode(file, image), k.decodes) << k.scans << " scans";
    EXPECT_EQ(image.levels.empty(), !k.decodes);
  }
}

TEST(JpegDecodeTest, CmykIsRefused) {
  const auto file = EncodeJpeg(Quadrants(16, 16), 16, 16, {90, false, 0, true, false, true});
  DecodedImage image;
  EXPECT_FALSE(Decode(file, image));
  EXPECT_TRUE(image.levels.empty());
}

TEST(TgaDecodeTest, EveryKindAndOrigin) {
  // 5 × 3 with a run of equal pixels (run packets) and distinct ones (raw packets).
  std::vector<uint32_t> pixels = Noise(5, 3, 11);
  for (uint32_t& p : pixels) p |= 0x01000000;  // alpha never 0, so 32-bit alpha is visible
  pixels[1] = pixels[2] = pixels[3] = 0x80FF0000;
  pixels[10] = pixels[11] = 0xFF00FF00;
  for (int bits : {24, 32}) {
    for (bool rle : {false, true}) {
      for (bool topLeft : {false, true}) {
        for (bool rightToLeft : {false, true}) {
          SCOPED_TRACE(::testing::Message() << bits << " bits, rle " << rle << ", top " << topLeft
                                            << ", right-to-left " << rightToLeft);
          const auto file = EncodeTga(pixels, 5, 3, {bits, rle, topLeft, rightToLeft});
          DecodedImage image;
          ImageRequest request;
          request.mipLevels = 1;
          ASSERT_TRUE(Decode(file, image, request));
          EXPECT_EQ(image.hasAlpha, bits == 32);
          ASSERT_EQ(image.levels.size(), 1u);
          ASSERT_EQ(image.levels[0].width, 5);
          ASSERT_EQ(image.levels[0].height, 3);
          for (size_t i = 0; i < pixels.size(); ++i) {
            const uint32_t expected = bits == 32 ? pixels[i] : (pixels[i] | 0xFF000000);
            EXPECT_EQ(image.levels[0].pixels[i], expected) << "pixel " << i;
          }
        }
      }
    }
  }
}

TEST(TgaDecodeTest, HeaderChecksRefuseOtherFiles) {
  const auto good = EncodeTga(Noise(4, 4, 3), 4, 4, {32});
  struct Case {
    const char* name;
    size_t offset;
    uint8_t value;
  } cases[] = {
      {"colour map present", 1, 1},       {"colour-mapped type", 2, 1}, {"grey type", 2, 3},
      {"RLE colour-mapped", 2, 9},        {"no image data", 2, 0},      {"unknown type", 2, 42},
      {"colour map length", 5, 1},        {"16 bits", 16, 16},          {"8 bits", 16, 8},
      {"alpha bits 4", 17, 0x04},         {"interleaved", 17, 0x48},    {"width 0", 12, 0},
      {"more pixels than data", 14, 200},
  };
  DecodedImage image;
  ASSERT_TRUE(Decode(good, image));
  for (const Case& k : cases) {
    auto file = good;
    file[k.offset] = k.value;
    if (k.offset == 12) file[13] = 0;
    ImageInfo info;
    EXPECT_FALSE(ReadImageInfo(file.data(), file.size(), info)) << k.name;
    EXPECT_FALSE(Decode(file, image)) << k.name;
    EXPECT_TRUE(image.levels.empty()) << k.name;
  }
  auto grey24 = EncodeTga(Noise(4, 4, 3), 4, 4, {24});
  grey24[17] = 8;  // alpha bits on a 24-bit image
  EXPECT_FALSE(Decode(grey24, image));
}

TEST(MipChainTest, LevelSizesDownTo1x1) {
  struct Case {
    int w, h;
    std::vector<std::pair<int, int>> sizes;
  } cases[] = {
      {1920,
       1080,
       {{1920, 1080},
        {960, 540},
        {480, 270},
        {240, 135},
        {120, 67},
        {60, 33},
        {30, 16},
        {15, 8},
        {7, 4},
        {3, 2},
        {1, 1}}},
      {5, 3, {{5, 3}, {2, 1}, {1, 1}}},
      {1, 7, {{1, 7}, {1, 3}, {1, 1}}},
      {8, 1, {{8, 1}, {4, 1}, {2, 1}, {1, 1}}},
      {1, 1, {{1, 1}}},
  };
  for (const Case& k : cases) {
    std::vector<MipLevel> levels;
    levels.push_back(Level(k.w, k.h, Noise(k.w, k.h, 1)));
    BuildMipChain(levels, 0);
    EXPECT_EQ(FullMipLevelCount(k.w, k.h), static_cast<int>(k.sizes.size()));
    ASSERT_EQ(levels.size(), k.sizes.size()) << k.w << "x" << k.h;
    for (size_t i = 0; i < levels.size(); ++i) {
      EXPECT_EQ(levels[i].width, k.sizes[i].first);
      EXPECT_EQ(levels[i].height, k.sizes[i].second);
      EXPECT_EQ(levels[i].pixels.size(), static_cast<size_t>(k.sizes[i].first) * k.sizes[i].second);
    }
  }
}

TEST(MipChainTest, EachPixelIsTheRoundedMeanOfItsBlock) {
  const std::pair<int, int> sizes[] = {{16, 9}, {13, 7}, {2, 2}, {1, 5}, {6, 1}, {33, 4}};
  for (auto [w, h] : sizes) {
    const MipLevel source = Level(w, h, Noise(w, h, 5 + w));
    MipLevel half;
    HalveImage(source, half);
    for (int y = 0; y < half.height; ++y) {
      for (int x = 0; x < half.width; ++x) {
        const int x0 = 2 * x, x1 = std::min(x0 + 1, w - 1);
        const int y0 = 2 * y, y1 = std::min(y0 + 1, h - 1);
        const uint32_t block[4] = {source.pixels[y0 * w + x0], source.pixels[y0 * w + x1],
                                   source.pixels[y1 * w + x0], source.pixels[y1 * w + x1]};
        for (int c = 0; c < 4; ++c) {
          int sum = 2;
          for (uint32_t p : block) sum += Channel(p, c);
          ASSERT_EQ(Channel(half.pixels[y * half.width + x], c), sum / 4)
              << w << "x" << h << " at " << x << "," << y << " channel " << c;
        }
      }
    }
  }
}

TEST(MipChainTest, DecodedJpegLevelsHalveTheLevelAbove) {
  // Level 1 of a JPEG is built while level 0 is decoded; it must match the chain.
  const int sizes[][2] = {{96, 64}, {33, 17}, {40, 1}, {1, 9}, {2, 3}, {1, 1}};
  for (const auto& s : sizes) {
    const auto file = EncodeJpeg(Noise(s[0], s[1], 8), s[0], s[1], {90});
    DecodedImage image;
    ASSERT_TRUE(Decode(file, image));
    ASSERT_EQ(image.levels.size(), static_cast<size_t>(FullMipLevelCount(s[0], s[1])));
    for (size_t k = 1; k < image.levels.size(); ++k) {
      MipLevel half;
      HalveImage(image.levels[k - 1], half);
      ASSERT_EQ(image.levels[k].width, half.width);
      ASSERT_EQ(image.levels[k].height, half.height);
      EXPECT_TRUE(
          std::equal(half.pixels.begin(), half.pixels.end(), image.levels[k].pixels.begin()))
          << s[0] << "x" << s[1] << " level " << k;
    }
  }
}

TEST(MipChainTest, RequestedLevelCount) {
  const auto file = EncodeTga(Noise(16, 8, 2), 16, 8, {32});
  const std::pair<int, size_t> cases[] = {{0, 5}, {1, 1}, {3, 3}, {99, 5}};
  for (auto [asked, count] : cases) {
    ImageRequest request;
    request.mipLevels = asked;
    DecodedImage image;
    ASSERT_TRUE(Decode(file, image, request));
    EXPECT_EQ(image.levels.size(), count) << asked;
  }
}

TEST(ImageScalerTest, KnownValues) {
  // Enlarging is bilinear, with the edge pixels not repeated beyond the image.
  MipLevel out;
  ScaleImage(Level(2, 1, {0xFF000000, 0xFFFFFFFF}), 4, 1, out);
  const int expected[] = {0, 64, 191, 255};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Channel(out.pixels[i], 0), expected[i]) << i;

  // Halving a one-pixel checkerboard averages it (a point sampler would keep 0 or 255).
  std::vector<uint32_t> board(64 * 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) board[y * 64 + x] = ((x + y) % 2) ? 0xFFFFFFFF : 0xFF000000;
  ScaleImage(Level(64, 64, board), 32, 32, out);
  for (int y = 2; y < 30; ++y)
    for (int x = 2; x < 30; ++x) ASSERT_NEAR(Channel(out.pixels[y * 32 + x], 1), 128, 1);
}

TEST(ImageScalerTest, FlatColourStaysExact) {
  const int sizes[][4] = {{3, 2, 7, 5},       {100, 10, 3, 7}, {1, 1, 4, 4},  {5, 1, 1, 1},
                          {1920, 2, 1024, 1}, {7, 300, 7, 33}, {40, 3, 40, 9}};
  for (const auto& s : sizes) {
    MipLevel out;
    ScaleImage(Level(s[0], s[1], std::vector<uint32_t>(s[0] * s[1], 0x80C0FF01)), s[2], s[3], out);
    ASSERT_EQ(out.width, s[2]);
    ASSERT_EQ(out.height, s[3]);
    for (uint32_t p : out.pixels) ASSERT_EQ(p, 0x80C0FF01u) << s[0] << "x" << s[1];
  }
}

// The triangle filter written out in floating point, one output pixel at a time.
double ReferenceScale(const MipLevel& src, int w, int h, int x, int y, int c) {
  auto taps = [](int n, int size, int i, std::vector<std::pair<int, double>>& out) {
    const double s = double(n) / size, r = std::max(1.0, s), center = (i + 0.5) * s - 0.5;
    double sum = 0;
    for (int j = 0; j < n; ++j) {
      const double wt = 1 - std::fabs(j - center) / r;
      if (wt > 0) out.push_back({j, wt}), sum += wt;
    }
    for (auto& t : out) t.second /= sum;
  };
  std::vector<std::pair<int, double>> tx, ty;
  taps(src.width, w, x, tx);
  taps(src.height, h, y, ty);
  double value = 0;
  for (auto [j, wy] : ty)
    for (auto [i, wx] : tx) value += wx * wy * Channel(src.pixels[j * src.width + i], c);
  return value;
}

TEST(ImageScalerTest, MatchesTheFilterDefinition) {
  const MipLevel source = Level(37, 23, Noise(37, 23, 9));
  // Sizes that filter across first, down first, along one axis only, and enlarge.
  const int sizes[][2] = {{16, 11}, {74, 5}, {80, 50}, {37, 11}, {9, 23}, {5, 40}, {3, 1}};
  for (const auto& s : sizes) {
    MipLevel out;
    ScaleImage(source, s[0], s[1], out);
    for (int y = 0; y < s[1]; ++y)
      for (int x = 0; x < s[0]; ++x)
        for (int c = 0; c < 4; ++c)
          ASSERT_NEAR(Channel(out.pixels[y * s[0] + x], c),
                      ReferenceScale(source, s[0], s[1], x, y, c), 1.5)
              << s[0] << "x" << s[1] << " at " << x << "," << y << " channel " << c;
  }
}

TEST(ImageScalerTest, RowsMayArriveInAnyGrouping) {
  // Same size, across only, down only, across first, down first, and enlarging.
  const int sizes[][2] = {{37, 23}, {16, 23}, {37, 9}, {16, 11}, {74, 5}, {50, 40}};
  const MipLevel source = Level(37, 23, Noise(37, 23, 21));
  for (const auto& s : sizes) {
    MipLevel whole;
    ScaleImage(source, s[0], s[1], whole);
    for (int group : {1, 2, 7}) {
      MipLevel streamed;
      CImageScaler scaler(37, 23, s[0], s[1], streamed);
      for (int row = 0; row < 23; row += group) {
        EXPECT_FALSE(scaler.IsComplete());
        scaler.AddRows(&source.pixels[row * 37], std::min(group, 23 - row));
      }
      EXPECT_TRUE(scaler.IsComplete());
      scaler.AddRows(source.pixels.data(), 1);  // past the end: ignored
      EXPECT_TRUE(std::equal(streamed.pixels.begin(), streamed.pixels.end(), whole.pixels.begin()))
          << s[0] << "x" << s[1] << " in groups of " << group;
    }
  }
}

// Every long step of a TGA's way to a mip chain looks at the stop flag: set, each
// gives up with nothing in its output; clear, the same call does its work.
TEST(DecodeImageTest, EveryLongStepStopsOnTheFlag) {
  const std::vector<uint32_t> pixels(512 * 256, kGreen);
  const std::vector<uint8_t> tga = EncodeTga(pixels, 512, 256, {24, true});
  const MipLevel level = Level(512, 256, pixels);
  const struct {
    const char* step;
    std::function<bool(const std::atomic<bool>*)> run;
  } steps[] = {
      {"TGA decoding",
       [&](const std::atomic<bool>* stop) {
         MipLevel out;
         return DecodeTga(tga.data(), tga.size(), out, stop) && out.width == 512;
       }},
      {"scaling",
       [&](const std::atomic<bool>* stop) {
         MipLevel out;
         return ScaleImage(level, 300, 100, out, stop) && out.width == 300;
       }},
      {"the mip chain",
       [&](const std::atomic<bool>* stop) {
         std::vector<MipLevel> levels{level};
         return BuildMipChain(levels, 0, stop) && levels.size() == 10;
       }},
  };
  for (const auto& step : steps) {
    std::atomic<bool> stop{false};
    EXPECT_TRUE(step.run(&stop)) << step.step;
    stop = true;
    EXPECT_FALSE(step.run(&stop)) << step.step;
  }
}

TEST(DecodeImageTest, PowerOfTwoRounding) {
  const auto file = EncodeTga(std::vector<uint32_t>(3 * 5, kGreen), 3, 5, {24});
  ImageRequest request;
  request.powerOfTwo = true;
  DecodedImage image;
  ASSERT_TRUE(Decode(file, image, request));
  const std::pair<int, int> sizes[] = {{4, 8}, {2, 4}, {1, 2}, {1, 1}};
  ASSERT_EQ(image.levels.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(image.levels[i].width, sizes[i].first);
    EXPECT_EQ(image.levels[i].height, sizes[i].second);
    for (uint32_t p : image.levels[i].pixels) EXPECT_EQ(p, kGreen);
  }
}

TEST(DecodeImageTest, MalformedFilesFailCleanly) {
  const auto jpeg = EncodeJpeg(Quadrants(32, 32), 32, 32);
  auto tga = [](int w, int h) {
    std::vector<uint8_t> header(18, 0);
    header[2] = 2;
    header[12] = w & 0xFF, header[13] = w >> 8, header[14] = h & 0xFF, header[15] = h >> 8;
    header[16] = 32;
    header[17] = 8;
    return header;
  };
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
  } cases[] = {
      {"empty", {}},
      {"one byte", {0xFF}},
      {"JPEG signature only", {0xFF, 0xD8, 0xFF}},
      {"JPEG start and end", {0xFF, 0xD8, 0xFF, 0xD9}},
      {"TGA header only", tga(2, 2)},
      {"TGA 65535 x 65535", tga(65535, 65535)},
      {"TGA 16385 x 1", tga(16385, 1)},
      {"TGA 16384 x 16384 without data", tga(16384, 16384)},
      {"TGA 0 x 5", tga(0, 5)},
      {"JPEG 0 wide", WithJpegSize(jpeg, 0, 32)},
      {"JPEG 0 high", WithJpegSize(jpeg, 32, 0)},
      {"JPEG 16385 wide", WithJpegSize(jpeg, 16385, 32)},
      {"JPEG 65535 x 65535", WithJpegSize(jpeg, 65535, 65535)},
      {"JPEG 16384 x 16384 from 32 x 32 data", WithJpegSize(jpeg, 16384, 16384)},
      {"text", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l',
                'd', '!', '!', '!', '!', '!', '!', '!', '!', '!'}},
  };
  for (const Case& k : cases) {
    DecodedImage image;
    EXPECT_FALSE(Decode(k.file, image)) << k.name;
    EXPECT_TRUE(image.levels.empty()) << k.name;
  }
  DecodedImage image;
  EXPECT_FALSE(DecodeImage(nullptr, 100, ImageRequest{}, image));
}

TEST(DecodeImageTest, EveryTruncationFails) {
  const auto pixels = Noise(24, 16, 4);
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
  } cases[] = {
      {"baseline JPEG", EncodeJpeg(pixels, 24, 16, {80})},
      {"progressive JPEG", EncodeJpeg(pixels, 24, 16, {80, true})},
      {"TGA", EncodeTga(pixels, 24, 16, {32})},
      {"RLE TGA", EncodeTga(std::vector<uint32_t>(24 * 16, kRed), 24, 16, {24, true})},
  };
  for (const Case& k : cases) {
    DecodedImage image;
    ASSERT_TRUE(Decode(k.file, image)) << k.name;
    for (size_t length = 0; length < k.file.size(); ++length) {
      // A copy of exactly `length` bytes, so ASan sees any read past the end.
      const std::vector<uint8_t> prefix(k.file.begin(), k.file.begin() + length);
      EXPECT_FALSE(Decode(prefix, image)) << k.name << " cut to " << length;
      EXPECT_TRUE(image.levels.empty());
    }
  }
}

TEST(DecodeImageTest, FlippedBytesDecodeSafelyOrFail) {
  const auto pixels = Noise(24, 16, 6);
  const std::vector<uint8_t> files[] = {
      EncodeJpeg(pixels, 24, 16, {80}), EncodeJpeg(pixels, 24, 16, {80, true}),
      EncodeTga(pixels, 24, 16, {32}),
      EncodeTga(std::vector<uint32_t>(24 * 16, kRed), 24, 16, {24, true})};
  uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  int decoded = 0, refused = 0;
  for (const auto& original : files) {
    for (int round = 0; round < 300; ++round) {
      auto file = original;
      const int flips = 1 + next() % 4;
      for (int f = 0; f < flips; ++f)
        file[next() % file.size()] ^= static_cast<uint8_t>(1 + next() % 255);
      DecodedImage image;
      if (Decode(file, image)) {
        ++decoded;
        ASSERT_FALSE(image.levels.empty());
        for (const MipLevel& level : image.levels)
          ASSERT_EQ(level.pixels.size(), static_cast<size_t>(level.width) * level.height);
      } else {
        ++refused;
        ASSERT_TRUE(image.levels.empty());
      }
    }
  }
  // Both outcomes occur: corrupt entropy data still decodes, broken headers do not.
  EXPECT_GT(decoded, 0);
  EXPECT_GT(refused, 0);
}

}  // namespace
