// The per-frame composite: the grid filled from the mask, the pictures bound with
// their placement, and the one-pass or two-pass blend, every state it changes put back.
#include "render/compositor.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "render/grid_mesh.h"
#include "render/ortho_matrix.h"

namespace {
// The slideshow samples one mip level finer than the screen asks: pictures stay sharp
// where they are shrunk, at the price of a little shimmer.
constexpr float kPictureMipLodBias = -1.0f;
// Outside a picture placed with fit: black, as the cleared screen around it.
constexpr DWORD kBorderColour = 0xFF000000;

DWORD FloatBits(float value) {
  DWORD bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

void SetAddressing(IDirect3DDevice8* device, DWORD stage, DWORD mode) {
  device->SetTextureStageState(stage, D3DTSS_ADDRESSU, mode);
  device->SetTextureStageState(stage, D3DTSS_ADDRESSV, mode);
}

D3DMATRIX ToD3D(const Matrix4& matrix) {
  D3DMATRIX result;
  static_assert(sizeof result == sizeof matrix, "both are 4 x 4 floats, row-major");
  std::memcpy(&result, &matrix, sizeof result);
  return result;
}

bool IsWholeScreen(const ScreenRect& area) {
  return area.left <= 0.0f && area.top <= 0.0f && area.right >= 1.0f && area.bottom >= 1.0f;
}
}  // namespace

bool SystemShowsAnimations() {
  BOOL shows = TRUE;
  // A system that does not know the setting has no such wish.
  if (!SystemParametersInfoA(SPI_GETCLIENTAREAANIMATION, 0, &shows, 0)) return true;
  return shows != FALSE;
}

bool CCompositor::Draw(const SlidePicture* current, const SlidePicture* next, const float* mask) {
  SetTransforms();
  if (!FillGrid(mask)) return false;
  m_device.Get()->GetViewport(&m_screenViewport);
  // One pass cannot clip each picture to its own part of the screen.
  if (m_device.GetTextureStages() == 1 || NeedsDrawnBars(current) || NeedsDrawnBars(next))
    DrawTwoPass(current, next, mask);
  else
    DrawOnePass(current, next);
  return true;
}

void CCompositor::SetTransforms() {
  IDirect3DDevice8* device = m_device.Get();
  D3DMATRIX identity{};
  identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
  device->SetTransform(D3DTS_WORLD, &identity);
  device->SetTransform(D3DTS_VIEW, &identity);
  // Normalised screen units, y downwards: left 0, right 1, bottom 1, top 0.
  const D3DMATRIX projection = ToD3D(MatrixOrthoOffCenterLH(0.0f, 1.0f, 1.0f, 0.0f, 0.0f, 1.0f));
  device->SetTransform(D3DTS_PROJECTION, &projection);
}

bool CCompositor::FillGrid(const float* mask) {
  CDynamicVertexBuffer* buffer = m_device.GetVertexBuffer();
  unsigned first = 0;
  ScreenVertex* vertices = buffer->Lock(kGridVertexCount, &first);
  if (vertices == nullptr) return false;
  FillGridVertices(mask, vertices);
  buffer->Unlock();
  // The grid is the frame's first lock, so it always starts at vertex 0, where the
  // indices point.
  return first == 0;
}

void CCompositor::DrawGrid() {
  m_device.Get()->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, kGridVertexCount, 0,
                                       kGridTriangleCount);
}

void CCompositor::DrawGridIn(const ScreenRect& area) {
  if (IsWholeScreen(area)) {
    DrawGrid();
    return;
  }
  IDirect3DDevice8* device = m_device.Get();
  const float width = static_cast<float>(m_screenViewport.Width);
  const float height = static_cast<float>(m_screenViewport.Height);
  // Whole pixels; the projection below uses the rounded edges, so the grid does not move.
  const auto left = static_cast<DWORD>(std::lround(area.left * width));
  const auto top = static_cast<DWORD>(std::lround(area.top * height));
  const auto right = static_cast<DWORD>(std::lround(area.right * width));
  const auto bottom = static_cast<DWORD>(std::lround(area.bottom * height));
  if (right <= left || bottom <= top) return;
  D3DVIEWPORT8 viewport = m_screenViewport;
  viewport.X += left;
  viewport.Y += top;
  viewport.Width = right - left;
  viewport.Height = bottom - top;
  const D3DMATRIX projection = ToD3D(MatrixOrthoOffCenterLH(
      left / width, right / width, bottom / height, top / height, 0.0f, 1.0f));
  device->SetViewport(&viewport);
  device->SetTransform(D3DTS_PROJECTION, &projection);
  DrawGrid();
  device->SetViewport(&m_screenViewport);
  SetTransforms();
}

