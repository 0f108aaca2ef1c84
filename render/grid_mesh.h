// The screen-filling grid mesh on which two images are blended: one vertex per
// weight of the transition's 128 x 96 grid, drawn as a single triangle strip.
#pragma once

#include <cstdint>

#include "render/screen_vertex.h"

constexpr int kGridColumns = 128;
constexpr int kGridRows = 96;
constexpr int kGridVertexCount = kGridColumns * kGridRows;  // 12288
// 256 indices a row for 95 rows of quads, and two degenerate ones between rows.
constexpr int kGridIndexCount = (kGridRows - 1) * 2 * kGridColumns + (kGridRows - 2) * 2;
constexpr int kGridTriangleCount = kGridIndexCount - 2;
// Depth of the grid; text is drawn nearer, at kTextDepth.
constexpr float kGridDepth = 0.1f;

// Writes the kGridIndexCount indices of the strip: for each row of quads the pairs
// (top, bottom) across the columns, joined to the next row by repeating the row's
// last index and the next row's first.
void WriteGridIndices(uint16_t* out);

// Writes the kGridVertexCount vertices for a mask of kGridColumns x kGridRows weights
// (row-major, row 0 at the top): white, with alpha = weight x 255 truncated.
// Positions advance by repeated addition of 1/127 and 1/95, as the texture
// coordinates do, so both meet the screen's edges exactly as the mesh always has.
void FillGridVertices(const float* mask, ScreenVertex* out);
