// Transition effects: the blend mask that replaces one slideshow image by the next.
// One of twenty soft-edged shapes is chosen per cycle; every frame fills a grid of
// weights (0 = current image, 1 = next image) for the cycle's progress.
#pragma once

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

class CTransition {
 public:
  // The effects by number. Most shapes come in two directions: the rising form reveals
  // the next image where the shape's position is small first, the falling form where
  // it is large.
  static constexpr int kWipeFromLeft = 0;
  static constexpr int kWipeFromRight = 1;
  static constexpr int kWipeFromBottom = 2;
  static constexpr int kWipeFromTop = 3;
  static constexpr int kCircleOpening = 4;  // from the centre outwards
  static constexpr int kCircleClosing = 5;  // from the edges inwards
  static constexpr int kDiamondOpening = 6;
  static constexpr int kDiamondClosing = 7;
  static constexpr int kStarOpening = 8;  // around a centre chosen per cycle
  static constexpr int kStarClosing = 9;
  static constexpr int kSweepAnticlockwise = 10;  // clock sweeps from twelve o'clock
  static constexpr int kSweepClockwise = 11;
  static constexpr int kSpiralClockwise = 12;  // from the centre outwards
  static constexpr int kSpiralAnticlockwise = 13;
  static constexpr int kColumnStripsFromRight = 14;  // four columns, each from its bottom
  static constexpr int kColumnStripsFromLeft = 15;   // four columns, each from its top
  static constexpr int kRowStripsFromTop = 16;       // three rows, each from its left
  static constexpr int kRowStripsFromBottom = 17;    // three rows, each from its right
  static constexpr int kBlockEffect = 18;            // random blocks, driven by the block table
  static constexpr int kCrossFadeEffect = 19;        // every weight is the progress itself
  static constexpr int kEffectCount = 20;
  static constexpr int kBlockColumns = 8;
  static constexpr int kBlockRows = 6;
  // Reveal threshold of every block of the block effect, [block column][block row].
  using BlockTable = float[kBlockColumns][kBlockRows];

  // A grid of width columns by height rows (the renderer uses 128 x 96). Chooses the
  // first effect at once.
  CTransition(unsigned width, unsigned height);
  ~CTransition();
  CTransition(const CTransition&) = delete;
  CTransition& operator=(const CTransition&) = delete;

  // Picks the effect and centre of a new slideshow cycle. The previous effect is not
  // repeated unless eleven draws in a row give it.
  void ChooseEffect();

  // Forces an effect and centre (tools and tests). Like ChooseEffect, it makes the block
  // effect rebuild its table on the next computation. False, and nothing changes, for an
  // effect outside 0..19 or a centre that is not finite.
  bool SetEffect(int effect, float centreX, float centreY);

  // Fills the grid for progress p (clamped to 0..1) and returns it, row-major with row 0
  // at the top. The pointer stays valid until the next call.
  const float* ComputeMask(float p);

  int GetEffect() const { return m_effect; }
  float GetCentreX() const { return m_centreX; }
  float GetCentreY() const { return m_centreY; }
  unsigned GetWidth() const { return m_width; }
  unsigned GetHeight() const { return m_height; }

  // lo + draw * (1/32767) * (hi - lo) in single precision: uniform on [lo, hi], both
  // ends reachable. Takes one random draw.
  static float RandomRange(float lo, float hi);

  // This transition's block table. Each transition (each screen's) has its own, so
  // one screen's block effect never reshuffles another's in the middle.
  const BlockTable& GetBlockThresholds() const { return m_blockThresholds; }

  // The weight of one grid point straight from the effect's closed formula, without any
  // precomputation. ComputeMask gives exactly the same floats; tests and benchmarks use
  // this as the reference.
  static float ComputeWeightDirect(int effect, unsigned column, unsigned row, unsigned width,
                                   unsigned height, float p, float centreX, float centreY,
                                   const BlockTable& table);

 private:
  // A stretch of one row whose points share position and edge, so share their weight.
  struct Run {
    size_t start;     // index of the first point in the grid
    size_t length;    // number of points
    double position;  // the ramp's f
    double edge;      // the ramp's e
  };
  // A stretch of one row with the bounds of its points' positions and edges. A frame
  // fills a tile wholly with 0 or 1 when the bounds prove every point clamped, and
  // ramps point by point only across the soft edge.
  struct Tile {
    size_t start;   // index of the first point in the grid
    size_t length;  // number of points
    double positionMin, positionMax;
    double edgeMin, edgeMax;
  };

  void InvalidatePlan();
  void BuildPlan();
  bool BuildRuns();
  void BuildTiles();
  void ApplyPlan(double p);

  unsigned m_width;
  unsigned m_height;
  int m_effect = -1;  // -1 until the first choice, so the first choice has nothing to avoid
  std::unique_ptr<float[]> m_weights;
  float m_centreX = 0.5f;
  float m_centreY = 0.5f;
  int m_reshuffle = 0;                // the block effect rebuilds its table on its next computation
  BlockTable m_blockThresholds = {};  // reveal thresholds of the block effect

  // Per-cycle plan. Position and edge of a point depend on the effect, centre and block
  // table only, so they are computed once per cycle and each frame only applies the ramp.
  bool m_planValid = false;
  std::unique_ptr<double[]> m_position;
  std::unique_ptr<double[]> m_edge;
  std::vector<unsigned> m_distinctRows;                    // rows computed from the plan
  std::vector<std::pair<unsigned, unsigned>> m_rowCopies;  // (row, identical earlier row)
  std::vector<Run> m_runs;    // the distinct rows as runs, when they have few
  std::vector<Tile> m_tiles;  // the distinct rows as tiles, otherwise
};
