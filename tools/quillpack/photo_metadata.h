// What a photo's own metadata says for its caption, read by a metadata library:
// Exiv2 (EXIF, IPTC and XMP) in the native quillpack, libexif (EXIF only) in the
// Windows one.
#pragma once

#include <string>
#include <vector>

struct PhotoMetadata {
  // Title candidates, best first: XMP dc:title, dc:description, IPTC Object Name,
  // IPTC Caption, EXIF ImageDescription; each as stored (UTF-8, or a single-byte
  // text for the caller to convert), absent fields left out.
  std::vector<std::string> titles;
  std::string make;       // EXIF Make: placeholder titles often repeat the camera
  std::string model;      // EXIF Model
  std::string dateTaken;  // EXIF DateTimeOriginal, else DateTimeDigitized, as stored
};

// The metadata of an image file's bytes; empty fields for a file without metadata or
// one the library cannot read.
PhotoMetadata ReadPhotoMetadata(const std::string& bytes);

// Which fields this build reads, for quillpack's usage text.
const char* PhotoMetadataFields();
