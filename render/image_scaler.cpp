// Separable triangle-filter resampling in 14-bit fixed point. The weights of every
// output pixel are computed once per axis; the inner loops then only multiply and add,
// four channels at a time (two taps per instruction with SSE2, which every x86-64
// processor has).
#include "render/image_scaler.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define QUILL_SCALER_SSE2 1
#endif

namespace {

constexpr int kWeightBits = 14;
constexpr int kWeightOne = 1 << kWeightBits;  // weights of one output pixel add up to this
constexpr int kRound = 1 << (kWeightBits - 1);

// Filter of one axis: output pixel i reads source pixels first[i] .. first[i] + taps - 1
// with weights[i * taps ..]. Every window lies inside the source, so the loops need no
// bounds checks; unused taps carry weight 0.
struct FilterTable {
  int taps = 0;
  std::vector<int> first;
  std::vector<int16_t> weights;
  std::vector<int32_t> pairs;  // weights two by two, low tap in the low half, for SSE2
};

FilterTable BuildFilterTable(int sourceSize, int targetSize) {
  const double scale = static_cast<double>(sourceSize) / targetSize;
  // Reducing widens the tent to cover every source pixel an output pixel spans;
  // enlarging keeps it one pixel wide, which is bilinear interpolation.
  const double radius = std::max(1.0, scale);

  FilterTable table;
  // The open interval (center - radius, center + radius) holds at most ceil(2 radius)
  // whole pixel positions.
  table.taps = std::min(static_cast<int>(std::ceil(2 * radius)), sourceSize);
  if (table.taps % 2 != 0 && table.taps < sourceSize) ++table.taps;  // SSE2 takes pairs
  const int taps = table.taps;
  table.first.resize(targetSize);
  table.weights.assign(static_cast<size_t>(targetSize) * taps, 0);

  std::vector<double> weight(taps);
  for (int i = 0; i < targetSize; ++i) {
    const double center = (i + 0.5) * scale - 0.5;
    const int lo = std::max(0, static_cast<int>(std::floor(center - radius)) + 1);
    const int start = std::max(0, std::min(lo, sourceSize - taps));
    // Rounding can add a position whose weight is all but zero; the window ends first.
    const int hi = std::min(
        {sourceSize - 1, start + taps - 1, static_cast<int>(std::ceil(center + radius)) - 1});
    std::fill(weight.begin(), weight.end(), 0.0);
    double sum = 0;
    for (int j = lo; j <= hi; ++j) {
      const double w = 1.0 - std::fabs(j - center) / radius;
      weight[j - start] = w;
      sum += w;
    }
    // Fixed-point weights that add up to exactly kWeightOne, so a flat area keeps its
    // colour; the rounding remainder goes to the largest weight.
    int16_t* out = &table.weights[static_cast<size_t>(i) * taps];
    int total = 0;
    int largest = 0;
    for (int k = 0; k < taps; ++k) {
      out[k] = static_cast<int16_t>(std::lround(weight[k] / sum * kWeightOne));
      total += out[k];
      if (out[k] > out[largest]) largest = k;
    }
    out[largest] = static_cast<int16_t>(out[largest] + kWeightOne - total);
    table.first[i] = start;
  }

  if (taps % 2 == 0) {
    table.pairs.resize(table.weights.size() / 2);
    for (size_t k = 0; k < table.pairs.size(); ++k) {
      table.pairs[k] =
          static_cast<int32_t>(static_cast<uint16_t>(table.weights[2 * k]) |
                               (static_cast<uint32_t>(table.weights[2 * k + 1]) << 16));
    }
  }
  return table;
}

inline uint8_t ToByte(int acc) { return static_cast<uint8_t>((acc + kRound) >> kWeightBits); }

// Horizontal filter of one row: `in` has the source width, `out` table.first.size().
void FilterRow(const uint32_t* in, uint32_t* out, const FilterTable& table) {
  const int targetWidth = static_cast<int>(table.first.size());
  const int taps = table.taps;
  const uint8_t* row = reinterpret_cast<const uint8_t*>(in);
#ifdef QUILL_SCALER_SSE2
  if (!table.pairs.empty()) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i round = _mm_set1_epi32(kRound);
    const int pairCount = taps / 2;
    for (int x = 0; x < targetWidth; ++x) {
      const uint8_t* p = row + static_cast<size_t>(table.first[x]) * 4;
      const int32_t* w = &table.pairs[static_cast<size_t>(x) * pairCount];
      __m128i acc = round;
      for (int k = 0; k < pairCount; ++k) {
        // Two neighbouring pixels B0 G0 R0 A0 B1 G1 R1 A1 become the 16-bit pairs
        // B0 B1 G0 G1 R0 R1 A0 A1, which one multiply-add weighs and sums.
        __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + 8 * k));
        v = _mm_unpacklo_epi8(_mm_unpacklo_epi8(v, _mm_srli_si128(v, 4)), zero);
        acc = _mm_add_epi32(acc, _mm_madd_epi16(v, _mm_set1_epi32(w[k])));
      }
      acc = _mm_srai_epi32(acc, kWeightBits);
      acc = _mm_packs_epi32(acc, acc);
      out[x] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(acc, acc)));
    }
    return;
  }
