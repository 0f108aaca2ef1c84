// The device holder: creation on the window's adapter, the resources a Reset loses
// (made in one function, released in one), recovery and release in a fixed order.
#include "render/render_device.h"

#include <algorithm>

#include "base/settings.h"
#include "render/gamma_ramp.h"
#include "render/grid_mesh.h"

namespace {
// MinGW's d3d8.h lacks it: apply the ramp through the calibration, as the hardware
// allows.
constexpr DWORD kGammaCalibrate = 1;
}  // namespace

void CRenderDevice::SetModulateStage0(IDirect3DDevice8* device) {
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
}

bool CRenderDevice::Create(HWND window, bool fullScreen, HMONITOR monitor) {
  if (!CreateDevice(window, fullScreen, monitor)) return false;
  m_primaryScreen = monitor == nullptr;
  ApplyBrightness();
  return CreateResources();
}

bool CRenderDevice::CreateDevice(HWND window, bool fullScreen, HMONITOR monitor) {
  m_direct3D = CCom<IDirect3D8>(m_library.IsLoaded() ? m_library.Create() : nullptr);
  if (!m_direct3D) return false;
  m_adapter = D3DADAPTER_DEFAULT;
  if (monitor != nullptr) {
    const UINT count = m_direct3D->GetAdapterCount();
    while (m_adapter < count && m_direct3D->GetAdapterMonitor(m_adapter) != monitor) ++m_adapter;
    if (m_adapter == count) return false;
    fullScreen = false;
  }
  if (FAILED(m_direct3D->GetDeviceCaps(m_adapter, D3DDEVTYPE_HAL, &m_caps))) return false;
  D3DDISPLAYMODE mode{};
  if (FAILED(m_direct3D->GetAdapterDisplayMode(m_adapter, &mode))) return false;

  m_present = D3DPRESENT_PARAMETERS{};
  m_present.BackBufferFormat = mode.Format;
  m_present.MultiSampleType = D3DMULTISAMPLE_NONE;
  m_present.SwapEffect = D3DSWAPEFFECT_DISCARD;
  m_present.EnableAutoDepthStencil = TRUE;
  m_present.AutoDepthStencilFormat = D3DFMT_D16;
  if (fullScreen) {
    m_present.BackBufferWidth = mode.Width;
    m_present.BackBufferHeight = mode.Height;
    m_present.Windowed = FALSE;
    m_present.FullScreen_PresentationInterval =
        g_settings.VSync != 0 ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_IMMEDIATE;
    // Shown again by Release, so that a report after a failed start is not left
    // without a cursor.
    ShowCursor(FALSE);
    m_cursorHidden = true;
  } else {
    m_present.Windowed = TRUE;  // a zero size takes the window's client area
  }

  // The device may rewrite the parameters it is given; Reset needs the originals.
  D3DPRESENT_PARAMETERS present = m_present;
  const struct {
    D3DDEVTYPE type;
    DWORD flags;
  } attempts[] = {
      {D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING},
      {D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
      {D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
  };
  for (const auto& attempt : attempts) {
    present = m_present;
    if (SUCCEEDED(m_direct3D->CreateDevice(m_adapter, attempt.type, window, attempt.flags, &present,
                                           &m_device)))
      break;
  }
  if (!m_device) return false;

  m_device->GetDeviceCaps(&m_caps);
  const DWORD stages = std::min(m_caps.MaxTextureBlendStages, m_caps.MaxSimultaneousTextures);
  m_textureStages = stages < 1 ? 1 : static_cast<int>(stages);
  m_borderAddressing = (m_caps.TextureAddressCaps & D3DPTADDRESSCAPS_BORDER) != 0;
  ReadBackBufferSize();
  return true;
}

void CRenderDevice::ReadBackBufferSize() {
  CCom<IDirect3DSurface8> back;
  D3DSURFACE_DESC desc{};
  if (FAILED(m_device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back)) ||
      FAILED(back->GetDesc(&desc)))
    return;
  m_backBufferWidth = static_cast<int>(desc.Width);
  m_backBufferHeight = static_cast<int>(desc.Height);
}

void CRenderDevice::ApplyBrightness() {
  m_appliedRamp.clear();
  if (!m_primaryScreen || g_settings.Brightness == 100) return;
  uint16_t values[kGammaRampSize];
  BuildBrightnessRamp(g_settings.Brightness, values);
  D3DGAMMARAMP ramp;
  for (int i = 0; i < kGammaRampSize; ++i) ramp.red[i] = ramp.green[i] = ramp.blue[i] = values[i];
  m_device->SetGammaRamp(kGammaCalibrate, &ramp);
  m_appliedRamp.assign(values, values + kGammaRampSize);
}

bool CRenderDevice::CreateResources() {
  m_device->GetRenderTarget(&m_savedRenderTarget);
  m_device->GetDepthStencilSurface(&m_savedDepthStencil);
  SetFixedStates();

  m_vertexBuffer = std::make_unique<CDynamicVertexBuffer>(m_device.Get());
  if (!m_vertexBuffer->IsValid()) return false;
  m_indexBuffer = std::make_unique<CDynamicIndexBuffer>(m_device.Get());
  if (!m_indexBuffer->IsValid()) return false;
  // These bindings never change: every draw uses the one vertex format and buffers.
  m_device->SetVertexShader(kScreenVertexFvf);
  m_device->SetStreamSource(0, m_vertexBuffer->Get(), sizeof(ScreenVertex));
  m_device->SetIndices(m_indexBuffer->Get(), 0);

  unsigned first = 0;
  uint16_t* indices = m_indexBuffer->Lock(kGridIndexCount, &first);
  if (indices == nullptr) return false;
  WriteGridIndices(indices);
  m_indexBuffer->Unlock();
  for (IDeviceResources* owner : m_owners) {
    if (!owner->CreateDeviceResources(m_device.Get())) return false;
  }
  return true;
}

void CRenderDevice::ReleaseResources() {
  // Without a device the owners let go of theirs when it went, and an owner may have
  // gone since (the drawer's shutdown runs again in its destructor).
  if (m_device) {
    for (IDeviceResources* owner : m_owners) owner->ReleaseDeviceResources();
    // The device holds references to the bound buffers and textures as well.
    m_device->SetStreamSource(0, nullptr, 0);
    m_device->SetIndices(nullptr, 0);
    for (DWORD stage = 0; stage < 2; ++stage) m_device->SetTexture(stage, nullptr);
  }
  m_vertexBuffer.reset();
  m_indexBuffer.reset();
  m_savedRenderTarget.Reset();
  m_savedDepthStencil.Reset();
}

void CRenderDevice::SetFixedStates() {
  IDirect3DDevice8* device = m_device.Get();
  device->SetRenderState(D3DRS_NORMALIZENORMALS, FALSE);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  device->SetRenderState(D3DRS_DITHERENABLE, TRUE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  SetModulateStage0(device);
  for (DWORD stage = 0; stage < 4; ++stage) {
    device->SetTextureStageState(stage, D3DTSS_MINFILTER, D3DTEXF_ANISOTROPIC);
    device->SetTextureStageState(stage, D3DTSS_MAGFILTER, D3DTEXF_ANISOTROPIC);
    device->SetTextureStageState(stage, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
  }
}

bool CRenderDevice::Prepare() {
  if (!m_device) return false;
  // A lost device draws nothing until it can be reset (another program took the
  // full screen, or the display mode changed under us).
  if (!m_deviceLost && !m_sizeChanged && !m_resourcesMissing) return true;
  const HRESULT level = m_device->TestCooperativeLevel();
  // D3DERR_DEVICELOST: not ours yet; ask again next frame.
  if (level != D3D_OK && level != D3DERR_DEVICENOTRESET) return false;
  if (level == D3DERR_DEVICENOTRESET || m_sizeChanged) {
    // A windowed device's zero size in the parameters takes the client area again.
    ReleaseResources();
    m_resourcesMissing = true;
    D3DPRESENT_PARAMETERS present = m_present;
    if (FAILED(m_device->Reset(&present))) return false;
    m_sizeChanged = false;
    ApplyBrightness();
    // The placement follows the new size; pictures already made keep their decode.
    ReadBackBufferSize();
  }
  // After a reset that worked, the device reports D3D_OK while its resources may
  // still be missing (video memory ran out making them): they are asked for again
  // every frame until they exist, or the screen would stay black for the run.
  if (m_resourcesMissing) {
    if (!CreateResources()) {
      ReleaseResources();
      return false;
    }
    m_resourcesMissing = false;
  }
  m_deviceLost = false;
  return true;
}

void CRenderDevice::Present() {
  if (m_device->Present(nullptr, nullptr, nullptr, nullptr) == D3DERR_DEVICELOST)
    m_deviceLost = true;
}

void CRenderDevice::CheckLost() {
  if (m_device->TestCooperativeLevel() != D3D_OK) m_deviceLost = true;
}

void CRenderDevice::Release() {
  if (m_device) {
    for (DWORD stage = 0; stage < 2; ++stage) m_device->SetTexture(stage, nullptr);
  }
  ReleaseResources();
  m_device.Reset();
  m_direct3D.Reset();
  if (m_cursorHidden) ShowCursor(TRUE);
  m_cursorHidden = false;
}
