// Mip chains: each level half the size of the one above, averaged with a 2 × 2 box.
#pragma once

#include <atomic>
#include <vector>

#include "render/image_types.h"

// Number of levels in a full chain for a width × height top level, 1 × 1 included.
int FullMipLevelCount(int width, int height);

// Halves `source` into `out`, of max(1, width / 2) × max(1, height / 2): each pixel is
// the rounded mean of a 2 × 2 block. A side of 1 reuses its only row or column; for an
// odd side the last row or column is left out, as the halved size cannot hold it.
// May throw std::bad_alloc.
void HalveImage(const MipLevel& source, MipLevel& out);

// Computes rows firstRow .. firstRow + rowCount - 1 of `out`, which already has the
// halved size of `source`, from source rows 2 × firstRow onwards. Lets a decoder
// build the next level while the rows it just wrote are still in the cache.
void HalveRows(const MipLevel& source, int firstRow, int rowCount, MipLevel& out);

// Appends halved levels to `levels` (which holds at least the top level) until the
// chain from levels.front() down to 1 × 1 is complete
// or holds maxLevels levels; 0 means no limit. False soon after `stop` (when given)
// turns true, with the levels made so far left in place. May throw std::bad_alloc.
bool BuildMipChain(std::vector<MipLevel>& levels, int maxLevels,
                   const std::atomic<bool>* stop = nullptr);
