// The orthographic projection the renderer sets: Direct3D's left-handed off-centre
// form, with the same layout as D3DMATRIX (row-major, for row vectors: v' = v × M).
#pragma once

struct Matrix4 {
  float m[4][4];  // m[row][column]
};

// Maps x in [l, r] to [-1, 1], y in [b, t] to [-1, 1] and z in [zn, zf] to [0, 1]:
//   2/(r-l)      0            0            0
//   0            2/(t-b)      0            0
//   0            0            1/(zf-zn)    0
//   (l+r)/(l-r)  (t+b)/(b-t)  zn/(zn-zf)   1
// Bounds with l == r, b == t or zn == zf give infinities, as the formula does.
Matrix4 MatrixOrthoOffCenterLH(float l, float r, float b, float t, float zn, float zf);
