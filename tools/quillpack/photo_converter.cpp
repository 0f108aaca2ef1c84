// The converter's choice of path for each photo, and the decoding of the formats
// other than JPEG through stb_image (compiled here with internal linkage).
#include "tools/quillpack/photo_converter.h"

#include <turbojpeg.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <memory>

#include "render/image_scaler.h"
#include "tools/quillpack/photo_orientation.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_ONLY_GIF
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 65535
#include <stb_image.h>

namespace {

bool StartsWith(const std::string& bytes, const char* prefix, size_t length) {
  return bytes.size() >= length && bytes.compare(0, length, prefix, length) == 0;
}

bool EndsWithNoCase(const std::string& name, const std::string& suffix) {
  if (name.size() < suffix.size()) return false;
  for (size_t i = 0; i < suffix.size(); ++i) {
    const char c = name[name.size() - suffix.size() + i];
    if (std::tolower(static_cast<unsigned char>(c)) != suffix[i]) return false;
  }
  return true;
}

std::string SizeText(int width, int height) {
  return std::to_string(width) + "x" + std::to_string(height);
}

struct StbFree {
  void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

}  // namespace

bool CPhotoConverter::Fail(const std::string& why) {
  m_error = why;
  return false;
}

void CPhotoConverter::FitSize(int width, int height, int* fitWidth, int* fitHeight) const {
  const int longest = std::max(width, height);
  if (longest <= m_maxSide) {
    *fitWidth = width;
    *fitHeight = height;
    return;
  }
  const double scale = static_cast<double>(m_maxSide) / longest;
  *fitWidth = std::max(1, static_cast<int>(std::lround(width * scale)));
  *fitHeight = std::max(1, static_cast<int>(std::lround(height * scale)));
}

bool CPhotoConverter::Convert(const std::string& name, const std::string& bytes,
                              ConvertedPhoto* out) {
  m_error.clear();
  *out = ConvertedPhoto();
  if (StartsWith(bytes, "\xFF\xD8\xFF", 3)) return ConvertJpeg(bytes, out);
  return ConvertOther(name, bytes, out);
}

bool CPhotoConverter::ConvertJpeg(const std::string& bytes, ConvertedPhoto* out) {
  JpegHeader header;
  if (!m_jpeg.ReadHeader(bytes, &header)) return Fail("not a readable JPEG: " + m_jpeg.GetError());
  if (std::min(header.width, header.height) < kMinPhotoSide)
    return Fail("too small (" + SizeText(header.width, header.height) + "); photos need " +
                std::to_string(kMinPhotoSide) + " pixels on each side");
  const int orientation = ReadExifOrientation(bytes);
  const bool fits = std::max(header.width, header.height) <= m_maxSide;
  // Only colour JPEGs in the usual YCbCr can be carried over as they are.
  if (fits && header.colorspace == TJCS_YCbCr) {
    // A cheap decode at the smallest scale reads all the entropy data, which is
    // what finds a damaged or cut-off file.
    MipLevel check;
    if (!m_jpeg.Decode(bytes, 1, 1, &check)) return Fail("damaged JPEG: " + m_jpeg.GetError());
    if (orientation == 1 && header.sequential) {
      out->action = PhotoAction::kCopied;
      out->jpeg = bytes;
      out->width = header.width;
      out->height = header.height;
      return true;
    }
    const int operation = UprightTransform(orientation);
    const bool canTrim = header.width >= tjMCUWidth[header.subsampling] &&
                         header.height >= tjMCUHeight[header.subsampling];
    JpegHeader result;
    if ((m_jpeg.Transform(bytes, operation, false, &out->jpeg) ||
         (canTrim && m_jpeg.Transform(bytes, operation, true, &out->jpeg))) &&
        m_jpeg.ReadHeader(out->jpeg, &result)) {
      out->action = PhotoAction::kTranscoded;
      out->rotated = orientation != 1;
      out->width = result.width;
      out->height = result.height;
      return true;
    }
  }
  // Decoded straight to the smallest DCT scale that still covers the stored size
  // of the result.
  int width = 0;
  int height = 0;
  FitSize(header.width, header.height, &width, &height);
  MipLevel stored;
  if (!m_jpeg.Decode(bytes, width, height, &stored))
    return Fail("damaged JPEG: " + m_jpeg.GetError());
  return Reencode(stored, orientation, width, height, out);
}

bool CPhotoConverter::ConvertOther(const std::string& name, const std::string& bytes,
                                   ConvertedPhoto* out) {
  // TGA has no signature, so only a .tga name lets stb_image guess at it.
  const bool known = StartsWith(bytes, "\x89PNG", 4) || StartsWith(bytes, "BM", 2) ||
                     StartsWith(bytes, "GIF8", 4) || EndsWithNoCase(name, ".tga");
  if (!known) {
    if (EndsWithNoCase(name, ".jpg") || EndsWithNoCase(name, ".jpeg"))
      return Fail("named like a JPEG but does not start like one");
    return Fail("not an image quillpack reads (JPEG, PNG, BMP, GIF or TGA)");
  }
  if (bytes.size() > static_cast<size_t>(INT32_MAX)) return Fail("too large to decode");
  const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
  const int size = static_cast<int>(bytes.size());
  int width = 0;
  int height = 0;
  int channels = 0;
  if (!stbi_info_from_memory(data, size, &width, &height, &channels))
    return Fail(std::string("not a readable image: ") + stbi_failure_reason());
  if (std::min(width, height) < kMinPhotoSide)
    return Fail("too small (" + SizeText(width, height) + "); photos need " +
                std::to_string(kMinPhotoSide) + " pixels on each side");
  if (static_cast<int64_t>(width) * height > kMaxImagePixels)
    return Fail("too large to decode (" + SizeText(width, height) + ")");
  std::unique_ptr<stbi_uc, StbFree> rgba(
      stbi_load_from_memory(data, size, &width, &height, &channels, 4));
  if (!rgba) return Fail(std::string("not a readable image: ") + stbi_failure_reason());
  MipLevel stored;
  stored.width = width;
  stored.height = height;
  stored.pixels.resize(static_cast<size_t>(width) * height);
  const stbi_uc* p = rgba.get();
  // Transparent parts are composited on black, the colour around the slideshow.
  for (uint32_t& pixel : stored.pixels) {
    const unsigned a = p[3];
    pixel = 0xFF000000u | (p[0] * a / 255) << 16 | (p[1] * a / 255) << 8 | (p[2] * a / 255);
    p += 4;
  }
  int fitWidth = 0;
  int fitHeight = 0;
  FitSize(width, height, &fitWidth, &fitHeight);
  return Reencode(stored, 1, fitWidth, fitHeight, out);
}

bool CPhotoConverter::Reencode(const MipLevel& stored, int orientation, int width, int height,
                               ConvertedPhoto* out) {
  MipLevel upright;
  const MipLevel* source = &stored;
  if (orientation != 1) {
    TurnUpright(stored, orientation, &upright);
    source = &upright;
  }
  if (SwapsSides(orientation)) std::swap(width, height);
  MipLevel scaled;
  if (source->width != width || source->height != height) {
    ScaleImage(*source, width, height, scaled);
    source = &scaled;
  }
  if (!m_jpeg.Encode(*source, kReencodeQuality, &out->jpeg))
    return Fail("cannot encode: " + m_jpeg.GetError());
  out->action = PhotoAction::kReencoded;
  out->rotated = orientation != 1;
  out->width = width;
  out->height = height;
  return true;
}

bool CPhotoConverter::DecodeResult(const std::string& jpeg, int minWidth, int minHeight,
                                   MipLevel* out) {
  if (m_jpeg.Decode(jpeg, minWidth, minHeight, out)) return true;
  return Fail(m_jpeg.GetError());
}
