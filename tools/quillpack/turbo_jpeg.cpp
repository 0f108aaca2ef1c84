// TurboJPEG calls with their buffers owned here and freed on every path.
#include "tools/quillpack/turbo_jpeg.h"

#include <turbojpeg.h>

namespace {

constexpr int kSof0 = 0xC0;  // baseline
constexpr int kSof1 = 0xC1;  // extended sequential, Huffman

// Buffer that TurboJPEG allocated; freed with its own allocator.
struct TjBuffer {
  unsigned char* data = nullptr;
  unsigned long size = 0;
  ~TjBuffer() { tjFree(data); }
};

const unsigned char* Bytes(const std::string& jpeg) {
  return reinterpret_cast<const unsigned char*>(jpeg.data());
}

}  // namespace

bool FindJpegFrameMarker(const std::string& jpeg, int* marker) {
  const auto* p = Bytes(jpeg);
  const size_t size = jpeg.size();
  if (size < 4 || p[0] != 0xFF || p[1] != 0xD8) return false;
  size_t at = 2;
  while (at + 4 <= size) {
    if (p[at] != 0xFF) return false;
    const int code = p[at + 1];
    if (code == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    // SOF markers are C0..CF except DHT (C4), JPG (C8) and DAC (CC).
    if (code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC) {
      *marker = code;
      return true;
    }
    if (code == 0xD9 || code == 0xDA) return false;  // end of image or a scan first
    const size_t length = static_cast<size_t>(p[at + 2]) << 8 | p[at + 3];
    if (length < 2 || at + 2 + length > size) return false;
    at += 2 + length;
  }
  return false;
}

CTurboJpeg::CTurboJpeg()
    : m_decoder(tjInitDecompress()),
      m_encoder(tjInitCompress()),
      m_transformer(tjInitTransform()) {}

CTurboJpeg::~CTurboJpeg() {
  for (void* handle : {m_decoder, m_encoder, m_transformer})
    if (handle != nullptr) tjDestroy(handle);
}

bool CTurboJpeg::Fail(void* handle) {
  m_error = handle != nullptr ? tjGetErrorStr2(handle) : "TurboJPEG did not start";
  return false;
}

bool CTurboJpeg::ReadHeader(const std::string& jpeg, JpegHeader* header) {
  if (m_decoder == nullptr) return Fail(nullptr);
  int marker = 0;
  if (!FindJpegFrameMarker(jpeg, &marker)) {
    m_error = "no JPEG frame header";
    return false;
  }
  if (tjDecompressHeader3(m_decoder, Bytes(jpeg), jpeg.size(), &header->width, &header->height,
                          &header->subsampling, &header->colorspace) != 0)
    return Fail(m_decoder);
  header->sequential = marker == kSof0 || marker == kSof1;
  return true;
}

bool CTurboJpeg::Decode(const std::string& jpeg, int minWidth, int minHeight, MipLevel* out) {
  JpegHeader header;
  if (!ReadHeader(jpeg, &header)) return false;
  // Scaling factors come largest first; the last that still covers the minimum wins.
  int count = 0;
  const tjscalingfactor* factors = tjGetScalingFactors(&count);
  int width = header.width;
  int height = header.height;
  for (int i = 0; i < count; ++i) {
    const tjscalingfactor f = factors[i];
    if (f.num > f.denom) continue;
    const int w = TJSCALED(header.width, f);
    const int h = TJSCALED(header.height, f);
    if (w >= minWidth && h >= minHeight && w <= width && h <= height) {
      width = w;
      height = h;
    }
  }
  if (static_cast<int64_t>(width) * height > kMaxImagePixels) {
    m_error = "too large to decode";
    return false;
  }
  const bool cmyk = header.colorspace == TJCS_CMYK || header.colorspace == TJCS_YCCK;
  out->width = width;
  out->height = height;
  out->pixels.resize(static_cast<size_t>(width) * height);
  auto* buffer = reinterpret_cast<unsigned char*>(out->pixels.data());
  // CMYK decodes only to CMYK; four bytes a pixel, converted in place below.
  if (tjDecompress2(m_decoder, Bytes(jpeg), jpeg.size(), buffer, width, width * 4, height,
                    cmyk ? TJPF_CMYK : TJPF_BGRX, TJFLAG_STOPONWARNING) != 0) {
    out->pixels.clear();
    return Fail(m_decoder);
  }
  for (uint32_t& pixel : out->pixels) {
    if (cmyk) {
      auto* p = reinterpret_cast<unsigned char*>(&pixel);
      const unsigned c = p[0], m = p[1], y = p[2], k = p[3];
      pixel = (c * k / 255) << 16 | (m * k / 255) << 8 | (y * k / 255);
    }
    pixel |= 0xFF000000u;
  }
  return true;
}

bool CTurboJpeg::Transform(const std::string& jpeg, int operation, bool trim, std::string* out) {
  if (m_transformer == nullptr) return Fail(nullptr);
  tjtransform transform = {};
  transform.op = operation;
  transform.options = TJXOPT_COPYNONE | (trim ? TJXOPT_TRIM : TJXOPT_PERFECT);
  TjBuffer result;
  if (tjTransform(m_transformer, Bytes(jpeg), jpeg.size(), 1, &result.data, &result.size,
                  &transform, TJFLAG_STOPONWARNING) != 0)
    return Fail(m_transformer);
  out->assign(reinterpret_cast<const char*>(result.data), result.size);
  return true;
}

bool CTurboJpeg::Encode(const MipLevel& image, int quality, std::string* out) {
  if (m_encoder == nullptr) return Fail(nullptr);
  TjBuffer result;
  if (tjCompress2(m_encoder, reinterpret_cast<const unsigned char*>(image.pixels.data()),
                  image.width, image.width * 4, image.height, TJPF_BGRX, &result.data, &result.size,
                  TJSAMP_420, quality, 0) != 0)
    return Fail(m_encoder);
  out->assign(reinterpret_cast<const char*>(result.data), result.size);
  return true;
}
