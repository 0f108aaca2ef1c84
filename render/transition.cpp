// Transition effects. Every effect maps a grid point to a position f and an edge width
// e and reveals the point through a linear ramp of the progress. f and e never change
// within a cycle, so they are computed once per cycle and each frame applies only the
// ramp; both paths share the same arithmetic and give identical floats.
#include "render/transition.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/random.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
// Vertical distances are scaled so that circles look round on a 4:3 screen.
constexpr double kAspect = 0.75;
// Single-precision square roots of 0.5 and 2.205: the distances that the circle and
// the star normalise by.
constexpr float kHalfDiagonal = 0.70710677f;
constexpr float kStarRadius = 1.4849242f;
// Centre of the circle and diamond, a little off the middle of the grid.
constexpr double kShapeCentre = 0.505;
// Centre of the clock sweeps and spirals.
constexpr double kMiddle = 0.5;
// Soft-edge widths. The wipe and sweep edge is a double; the strip and block edges are
// single-precision values, which differ slightly from their decimal text.
constexpr double kWipeEdge = 0.2;
constexpr float kColumnStripEdge = 0.05f;
constexpr float kRowStripEdge = 1.0f / 15.0f;
constexpr float kBlockEdge = 0.2f;
// Edges of the circle, diamond and star grow with the distance from the centre: sharp
// near it, soft far away.
constexpr double kGrowingEdgeSlope = 0.2;
constexpr double kShapeEdgeBase = 0.01;
constexpr double kStarEdgeBase = 0.03;
// The star's angle wave rises and falls twenty times per turn: ten points, ten valleys.
constexpr double kStarSlopesPerHalfTurn = 10.0;

// The cross-fade appears twice, so it is chosen twice as often as the others. The order
// fixes which effect each random draw picks.
constexpr int kSelection[] = {
    CTransition::kWipeFromLeft,          CTransition::kWipeFromRight,
    CTransition::kWipeFromBottom,        CTransition::kWipeFromTop,
    CTransition::kCircleOpening,         CTransition::kCircleClosing,
    CTransition::kCrossFadeEffect,       CTransition::kDiamondOpening,
    CTransition::kDiamondClosing,        CTransition::kSweepAnticlockwise,
    CTransition::kSweepClockwise,        CTransition::kStarOpening,
    CTransition::kStarClosing,           CTransition::kSpiralClockwise,
    CTransition::kSpiralAnticlockwise,   CTransition::kCrossFadeEffect,
    CTransition::kColumnStripsFromRight, CTransition::kColumnStripsFromLeft,
    CTransition::kRowStripsFromTop,      CTransition::kRowStripsFromBottom,
    CTransition::kBlockEffect,
};
constexpr unsigned kSelectionSize = sizeof(kSelection) / sizeof(kSelection[0]);
constexpr int kMaxEffectDraws = 11;  // after eleven draws a repeat of the last effect stands
constexpr int kBlockSwaps = 96;
constexpr float kInverseRandomMax = 1.0f / 32767.0f;

// A draw as an unsigned value, so that a modulo always yields a valid index.
unsigned Draw() { return static_cast<unsigned>(QuillRand()); }

void RebuildBlockThresholds(CTransition::BlockTable& table) {
  // 48 distinct thresholds from 0 to 1, then shuffled by random swaps.
  for (int i = 0; i < CTransition::kBlockColumns; ++i)
    for (int j = 0; j < CTransition::kBlockRows; ++j)
      table[i][j] = static_cast<float>(CTransition::kBlockColumns * j + i) / 47.0f;
  for (int n = 0; n < kBlockSwaps; ++n) {
    // Four separate statements fix the order of the draws.
    const unsigned i1 = Draw() % CTransition::kBlockColumns;
    const unsigned j1 = Draw() % CTransition::kBlockRows;
    const unsigned i2 = Draw() % CTransition::kBlockColumns;
    const unsigned j2 = Draw() % CTransition::kBlockRows;
    std::swap(table[i1][j1], table[i2][j2]);
  }
}

enum class Ramp { kRising, kFalling, kNone };

