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

bool SwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

int UprightTransform(int orientation) {
  switch (orientation) {
    case 2:
      return TJXOP_HFLIP;
    case 3:
      return TJXOP_ROT180;
    case 4:
      return TJXOP_VFLIP;
    case 5:
      return TJXOP_TRANSPOSE;
    case 6:
      return TJXOP_ROT90;
    case 7:
      return TJXOP_TRANSVERSE;
    case 8:
      return TJXOP_ROT270;
    default:
      return TJXOP_NONE;
  }
}

void TurnUpright(const MipLevel& stored, int orientation, MipLevel* upright) {
  const int w = stored.width;
  const int h = stored.height;
  const bool swap = SwapsSides(orientation);
  upright->width = swap ? h : w;
  upright->height = swap ? w : h;
  upright->pixels.resize(stored.pixels.size());
  uint32_t* out = upright->pixels.data();
  for (int y = 0; y < upright->height; ++y) {
    for (int x = 0; x < upright->width; ++x) {
      int sx = x;
      int sy = y;
      switch (orientation) {
        case 2:
          sx = w - 1 - x;
          break;
        case 3:
          sx = w - 1 - x;
          sy = h - 1 - y;
          break;
        case 4:
          sy = h - 1 - y;
          break;
        case 5:
          sx = y;
          sy = x;
          break;
        case 6:
          sx = y;
          sy = h - 1 - x;
          break;
        case 7:
          sx = w - 1 - y;
          sy = h - 1 - x;
          break;
        case 8:
          sx = w - 1 - y;
          sy = x;
          break;
        default:
          break;
      }
      *out++ = stored.pixels[static_cast<size_t>(sy) * w + sx];
    }
  }
}
