// The renderer's frame path outside the driver: grid mesh, vertex buffer lock plan,
// overlay texts and places.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "render/grid_mesh.h"
#include "render/overlay_text.h"
#include "render/vertex_ring.h"

TEST(GridMesh, TheStripCoversEveryQuadOnceAndJoinsRowsWithDegenerateTriangles) {
  std::vector<uint16_t> indices(kGridIndexCount + 1, 0xBEEF);
  WriteGridIndices(indices.data());
  ASSERT_EQ(kGridIndexCount, 24508);
  EXPECT_EQ(indices[kGridIndexCount], 0xBEEF) << "wrote past the end";
  // Every non-degenerate triangle of the strip, as a sorted vertex triple.
  std::set<std::vector<int>> triangles;
  for (int i = 0; i + 2 < kGridIndexCount; ++i) {
    std::vector<int> t = {indices[i], indices[i + 1], indices[i + 2]};
    if (t[0] == t[1] || t[1] == t[2] || t[0] == t[2]) continue;
    for (int v : t) ASSERT_LT(v, kGridVertexCount);
    std::sort(t.begin(), t.end());
    triangles.insert(t);
  }
  // Two triangles for each of the 127 x 95 quads, and no others: a degenerate joint
  // that produced a real triangle would add a stray one across two rows.
  EXPECT_EQ(triangles.size(), size_t{2 * (kGridColumns - 1) * (kGridRows - 1)});
  EXPECT_EQ(indices[256], indices[255]);  // the joint between row 0 and row 1
  EXPECT_EQ(indices[257], kGridColumns);
}

TEST(GridMesh, VerticesSpanTheScreenAndCarryTheTruncatedWeightInAlpha) {
  std::vector<float> mask(kGridVertexCount, 0.0f);
  mask[0] = 1.0f;
  mask[1] = 0.5f;
  mask[kGridVertexCount - 1] = 0.999f;
  std::vector<ScreenVertex> vertices(kGridVertexCount);
  FillGridVertices(mask.data(), vertices.data());
  const ScreenVertex& first = vertices.front();
  const ScreenVertex& last = vertices.back();
  EXPECT_EQ(first.diffuse, 0xFFFFFFFFu);
  EXPECT_EQ(vertices[1].diffuse, 0x7FFFFFFFu);  // 127.5 truncated
  EXPECT_EQ(vertices[2].diffuse, 0x00FFFFFFu);
  EXPECT_EQ(last.diffuse, 0xFEFFFFFFu);
  EXPECT_FLOAT_EQ(first.x, 0.0f);
  EXPECT_NEAR(last.x, 1.0f, 1e-5);
  EXPECT_NEAR(last.y, 1.0f, 1e-5);
  EXPECT_EQ(last.u, last.x);
  EXPECT_EQ(last.v, last.y);
  EXPECT_FLOAT_EQ(vertices[kGridColumns].y, 1.0f / 95);
  EXPECT_FLOAT_EQ(first.z, kGridDepth);
}

TEST(VertexRing, TheFramesFirstLockDiscardsLaterOnesAppendAndAFullBufferDiscards) {
  CVertexRing ring(100);
  const struct {
    bool startFrame;
    unsigned count;
    bool planned;
    unsigned first;
    bool discard;
  } steps[] = {
      {true, 60, true, 0, true},      // first lock of a frame
      {false, 30, true, 60, false},   // appended
      {false, 20, true, 0, true},     // would overflow: discard
      {false, 101, false, 0, false},  // larger than the buffer
      {true, 10, true, 0, true},      // next frame
      {false, 90, true, 10, false},   // exactly fills it
  };
  for (const auto& s : steps) {
    if (s.startFrame) ring.StartFrame();
    unsigned first = 99;
    bool discard = false;
    ASSERT_EQ(ring.Plan(s.count, &first, &discard), s.planned) << s.count;
    if (!s.planned) continue;
    EXPECT_EQ(first, s.first) << s.count;
    EXPECT_EQ(discard, s.discard) << s.count;
    ring.Commit(s.count, discard);
  }
  EXPECT_EQ(ring.GetUsed(), 100u);
}

