// Draws the pictures' path choices.
#include "render/motion_chooser.h"

namespace {
// Stirs the seed, so that the chooser's sequence is not the slideshow's own.
constexpr unsigned int kSeedMultiplier = 0x9E3779B9u;
constexpr unsigned int kSeedOffset = 0x85EBCA6Bu;
constexpr int kHalfRange = (kRandomMax + 1) / 2;
}  // namespace

CMotionChooser::CMotionChooser(unsigned int seed) {
  m_random.state = seed * kSeedMultiplier + kSeedOffset;
  m_zoomIn = DrawFrom(m_random) < kHalfRange;
}

MotionChoice CMotionChooser::Next() {
  MotionChoice choice;
  choice.zoomIn = m_zoomIn;
  m_zoomIn = !m_zoomIn;
  choice.panForward = DrawFrom(m_random) < kHalfRange;
  // At least half the pan that is allowed, so that every picture visibly travels.
  choice.reach = 0.5f + 0.5f * static_cast<float>(DrawFrom(m_random)) / kRandomMax;
  return choice;
}
