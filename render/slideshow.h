// The slideshow scheduler: which packaged image is shown when. Time is divided into
// cycles of keep + transition seconds; the order is shuffled after every full pass.
// It never reads a clock: the renderer passes the frame's application time in.
#pragma once

#include <functional>
#include <vector>

#include "render/image_source.h"

class CSlideshow {
 public:
  // chooseEffect is called once at the start of every cycle, before the pictures
  // move on (the renderer passes its transition's ChooseEffect). Both must outlive
  // the slideshow.
  CSlideshow(IImageSource& images, std::function<void()> chooseEffect);
  ~CSlideshow();
  CSlideshow(const CSlideshow&) = delete;
  CSlideshow& operator=(const CSlideshow&) = delete;

  // Counts the images numbered contiguously from 0 (stopping at the first absent
  // number, at most kMaxImages of data/content_layout.h), then builds and shuffles the order.
  // Returns the count.
  int DiscoverImages();

  // Cycle lengths in seconds (from the whole-second settings; 0 is allowed).
  void SetTimes(double keepSeconds, double transitionSeconds);

  // One frame at application time `now`: starts a new cycle when the running one has
  // ended (or none has begun), then returns the transition progress in 0 .. 1. The
  // next picture is asked of the source ahead (BeginImage) where it can; if it is not
  // ready when its transition should begin, the current picture stands on (progress 0)
  // and the cycle moves on by the wait, so the transition keeps its full length.
  float Step(double now);

  // Gives back both pictures (the renderer's shutdown). Safe to call repeatedly.
  void ReleaseImages();

  // The picture underneath and the one blended in on top; either may be null (the
  // next one also while it is still being prepared).
  ImageHandle GetCurrentImage() const { return m_current; }
  ImageHandle GetNextImage() const { return m_next; }

  int GetImageCount() const { return m_imageCount; }
  const std::vector<int>& GetOrder() const { return m_order; }
  int GetOrderPosition() const { return m_orderPosition; }
  double GetCycleStart() const { return m_cycleStart; }
  double GetCycleEnd() const { return m_cycleEnd; }
  // When the running cycle's transition begins: the current picture stands until then.
  double GetTransitionStart() const { return m_cycleStart + m_keepSeconds; }
  bool IsNextPending() const { return m_nextPending; }

 private:
  // The image number at the order position, moving the position on and reshuffling
  // when a pass is complete; -1 when there are no images.
  int TakeNextNumber();
  // Loads the next image in order at once. Null when there is none or the load fails.
  ImageHandle LoadNextImage();
  // Makes the next image in order the next picture: begun ahead when the source can,
  // else loaded at once.
  void BeginNextImage();
  void Shuffle();

  IImageSource& m_images;
  std::function<void()> m_chooseEffect;
  int m_imageCount = 0;              // images found by DiscoverImages (0 .. kMaxImages)
  std::vector<int> m_order;          // image numbers 0 .. m_imageCount - 1, shuffled
  int m_orderPosition = 0;           // index into m_order of the image to load next
  ImageHandle m_current = nullptr;   // owned; shown underneath
  ImageHandle m_next = nullptr;      // owned; revealed by the transition
  bool m_nextPending = false;        // m_next is still being prepared by the source
  double m_cycleStart = -1.0;        // application seconds; negative forces a new cycle
  double m_cycleEnd = -1.0;          // application seconds
  double m_keepSeconds = 4.0;        // the image stands still this long
  double m_transitionSeconds = 2.0;  // then the next one is blended in over this long
};