Ramp RampOf(int effect) {
  switch (effect) {
    case CTransition::kWipeFromLeft:
    case CTransition::kWipeFromTop:
    case CTransition::kCircleOpening:
    case CTransition::kDiamondOpening:
    case CTransition::kStarOpening:
    case CTransition::kSweepAnticlockwise:
    case CTransition::kSpiralClockwise:
    case CTransition::kSpiralAnticlockwise:
    case CTransition::kColumnStripsFromLeft:
    case CTransition::kRowStripsFromTop:
    case CTransition::kBlockEffect:
      return Ramp::kRising;
    case CTransition::kWipeFromRight:
    case CTransition::kWipeFromBottom:
    case CTransition::kCircleClosing:
    case CTransition::kDiamondClosing:
    case CTransition::kStarClosing:
    case CTransition::kSweepClockwise:
    case CTransition::kColumnStripsFromRight:
    case CTransition::kRowStripsFromBottom:
      return Ramp::kFalling;
    default:
      return Ramp::kNone;
  }
}

inline float Clamp01(double value) {
  value = value < 0.0 ? 0.0 : value;
  value = value > 1.0 ? 1.0 : value;
  return static_cast<float>(value);
}

// The two ramps. (1 + e) lets the soft edge of width e enter at one end of the range of
// f and leave at the other, so p = 0 and p = 1 give 0 and 1 for f in 0..1. The weight is
// the numerator divided by e, clamped.
template <Ramp kRamp>
inline double RampNumerator(double position, double edge, double p) {
  if (kRamp == Ramp::kRising) return (1.0 + edge) * p - position;
  return (1.0 + edge) * p + position - 1.0;
}

template <Ramp kRamp>
inline float RampWeight(double position, double edge, double p) {
  return Clamp01(RampNumerator<kRamp>(position, edge, p) / edge);
}

inline float RampWeight(Ramp ramp, double position, double edge, double p) {
  return ramp == Ramp::kRising ? RampWeight<Ramp::kRising>(position, edge, p)
                               : RampWeight<Ramp::kFalling>(position, edge, p);
}

// Points per tile: four tiles across the renderer's grid.
constexpr size_t kTileLength = 32;

template <Ramp kRamp>
void RampPoints(const double* position, const double* edge, float* out, size_t count, double p) {
  size_t i = 0;
#if defined(__SSE2__)
  // Four points per step, two per instruction. Every vector operation is the same IEEE
  // operation as in the scalar formula, and max(0, v) and min(1, v) with these operand
  // orders select exactly as the scalar clamps do, so the weights are identical.
  const __m128d progress = _mm_set1_pd(p), one = _mm_set1_pd(1.0), zero = _mm_setzero_pd();
  const auto ramp = [&](const double* f, const double* e) {
    const __m128d vf = _mm_loadu_pd(f), ve = _mm_loadu_pd(e);
    const __m128d scaled = _mm_mul_pd(_mm_add_pd(one, ve), progress);
    const __m128d numerator =
        kRamp == Ramp::kRising ? _mm_sub_pd(scaled, vf) : _mm_sub_pd(_mm_add_pd(scaled, vf), one);
    return _mm_cvtpd_ps(_mm_min_pd(one, _mm_max_pd(zero, _mm_div_pd(numerator, ve))));
  };
  for (; i + 4 <= count; i += 4)
    _mm_storeu_ps(
        out + i, _mm_movelh_ps(ramp(position + i, edge + i), ramp(position + i + 2, edge + i + 2)));
#endif
  for (; i < count; ++i) out[i] = RampWeight<kRamp>(position[i], edge[i], p);
}

void FillWeights(float* __restrict out, size_t count, float value) {
  constexpr size_t kBlock = 16;
  size_t i = 0;
  for (; i + kBlock <= count; i += kBlock)
    for (size_t k = 0; k < kBlock; ++k) out[i + k] = value;
  for (; i < count; ++i) out[i] = value;
}