bool CCompositor::NeedsDrawnBars(const SlidePicture* picture) const {
  return picture != nullptr && m_fit == FitMode::Fit &&
         (picture->backdrop || !m_device.HasBorderAddressing()) &&
         !IsWholeScreen(PictureArea(picture));
}

ScreenRect CCompositor::PictureArea(const SlidePicture* picture) const {
  if (picture == nullptr || m_fit != FitMode::Fit) return ScreenRect{};
  return PictureScreenRect(ShownWindow(*picture));
}

void CCompositor::DrawBars(const SlidePicture* picture) {
  const ScreenRect area = PictureArea(picture);
  IDirect3DDevice8* device = m_device.Get();
  if (picture->backdrop) {
    // The backdrop covers the screen as fill would place it, and moves with its picture.
    const TextureRect cover =
        PlacePicture(picture->width, picture->height, m_device.GetBackBufferWidth(),
                     m_device.GetBackBufferHeight(), FitMode::Fill);
    const TextureRect shown = FollowPicture(cover, Placement(*picture), ShownWindow(*picture));
    device->SetTexture(0, picture->backdrop.Get());
    SetAddressing(device, 0, D3DTADDRESS_CLAMP);
    const D3DMATRIX matrix = ToD3D(PlacementMatrix(shown));
    device->SetTransform(D3DTS_TEXTURE0, &matrix);
    device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    CRenderDevice::SetModulateStage0(device);
  } else {
    device->SetRenderState(D3DRS_TEXTUREFACTOR, kBorderColour);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
  }
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  // The screen outside the picture's rectangle, as up to four bands.
  const ScreenRect bands[] = {
      {0.0f, 0.0f, 1.0f, area.top},
      {0.0f, area.bottom, 1.0f, 1.0f},
      {0.0f, area.top, area.left, area.bottom},
      {area.right, area.top, 1.0f, area.bottom},
  };
  for (const ScreenRect& band : bands) DrawGridIn(band);
  CRenderDevice::SetModulateStage0(device);
}

// Two passes: the current image opaque, then the next one blended by the vertex alpha.
// Where fit must draw its bars, each picture covers only its own part of the screen,
// and its bars are drawn as it is: the current one's opaque (black ones keep the
// cleared black), the next one's blended in.
void CCompositor::DrawTwoPass(const SlidePicture* current, const SlidePicture* next,
                              const float* mask) {
  // A pass that cannot change a pixel is left out: while the current picture stands
  // the next one's weights are all 0, and once it has come in they are all 1. Most
  // frames are such frames, and each pass costs the whole grid at least once.
  const auto alpha = [](float weight) { return static_cast<uint32_t>(weight * 255.0f); };
  uint32_t lowest = 255, highest = 0;
  for (int i = 0; i < kGridVertexCount; ++i) {
    lowest = std::min(lowest, alpha(mask[i]));
    highest = std::max(highest, alpha(mask[i]));
  }
  IDirect3DDevice8* device = m_device.Get();
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_ZENABLE, FALSE);
  CRenderDevice::SetModulateStage0(device);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetTextureStageState(0, D3DTSS_MIPMAPLODBIAS, FloatBits(kPictureMipLodBias));

  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  if (lowest < 255) {
    BindPicture(0, current);
    const bool currentBars = NeedsDrawnBars(current);
    DrawGridIn(currentBars ? PictureArea(current) : ScreenRect{});
    if (currentBars && current->backdrop) DrawBars(current);
  }
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  if (highest > 0) {
    BindPicture(0, next);
    if (NeedsDrawnBars(next)) {
      DrawGridIn(PictureArea(next));
      DrawBars(next);
    } else {
      DrawGrid();
    }
  }

  device->SetTextureStageState(0, D3DTSS_MIPMAPLODBIAS, FloatBits(0.0f));
  EndPlacement(0);
}

