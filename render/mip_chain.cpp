// 2 × 2 box reduction for mip chains. Integer only: the four pixels of a block are
// summed per channel and rounded, (a + b + c + d + 2) / 4. SSE2 does two output pixels
// per step; the scalar path adds all four channels at once in two 16-bit-lane words.
#include "render/mip_chain.h"

#include <algorithm>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define QUILL_MIP_SSE2 1
#endif

namespace {

// Rounded per-channel mean of four pixels. Channels 0 and 2 and channels 1 and 3 are
// summed in the two 16-bit lanes of a word each; 4 × 255 + 2 cannot overflow a lane.
inline uint32_t Average4(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  constexpr uint32_t kMask = 0x00FF00FF;
  const uint32_t even = (a & kMask) + (b & kMask) + (c & kMask) + (d & kMask) + 0x00020002;
  const uint32_t odd = ((a >> 8) & kMask) + ((b >> 8) & kMask) + ((c >> 8) & kMask) +
                       ((d >> 8) & kMask) + 0x00020002;
  return ((even >> 2) & kMask) | (((odd >> 2) & kMask) << 8);
}

// One output row from source rows r0 and r1 (the same row when the source is 1 high).
void HalveRow(const uint32_t* r0, const uint32_t* r1, int sourceWidth, uint32_t* out, int width) {
  if (sourceWidth == 1) {  // a column: only rows are paired
    out[0] = Average4(r0[0], r0[0], r1[0], r1[0]);
    return;
  }
  int x = 0;
#ifdef QUILL_MIP_SSE2
  const __m128i zero = _mm_setzero_si128();
  const __m128i two = _mm_set1_epi16(2);
  // Four source pixels of each row give two output pixels; 2x + 3 must stay in the row.
  for (; 2 * x + 4 <= sourceWidth && x + 2 <= width; x += 2) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r0 + 2 * x));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r1 + 2 * x));
    // 16-bit sums of the two rows: pixels 0 and 1 in `left`, pixels 2 and 3 in `right`.
    const __m128i left = _mm_add_epi16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero));
    const __m128i right = _mm_add_epi16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero));
    // Add horizontal neighbours: pixel 0 + 1 and pixel 2 + 3 side by side.
    __m128i sum = _mm_add_epi16(_mm_unpacklo_epi64(left, right), _mm_unpackhi_epi64(left, right));
    sum = _mm_srli_epi16(_mm_add_epi16(sum, two), 2);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(sum, sum));
  }
#endif
  for (; x < width; ++x) {
    const int x0 = 2 * x;
    const int x1 = std::min(x0 + 1, sourceWidth - 1);
    out[x] = Average4(r0[x0], r0[x1], r1[x0], r1[x1]);
  }
}

}  // namespace

int FullMipLevelCount(int width, int height) {
  int count = 1;
  while (width > 1 || height > 1) {
    width = std::max(1, width / 2);
    height = std::max(1, height / 2);
    ++count;
  }
  return count;
}

void HalveRows(const MipLevel& source, int firstRow, int rowCount, MipLevel& out) {
  const size_t stride = static_cast<size_t>(source.width);
  for (int y = firstRow; y < firstRow + rowCount; ++y) {
    const int y0 = 2 * y;
    const int y1 = std::min(y0 + 1, source.height - 1);
    HalveRow(&source.pixels[y0 * stride], &source.pixels[y1 * stride], source.width,
             &out.pixels[static_cast<size_t>(y) * out.width], out.width);
  }
}

void HalveImage(const MipLevel& source, MipLevel& out) {
  MipLevel half;
  half.width = std::max(1, source.width / 2);
  half.height = std::max(1, source.height / 2);
  half.pixels.resize(static_cast<size_t>(half.width) * half.height);
  HalveRows(source, 0, half.height, half);
  out = std::move(half);
}

bool BuildMipChain(std::vector<MipLevel>& levels, int maxLevels, const std::atomic<bool>* stop) {
  const int full = FullMipLevelCount(levels.front().width, levels.front().height);
  const int count = maxLevels > 0 ? std::min(maxLevels, full) : full;
  levels.reserve(count);
  while (static_cast<int>(levels.size()) < count) {
    const MipLevel& above = levels.back();
    MipLevel next;
    next.width = std::max(1, above.width / 2);
    next.height = std::max(1, above.height / 2);
    next.pixels.resize(static_cast<size_t>(next.width) * next.height);
    // Rows in slices of about a million pixels, with a look at the stop flag between.
    const int slice = std::max(1, (1 << 20) / next.width);
    for (int row = 0; row < next.height; row += slice) {
      if (stop != nullptr && stop->load()) return false;
      HalveRows(above, row, std::min(slice, next.height - row), next);
    }
    levels.push_back(std::move(next));
  }
  return true;
}
