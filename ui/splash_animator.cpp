// The splash slideshow's state machine; random draws go through the program's seam.
#include "ui/splash_animator.h"

#include <algorithm>

#include "base/random.h"
#include "ui/splash_mask.h"

CSplashAnimator::CSplashAnimator(int width, int height)
    : m_width(std::max(0, width)),
      m_height(std::max(0, height)),
      m_mask(static_cast<size_t>(m_width) * m_height) {}

void CSplashAnimator::AddPicture(const uint32_t* pixels) {
  if (static_cast<int>(m_pictures.size()) < kMaxSplashPictures) m_pictures.push_back(pixels);
}

int CSplashAnimator::DrawPicture() { return QuillRand() % GetPictureCount(); }

void CSplashAnimator::ChangePictures(double now) {
  m_transitionStart = now;
  m_nextSwitch = now + kSplashChangeSeconds;
  const int previousEffect = m_effect;
  int draws = 1;
  m_effect = QuillRand() % kSplashEffectCount;
  while (m_effect == previousEffect && draws < kSplashMaxDraws) {
    m_effect = QuillRand() % kSplashEffectCount;
    ++draws;
  }
  // The new current picture is the one the last transition ended on.
  const int oldCurrent = m_current;
  m_current = m_next;
  draws = 1;
  m_next = DrawPicture();
  while ((m_next == oldCurrent || m_next == m_current) && draws < kSplashMaxDraws) {
    m_next = DrawPicture();
    ++draws;
  }
}

bool CSplashAnimator::Step(double now, uint32_t* output) {
  // Without pictures a draw would divide by zero; there is nothing to show anyway.
  if (m_pictures.empty()) return false;
  if (m_next < 0) m_next = DrawPicture();
  if (m_transitionStart < 0.0 || m_nextSwitch < 0.0 || now > m_nextSwitch) ChangePictures(now);
  const double progress = (now - m_transitionStart) * kSplashProgressPerSecond;
  m_progress = static_cast<float>(std::min(1.0, std::max(0.0, progress)));
  FillSplashMask(m_effect, m_progress, m_width, m_height, m_mask.data());
  BlendSplashPictures(m_pictures[m_current], m_pictures[m_next], m_mask.data(), m_width * m_height,
                      output);
  return true;
}