TEST(Overlays, FrameRateIsOneFramesRateSampledAtMostOnceASecond) {
  const struct {
    double now;
    double frameTime;
    const char* text;
  } steps[] = {
      {5.0, 0.02, "FPS:50.00"},     // first frame always samples
      {5.5, 0.04, "FPS:50.00"},     // held
      {6.0, 0.04, "FPS:50.00"},     // exactly one second: still held
      {6.01, 0.0, "FPS:10000.00"},  // a zero frame time is floored
  };
  FpsCounter counter;
  for (const auto& s : steps) {
    double frameTime = s.frameTime;
    EXPECT_EQ(UpdateFpsText(counter, s.now, frameTime), s.text) << s.now;
  }
  double zero = 0.0;
  FpsCounter fresh;
  UpdateFpsText(fresh, 1.0, zero);
  EXPECT_EQ(zero, kShortestFrameTime);  // the stored frame time is raised too
}

TEST(Overlays, ClockTextsInBothFormsWithTheBlinkingSeparator) {
  const struct {
    int hour, minute;
    double time;
    bool clock24h;
    const char* text;
  } cases[] = {
      {0, 5, 10.7, false, "12.05am"},   {0, 5, 10.2, false, "12 05am"},
      {12, 30, 3.9, false, "12.30pm"},  {13, 7, 3.5, false, "01 07pm"},
      {11, 59, 0.75, false, "11.59am"}, {13, 7, 2.6, true, "13.07"},
      {13, 7, 2.0, true, "13 07"},      {0, 0, 0.51, true, "00.00"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatClockText(c.hour, c.minute, c.time, c.clock24h), c.text)
        << c.hour << ":" << c.minute << " at " << c.time;
}

TEST(Overlays, TheClockVisitsTheCornersEveryTwentySecondsKeepingItsRightEdge) {
  const struct {
    double time;
    bool fps;
    int corner;
  } cases[] = {
      {0, false, 0},  {19.9, false, 0}, {20, false, 1}, {45, false, 2},
      {61, false, 3}, {80, false, 0},   {60, true, 0},  {59.9, true, 2},
  };
  for (const auto& c : cases) EXPECT_EQ(ClockCorner(c.time, c.fps), c.corner) << c.time;
  const float expected[4][2] = {
      {0.98f - 0.3f, 0.9f}, {0.98f - 0.3f, 0.0f}, {0.02f, 0.9f}, {0.02f, 0.0f}};
  for (int corner = 0; corner < 4; ++corner) {
    float x = -1, y = -1;
    ClockPosition(corner, 0.3f, &x, &y);
    EXPECT_FLOAT_EQ(x, expected[corner][0]) << corner;
    EXPECT_FLOAT_EQ(y, expected[corner][1]) << corner;
  }
}

TEST(Overlays, TextQuadsFollowTheGlyphWidthsWithNoSpacing) {
  CBitmapFont font;
  const char description[] =
      "<charset><ch41>0.0 0.0 0.25 0.5</ch41><ch42>0.25 0.0 0.5 0.5</ch42></charset>";
  ASSERT_TRUE(font.LoadFromMemory(description, sizeof description - 1));
  ScreenVertex quads[12];
  WriteTextQuads(font, 0.1f, 0.2f, 0.04f, 0.05f, 0x80FFFFFF, "AB\xE9", 3, quads);
  // Widths are size x w / reference height (0.5): A 0.02, B 0.04, the 8-bit one 0.
  const float lefts[] = {0.1f, 0.12f, 0.16f};
  const float rights[] = {0.12f, 0.16f, 0.16f};
  for (int i = 0; i < 3; ++i) {
    const ScreenVertex* q = quads + 4 * i;
    EXPECT_FLOAT_EQ(q[0].x, lefts[i]) << i;
    EXPECT_FLOAT_EQ(q[2].x, rights[i]) << i;
    EXPECT_FLOAT_EQ(q[1].y, i < 2 ? 0.25f : 0.2f) << i;  // a missing glyph is an empty quad
    EXPECT_EQ(q[3].diffuse, 0x80FFFFFFu);
    EXPECT_FLOAT_EQ(q[0].z, kTextDepth);
  }
  EXPECT_FLOAT_EQ(quads[4].u, 0.25f);
  EXPECT_FLOAT_EQ(quads[7].u, 0.75f);
  EXPECT_FLOAT_EQ(quads[7].v, 0.5f);
}