// Each operation of the numerator rounds monotonically, so the numerator of every point
// of a tile lies between its values at the tile's corner bounds: below zero everywhere
// means every weight clamps to 0, at least the largest edge everywhere means every weight
// is at least 1. (With p >= 0 the numerator rises with e for both ramps; it falls with f
// for the rising ramp and rises with f for the falling one.) A negative numerator divides
// to a negative weight, which clamps to +0 exactly like the fill.
template <Ramp kRamp>
void RampTile(const double* position, const double* edge, float* out, size_t length,
              double positionMin, double positionMax, double edgeMin, double edgeMax, double p) {
  const bool rising = kRamp == Ramp::kRising;
  const double largest = RampNumerator<kRamp>(rising ? positionMin : positionMax, edgeMax, p);
  const double smallest = RampNumerator<kRamp>(rising ? positionMax : positionMin, edgeMin, p);
  if (largest < 0.0)
    FillWeights(out, length, 0.0f);
  else if (smallest >= edgeMax)
    FillWeights(out, length, 1.0f);
  else
    RampPoints<kRamp>(position, edge, out, length, p);
}

struct Shape {
  double position;  // f: smaller values are revealed first by the rising ramp
  double edge;      // e: width of the soft edge in units of f
};

// Angle of an offset, horizontal offset first: +-pi straight up (y grows downward), so
// (angle + pi) / 2pi is 0 and 1 at twelve o'clock and grows anticlockwise on screen.
inline double Angle(double dx, double dy) { return std::atan2(dx, dy); }

Shape ShapeAt(int effect, double x, double y, double centreX, double centreY,
              const CTransition::BlockTable& table) {
  switch (effect) {
    case CTransition::kWipeFromLeft:
    case CTransition::kWipeFromRight:
      return {x, kWipeEdge};
    case CTransition::kWipeFromBottom:
    case CTransition::kWipeFromTop:
      return {y, kWipeEdge};
    case CTransition::kCircleOpening:
    case CTransition::kCircleClosing: {
      const double dx = x - kShapeCentre, dy = (y - kShapeCentre) * kAspect;
      const double d = std::sqrt(dx * dx + dy * dy) / kHalfDiagonal;
      return {d, kGrowingEdgeSlope * d + kShapeEdgeBase};
    }
    case CTransition::kDiamondOpening:
    case CTransition::kDiamondClosing: {
      const double dx = x - kShapeCentre, dy = (y - kShapeCentre) * kAspect;
      const double d = std::fabs(dx) + std::fabs(dy);
      return {d, kGrowingEdgeSlope * d + kShapeEdgeBase};
    }
    case CTransition::kStarOpening:
    case CTransition::kStarClosing: {
      const double dx = x - centreX, dy = (y - centreY) * kAspect;
      const double n = std::sqrt(dx * dx + dy * dy) / kStarRadius;
      // Triangle wave of the angle with ten teeth; the star's points lie where s = 0.
      const double h = (Angle(dx, dy) + kPi) * kStarSlopesPerHalfTurn / kPi;
      const int k = static_cast<int>(h);
      const double s = (k % 2 != 0) ? h - k : 1.0 - (h - k);
      return {n * (1.0 + 0.5 * s), kGrowingEdgeSlope * n + kStarEdgeBase};
    }
    case CTransition::kSweepAnticlockwise:
    case CTransition::kSweepClockwise: {
      const double dx = x - kMiddle, dy = (y - kMiddle) * kAspect;
      return {(Angle(dx, dy) + kPi) / (2.0 * kPi), kWipeEdge};
    }
    case CTransition::kSpiralClockwise:
    case CTransition::kSpiralAnticlockwise: {
      const double dx = x - kMiddle, dy = (y - kMiddle) * kAspect;
      const double radial = 0.5 * std::sqrt(dx * dx + dy * dy) / kHalfDiagonal;
      const double angle = effect == CTransition::kSpiralClockwise ? -Angle(dx, dy) : Angle(dx, dy);
      return {radial + (angle + kPi) / (4.0 * kPi), kWipeEdge};
    }
    case CTransition::kColumnStripsFromRight:
    case CTransition::kColumnStripsFromLeft: {
      const int k = std::min(static_cast<int>(4.0 * x), 3);
      return {(k + y) / 4.0, kColumnStripEdge};
    }
    case CTransition::kRowStripsFromTop:
    case CTransition::kRowStripsFromBottom: {
      const int k = std::min(static_cast<int>(3.0 * y), 2);
      return {(k + x) / 3.0, kRowStripEdge};
    }
    case CTransition::kBlockEffect: {
      const int i = std::min(static_cast<int>(CTransition::kBlockColumns * x),
                             CTransition::kBlockColumns - 1);
      const int j =
          std::min(static_cast<int>(CTransition::kBlockRows * y), CTransition::kBlockRows - 1);
      return {table[i][j], kBlockEdge};
    }
    default:
      return {0.0, 1.0};
  }
}

