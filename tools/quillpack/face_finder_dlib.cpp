// Face detection with dlib's frontal face detector (HOG features and a linear
// classifier, built into the library: no model file to ship).
#include <dlib/image_processing/frontal_face_detector.h>

#include "tools/quillpack/face_finder.h"

namespace {
// Added to the detector's own threshold. Seen on test photos: faces score about 1 to
// 1.5 above it, round badges and similar patterns up to about 0.15.
constexpr double kExtraThreshold = 0.3;
}  // namespace

struct CFaceFinder::Detector {
  dlib::frontal_face_detector detector = dlib::get_frontal_face_detector();
};

CFaceFinder::CFaceFinder() = default;
CFaceFinder::~CFaceFinder() = default;

bool CFaceFinder::IsAvailable() { return true; }

std::vector<FaceBox> CFaceFinder::Find(const MipLevel& image) {
  std::vector<FaceBox> faces;
  if (image.width <= 0 || image.height <= 0) return faces;
  // Made once: deserialising the detector costs far more than one search.
  if (!m_detector) m_detector = std::make_unique<Detector>();
  dlib::array2d<unsigned char> grey(image.height, image.width);
  for (int y = 0; y < image.height; ++y) {
    const uint32_t* row = image.pixels.data() + static_cast<size_t>(y) * image.width;
    for (int x = 0; x < image.width; ++x) {
      const uint32_t p = row[x];
      // Rec. 601 luma in 8-bit fixed point.
      grey[y][x] = static_cast<unsigned char>(
          (77 * ((p >> 16) & 0xFF) + 150 * ((p >> 8) & 0xFF) + 29 * (p & 0xFF)) >> 8);
    }
  }
  for (const dlib::rectangle& box : m_detector->detector(grey, kExtraThreshold)) {
    FaceBox face;
    face.left = static_cast<int>(box.left());
    face.top = static_cast<int>(box.top());
    face.right = static_cast<int>(box.right()) + 1;
    face.bottom = static_cast<int>(box.bottom()) + 1;
    faces.push_back(face);
  }
  return faces;
}
