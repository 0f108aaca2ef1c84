// Tests of the demo content generator: the BMP and JPEG encoders (read back through
// the engine's own decoder where it reads the format) and the scene painters.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "render/image_decoder.h"
#include "tools/demo/image_files.h"
#include "tools/demo/picture.h"
#include "tools/demo/scenes.h"

namespace {

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

struct BmpCase {
  int width, height;
  uint32_t stride;  // bytes per row, padded to four
};

TEST(DemoContentTest, BmpIsBottomUp24BitWithPaddedRows) {
  const BmpCase cases[] = {{3, 2, 12}, {4, 1, 12}, {1, 2, 4}, {320, 240, 960}, {5, 3, 16}};
  for (const BmpCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    CPicture picture(c.width, c.height);
    picture.Shade([](int, int) { return Rgb{0, 0, 0}; });
    picture.At(0, 0) = Rgb{1, 0, 0};                       // top left: red
    picture.At(c.width - 1, c.height - 1) = Rgb{0, 0, 1};  // bottom right: blue
    const std::vector<uint8_t> bmp = EncodeBmp(picture);
    ASSERT_EQ(bmp.size(), 54u + c.stride * c.height);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(Le32(bmp, 2), bmp.size());
    EXPECT_EQ(Le32(bmp, 10), 54u);  // pixel bits offset
    EXPECT_EQ(Le32(bmp, 14), 40u);  // BITMAPINFOHEADER
    EXPECT_EQ(Le32(bmp, 18), uint32_t(c.width));
    EXPECT_EQ(Le32(bmp, 22), uint32_t(c.height));  // positive: bottom-up
    EXPECT_EQ(bmp[26] | (bmp[27] << 8), 1);        // planes
    EXPECT_EQ(bmp[28] | (bmp[29] << 8), 24);       // bits per pixel
    EXPECT_EQ(Le32(bmp, 30), 0u);                  // BI_RGB
    // The first stored row is the bottom one; its last pixel is blue (B, G, R).
    const size_t bottomRight = 54 + (c.width - 1) * 3;
    EXPECT_EQ(bmp[bottomRight], 255);
    EXPECT_EQ(bmp[bottomRight + 2], 0);
    const size_t topLeft = 54 + size_t(c.stride) * (c.height - 1);
    EXPECT_EQ(bmp[topLeft + 2], 255);  // red
    EXPECT_EQ(bmp[topLeft], 0);
    // Padding bytes at the end of each row are zero.
    for (uint32_t pad = c.width * 3; pad < c.stride; ++pad) EXPECT_EQ(bmp[54 + pad], 0);
  }
}

TEST(DemoContentTest, JpegDecodesToTheColoursPainted) {
  CPicture picture(96, 64);
  picture.Shade([](int x, int) { return x < 48 ? Hex(0xE76F51) : Hex(0x2A9D8F); });
  std::vector<uint8_t> jpeg;
  std::string why;
  ASSERT_TRUE(EncodeJpeg(picture, 90, &jpeg, &why)) << why;
  DecodedImage image;
  ASSERT_TRUE(DecodeImage(jpeg.data(), jpeg.size(), ImageRequest{}, image));
  ASSERT_FALSE(image.levels.empty());
  const MipLevel& level = image.levels[0];
  ASSERT_EQ(level.width, 96);
  ASSERT_EQ(level.height, 64);
  struct Sample {
    int x, y;
    uint32_t rgb;
  };
  for (const Sample& s : {Sample{20, 30, 0xE76F51}, Sample{75, 10, 0x2A9D8F}}) {
    const uint32_t pixel = level.pixels[s.y * level.width + s.x];
    for (int shift : {0, 8, 16}) {
      const int got = (pixel >> shift) & 0xFF, want = (s.rgb >> shift) & 0xFF;
      EXPECT_NEAR(got, want, 6) << "at " << s.x << "," << s.y << " channel shift " << shift;
    }
  }
}

TEST(DemoContentTest, EveryScenePaintsAFiniteVariedPicture) {
  struct Scene {
    const char* name;
    void (*paint)(CPicture&);
  };
  const Scene scenes[] = {
      {"sunset", PaintSunset},
      {"aurora", PaintAurora},
      {"mosaic", PaintMosaic},
      {"bokeh", PaintBokeh},
      {"ocean", PaintOcean},
      {"dunes", PaintDunes},
      {"forest", PaintForest},
      {"nebula", PaintNebula},
      {"silk", PaintSilk},
      {"retro", PaintRetroSun},
      {"default", PaintDefaultTexture},
  };
  for (const Scene& scene : scenes) {
    for (auto [w, h] : {std::pair{160, 90}, std::pair{90, 160}, std::pair{7, 5}}) {
      SCOPED_TRACE(testing::Message() << scene.name << " " << w << " x " << h);
      CPicture picture(w, h);
      scene.paint(picture);
      double sum = 0, sumSquares = 0;
      bool finite = true;
      for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
          const Rgb& p = picture.At(x, y);
          finite = finite && std::isfinite(p.r) && std::isfinite(p.g) && std::isfinite(p.b);
          const double luma = 0.3 * p.r + 0.59 * p.g + 0.11 * p.b;
          sum += luma;
          sumSquares += luma * luma;
        }
      }
      EXPECT_TRUE(finite);
      const double n = double(w) * h, mean = sum / n;
      EXPECT_GT(mean, 0.03) << "nearly black";
      EXPECT_LT(mean, 0.97) << "nearly white";
      if (w * h > 100) {
        EXPECT_GT(std::sqrt(sumSquares / n - mean * mean), 0.01) << "flat";
      }
    }
  }
}

TEST(DemoContentTest, ToRgb8ClampsAndRounds) {
  CPicture picture(2, 1);
  picture.At(0, 0) = Rgb{-0.5f, 0.5f, 2.0f};
  picture.At(1, 0) = Rgb{0, 1, 0.25f};
  const std::vector<uint8_t> rgb = picture.ToRgb8();
  ASSERT_EQ(rgb.size(), 6u);
  EXPECT_EQ(rgb[0], 0);
  EXPECT_NEAR(rgb[1], 128, 1);
  EXPECT_EQ(rgb[2], 255);
  EXPECT_EQ(rgb[4], 255);
  EXPECT_NEAR(rgb[5], 64, 1);
}

}  // namespace