// Grid coordinate of a column or row: c / 128 across, r / 96 down for the renderer's
// grid (the mesh vertices themselves sit at c / 127 and r / 95).
inline double GridCoordinate(unsigned index, unsigned count) {
  return static_cast<double>(index) / static_cast<double>(count);
}

}  // namespace

CTransition::CTransition(unsigned width, unsigned height)
    : m_width(width),
      m_height(height),
      m_weights(new float[static_cast<size_t>(width) * height]),
      m_position(new double[static_cast<size_t>(width) * height]),
      m_edge(new double[static_cast<size_t>(width) * height]) {
  // Every buffer the per-frame path uses is allocated here: a frame allocates nothing.
  const size_t points = static_cast<size_t>(width) * height;
  m_distinctRows.reserve(height);
  m_rowCopies.reserve(height);
  m_runs.reserve(points / 4 + 1);
  m_tiles.reserve(static_cast<size_t>(height) * ((width + kTileLength - 1) / kTileLength));
  ChooseEffect();
}

CTransition::~CTransition() = default;

float CTransition::RandomRange(float lo, float hi) {
  return lo + static_cast<float>(QuillRand()) * kInverseRandomMax * (hi - lo);
}

void CTransition::ChooseEffect() {
  const int previous = m_effect;
  int candidate = kSelection[Draw() % kSelectionSize];
  for (int draws = 1; candidate == previous && draws < kMaxEffectDraws; ++draws)
    candidate = kSelection[Draw() % kSelectionSize];
  m_effect = candidate;
  m_centreX = RandomRange(0.0f, 1.0f);
  m_centreY = RandomRange(0.0f, 1.0f);
  m_reshuffle = 1;
  InvalidatePlan();
}

bool CTransition::SetEffect(int effect, float centreX, float centreY) {
  if (effect < 0 || effect >= kEffectCount) return false;
  if (!std::isfinite(centreX) || !std::isfinite(centreY)) return false;
  m_effect = effect;
  m_centreX = centreX;
  m_centreY = centreY;
  m_reshuffle = 1;
  InvalidatePlan();
  return true;
}

float CTransition::ComputeWeightDirect(int effect, unsigned column, unsigned row, unsigned width,
                                       unsigned height, float p, float centreX, float centreY,
                                       const BlockTable& table) {
  const Ramp ramp = RampOf(effect);
  if (ramp == Ramp::kNone) return effect == kCrossFadeEffect ? Clamp01(p) : 0.0f;
  const Shape shape = ShapeAt(effect, GridCoordinate(column, width), GridCoordinate(row, height),
                              centreX, centreY, table);
  return RampWeight(ramp, shape.position, shape.edge, p);
}

const float* CTransition::ComputeMask(float p) {
  // The caller clamps already; doing it again keeps a stray value or NaN out of the mask.
  if (!(p >= 0.0f)) p = 0.0f;
  if (p > 1.0f) p = 1.0f;
  if (m_effect == kBlockEffect && m_reshuffle != 0) {
    RebuildBlockThresholds(m_blockThresholds);
    m_reshuffle = 0;
    InvalidatePlan();
  }
  if (RampOf(m_effect) == Ramp::kNone) {
    const float weight = m_effect == kCrossFadeEffect ? p : 0.0f;
    FillWeights(m_weights.get(), static_cast<size_t>(m_width) * m_height, weight);
    return m_weights.get();
  }
  if (!m_planValid) BuildPlan();
  ApplyPlan(p);
  return m_weights.get();
}

