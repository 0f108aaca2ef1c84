// libFuzzer target for image decoding: any bytes must give a clean false (and an
// empty result) or a complete, consistent mip chain. Each input is decoded twice:
// at its own size, and asked for a smaller power-of-two size, which goes through
// libjpeg's DCT scaling and the triangle filter. The focus record's segment walk and
// parser see every input too.
#include <cstddef>
#include <cstdint>

#include "data/focus_record.h"
#include "render/image_decoder.h"
#include "render/mip_chain.h"

namespace {

// Checks a decoded image against the request's promises; traps when one is broken.
void CheckImage(bool decoded, const DecodedImage& image, const ImageInfo& info,
                const ImageRequest& request) {
  if (!decoded) {
    if (!image.levels.empty()) __builtin_trap();
    return;
  }
  if (image.levels.empty() || image.hasAlpha != info.hasAlpha) __builtin_trap();
  int width = 0, height = 0;
  ChooseImageSize(info.width, info.height, request, width, height);
  const int full = FullMipLevelCount(width, height);
  const int levels = request.mipLevels > 0 && request.mipLevels < full ? request.mipLevels : full;
  if (static_cast<int>(image.levels.size()) != levels) __builtin_trap();
  for (const MipLevel& level : image.levels) {
    if (level.width != width || level.height != height) __builtin_trap();
    if (level.pixels.size() != static_cast<size_t>(width) * height) __builtin_trap();
    width = width > 1 ? width / 2 : 1;
    height = height > 1 ? height / 2 : 1;
  }
  // Read every pixel so that ASan and MSan-style checks see the whole block.
  uint32_t mix = 0;
  for (uint32_t p : image.levels[0].pixels) mix ^= p;
  volatile uint32_t sink = mix;
  (void)sink;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FocusRecord focus;
  if (FindFocusRecord(data, size, focus) &&
      !(focus.left < focus.right && focus.top < focus.bottom && focus.width > 0))
    __builtin_trap();

  ImageInfo info;
  const bool known = ReadImageInfo(data, size, info);
  // Headers past 16 million pixels are refused or decoded alike by the size checks
  // that the unit tests cover; decoding them here would only exhaust the fuzzer's
  // memory limit on the few bytes that can describe a huge progressive JPEG.
  if (known && static_cast<int64_t>(info.width) * info.height > (int64_t{1} << 24)) return 0;

  ImageRequest own;
  DecodedImage image;
  const bool decoded = DecodeImage(data, size, own, image);
  if (decoded && !known) __builtin_trap();
  CheckImage(decoded, image, info, own);

  if (known) {
    ImageRequest small;
    small.width = info.width / 3;
    small.height = info.height / 5 + 1;
    small.powerOfTwo = (size % 2) != 0;
    small.mipLevels = 3;
    DecodedImage scaled;
    CheckImage(DecodeImage(data, size, small, scaled), scaled, info, small);
  }
  return 0;
}
