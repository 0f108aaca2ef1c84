// The per-frame composite: the grid filled from the mask, the pictures bound with
// their placement, and the one-pass or two-pass blend, every state it changes put back.
#include "render/compositor.h"

#include <cstring>

#include "render/grid_mesh.h"
#include "render/ortho_matrix.h"
#include "render/picture_placement.h"

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
}  // namespace

bool CCompositor::Draw(const SlidePicture* current, const SlidePicture* next, const float* mask) {
  SetTransforms();
  if (!FillGrid(mask)) return false;
  if (m_device.GetTextureStages() == 1)
    DrawTwoPass(current, next);
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

// Two passes: the current image opaque, then the next one blended by the vertex alpha.
void CCompositor::DrawTwoPass(const SlidePicture* current, const SlidePicture* next) {
  IDirect3DDevice8* device = m_device.Get();
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_ZENABLE, FALSE);
  CRenderDevice::SetModulateStage0(device);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetTextureStageState(0, D3DTSS_MIPMAPLODBIAS, FloatBits(kPictureMipLodBias));

  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  BindPicture(0, current);
  DrawGrid();
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  BindPicture(0, next);
  DrawGrid();

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

void CCompositor::BindPicture(DWORD stage, const SlidePicture* picture) {
  IDirect3DDevice8* device = m_device.Get();
  device->SetTexture(stage, picture != nullptr ? picture->texture.Get() : nullptr);
  if (picture == nullptr || m_fit == FitMode::Stretch) {
    SetAddressing(device, stage, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    return;
  }
  const TextureRect rect =
      PlacePicture(picture->width, picture->height, m_device.GetBackBufferWidth(),
                   m_device.GetBackBufferHeight(), m_fit);
  // Fit shows black beyond the picture: the border colour where the device has one,
  // else the black edge its texels were given at load, continued by clamping. Only
  // the axis with bars takes the border, so the other keeps its edge texels whole.
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
