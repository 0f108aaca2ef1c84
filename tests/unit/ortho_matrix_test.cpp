// The renderer's orthographic projection matrix.
#include "render/ortho_matrix.h"

#include <gtest/gtest.h>

TEST(OrthoMatrixTest, RendererProjectionMapsScreenUnitsToClipSpace) {
  // The renderer's bounds: x 0 (left) .. 1, y 1 (bottom) .. 0, z 0 .. 1.
  const Matrix4 m = MatrixOrthoOffCenterLH(0, 1, 1, 0, 0, 1);
  const float expected[4][4] = {{2, 0, 0, 0}, {0, -2, 0, 0}, {0, 0, 1, 0}, {-1, 1, 0, 1}};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_FLOAT_EQ(m.m[r][c], expected[r][c]) << r << "," << c;
}

TEST(OrthoMatrixTest, BoundsLandOnTheClipVolume) {
  struct Case {
    float l, r, b, t, zn, zf;
    float x, y, z;     // point in view space
    float cx, cy, cz;  // expected clip coordinates (w stays 1)
  } cases[] = {
      {0, 1, 1, 0, 0, 1, 0, 0, 0, -1, 1, 0},  // top left of the screen
      {0, 1, 1, 0, 0, 1, 1, 1, 1, 1, -1, 1},  // bottom right, far
      {0, 1, 1, 0, 0, 1, 0.5f, 0.5f, 0.5f, 0, 0, 0.5f},
      {-2, 6, -1, 3, 1, 5, -2, -1, 1, -1, -1, 0},  // worked example: near corner
      {-2, 6, -1, 3, 1, 5, 6, 3, 5, 1, 1, 1},      // far corner
      {-2, 6, -1, 3, 1, 5, 2, 1, 3, 0, 0, 0.5f},   // centre
  };
  for (const Case& k : cases) {
    const Matrix4 m = MatrixOrthoOffCenterLH(k.l, k.r, k.b, k.t, k.zn, k.zf);
    const float v[4] = {k.x, k.y, k.z, 1};
    float out[4] = {};
    for (int c = 0; c < 4; ++c)
      for (int r = 0; r < 4; ++r) out[c] += v[r] * m.m[r][c];
    EXPECT_NEAR(out[0], k.cx, 1e-6);
    EXPECT_NEAR(out[1], k.cy, 1e-6);
    EXPECT_NEAR(out[2], k.cz, 1e-6);
    EXPECT_FLOAT_EQ(out[3], 1);
  }
  const Matrix4 m = MatrixOrthoOffCenterLH(-2, 6, -1, 3, 1, 5);
  EXPECT_FLOAT_EQ(m.m[0][0], 0.25f);
  EXPECT_FLOAT_EQ(m.m[1][1], 0.5f);
  EXPECT_FLOAT_EQ(m.m[2][2], 0.25f);
  EXPECT_FLOAT_EQ(m.m[3][0], -0.5f);
  EXPECT_FLOAT_EQ(m.m[3][1], -0.5f);
  EXPECT_FLOAT_EQ(m.m[3][2], -0.25f);
}
