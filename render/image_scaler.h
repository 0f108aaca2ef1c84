// Resampling of 32-bit images with a triangle (tent) filter: bilinear when enlarging,
// an area-weighted average over the covered pixels when reducing. The scaler takes
// source rows as they are decoded and writes each output row as soon as the rows it
// needs have arrived, so a decoder can feed it without keeping its whole output.
#pragma once

#include <atomic>
#include <memory>

#include "render/image_types.h"

class CImageScaler : public IRowSink {
 public:
  // Prepares to scale a sourceWidth × sourceHeight image (at least 1 × 1) to
  // width × height (each 1 .. kMaxImageSide), allocating out's pixels. May throw
  // std::bad_alloc.
  CImageScaler(int sourceWidth, int sourceHeight, int width, int height, MipLevel& out);
  ~CImageScaler() override;
  CImageScaler(const CImageScaler&) = delete;
  CImageScaler& operator=(const CImageScaler&) = delete;

  // The next source rows, sourceWidth pixels each. Rows past the source height are
  // ignored. Allocates nothing and never throws.
  void AddRows(const uint32_t* rows, int count) override;

  // True once every output row has been written.
  bool IsComplete() const;

 private:
  struct State;
  std::unique_ptr<State> m_state;
};

// Scales a whole image at once. Each channel is filtered on its own, alpha included,
// with 14-bit integer weights. Edge pixels are not repeated: the weights are
// renormalised over the pixels that exist. False, with `out` untouched, soon after
// `stop` (when given) turns true. May throw std::bad_alloc.
bool ScaleImage(const MipLevel& source, int width, int height, MipLevel& out,
                const std::atomic<bool>* stop = nullptr);
