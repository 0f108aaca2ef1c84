// libFuzzer target for the splash bitmaps' header checks: any bytes give a clean
// refusal, or a view whose every byte (header, masks, colour table, pixels) lies
// inside the data, which the target reads whole so the sanitizer sees any overrun.
#include <cstddef>
#include <cstdint>

#include "ui/bitmap_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  BitmapFileView view;
  if (!ParseBitmapFile(data, size, &view)) return 0;
  if (view.width <= 0 || view.height <= 0 || view.width > kMaxBitmapSide ||
      view.height > kMaxBitmapSide || view.bitsBytes == 0)
    __builtin_trap();
  unsigned sum = 0;
  for (size_t i = 0; i < view.infoBytes; ++i) sum += view.info[i];
  for (size_t i = 0; i < view.bitsBytes; ++i) sum += view.bits[i];
  volatile unsigned sink = sum;
  (void)sink;
  return 0;
}
