// EXIF through libexif; the pixel turn maps each upright pixel back to where the
// orientation says the camera stored it.
#include "tools/quillpack/photo_orientation.h"

#include <libexif/exif-data.h>
#include <turbojpeg.h>

int ReadExifOrientation(const std::string& jpeg) {
  ExifData* data = exif_data_new_from_data(reinterpret_cast<const unsigned char*>(jpeg.data()),
                                           static_cast<unsigned int>(jpeg.size()));
  if (data == nullptr) return 1;
  int orientation = 1;
  ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
  if (entry != nullptr && entry->format == EXIF_FORMAT_SHORT && entry->components >= 1 &&
      entry->size >= 2) {
    const int value = exif_get_short(entry->data, exif_data_get_byte_order(data));
    if (value >= 1 && value <= 8) orientation = value;
  }
  exif_data_unref(data);
  return orientation;
}

namespace {

// How each orientation stored the upright picture: the TurboJPEG operation that
// undoes it, and, for the pixel turn, whether the stored columns and rows run
// backwards once the sides are swapped (5..8).
struct OrientationInfo {
  int operation;
  bool mirrorX;
  bool mirrorY;
};

const OrientationInfo kOrientations[9] = {
    {TJXOP_NONE, false, false}, {TJXOP_NONE, false, false},     {TJXOP_HFLIP, true, false},
    {TJXOP_ROT180, true, true}, {TJXOP_VFLIP, false, true},     {TJXOP_TRANSPOSE, false, false},
    {TJXOP_ROT90, false, true}, {TJXOP_TRANSVERSE, true, true}, {TJXOP_ROT270, true, false},
};

const OrientationInfo& Info(int orientation) {
  return kOrientations[orientation >= 1 && orientation <= 8 ? orientation : 1];
}

}  // namespace

bool SwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

int UprightTransform(int orientation) { return Info(orientation).operation; }

void TurnUpright(const MipLevel& stored, int orientation, MipLevel* upright) {
  const int w = stored.width;
  const int h = stored.height;
  const bool swap = SwapsSides(orientation);
  const OrientationInfo& info = Info(orientation);
  upright->width = swap ? h : w;
  upright->height = swap ? w : h;
  upright->pixels.resize(stored.pixels.size());
  uint32_t* out = upright->pixels.data();
  for (int y = 0; y < upright->height; ++y) {
    for (int x = 0; x < upright->width; ++x) {
      const int u = swap ? y : x;  // stored column and row before mirroring
      const int v = swap ? x : y;
      const int sx = info.mirrorX ? w - 1 - u : u;
      const int sy = info.mirrorY ? h - 1 - v : v;
      *out++ = stored.pixels[static_cast<size_t>(sy) * w + sx];
    }
  }
}
