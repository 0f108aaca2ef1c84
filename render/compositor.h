// The slideshow's composition: the grid mesh that carries the transition's mask, the
// two pictures blended over it in one pass or two, and each picture's placement bound
// to its texture stage, with fit's bars (black, or the picture's blurred backdrop)
// drawn from the placement of each frame, moved along its pan and zoom path where
// pictures move.
#pragma once

#include <windows.h>

#include <d3d8.h>

#include "base/screen_options.h"
#include "render/motion_chooser.h"
#include "render/picture_placement.h"
#include "render/render_device.h"
#include "render/slide_pictures.h"
#include "render/slideshow.h"

// False when the user has turned off Windows' "Show animations" (the system's wish for
// less motion): pictures then stand still whatever the product asks.
bool SystemShowsAnimations();

class CCompositor {
 public:
  explicit CCompositor(CRenderDevice& device) : m_device(device) {}
  CCompositor(const CCompositor&) = delete;
  CCompositor& operator=(const CCompositor&) = delete;

  // How pictures meet the screen's shape.
  void SetFitMode(FitMode mode) { m_fit = mode; }
  // Drawn, stretched, where a picture is missing (failed); held by the texture cache.
  // Null leaves the stage without a texture.
  void SetDefaultTexture(IDirect3DTexture8* texture) { m_defaultTexture = texture; }
  // Whether pictures pan and zoom while on screen, and the seed of their paths'
  // choices (the run's or the screen's).
  void SetMotion(bool moving, unsigned int seed) {
    m_moving = moving;
    m_chooser = CMotionChooser(seed);
  }
  bool IsMoving() const { return m_moving; }

  // The frame's application time, and, where pictures move, each picture's path on its
  // first frame on screen: the run's first picture (or one loaded at once after a
  // failure) from the cycle's start to the end of the transition that takes it out;
  // the next picture from the start of the transition that brings it in through the
  // next cycle's transition. A path is planned again when the screen changed size.
  void MovePictures(SlidePicture* current, SlidePicture* next, const CSlideshow& slideshow,
                    double now);

  // Inside an open scene: sets the screen's transforms, fills the grid with mask
  // (kGridColumns x kGridRows weights) and draws current under next blended by it.
  // Either picture may be null. False when the grid could not be filled (nothing was
  // drawn).
  bool Draw(const SlidePicture* current, const SlidePicture* next, const float* mask);

 private:
  void SetTransforms();
  bool FillGrid(const float* mask);
  void DrawGrid();
  // Draws the grid clipped to area of the screen: a viewport over it, with a
  // projection that keeps every vertex where the whole screen has it.
  void DrawGridIn(const ScreenRect& area);
  void DrawTwoPass(const SlidePicture* current, const SlidePicture* next, const float* mask);
  void DrawOnePass(const SlidePicture* current, const SlidePicture* next);
  // Where fit leaves bars beside picture that the border colour cannot draw: its
  // backdrop's, or black on a device without a border colour. Then only the picture's
  // own part of the screen is drawn with it.
  bool NeedsDrawnBars(const SlidePicture* picture) const;
  ScreenRect PictureArea(const SlidePicture* picture) const;
  // Draws the bars beside picture (not null) with the grid's alpha: its backdrop,
  // placed to cover the screen and moved along with the picture, or black, as the
  // picture's border colour would have been blended.
  void DrawBars(const SlidePicture* picture);
  // Binds picture to stage with its placement: a texture transform and, for fit,
  // black outside it where the device has a border colour. EndPlacement puts the
  // stage back to untransformed wrapping.
  void BindPicture(DWORD stage, const SlidePicture* picture);
  void EndPlacement(DWORD stage);
  // Where the picture rests on this screen, and where it is in this frame.
  TextureRect Placement(const SlidePicture& picture) const;
  TextureRect ShownWindow(const SlidePicture& picture) const;
  void PlanPath(SlidePicture& picture, double spanStart, double spanLength);

  CRenderDevice& m_device;
  FitMode m_fit = kDefaultFit;
  IDirect3DTexture8* m_defaultTexture = nullptr;  // held by the texture cache
  D3DVIEWPORT8 m_screenViewport{};                // the whole back buffer, read each frame
  bool m_moving = false;                          // pictures pan and zoom
  CMotionChooser m_chooser{1};
  double m_now = 0.0;  // application time of the frame, seconds
};
