// "quillpack new": makes a complete content folder from a product maker's photos:
// the slideshow images, splash pictures, bitmap font, default texture and
// configuration. The folder is built beside its final name and renamed into place
// only when complete, so a refusal leaves nothing behind.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "base/screen_options.h"
#include "data/caption_list.h"
#include "tools/quillpack/face_finder.h"
#include "tools/quillpack/photo_caption.h"
#include "tools/quillpack/photo_converter.h"
#include "tools/quillpack/product_identity.h"

struct NewContentOptions {
  std::vector<std::string> photos;                   // files and folders, in the maker's order
  std::filesystem::path output;                      // the content folder to make
  ProductIdentity identity;                          // UTF-8, as typed
  std::filesystem::path font;                        // TrueType font of the bitmap font
  int maxSide = 0;                                   // longest side of an image, pixels
  ScreenOptions screen = NewProductScreenOptions();  // written to config/config.xml
  bool recursive = false;                            // read subfolders too
  bool force = false;                                // replace an existing output folder
  bool progress = false;                             // draw a progress bar on `err` (a terminal)
  std::vector<std::string> music;                    // music files, in playing order
  bool faces = true;  // record each image's focus around the faces found, where the build can
  // What each picture's caption shows, in this order; empty: no captions.
  std::vector<CaptionPart> captionParts = {CaptionPart::Title, CaptionPart::Date};
};

class CContentMaker {
 public:
  CContentMaker(const NewContentOptions& options, std::ostream& out, std::ostream& err)
      : m_options(options), m_out(out), m_err(err) {}

  // Makes the folder; true when it is in place. Problems go to `err`, the summary
  // line to `out`.
  bool Run();

 private:
  struct Counts {
    int taken = 0;
    int copied = 0;
    int transcoded = 0;
    int reencoded = 0;
    int rotated = 0;
    int skipped = 0;
    int focused = 0;  // images given a focus record
    int captioned = 0;
  };

  bool Error(const std::string& text);
  bool ConvertPhotos(const std::vector<std::filesystem::path>& photos, Counts* counts);
  // Writes the focus around the faces in `photo` into its JPEG; false when it has none.
  bool RecordFocus(CFaceFinder& finder, CPhotoConverter& converter, ConvertedPhoto& photo);
  bool WriteSplashes(int imageCount);
  // Writes music/0.ogg ... from the music files; false (with the file named) for one
  // that is refused.
  bool WriteMusic(int* encoded);
  bool WriteFixedFiles(const ProductIdentity& ansi);
  bool Write(const std::string& name, const std::string& bytes);
  bool PutInPlace();
  void ShowProgress(size_t done, size_t total);
  // Adds the caption of image `number`, made from its source photo, to m_captions.
  void AddCaption(int number, const std::filesystem::path& photo, const std::string& bytes);

  const NewContentOptions& m_options;
  std::ostream& m_out;
  std::ostream& m_err;
  std::filesystem::path m_staging;  // the folder being built
  std::vector<Caption> m_captions;  // of the images taken, in image order
};

// The TrueType font used when none is given: DejaVu Sans where the build machine
// has it, Arial on Windows.
std::filesystem::path DefaultFontPath();
