// Listing the focus records of a folder's or product's images.
#include "tools/quillpack/focus_report.h"

#include <iomanip>
#include <string>

#include "data/content_layout.h"
#include "data/focus_record.h"
#include "render/image_decoder.h"

void PrintFocuses(const EntryReader& read, std::ostream& out) {
  int images = 0;
  int focused = 0;
  std::string bytes;
  for (; images < kMaxImages && read(ImageFileName(images), &bytes); ++images) {
    FocusRecord focus;
    if (!FindFocusRecord(bytes.data(), bytes.size(), focus)) continue;
    ImageInfo info;
    const bool sized = ReadImageInfo(bytes.data(), bytes.size(), info);
    out << ImageFileName(images) << ": focus " << std::fixed << std::setprecision(4) << focus.left
        << ' ' << focus.top << ' ' << focus.right << ' ' << focus.bottom;
    if (sized && info.width == focus.width && info.height == focus.height) {
      ++focused;
      out << '\n';
    } else {
      out << " ignored: recorded for " << focus.width << " x " << focus.height << " pixels\n";
    }
  }
  out.unsetf(std::ios::floatfield);
  if (images > 0) out << "focus: " << focused << " of " << images << " image(s)\n";
}