#endif
  for (int x = 0; x < targetWidth; ++x) {
    const uint8_t* p = row + static_cast<size_t>(table.first[x]) * 4;
    const int16_t* w = &table.weights[static_cast<size_t>(x) * taps];
    int acc[4] = {0, 0, 0, 0};
    for (int k = 0; k < taps; ++k) {
      for (int c = 0; c < 4; ++c) acc[c] += w[k] * p[4 * k + c];
    }
    const uint8_t bytes[4] = {ToByte(acc[0]), ToByte(acc[1]), ToByte(acc[2]), ToByte(acc[3])};
    std::memcpy(&out[x], bytes, 4);
  }
}

// Vertical filter: output row y of the table from rows[0 .. taps - 1], each `width`
// pixels wide (the source rows first[y] onwards, wherever they are stored).
void BlendRows(const uint32_t* const* rows, int width, const FilterTable& table, int y,
               uint32_t* out) {
  const int taps = table.taps;
  const size_t bytes = static_cast<size_t>(width) * 4;
  const int16_t* w = &table.weights[static_cast<size_t>(y) * taps];
  uint8_t* target = reinterpret_cast<uint8_t*>(out);
  size_t i = 0;
#ifdef QUILL_SCALER_SSE2
  if (!table.pairs.empty()) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i round = _mm_set1_epi32(kRound);
    const int32_t* pairs = &table.pairs[static_cast<size_t>(y) * (taps / 2)];
    for (; i + 16 <= bytes; i += 16) {
      __m128i acc0 = round, acc1 = round, acc2 = round, acc3 = round;
      for (int k = 0; k < taps; k += 2) {
        // Bytes of two rows interleaved become 16-bit pairs for one multiply-add.
        const __m128i a = _mm_loadu_si128(
            reinterpret_cast<const __m128i*>(reinterpret_cast<const uint8_t*>(rows[k]) + i));
        const __m128i b = _mm_loadu_si128(
            reinterpret_cast<const __m128i*>(reinterpret_cast<const uint8_t*>(rows[k + 1]) + i));
        const __m128i wk = _mm_set1_epi32(pairs[k / 2]);
        const __m128i lo = _mm_unpacklo_epi8(a, b);
        const __m128i hi = _mm_unpackhi_epi8(a, b);
        acc0 = _mm_add_epi32(acc0, _mm_madd_epi16(_mm_unpacklo_epi8(lo, zero), wk));
        acc1 = _mm_add_epi32(acc1, _mm_madd_epi16(_mm_unpackhi_epi8(lo, zero), wk));
        acc2 = _mm_add_epi32(acc2, _mm_madd_epi16(_mm_unpacklo_epi8(hi, zero), wk));
        acc3 = _mm_add_epi32(acc3, _mm_madd_epi16(_mm_unpackhi_epi8(hi, zero), wk));
      }
      const __m128i first =
          _mm_packs_epi32(_mm_srai_epi32(acc0, kWeightBits), _mm_srai_epi32(acc1, kWeightBits));
      const __m128i second =
          _mm_packs_epi32(_mm_srai_epi32(acc2, kWeightBits), _mm_srai_epi32(acc3, kWeightBits));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(target + i), _mm_packus_epi16(first, second));
    }
  }
#endif
  for (; i < bytes; ++i) {
    int acc = 0;
    for (int k = 0; k < taps; ++k) acc += w[k] * reinterpret_cast<const uint8_t*>(rows[k])[i];
    target[i] = ToByte(acc);
  }
}

// How the two passes are arranged for a pair of sizes.
enum class Plan {
  kCopy,         // same size
  kAcrossOnly,   // same height: each row filtered across on arrival
  kDownOnly,     // same width: source rows kept in the ring, blended down
  kAcrossFirst,  // rows filtered across into the ring, then blended down
  kDownFirst,    // source rows kept in the ring, blended down into a line, then across
};

}  // namespace

struct CImageScaler::State {
  int sourceWidth = 0;
  int sourceHeight = 0;
  int width = 0;
  int height = 0;
  Plan plan = Plan::kCopy;
  FilterTable across;
  FilterTable down;
  PixelBuffer ring;  // down.taps rows: row r of the source (or its filtered form) in slot r % taps
  int ringWidth = 0;
  PixelBuffer line;  // kDownFirst: one row blended down, before it is filtered across
  std::vector<const uint32_t*> window;
  uint32_t* target = nullptr;  // out's pixels
  int received = 0;            // source rows taken so far
  int produced = 0;            // output rows written so far

