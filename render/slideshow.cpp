// The slideshow scheduler: image discovery, shuffled order and the cycle clock.
#include "render/slideshow.h"

#include <utility>

#include "base/random.h"

CSlideshow::CSlideshow(IImageSource& images, std::function<void()> chooseEffect)
    : m_images(images), m_chooseEffect(std::move(chooseEffect)) {}

CSlideshow::~CSlideshow() { ReleaseImages(); }

int CSlideshow::DiscoverImages() {
  int count = 0;
  while (count < kMaxImages && m_images.HasImage(count)) ++count;
  m_imageCount = count;
  m_order.resize(count);
  for (int i = 0; i < count; ++i) m_order[i] = i;
  m_orderPosition = 0;
  Shuffle();
  return count;
}

void CSlideshow::SetTimes(double keepSeconds, double transitionSeconds) {
  m_keepSeconds = keepSeconds;
  m_transitionSeconds = transitionSeconds;
}

float CSlideshow::Step(double now) {
  if (m_nextPending && (now >= m_cycleStart + m_keepSeconds || now > m_cycleEnd)) {
    if (m_images.TakeImage(&m_next)) {
      m_nextPending = false;
    } else {
      // Late: the keep part lasts until the picture is ready and the cycle's end
      // moves on by the same wait. The frame is drawn, never held up.
      m_cycleStart = now - m_keepSeconds;
      m_cycleEnd = m_cycleStart + m_keepSeconds + m_transitionSeconds;
      return 0.0f;
    }
  }

  if (m_cycleStart < 0 || m_cycleEnd < 0 || now > m_cycleEnd) {
    m_cycleEnd = m_keepSeconds + m_transitionSeconds + now;
    m_cycleStart = now;
    if (m_chooseEffect) m_chooseEffect();
    if (m_current != nullptr) m_images.ReleaseImage(m_current);
    m_current = m_next;
    m_next = nullptr;
    // Null here on the first cycle, or when the last next image failed to load: a
    // further image is loaded at once so one bad file costs one transition only. Once
    // such a load has failed in this pass, none is tried again until the next pass:
    // when every picture fails, the frames go on (the renderer shows its default
    // texture) instead of a decode on the render thread stalling each cycle.
    if (m_current == nullptr && !m_replacementFailed) {
      m_current = LoadNextImage();
      m_replacementFailed = m_current == nullptr && m_imageCount > 0;
    }
    BeginNextImage();
  }

  // A transition time of 0 gives -inf, NaN or +inf here; the clamp turns them into
  // "still standing" (0) before cycleStart + keep and "done" (1) after it.
  double progress = (now - m_cycleStart - m_keepSeconds) / m_transitionSeconds;
  if (!(progress >= 0.0)) progress = 0.0;
  if (progress > 1.0) progress = 1.0;
  return static_cast<float>(progress);
}

void CSlideshow::ReleaseImages() {
  if (m_nextPending) m_images.CancelImage();
  m_nextPending = false;
  if (m_current != nullptr) m_images.ReleaseImage(m_current);
  if (m_next != nullptr) m_images.ReleaseImage(m_next);
  m_current = nullptr;
  m_next = nullptr;
}

int CSlideshow::TakeNextNumber() {
  // Without images there is nothing to load; the screen stays black under the
  // overlays instead of the position arithmetic dividing by zero.
  if (m_imageCount <= 0) return -1;
  const int number = m_order[m_orderPosition];
  const int oldPosition = m_orderPosition;
  m_orderPosition = (m_orderPosition + 1) % m_imageCount;
  if (m_orderPosition < oldPosition) {  // a full pass is complete
    Shuffle();
    m_replacementFailed = false;
  }
  return number;
}

ImageHandle CSlideshow::LoadNextImage() {
  const int number = TakeNextNumber();
  return number < 0 ? nullptr : m_images.LoadImage(number);
}

void CSlideshow::BeginNextImage() {
  // The number is taken (and the order reshuffled) now, on this thread, whether the
  // picture is decoded now or ahead: the random draws keep their order either way.
  const int number = TakeNextNumber();
  if (number < 0) return;
  if (m_images.BeginImage(number))
    m_nextPending = true;
  else
    m_next = m_images.LoadImage(number);
}

void CSlideshow::Shuffle() {
  const int n = static_cast<int>(m_order.size());
  for (int i = 0; i < n; ++i) {
    const int a = QuillRand() % n;
    const int b = QuillRand() % n;
    std::swap(m_order[a], m_order[b]);
  }
}
