// The slideshow scheduler: which packaged image is shown when. Time is divided into
// cycles of keep + transition seconds; the order is shuffled after every full pass.
// With pairs on, a picture of the other orientation than its screen's shares its
// slide with the nearest such picture still waiting in the pass. It never reads a
// clock: the renderer passes the frame's application time in.
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

  // Pairs pictures whose shape (as the source reports it) is the opposite of the
  // screen's: landscape or portrait. Any other shape (the default Unknown, or
  // Square) pairs nothing. Applies from the next image taken.
  void SetPairing(PictureShape screenShape) { m_screenShape = screenShape; }

  // One frame at application time `now`: starts a new cycle when the running one has
  // ended (or none has begun), then returns the transition progress in 0 .. 1. A null
  // current picture at a cycle's start is replaced by a load at once, unless such a
  // load already failed in this pass (then it stays null until the next pass). The
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
  double GetKeepSeconds() const { return m_keepSeconds; }
  double GetTransitionSeconds() const { return m_transitionSeconds; }
  // When the running cycle's transition begins: the current picture stands until then.
  double GetTransitionStart() const { return m_cycleStart + m_keepSeconds; }
  bool IsNextPending() const { return m_nextPending; }

 private:
  // The image number at the order position and its partner (-1: none), moving the
  // position on past both and reshuffling when a pass is complete; -1 when there are
  // no images.
  int TakeNextNumber(int& partner);
  // The order position of the nearest picture after the current position still
  // waiting in the pass that pairs with image `number`; -1 when none does.
  int FindPartner(int number);
  // Loads the next image in order at once. Null when there is none or the load fails.
  ImageHandle LoadNextImage();
  // Makes the next image in order the next picture: begun ahead when the source can,
  // else loaded at once.
  void BeginNextImage();
  void Shuffle();

  IImageSource& m_images;
  std::function<void()> m_chooseEffect;
  int m_imageCount = 0;           // images found by DiscoverImages (0 .. kMaxImages)
  std::vector<int> m_order;       // image numbers 0 .. m_imageCount - 1, shuffled
  int m_orderPosition = 0;        // index into m_order of the image to load next
  std::vector<bool> m_partnered;  // by order position: shown already as a partner this pass
  PictureShape m_screenShape = PictureShape::Unknown;  // pairs the opposite orientation
  ImageHandle m_current = nullptr;                     // owned; shown underneath
  ImageHandle m_next = nullptr;                        // owned; revealed by the transition
  bool m_nextPending = false;        // m_next is still being prepared by the source
  bool m_replacementFailed = false;  // a load in place of a null current failed this pass
  double m_cycleStart = -1.0;        // application seconds; negative forces a new cycle
  double m_cycleEnd = -1.0;          // application seconds
  double m_keepSeconds = 4.0;        // the image stands still this long
  double m_transitionSeconds = 2.0;  // then the next one is blended in over this long
};
