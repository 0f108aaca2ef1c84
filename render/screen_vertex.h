// The only vertex format of the renderer: a position in normalised screen units
// (x 0..1 left to right, y 0..1 top to bottom), a colour and one texture coordinate.
#pragma once

#include <cstdint>

struct ScreenVertex {
  float x, y, z;     // screen units; z is the depth, 0 nearest
  uint32_t diffuse;  // ARGB; the grid's alpha carries the blend weight
  float u, v;        // texture coordinate
};
static_assert(sizeof(ScreenVertex) == 24, "the device reads 24-byte vertices");

// D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1.
constexpr uint32_t kScreenVertexFvf = 0x142;
