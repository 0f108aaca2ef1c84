// The pixel block that every stage of image decoding hands on, and the limits that
// keep hostile files from asking for more memory than any texture needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

// Largest side and pixel count of an image we agree to decode: 16384 × 16384, the
// largest texture any device takes (1 GiB of pixels). Checked from the header, before
// anything is allocated.
constexpr int kMaxImageSide = 16384;
constexpr int64_t kMaxImagePixels = int64_t{1} << 28;

// Allocator that leaves new elements uninitialised: every stage writes each pixel it
// allocates, and zeroing a 4K level first would cost a pass over 33 MB.
template <typename T>
struct UninitializedAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UninitializedAllocator<U>;
  };
  UninitializedAllocator() = default;
  template <typename U>
  UninitializedAllocator(const UninitializedAllocator<U>&) noexcept {}

  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

// 32-bit pixels laid out in memory as D3DFMT_A8R8G8B8 is: bytes B, G, R, A, so that
// each value reads 0xAARRGGBB on a little-endian machine. Rows run top to bottom with
// no padding.
using PixelBuffer = std::vector<uint32_t, UninitializedAllocator<uint32_t>>;

// One image, or one level of a mip chain.
struct MipLevel {
  int width = 0;       // pixels
  int height = 0;      // pixels
  PixelBuffer pixels;  // width × height values, row after row
};

// What a file's header says, read before anything is decoded.
struct ImageInfo {
  int width = 0;          // pixels
  int height = 0;         // pixels
  bool hasAlpha = false;  // the file stores an alpha channel
};

// Takes an image's rows in order, top to bottom, as a decoder produces them.
// Implementations must not throw: the JPEG decoder calls them between libjpeg calls
// that leave by longjmp.
class IRowSink {
 public:
  virtual ~IRowSink() = default;
  // `count` rows, one after another without gaps.
  virtual void AddRows(const uint32_t* rows, int count) = 0;
};

// True when a header's size lies within the decoding limits above.
inline bool IsDecodableSize(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
         width * height <= kMaxImagePixels;
}
