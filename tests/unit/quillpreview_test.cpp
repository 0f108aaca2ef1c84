// Tests of quillpreview: the strict command-line parser, the mesh composite (weights at
// the mesh vertices, bilinear between them, 8-bit like the vertex alpha) and the
// picture round trip through PNG.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/transition.h"
#include "tools/quillpreview/image_io.h"
#include "tools/quillpreview/mesh_preview.h"
#include "tools/quillpreview/preview_options.h"

namespace {

bool Parse(std::vector<const char*> args, PreviewOptions& options, std::string& error) {
  args.insert(args.begin(), "quillpreview");
  return ParsePreviewArguments(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(PreviewOptionsTest, AcceptsEachMode) {
  struct Case {
    std::vector<const char*> args;
    PreviewMode mode;
    int effect;
    std::vector<float> progress;
    int width, height;
    float centreX, centreY;
  };
  const Case cases[] = {
      {{"sheet", "a.jpg", "b.jpg", "-o", "s.png"},
       PreviewMode::kSheet,
       -1,
       {0.25f, 0.5f, 0.75f},
       256,
       192,
       0.5f,
       0.5f},
      {{"sheet", "a.jpg", "b.jpg", "--progress", "0,1", "--size", "64x48", "-o", "s.png"},
       PreviewMode::kSheet,
       -1,
       {0.0f, 1.0f},
       64,
       48,
       0.5f,
       0.5f},
      {{"frame", "a.jpg", "b.jpg", "--effect", "8", "--progress", "0.5", "--centre", "0.1,0.9",
        "-o", "f.png"},
       PreviewMode::kFrame,
       8,
       {0.5f},
       0,
       0,
       0.1f,
       0.9f},
      {{"mask", "--effect", "18", "--progress", "1"},
       PreviewMode::kMask,
       18,
       {1.0f},
       0,
       0,
       0.5f,
       0.5f},
      {{"frame", "a.jpg", "b.jpg", "--effect", "3", "--progress", ".5", "--dump-mask"},
       PreviewMode::kMask,
       3,
       {0.5f},
       0,
       0,
       0.5f,
       0.5f},
      {{"frame", "--help"}, PreviewMode::kHelp, -1, {}, 0, 0, 0.5f, 0.5f},
  };
  for (const Case& tc : cases) {
    PreviewOptions options;
    std::string error;
    ASSERT_TRUE(Parse(tc.args, options, error)) << error;
    EXPECT_EQ(options.mode, tc.mode);
    EXPECT_EQ(options.effect, tc.effect);
    EXPECT_EQ(options.progress, tc.progress);
    EXPECT_EQ(options.width, tc.width);
    EXPECT_EQ(options.height, tc.height);
    EXPECT_EQ(options.centreX, tc.centreX);
    EXPECT_EQ(options.centreY, tc.centreY);
  }
}

TEST(PreviewOptionsTest, RejectsBadInput) {
  const std::vector<std::vector<const char*>> cases = {
      {},
      {"movie", "a", "b", "-o", "x.png"},
      {"frame", "a", "b", "--effect", "20", "--progress", "0.5", "-o", "x.png"},
      {"frame", "a", "b", "--effect", "-1", "--progress", "0.5", "-o", "x.png"},
      {"frame", "a", "b", "--effect", "3x", "--progress", "0.5", "-o", "x.png"},
      {"frame", "a", "b", "--effect", "", "--progress", "0.5", "-o", "x.png"},
      {"frame", "a", "b", "--effect", "99999999999999999999", "--progress", "0.5", "-o", "x.png"},
      {"frame", "a", "b", "--effect", "3", "--progress", "1.5", "-o", "x.png"},
      {"frame", "a", "b", "--effect", "3", "--progress", "-0.1", "-o", "x.png"},
      {"frame", "a", "b", "--effect", "3", "--progress", "nan", "-o", "x.png"},
      {"frame", "a", "b", "--effect", "3", "--progress", "inf", "-o", "x.png"},
      {"frame", "a", "b", "--effect", "3", "--progress", " 0.5", "-o", "x.png"},
      {"frame", "a", "b", "--effect", "3", "--progress", "0.5,0.6", "-o", "x.png"},
      {"frame", "a", "b", "--effect", "3", "-o", "x.png"},
      {"frame", "a", "b", "--progress", "0.5", "-o", "x.png"},
      {"frame", "a", "b", "--effect", "3", "--progress", "0.5"},
      {"frame", "a", "--effect", "3", "--progress", "0.5", "-o", "x.png"},
      {"frame", "a", "b", "c", "--effect", "3", "--progress", "0.5", "-o", "x.png"},
      {"frame", "a", "b", "--effect", "3", "--progress", "0.5", "-o", "x.png", "--centre", "0.5"},
      {"frame", "a", "b", "--effect", "3", "--progress", "0.5", "-o", "x.png", "--centre", "2,0"},
      {"frame", "a", "b", "--effect", "3", "--progress", "0.5", "-o", "x.png", "--centre",
       "0.1,0.2,0.3"},
      {"frame", "a", "b", "--effect", "3", "--progress", "0.5", "-o", "x.png", "--size", "0x10"},
      {"frame", "a", "b", "--effect", "3", "--progress", "0.5", "-o", "x.png", "--size", "10x"},
      {"frame", "a", "b", "--effect", "3", "--progress", "0.5", "-o", "x.png", "--size", "10*10"},
      {"frame", "a", "b", "--effect", "3", "--progress", "0.5", "-o", "x.png", "--size", "9000x10"},
      {"frame", "a", "b", "--effect", "3", "--progress", "0.5", "-o", "x.png", "--seed", "-1"},
      {"frame", "a", "b", "--effect", "3", "--progress", "0.5", "-o", "x.png", "--bogus", "1"},
      {"frame", "a", "b", "--effect", "3", "--progress", "0.5", "-o"},
      {"sheet", "a", "b", "-o", "s.png", "--progress", "0.5,"},
      {"sheet", "a", "b", "-o", "s.png", "--progress", ",0.5"},
      {"sheet", "a", "b", "-o", "s.png", "--effect", "3"},
      {"sheet", "a", "b", "-o", "s.png", "--dump-mask"},
      {"mask", "a", "--effect", "3", "--progress", "0.5"},
      {"mask", "--effect", "3", "--progress", "0.5", "-o", "x.png"},
      {"mask", "--effect", "3", "--progress", "0.5", "--digits", "10"},
  };
  for (const auto& args : cases) {
    PreviewOptions options;
    std::string error;
    std::string joined;
    for (const char* arg : args) joined += std::string(arg) + " ";
    EXPECT_FALSE(Parse(args, options, error)) << joined;
    EXPECT_FALSE(error.empty()) << joined;
  }
}

// A mask whose weights are chosen per vertex, 128 x 96 like the renderer's.
std::vector<float> VertexMask(float (*weight)(unsigned c, unsigned r)) {
  std::vector<float> mask(128 * 96);
  for (unsigned r = 0; r < 96; ++r)
    for (unsigned c = 0; c < 128; ++c) mask[r * 128 + c] = weight(c, r);
  return mask;
}

TEST(MeshPreviewTest, PixelsOnVerticesTakeTheQuantisedWeight) {
  const std::vector<float> mask = VertexMask(
      [](unsigned c, unsigned r) { return static_cast<float>((c * 7 + r * 3) % 11) / 10.0f; });
  // An output of 127 x 95 pixels puts pixel (c, r) exactly on vertex (c, r).
  const std::vector<float> weights = SpreadMask(mask.data(), 128, 96, 127, 95);
  for (unsigned r = 0; r < 95; ++r) {
    for (unsigned c = 0; c < 127; ++c) {
      const float expected = static_cast<int>(mask[r * 128 + c] * 255.0f) / 255.0f;
      ASSERT_NEAR(weights[r * 127 + c], expected, 1e-5) << c << "," << r;
    }
  }
}

TEST(MeshPreviewTest, WeightsAreBilinearBetweenVertices) {
  // Weight rises by 1/255 per column and 2/255 per row: exactly representable alphas,
  // so every pixel's weight is the plane through them.
  const std::vector<float> mask = VertexMask([](unsigned c, unsigned r) {
    return (static_cast<float>(c) + 2.0f * static_cast<float>(r)) / 1024.0f;
  });
  const int width = 254, height = 190;  // pixel 2c + 1 lies halfway between vertices
  const std::vector<float> weights = SpreadMask(mask.data(), 128, 96, width, height);
  for (int y = 0; y < height; y += 3) {
    for (int x = 0; x < width; x += 5) {
      const double gx = x / 2.0, gy = y / 2.0;
      const auto alpha = [&](int c, int r) {
        return static_cast<int>(mask[r * 128 + c] * 255.0f) / 255.0;
      };
      const int c = static_cast<int>(gx), r = static_cast<int>(gy);
      const double fx = gx - c, fy = gy - r;
      const double expected = (1 - fy) * ((1 - fx) * alpha(c, r) + fx * alpha(c + 1, r)) +
                              fy * ((1 - fx) * alpha(c, r + 1) + fx * alpha(c + 1, r + 1));
      ASSERT_NEAR(weights[y * width + x], expected, 1e-5) << x << "," << y;
    }
  }
}

TEST(MeshPreviewTest, TinyGridsAndOutputsAreSafe) {
  const float one = 1.0f;
  for (int size : {0, 1, 3}) {
    const std::vector<float> weights = SpreadMask(&one, 1, 1, size, size);
    ASSERT_EQ(weights.size(), static_cast<size_t>(size * size));
    for (float w : weights) EXPECT_EQ(w, 1.0f);
  }
}

TEST(MeshPreviewTest, BlendMixesTheTwoImages) {
  struct Case {
    float weight;
    uint8_t a, b, expected;
  };
  const Case cases[] = {{0.0f, 10, 200, 10},  {1.0f, 10, 200, 200}, {0.5f, 0, 255, 128},
                        {0.25f, 100, 20, 80}, {-0.5f, 7, 9, 7},     {1.5f, 7, 9, 9}};
  for (const Case& tc : cases) {
    RgbImage a(1, 1), b(1, 1), out(1, 1);
    std::fill(a.pixels.begin(), a.pixels.end(), tc.a);
    std::fill(b.pixels.begin(), b.pixels.end(), tc.b);
    BlendImages(a, b, {tc.weight}, out);
    for (uint8_t channel : out.pixels) EXPECT_EQ(channel, tc.expected) << tc.weight;
  }
}

// The whole chain: a left-to-right wipe half done shows the next image on the left.
TEST(MeshPreviewTest, WipeShowsNextImageOnTheLeft) {
  CTransition transition(128, 96);
  transition.SetEffect(0, 0.5f, 0.5f);
  const float* mask = transition.ComputeMask(0.5f);
  RgbImage current(256, 192), next(256, 192), frame(256, 192);
  for (size_t i = 0; i < current.pixels.size(); i += 3) {
    current.pixels[i] = 255;   // red
    next.pixels[i + 2] = 255;  // blue
  }
  BlendImages(current, next, SpreadMask(mask, 128, 96, 256, 192), frame);
  EXPECT_EQ(frame.At(10, 96)[2], 255);  // left: the next image
  EXPECT_EQ(frame.At(10, 96)[0], 0);
  EXPECT_EQ(frame.At(250, 96)[0], 255);  // right: still the current one
  EXPECT_EQ(frame.At(250, 96)[2], 0);
}

TEST(MeshPreviewTest, FormatsTheGridRowByRow) {
  const float mask[] = {0.0f, 0.5f, 1.0f, 0.25f, 0.125f, 0.75f};
  EXPECT_EQ(FormatMask(mask, 3, 2, 2), "0.00 0.50 1.00\n0.25 0.12 0.75\n");
  EXPECT_EQ(FormatMask(mask, 2, 1, 0), "0 0\n");
}

TEST(MeshPreviewTest, LabelsAreClippedToTheImage) {
  RgbImage image(20, 10);
  std::fill(image.pixels.begin(), image.pixels.end(), uint8_t{99});
  DrawLabel("E18 P0.50", 12, 4, 2, image);  // runs past the right and bottom edges
  EXPECT_EQ(image.At(0, 0)[0], 99);         // outside the label: untouched
  EXPECT_EQ(image.At(12, 4)[0], 0);         // the backing box
}

TEST(ImageIoTest, PngRoundTripStretchesToTheRequestedSize) {
  const std::string path = std::string(QUILL_BINARY_DIR) + "/quillpreview_test_solid.png";
  RgbImage solid(8, 6);
  for (size_t i = 0; i < solid.pixels.size(); i += 3) {
    solid.pixels[i] = 30;
    solid.pixels[i + 1] = 140;
    solid.pixels[i + 2] = 250;
  }
  ASSERT_TRUE(WritePng(path, solid));

  std::vector<uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(ReadPictureFile(path, bytes, error)) << error;
  int width = 0, height = 0;
  ASSERT_TRUE(ReadPictureSize(bytes, width, height));
  EXPECT_EQ(width, 8);
  EXPECT_EQ(height, 6);
  RgbImage stretched;
  ASSERT_TRUE(DecodeStretched(bytes, 20, 3, stretched));
  ASSERT_EQ(stretched.width, 20);
  ASSERT_EQ(stretched.height, 3);
  for (size_t i = 0; i < stretched.pixels.size(); i += 3) {
    EXPECT_NEAR(stretched.pixels[i], 30, 1);
    EXPECT_NEAR(stretched.pixels[i + 1], 140, 1);
    EXPECT_NEAR(stretched.pixels[i + 2], 250, 1);
  }

  // The 4:3 picture on a square: fit leaves black rows above and below, fill covers.
  RgbImage fit, fill;
  ASSERT_TRUE(DecodePlaced(bytes, 12, 12, FitMode::Fit, fit));
  ASSERT_TRUE(DecodePlaced(bytes, 12, 12, FitMode::Fill, fill));
  for (int y : {0, 11}) EXPECT_EQ(fit.At(6, y)[2], 0) << y;
  EXPECT_NEAR(fit.At(6, 6)[2], 250, 1);
  for (int y : {0, 11}) EXPECT_NEAR(fill.At(6, y)[2], 250, 1) << y;
}

TEST(ImageIoTest, RejectsWhatNoDecoderTakes) {
  const std::vector<std::vector<uint8_t>> cases = {
      {}, {0x00}, {0xFF, 0xD8, 0xFF}, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0}};
  for (const auto& bytes : cases) {
    RgbImage image;
    int width = 0, height = 0;
    EXPECT_FALSE(DecodeStretched(bytes, 4, 4, image)) << bytes.size();
    EXPECT_FALSE(ReadPictureSize(bytes, width, height)) << bytes.size();
  }
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_FALSE(ReadPictureFile(std::string(QUILL_BINARY_DIR) + "/no/such/file.png", bytes, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