void CTransition::InvalidatePlan() { m_planValid = false; }

void CTransition::BuildPlan() {
  const size_t width = m_width;
  for (unsigned r = 0; r < m_height; ++r) {
    const double y = GridCoordinate(r, m_height);
    for (unsigned c = 0; c < m_width; ++c) {
      const Shape shape =
          ShapeAt(m_effect, GridCoordinate(c, m_width), y, m_centreX, m_centreY, m_blockThresholds);
      m_position[r * width + c] = shape.position;
      m_edge[r * width + c] = shape.edge;
    }
  }

  // Rows equal to the row above (wipes across, horizontal strips, block rows) are
  // copied instead of computed.
  m_distinctRows.clear();
  m_rowCopies.clear();
  const size_t rowBytes = width * sizeof(double);
  unsigned source = 0;
  for (unsigned r = 0; r < m_height; ++r) {
    const size_t at = r * width;
    if (r > 0 && std::memcmp(&m_position[at], &m_position[at - width], rowBytes) == 0 &&
        std::memcmp(&m_edge[at], &m_edge[at - width], rowBytes) == 0) {
      m_rowCopies.emplace_back(r, source);
    } else {
      source = r;
      m_distinctRows.push_back(r);
    }
  }

  m_tiles.clear();
  if (!BuildRuns()) BuildTiles();
  m_planValid = true;
}

// Where the distinct rows consist of a few long runs (wipes down, vertical strips,
// blocks), one ramp per run suffices. False when the runs are too many for that.
bool CTransition::BuildRuns() {
  const size_t width = m_width;
  m_runs.clear();
  for (unsigned r : m_distinctRows) {
    const size_t rowStart = r * width;
    for (size_t c = 0; c < width;) {
      const size_t start = rowStart + c;
      size_t end = c + 1;
      while (end < width &&
             std::memcmp(&m_position[rowStart + end], &m_position[start], sizeof(double)) == 0 &&
             std::memcmp(&m_edge[rowStart + end], &m_edge[start], sizeof(double)) == 0)
        ++end;
      if (m_runs.size() == m_runs.capacity()) {
        m_runs.clear();
        return false;
      }
      m_runs.push_back({start, end - c, m_position[start], m_edge[start]});
      c = end;
    }
  }
  return true;
}

void CTransition::BuildTiles() {
  const size_t width = m_width;
  m_tiles.clear();
  for (unsigned r : m_distinctRows) {
    for (size_t c = 0; c < width; c += kTileLength) {
      Tile tile;
      tile.start = r * width + c;
      tile.length = std::min(kTileLength, width - c);
      const double* position = &m_position[tile.start];
      const double* edge = &m_edge[tile.start];
      tile.positionMin = *std::min_element(position, position + tile.length);
      tile.positionMax = *std::max_element(position, position + tile.length);
      tile.edgeMin = *std::min_element(edge, edge + tile.length);
      tile.edgeMax = *std::max_element(edge, edge + tile.length);
      m_tiles.push_back(tile);
    }
  }
}

void CTransition::ApplyPlan(double p) {
  const Ramp ramp = RampOf(m_effect);
  const size_t width = m_width;
  float* weights = m_weights.get();
  if (!m_runs.empty()) {
    for (const Run& run : m_runs)
      FillWeights(weights + run.start, run.length, RampWeight(ramp, run.position, run.edge, p));
  } else {
    for (const Tile& tile : m_tiles) {
      const double* position = &m_position[tile.start];
      const double* edge = &m_edge[tile.start];
      if (ramp == Ramp::kRising)
        RampTile<Ramp::kRising>(position, edge, weights + tile.start, tile.length, tile.positionMin,
                                tile.positionMax, tile.edgeMin, tile.edgeMax, p);
      else
        RampTile<Ramp::kFalling>(position, edge, weights + tile.start, tile.length,
                                 tile.positionMin, tile.positionMax, tile.edgeMin, tile.edgeMax, p);
    }
  }
  for (const auto& copy : m_rowCopies)
    std::memcpy(weights + copy.first * width, weights + copy.second * width, width * sizeof(float));
}
