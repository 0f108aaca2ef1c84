// Turns one photo file into an image the engine shows well: a baseline JPEG,
// upright, no larger than the maker's limit. A file that already is one is kept
// byte for byte; a progressive or rotated JPEG is rewritten losslessly where
// libjpeg-turbo can; everything else is decoded, turned, scaled and re-encoded.
#pragma once

#include <string>

#include "render/image_types.h"
#include "tools/quillpack/turbo_jpeg.h"

// Default and accepted range of the longest side of a converted image, pixels.
constexpr int kDefaultMaxSide = 3840;
constexpr int kMinMaxSide = 64;
constexpr int kMaxMaxSide = kMaxImageSide;
// Photos with a shorter side than this are refused: stretched over a screen they
// would show nothing but a blur.
constexpr int kMinPhotoSide = 16;
// Re-encoding settings: quality and 4:2:0 chroma, as cameras write.
constexpr int kReencodeQuality = 90;

// How a photo was carried over.
enum class PhotoAction {
  kCopied,      // byte for byte
  kTranscoded,  // coefficients copied into a baseline file, nothing re-quantised
  kReencoded,   // decoded and encoded again
};

struct ConvertedPhoto {
  PhotoAction action = PhotoAction::kCopied;
  bool rotated = false;  // an EXIF orientation other than 1 was applied
  int width = 0;         // of the result, pixels
  int height = 0;
  std::string jpeg;  // the result
};

class CPhotoConverter {
 public:
  explicit CPhotoConverter(int maxSide = kDefaultMaxSide) : m_maxSide(maxSide) {}

  // Converts the file `bytes`, named `name` (its extension tells TGA, which has no
  // signature, from other data). False with the reason in GetError() when the file
  // is not a readable image or is too small or too large.
  bool Convert(const std::string& name, const std::string& bytes, ConvertedPhoto* out);

  // Decodes a JPEG the converter wrote, at least minWidth × minHeight where the
  // image is that large.
  bool DecodeResult(const std::string& jpeg, int minWidth, int minHeight, MipLevel* out);

  const std::string& GetError() const { return m_error; }

 private:
  bool ConvertJpeg(const std::string& bytes, ConvertedPhoto* out);
  bool ConvertOther(const std::string& name, const std::string& bytes, ConvertedPhoto* out);
  // Turns, scales and encodes decoded pixels whose stored size was width × height.
  bool Reencode(const MipLevel& stored, int orientation, int width, int height,
                ConvertedPhoto* out);
  void FitSize(int width, int height, int* fitWidth, int* fitHeight) const;
  bool Fail(const std::string& why);

  int m_maxSide;
  CTurboJpeg m_jpeg;
  std::string m_error;
};
