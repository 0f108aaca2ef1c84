// libjpeg-turbo's TurboJPEG API behind one holder: header reading, decoding at a
// reduced scale, lossless transforms and baseline encoding, each with the library's
// reason on failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "render/image_types.h"

// What a JPEG's frame header says.
struct JpegHeader {
  int width = 0;            // pixels
  int height = 0;           // pixels
  int subsampling = 0;      // TJSAMP_*
  int colorspace = 0;       // TJCS_*
  bool sequential = false;  // a baseline or extended sequential Huffman frame (SOF0, SOF1)
};

class CTurboJpeg {
 public:
  CTurboJpeg();
  ~CTurboJpeg();
  CTurboJpeg(const CTurboJpeg&) = delete;
  CTurboJpeg& operator=(const CTurboJpeg&) = delete;

  bool ReadHeader(const std::string& jpeg, JpegHeader* header);

  // Decodes at the smallest of libjpeg's DCT scales that still gives at least
  // minWidth × minHeight (the full size when 0 × 0), as B, G, R, 255. Any warning,
  // a cut-off file among them, counts as a failure. CMYK files are converted
  // assuming Adobe's inverted storage, which nearly every CMYK JPEG uses.
  bool Decode(const std::string& jpeg, int minWidth, int minHeight, MipLevel* out);

  // Applies a lossless transform (TJXOP_*) and writes a baseline file without the
  // source's extra markers. `trim` drops partial edge blocks that would otherwise
  // make the transform impossible.
  bool Transform(const std::string& jpeg, int operation, bool trim, std::string* out);

  // Encodes as a baseline JPEG with 4:2:0 chroma at `quality`.
  bool Encode(const MipLevel& image, int quality, std::string* out);

  // Why the last call failed.
  const std::string& GetError() const { return m_error; }

 private:
  bool Fail(void* handle);

  void* m_decoder = nullptr;
  void* m_encoder = nullptr;
  void* m_transformer = nullptr;
  std::string m_error;
};

// The frame type of the JPEG: scans the marker segments up to the first start of
// frame. False when the data ends first or a segment length runs past the end.
bool FindJpegFrameMarker(const std::string& jpeg, int* marker);
