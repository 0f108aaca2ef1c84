// Photo metadata through Exiv2: XMP, IPTC and EXIF from one parse of the file.
#include "tools/quillpack/photo_metadata.h"

#include <exiv2/exiv2.hpp>

#include <mutex>

namespace {

// Exiv2's XMP toolkit must be set up once per process before any parse, and by
// default it reports each damaged file on stderr, where quillpack has its own words.
void SetUpExiv2() {
  static std::once_flag once;
  std::call_once(once, [] {
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    Exiv2::XmpParser::initialize();
  });
}

// An XMP language alternative's default text, else its first one.
std::string XmpText(const Exiv2::XmpData& xmp, const char* key) {
  const auto it = xmp.findKey(Exiv2::XmpKey(key));
  if (it == xmp.end()) return std::string();
  if (const auto* alt = dynamic_cast<const Exiv2::LangAltValue*>(&it->value())) {
    const auto found = alt->value_.find("x-default");
    if (found != alt->value_.end()) return found->second;
    return alt->value_.empty() ? std::string() : alt->value_.begin()->second;
  }
  return it->toString();
}

template <typename Data, typename Key>
std::string Text(const Data& data, const char* key) {
  const auto it = data.findKey(Key(key));
  return it == data.end() ? std::string() : it->toString();
}

}  // namespace

const char* PhotoMetadataFields() { return "XMP, IPTC and EXIF"; }

PhotoMetadata ReadPhotoMetadata(const std::string& bytes) {
  SetUpExiv2();
  PhotoMetadata metadata;
  try {
    auto image = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte*>(bytes.data()),
                                           static_cast<long>(bytes.size()));
    if (image.get() == nullptr) return metadata;
    image->readMetadata();
    const Exiv2::XmpData& xmp = image->xmpData();
    const Exiv2::IptcData& iptc = image->iptcData();
    const Exiv2::ExifData& exif = image->exifData();
    const std::string titles[] = {
        XmpText(xmp, "Xmp.dc.title"),
        XmpText(xmp, "Xmp.dc.description"),
        Text<Exiv2::IptcData, Exiv2::IptcKey>(iptc, "Iptc.Application2.ObjectName"),
        Text<Exiv2::IptcData, Exiv2::IptcKey>(iptc, "Iptc.Application2.Caption"),
        Text<Exiv2::ExifData, Exiv2::ExifKey>(exif, "Exif.Image.ImageDescription"),
    };
    for (const std::string& title : titles)
      if (!title.empty()) metadata.titles.push_back(title);
    metadata.make = Text<Exiv2::ExifData, Exiv2::ExifKey>(exif, "Exif.Image.Make");
    metadata.model = Text<Exiv2::ExifData, Exiv2::ExifKey>(exif, "Exif.Image.Model");
    metadata.dateTaken = Text<Exiv2::ExifData, Exiv2::ExifKey>(exif, "Exif.Photo.DateTimeOriginal");
    if (metadata.dateTaken.empty())
      metadata.dateTaken =
          Text<Exiv2::ExifData, Exiv2::ExifKey>(exif, "Exif.Photo.DateTimeDigitized");
  } catch (const std::exception&) {
    // A file Exiv2 cannot read carries no caption; the photo itself may still be fine.
    return PhotoMetadata();
  }
  return metadata;
}
