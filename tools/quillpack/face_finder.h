// Finds the faces in a photo and turns them into the picture's focus record, which
// the engine keeps in view. The Linux quillpack detects with dlib's frontal face
// detector; the Windows one has no detector and records no focus.
#pragma once

#include <memory>
#include <vector>

#include "data/focus_record.h"
#include "render/image_types.h"

// Photos are searched at this long side at most, so that a folder of 500 is quick;
// faces smaller than about a thirteenth of it are not found.
constexpr int kFaceSearchSide = 1024;

// The detector's window, pixels: an image smaller than this on either side holds no
// face it can find, and is not searched (nor the detector made for it).
constexpr int kSmallestFace = 80;

// A face found, in pixels of the image searched.
struct FaceBox {
  int left = 0;
  int top = 0;
  int right = 0;  // exclusive
  int bottom = 0;
};

class CFaceFinder {
 public:
  CFaceFinder();
  ~CFaceFinder();
  CFaceFinder(const CFaceFinder&) = delete;
  CFaceFinder& operator=(const CFaceFinder&) = delete;

  // True when this build has a detector.
  static bool IsAvailable();

  // The faces in `image` (B, G, R, A pixels), searched as it is: the caller scales it.
  // None without a detector.
  std::vector<FaceBox> Find(const MipLevel& image);

  // The focus of a photo decoded at any size: the faces found in a copy at most
  // kFaceSearchSide long, as FocusAroundFaces gives it for a picture of
  // pictureWidth x pictureHeight. False when no face was found.
  bool FindFocus(const MipLevel& image, int pictureWidth, int pictureHeight, FocusRecord& focus);

 private:
  struct Detector;
  std::unique_ptr<Detector> m_detector;  // made at the first search
};

// The rectangle around every face, widened so that hair and chin stay in it, in the
// 0..1 coordinates of the imageWidth x imageHeight image searched; its record carries
// the picture's own size. False when there are no faces.
bool FocusAroundFaces(const std::vector<FaceBox>& faces, int imageWidth, int imageHeight,
                      int pictureWidth, int pictureHeight, FocusRecord& focus);
