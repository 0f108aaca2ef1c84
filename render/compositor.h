// The slideshow's composition: the grid mesh that carries the transition's mask, the
// two pictures blended over it in one pass or two, and each picture's placement bound
// to its texture stage.
#pragma once

#include <windows.h>

#include <d3d8.h>

#include "base/screen_options.h"
#include "render/render_device.h"
#include "render/slide_pictures.h"

class CCompositor {
 public:
  explicit CCompositor(CRenderDevice& device) : m_device(device) {}
  CCompositor(const CCompositor&) = delete;
  CCompositor& operator=(const CCompositor&) = delete;

  // How pictures meet the screen's shape.
  void SetFitMode(FitMode mode) { m_fit = mode; }

  // Inside an open scene: sets the screen's transforms, fills the grid with mask
  // (kGridColumns x kGridRows weights) and draws current under next blended by it.
  // Either picture may be null. False when the grid could not be filled (nothing was
  // drawn).
  bool Draw(const SlidePicture* current, const SlidePicture* next, const float* mask);

 private:
  void SetTransforms();
  bool FillGrid(const float* mask);
  void DrawGrid();
  void DrawTwoPass(const SlidePicture* current, const SlidePicture* next);
  void DrawOnePass(const SlidePicture* current, const SlidePicture* next);
  // Binds picture to stage with its placement: a texture transform and, for fit,
  // black outside it. EndPlacement puts the stage back to untransformed wrapping.
  void BindPicture(DWORD stage, const SlidePicture* picture);
  void EndPlacement(DWORD stage);

  CRenderDevice& m_device;
  FitMode m_fit = kDefaultFit;
};
