// The random choices of the pictures' paths, drawn from a generator of their own so
// that the slideshow's order and effects come out the same whether pictures move or not.
#pragma once

#include "base/random.h"
#include "render/picture_motion.h"

class CMotionChooser {
 public:
  // seed: the run's or the screen's seed, from which the chooser's own is derived.
  explicit CMotionChooser(unsigned int seed);

  // The choices for the next picture to come on screen: the zoom turns between in and
  // out from one picture to the next, starting with a drawn sense; the pan's direction
  // and reach are drawn for each.
  MotionChoice Next();

 private:
  RandomState m_random;
  bool m_zoomIn = true;  // the next picture's zoom sense
};
