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
  m_partnered.assign(count, false);
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

int CSlideshow::TakeNextNumber(int& partner) {
  partner = -1;
  // Without images there is nothing to load; the screen stays black under the
  // overlays instead of the position arithmetic dividing by zero.
  if (m_imageCount <= 0) return -1;
  const int number = m_order[m_orderPosition];
  const int partnerPosition = FindPartner(number);
  if (partnerPosition >= 0) {
    partner = m_order[partnerPosition];
    m_partnered[partnerPosition] = true;
  }
  // Partners were shown with an earlier slide: the pass goes on past them. The order
  // itself is never changed, so the shuffles stay what they would be without pairs.
  do {
    ++m_orderPosition;
  } while (m_orderPosition < m_imageCount && m_partnered[m_orderPosition]);
  if (m_orderPosition >= m_imageCount) {  // a full pass is complete
    m_orderPosition = 0;
    m_partnered.assign(m_imageCount, false);
    m_replacementFailed = false;
    // A single image is never reshuffled: its order cannot change.
    if (m_imageCount > 1) Shuffle();
  }
  return number;
}

int CSlideshow::FindPartner(int number) {
  const bool screenOriented =
      m_screenShape == PictureShape::Landscape || m_screenShape == PictureShape::Portrait;
  if (!screenOriented) return -1;
  const PictureShape shape = m_images.GetImageShape(number);
  const bool opposite = (shape == PictureShape::Landscape || shape == PictureShape::Portrait) &&
                        shape != m_screenShape;
  if (!opposite) return -1;
  for (int position = m_orderPosition + 1; position < m_imageCount; ++position) {
    if (!m_partnered[position] && m_images.GetImageShape(m_order[position]) == shape)
      return position;
  }
  return -1;
}

ImageHandle CSlideshow::LoadNextImage() {
  int partner = -1;
  const int number = TakeNextNumber(partner);
  if (number < 0) return nullptr;
  return partner < 0 ? m_images.LoadImage(number) : m_images.LoadPair(number, partner);
}

void CSlideshow::BeginNextImage() {
  // The number is taken (and the order reshuffled) now, on this thread, whether the
  // picture is decoded now or ahead: the random draws keep their order either way.
  int partner = -1;
  const int number = TakeNextNumber(partner);
  if (number < 0) return;
  const bool begun =
      partner < 0 ? m_images.BeginImage(number) : m_images.BeginPair(number, partner);
  if (begun)
    m_nextPending = true;
  else
    m_next = partner < 0 ? m_images.LoadImage(number) : m_images.LoadPair(number, partner);
}

void CSlideshow::Shuffle() {
  const int n = static_cast<int>(m_order.size());
  for (int i = 0; i < n; ++i) {
    const int a = QuillRand() % n;
    const int b = QuillRand() % n;
    std::swap(m_order[a], m_order[b]);
  }
}