  uint32_t* Slot(int row) { return ring.data() + static_cast<size_t>(row % down.taps) * ringWidth; }
  uint32_t* TargetRow(int y) { return target + static_cast<size_t>(y) * width; }
};

CImageScaler::CImageScaler(int sourceWidth, int sourceHeight, int width, int height, MipLevel& out)
    : m_state(new State) {
  State& s = *m_state;
  s.sourceWidth = sourceWidth;
  s.sourceHeight = sourceHeight;
  s.width = width;
  s.height = height;
  if (sourceWidth != width) s.across = BuildFilterTable(sourceWidth, width);
  if (sourceHeight != height) s.down = BuildFilterTable(sourceHeight, height);
  if (sourceHeight == height) {
    s.plan = sourceWidth == width ? Plan::kCopy : Plan::kAcrossOnly;
  } else if (sourceWidth == width) {
    s.plan = Plan::kDownOnly;
  } else {
    // Both orders give nearly the same picture; take the one with fewer multiplies.
    const double acrossFirst = static_cast<double>(sourceHeight) * width * s.across.taps +
                               static_cast<double>(width) * height * s.down.taps;
    const double downFirst = static_cast<double>(sourceWidth) * height * s.down.taps +
                             static_cast<double>(width) * height * s.across.taps;
    s.plan = acrossFirst <= downFirst ? Plan::kAcrossFirst : Plan::kDownFirst;
  }
  if (s.plan != Plan::kCopy && s.plan != Plan::kAcrossOnly) {
    s.ringWidth = s.plan == Plan::kAcrossFirst ? width : sourceWidth;
    s.ring.resize(static_cast<size_t>(s.down.taps) * s.ringWidth);
    s.window.resize(s.down.taps);
  }
  if (s.plan == Plan::kDownFirst) s.line.resize(static_cast<size_t>(sourceWidth));
  out.width = width;
  out.height = height;
  out.pixels.resize(static_cast<size_t>(width) * height);
  s.target = out.pixels.data();
}

CImageScaler::~CImageScaler() = default;

bool CImageScaler::IsComplete() const { return m_state->produced == m_state->height; }

void CImageScaler::AddRows(const uint32_t* rows, int count) {
  State& s = *m_state;
  for (int i = 0; i < count && s.received < s.sourceHeight; ++i) {
    const uint32_t* row = rows + static_cast<size_t>(i) * s.sourceWidth;
    const int r = s.received++;
    switch (s.plan) {
      case Plan::kCopy:
        std::memcpy(s.TargetRow(r), row, static_cast<size_t>(s.width) * 4);
        s.produced = s.received;
        continue;
      case Plan::kAcrossOnly:
        FilterRow(row, s.TargetRow(r), s.across);
        s.produced = s.received;
        continue;
      case Plan::kAcrossFirst:
        FilterRow(row, s.Slot(r), s.across);
        break;
      case Plan::kDownOnly:
      case Plan::kDownFirst:
        std::memcpy(s.Slot(r), row, static_cast<size_t>(s.sourceWidth) * 4);
        break;
    }
    // Every output row whose window ends here can be written. A row entering the
    // ring replaces the one `taps` rows above it, which no pending window reaches.
    while (s.produced < s.height && s.down.first[s.produced] + s.down.taps - 1 <= r) {
      const int y = s.produced++;
      for (int k = 0; k < s.down.taps; ++k) s.window[k] = s.Slot(s.down.first[y] + k);
      if (s.plan == Plan::kDownFirst) {
        BlendRows(s.window.data(), s.sourceWidth, s.down, y, s.line.data());
        FilterRow(s.line.data(), s.TargetRow(y), s.across);
      } else {
        BlendRows(s.window.data(), s.width, s.down, y, s.TargetRow(y));
      }
    }
  }
}

bool ScaleImage(const MipLevel& source, int width, int height, MipLevel& out,
                const std::atomic<bool>* stop) {
  MipLevel result;
  CImageScaler scaler(source.width, source.height, width, height, result);
  // Rows in slices of about a million pixels, with a look at the stop flag between.
  const int slice = std::max(1, (1 << 20) / std::max(1, source.width));
  for (int row = 0; row < source.height; row += slice) {
    if (stop != nullptr && stop->load()) return false;
    scaler.AddRows(source.pixels.data() + static_cast<size_t>(row) * source.width,
                   std::min(slice, source.height - row));
  }
  out = std::move(result);
  return true;
}
