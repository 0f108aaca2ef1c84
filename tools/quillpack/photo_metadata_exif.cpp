// Photo metadata through libexif, for the Windows quillpack: EXIF only, so titles
// that only XMP or IPTC carry are not found there.
#include <libexif/exif-data.h>

#include "tools/quillpack/photo_metadata.h"

namespace {

// The entry's text as stored, without the terminating zeros EXIF pads with.
std::string Text(ExifData* data, ExifIfd ifd, ExifTag tag) {
  ExifEntry* entry = exif_content_get_entry(data->ifd[ifd], tag);
  if (entry == nullptr || entry->data == nullptr ||
      (entry->format != EXIF_FORMAT_ASCII && entry->format != EXIF_FORMAT_UNDEFINED))
    return std::string();
  std::string text(reinterpret_cast<const char*>(entry->data), entry->size);
  return text.substr(0, text.find('\0'));
}

}  // namespace

const char* PhotoMetadataFields() { return "EXIF"; }

PhotoMetadata ReadPhotoMetadata(const std::string& bytes) {
  PhotoMetadata metadata;
  ExifData* data = exif_data_new_from_data(reinterpret_cast<const unsigned char*>(bytes.data()),
                                           static_cast<unsigned int>(bytes.size()));
  if (data == nullptr) return metadata;
  const std::string description = Text(data, EXIF_IFD_0, EXIF_TAG_IMAGE_DESCRIPTION);
  if (!description.empty()) metadata.titles.push_back(description);
  metadata.make = Text(data, EXIF_IFD_0, EXIF_TAG_MAKE);
  metadata.model = Text(data, EXIF_IFD_0, EXIF_TAG_MODEL);
  metadata.dateTaken = Text(data, EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL);
  if (metadata.dateTaken.empty())
    metadata.dateTaken = Text(data, EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_DIGITIZED);
  exif_data_unref(data);
  return metadata;
}
