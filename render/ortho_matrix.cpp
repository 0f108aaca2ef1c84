// The published left-handed off-centre orthographic projection, element by element.
#include "render/ortho_matrix.h"

Matrix4 MatrixOrthoOffCenterLH(float l, float r, float b, float t, float zn, float zf) {
  Matrix4 result = {};
  result.m[0][0] = 2.0f / (r - l);
  result.m[1][1] = 2.0f / (t - b);
  result.m[2][2] = 1.0f / (zf - zn);
  result.m[3][0] = (l + r) / (l - r);
  result.m[3][1] = (t + b) / (b - t);
  result.m[3][2] = zn / (zn - zf);
  result.m[3][3] = 1.0f;
  return result;
}