// One pass: stage 0 takes the current image, stage 1 blends the next one over it by
// the vertex alpha.
void CCompositor::DrawOnePass(const SlidePicture* current, const SlidePicture* next) {
  IDirect3DDevice8* device = m_device.Get();
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_BLENDDIFFUSEALPHA);
  device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
  device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_ZENABLE, FALSE);

  BindPicture(0, current);
  BindPicture(1, next);
  device->SetTextureStageState(0, D3DTSS_MIPMAPLODBIAS, FloatBits(kPictureMipLodBias));
  device->SetTextureStageState(1, D3DTSS_MIPMAPLODBIAS, FloatBits(kPictureMipLodBias));
  DrawGrid();
  device->SetTextureStageState(0, D3DTSS_MIPMAPLODBIAS, FloatBits(0.0f));
  device->SetTextureStageState(1, D3DTSS_MIPMAPLODBIAS, FloatBits(0.0f));

  CRenderDevice::SetModulateStage0(device);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  EndPlacement(0);
  EndPlacement(1);
  // The next image stays bound to stage 1 only while it is in use.
  device->SetTexture(1, nullptr);
}

void CCompositor::MovePictures(SlidePicture* current, SlidePicture* next,
                               const CSlideshow& slideshow, double now) {
  m_now = now;
  if (!m_moving) return;
  const double keep = slideshow.GetKeepSeconds();
  const double change = slideshow.GetTransitionSeconds();
  // Current first: the choices are drawn in the order pictures come on screen.
  if (current != nullptr) PlanPath(*current, slideshow.GetCycleStart(), keep + change);
  if (next != nullptr) PlanPath(*next, slideshow.GetCycleStart() + keep, change + keep + change);
}

void CCompositor::PlanPath(SlidePicture& picture, double spanStart, double spanLength) {
  PictureMotion& motion = picture.motion;
  const int width = m_device.GetBackBufferWidth();
  const int height = m_device.GetBackBufferHeight();
  if (!motion.planned) {
    motion.planned = true;
    motion.choice = m_chooser.Next();
    motion.path.spanStart = spanStart;
    motion.path.spanLength = spanLength;
  } else if (motion.screenWidth == width && motion.screenHeight == height) {
    return;
  }
  motion.screenWidth = width;
  motion.screenHeight = height;
  motion.path = PlanMotion(Placement(picture), m_fit, width, height,
                           picture.hasFocus ? &picture.focus : nullptr, motion.choice,
                           motion.path.spanStart, motion.path.spanLength);
}

TextureRect CCompositor::Placement(const SlidePicture& picture) const {
  return PlacePicture(picture.width, picture.height, m_device.GetBackBufferWidth(),
                      m_device.GetBackBufferHeight(), m_fit,
                      picture.hasFocus ? &picture.focus : nullptr);
}

TextureRect CCompositor::ShownWindow(const SlidePicture& picture) const {
  // Only the texture transform moves: the grid and its mask stay where the screen is.
  if (m_moving && picture.motion.planned) return MotionWindow(picture.motion.path, m_now);
  return Placement(picture);
}

void CCompositor::BindPicture(DWORD stage, const SlidePicture* picture) {
  IDirect3DDevice8* device = m_device.Get();
  device->SetTexture(stage, picture != nullptr ? picture->texture.Get() : m_defaultTexture);
  const bool moving = m_moving && picture != nullptr && picture->motion.planned;
  if (picture == nullptr || (m_fit == FitMode::Stretch && !moving)) {
    SetAddressing(device, stage, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    return;
  }
  // Only the texture transform moves: the grid and its mask stay where the screen is.
  const TextureRect rect = ShownWindow(*picture);
  // Fit shows black beyond the picture: the border colour where the device has one,
  // else the bars the two-pass composite draws, with the picture clamped inside its
  // own part of the screen. Only the axis with bars takes the border, so the other
  // keeps its edge texels whole.
  device->SetTextureStageState(stage, D3DTSS_BORDERCOLOR, kBorderColour);
  const D3DTEXTUREADDRESS border =
      m_device.HasBorderAddressing() ? D3DTADDRESS_BORDER : D3DTADDRESS_CLAMP;
  device->SetTextureStageState(stage, D3DTSS_ADDRESSU,
                               HasSideBars(rect) ? border : D3DTADDRESS_CLAMP);
  device->SetTextureStageState(stage, D3DTSS_ADDRESSV,
                               HasTopBars(rect) ? border : D3DTADDRESS_CLAMP);
  const D3DMATRIX matrix = ToD3D(PlacementMatrix(rect));
  device->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + stage), &matrix);
  device->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
}

void CCompositor::EndPlacement(DWORD stage) {
  IDirect3DDevice8* device = m_device.Get();
  device->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
  SetAddressing(device, stage, D3DTADDRESS_WRAP);
}
