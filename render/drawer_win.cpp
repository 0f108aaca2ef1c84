// The Direct3D 8 renderer: device, fixed states, buffers, textures, the per-frame
// composite of the slideshow, the overlays, lost-device recovery and release.
#include "render/drawer.h"

#include <mbstring.h>

#include <algorithm>
#include <cstring>

#include "base/app_base.h"
#include "base/error_trace.h"
#include "base/product_info.h"
#include "base/settings.h"
#include "data/content_archive.h"
#include "data/content_layout.h"
#include "render/gamma_ramp.h"
#include "render/grid_mesh.h"
#include "render/image_decoder.h"
#include "render/ortho_matrix.h"

namespace {
// MinGW's d3d8.h lacks it: apply the ramp through the calibration, as the hardware
// allows.
constexpr DWORD kGammaCalibrate = 1;
// Size a slideshow image is asked at when its own size fails.
constexpr int kFallbackImageSide = 1024;
constexpr DWORD kClearColour = 0xFF000000;  // opaque black
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

void SetStandardStage0(IDirect3DDevice8* device) {
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
}

void SetAddressing(IDirect3DDevice8* device, DWORD stage, DWORD mode) {
  device->SetTextureStageState(stage, D3DTSS_ADDRESSU, mode);
  device->SetTextureStageState(stage, D3DTSS_ADDRESSV, mode);
}

// The texture transform that maps the screen's 0..1 onto the placement rectangle.
// Two-component coordinates enter as (u, v, 1): the offset sits in the third row.
D3DMATRIX PlacementMatrix(const TextureRect& rect) {
  D3DMATRIX matrix{};
  matrix._11 = rect.right - rect.left;
  matrix._22 = rect.bottom - rect.top;
  matrix._31 = rect.left;
  matrix._32 = rect.top;
  matrix._33 = matrix._44 = 1.0f;
  return matrix;
}

// Whether the placement leaves bars beside the picture (left and right) or above and
// below it: only there does fit need black beyond the picture's edge.
bool HasSideBars(const TextureRect& rect) { return rect.left < 0.0f; }
bool HasTopBars(const TextureRect& rect) { return rect.top < 0.0f; }

// Paints the outermost texels of every level black on the sides with bars, so that
// clamping continues the picture with black where the device has no border colour.
void PaintBlackEdge(DecodedImage& image, const TextureRect& rect) {
  for (MipLevel& level : image.levels) {
    const int w = level.width;
    const int h = level.height;
    for (int x = 0; x < w && HasTopBars(rect); ++x) {
      level.pixels[static_cast<size_t>(x)] = kBorderColour;
      level.pixels[static_cast<size_t>(h - 1) * w + x] = kBorderColour;
    }
    for (int y = 0; y < h && HasSideBars(rect); ++y) {
      level.pixels[static_cast<size_t>(y) * w] = kBorderColour;
      level.pixels[static_cast<size_t>(y) * w + w - 1] = kBorderColour;
    }
  }
}

D3DMATRIX ToD3D(const Matrix4& matrix) {
  D3DMATRIX result;
  static_assert(sizeof result == sizeof matrix, "both are 4 x 4 floats, row-major");
  std::memcpy(&result, &matrix, sizeof result);
  return result;
}

// Copies rows of `source` to `destination` whose rows are `pitch` bytes apart.
void CopyLevel(const MipLevel& source, BYTE* destination, INT pitch) {
  const size_t rowBytes = static_cast<size_t>(source.width) * sizeof(uint32_t);
  for (int y = 0; y < source.height; ++y)
    std::memcpy(destination + static_cast<size_t>(y) * pitch,
                source.pixels.data() + static_cast<size_t>(y) * source.width, rowBytes);
}

// Copies a decoded mip chain into a new managed texture of format; null on failure.
// Every lock waits for Wine's command thread to finish what it is drawing, so the
// levels are written side by side into one system-memory surface under a single lock
// (level 0 on the left, the others stacked on its right) and copied into the texture
// by queued CopyRects, instead of one lock for each level.
IDirect3DTexture8* UploadTexture(IDirect3DDevice8* device, const DecodedImage& image,
                                 D3DFORMAT format) {
  const std::vector<MipLevel>& levels = image.levels;
  const MipLevel& top = levels.front();
  CCom<IDirect3DTexture8> texture;
  if (FAILED(device->CreateTexture(top.width, top.height, static_cast<UINT>(levels.size()), 0,
                                   format, D3DPOOL_MANAGED, &texture)))
    return nullptr;
  std::vector<RECT> places(levels.size());
  places[0] = {0, 0, top.width, top.height};
  LONG stackedHeight = 0;
  for (size_t level = 1; level < levels.size(); ++level) {
    places[level] = {top.width, stackedHeight, top.width + levels[level].width,
                     stackedHeight + levels[level].height};
    stackedHeight += levels[level].height;
  }
  const UINT stageWidth = top.width + (levels.size() > 1 ? levels[1].width : 0);
  const UINT stageHeight = std::max<UINT>(top.height, static_cast<UINT>(stackedHeight));
  CCom<IDirect3DSurface8> stage;
  if (FAILED(device->CreateImageSurface(stageWidth, stageHeight, format, &stage))) return nullptr;
  D3DLOCKED_RECT locked{};
  if (FAILED(stage->LockRect(&locked, nullptr, 0))) return nullptr;
  auto* bits = static_cast<BYTE*>(locked.pBits);
  for (size_t level = 0; level < levels.size(); ++level)
    CopyLevel(levels[level],
              bits + static_cast<size_t>(places[level].top) * locked.Pitch +
                  static_cast<size_t>(places[level].left) * sizeof(uint32_t),
              locked.Pitch);
  stage->UnlockRect();
  for (size_t level = 0; level < levels.size(); ++level) {
    CCom<IDirect3DSurface8> surface;
    const POINT origin{0, 0};
    if (FAILED(texture->GetSurfaceLevel(static_cast<UINT>(level), &surface)) ||
        FAILED(device->CopyRects(stage.Get(), &places[level], 1, surface.Get(), &origin)))
      return nullptr;
  }
  IDirect3DTexture8* result = texture.Get();
  result->AddRef();
  return result;
}
}  // namespace

CDrawer::CDrawer()
    : m_transition(std::make_unique<CTransition>(kGridColumns, kGridRows)),
      m_slideshow(*this, [this] {
        if (m_transition) m_transition->ChooseEffect();
      }) {}

CDrawer::~CDrawer() { Shutdown(); }

// ---------------------------------------------------------------------------------
// Device creation and the resources a Reset loses.

bool CDrawer::Init(HWND window, bool fullScreen, HMONITOR monitor) {
  m_fit = g_product.Fit;
  if (!CreateDevice(window, fullScreen, monitor)) return false;
  m_primaryScreen = monitor == nullptr;
  ApplyBrightness();
  if (!CreateDeviceResources()) return false;

  // Neither texture is required: without the font's texture the text is untextured.
  m_fontTexture = LoadTexture(kFontTextureName, 0, D3DFMT_UNKNOWN);
  m_defaultTexture = LoadTexture(kDefaultTextureName, 0, D3DFMT_UNKNOWN);
  if (!m_font.Load(kFontDescriptionName)) return false;
  m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClearColour, 1.0f, 0);

  CRandomScope random(OwnRandom());
  m_slideshow.DiscoverImages();
  m_slideshow.SetTimes(g_settings.KeepTime, g_settings.TransitionTime);
  return true;
}

bool CDrawer::CreateDevice(HWND window, bool fullScreen, HMONITOR monitor) {
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
    // Shown again by Shutdown, so that a report after a failed start is not left
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

// Slideshow pictures are decoded and placed for this size; a windowed device's size
// comes from the client area, so it is read back rather than taken from m_present.
void CDrawer::ReadBackBufferSize() {
  CCom<IDirect3DSurface8> back;
  D3DSURFACE_DESC desc{};
  if (FAILED(m_device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back)) ||
      FAILED(back->GetDesc(&desc)))
    return;
  m_backBufferWidth = static_cast<int>(desc.Width);
  m_backBufferHeight = static_cast<int>(desc.Height);
}

void CDrawer::ApplyBrightness() {
  m_appliedRamp.clear();
  if (!m_primaryScreen || g_settings.Brightness == 100) return;
  uint16_t values[kGammaRampSize];
  BuildBrightnessRamp(g_settings.Brightness, values);
  D3DGAMMARAMP ramp;
  for (int i = 0; i < kGammaRampSize; ++i) ramp.red[i] = ramp.green[i] = ramp.blue[i] = values[i];
  m_device->SetGammaRamp(kGammaCalibrate, &ramp);
  m_appliedRamp.assign(values, values + kGammaRampSize);
}

bool CDrawer::CreateDeviceResources() {
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
  return true;
}

void CDrawer::ReleaseDeviceResources() {
  if (m_device) {
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

void CDrawer::SetFixedStates() {
  IDirect3DDevice8* device = m_device.Get();
  device->SetRenderState(D3DRS_NORMALIZENORMALS, FALSE);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  device->SetRenderState(D3DRS_DITHERENABLE, TRUE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  SetStandardStage0(device);
  for (DWORD stage = 0; stage < 4; ++stage) {
    device->SetTextureStageState(stage, D3DTSS_MINFILTER, D3DTEXF_ANISOTROPIC);
    device->SetTextureStageState(stage, D3DTSS_MAGFILTER, D3DTEXF_ANISOTROPIC);
    device->SetTextureStageState(stage, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
  }
}

bool CDrawer::Recover() {
  const HRESULT level = m_device->TestCooperativeLevel();
  // D3DERR_DEVICELOST: not ours yet; ask again next frame.
  if (level != D3D_OK && level != D3DERR_DEVICENOTRESET) return false;
  if (level == D3DERR_DEVICENOTRESET || m_sizeChanged) {
    // A windowed device's zero size in the parameters takes the client area again.
    ReleaseDeviceResources();
    D3DPRESENT_PARAMETERS present = m_present;
    if (FAILED(m_device->Reset(&present))) return false;
    if (!CreateDeviceResources()) {
      ReleaseDeviceResources();
      return false;
    }
    ApplyBrightness();
    // The placement follows the new size; pictures already made keep their decode.
    ReadBackBufferSize();
  }
  m_deviceLost = m_sizeChanged = false;
  return true;
}

// ---------------------------------------------------------------------------------
// Textures.

IDirect3DTexture8* CDrawer::LoadTexture(const char* name, unsigned mipLevels, D3DFORMAT format) {
  if (name == nullptr || !m_device) return nullptr;
  for (size_t i = 0; i < m_cacheNames.size(); ++i) {
    if (_mbsicmp(reinterpret_cast<const unsigned char*>(m_cacheNames[i].c_str()),
                 reinterpret_cast<const unsigned char*>(name)) == 0)
      return m_cacheTextures[i].Get();
  }
  // Failures are not cached, so a later call tries again.
  IDirect3DTexture8* texture =
      CreateTextureFromFile(name, MakeRequest(mipLevels, 0, 0, false), format);
  if (texture == nullptr) return nullptr;
  m_cacheNames.emplace_back(name);
  m_cacheTextures.emplace_back(texture);
  return texture;
}

IDirect3DTexture8* CDrawer::LoadImageTexture(const char* name, bool screenSized) {
  if (!m_device) return nullptr;
  IDirect3DTexture8* texture =
      CreateTextureFromFile(name, MakeRequest(0, 0, 0, screenSized), D3DFMT_UNKNOWN);
  if (texture == nullptr)
    texture = CreateTextureFromFile(
        name, MakeRequest(0, kFallbackImageSide, kFallbackImageSide, false), D3DFMT_UNKNOWN);
  return texture;
}

ImageRequest CDrawer::MakeRequest(unsigned mipLevels, int width, int height,
                                  bool screenSized) const {
  ImageRequest request;
  request.width = width;
  request.height = height;
  request.mipLevels = static_cast<int>(mipLevels);
  if (screenSized) {
    request.screenWidth = m_backBufferWidth;
    request.screenHeight = m_backBufferHeight;
    request.fit = m_fit;
  }
  // Power-of-two sides only where the device needs them: stretching a 1920 x 1080
  // photo to 2048 x 2048 costs time and memory for nothing elsewhere.
  request.powerOfTwo = (m_caps.TextureCaps & D3DPTEXTURECAPS_POW2) != 0;
  const DWORD maxSide = std::min(m_caps.MaxTextureWidth, m_caps.MaxTextureHeight);
  request.maxSize = maxSide > 0 ? static_cast<int>(std::min<DWORD>(maxSide, kMaxImageSide)) : 0;
  return request;
}

bool CDrawer::DecodeFile(const char* name, const ImageRequest& request, DecodedImage& image) {
  // The archive's copy lives only until the pixels are decoded.
  std::unique_ptr<IFileData> file = ReadArchiveFile(name, false);
  return file && DecodeImage(file->GetData(), static_cast<size_t>(file->GetSize()), request, image);
}

IDirect3DTexture8* CDrawer::CreateTextureFromFile(const char* name, const ImageRequest& request,
                                                  D3DFORMAT format) {
  DecodedImage image;
  if (!DecodeFile(name, request, image)) return nullptr;
  return CreateTexture(image, format);
}

std::unique_ptr<SlidePicture> CDrawer::LoadPicture(const char* name) {
  DecodedImage image;
  if (!m_device || !DecodeFile(name, MakeRequest(0, 0, 0, true), image)) return nullptr;
  return MakePicture(image, name);
}

std::unique_ptr<SlidePicture> CDrawer::MakePicture(DecodedImage& image, const char* name) {
  auto picture = std::make_unique<SlidePicture>();
  picture->width = image.sourceWidth;
  picture->height = image.sourceHeight;
  const TextureRect rect =
      PlacePicture(picture->width, picture->height, m_backBufferWidth, m_backBufferHeight, m_fit);
  const bool blackEdge = m_fit == FitMode::Fit && !m_borderAddressing;
  if (blackEdge) PaintBlackEdge(image, rect);
  picture->texture = CCom<IDirect3DTexture8>(CreateTexture(image, D3DFMT_UNKNOWN));
  // A device that cannot take the texture gets the picture at 1024 x 1024, decoded
  // again here: a rare path that is not worth a second kind of job.
  DecodedImage small;
  if (!picture->texture &&
      DecodeFile(name, MakeRequest(0, kFallbackImageSide, kFallbackImageSide, false), small)) {
    if (blackEdge) PaintBlackEdge(small, rect);
    picture->texture = CCom<IDirect3DTexture8>(CreateTexture(small, D3DFMT_UNKNOWN));
  }
  if (!picture->texture) return nullptr;
  return picture;
}

IDirect3DTexture8* CDrawer::CreateTexture(const DecodedImage& image, D3DFORMAT format) {
  if (image.levels.empty()) return nullptr;
  if (format == D3DFMT_UNKNOWN) format = image.hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
  // The decoder gives 32-bit pixels only.
  if (format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8) return nullptr;
  return UploadTexture(m_device.Get(), image, format);
}

bool CDrawer::HasImage(int number) {
  return ReadArchiveFile(ImageFileName(number).c_str(), true) != nullptr;
}

ImageHandle CDrawer::LoadImage(int number) {
  return LoadPicture(ImageFileName(number).c_str()).release();
}

void CDrawer::ReleaseImage(ImageHandle image) { delete static_cast<SlidePicture*>(image); }

bool CDrawer::BeginImage(int number) {
  if (!m_device || m_released) return false;
  // Handed to the worker once this frame is presented (StartDecode), so that the
  // frame that starts a cycle does not share the processor with the decode.
  m_pendingNumber = number;
  m_decodeWaiting = true;
  return true;
}

void CDrawer::StartDecode() {
  if (!m_decodeWaiting) return;
  m_decodeWaiting = false;
  m_worker.Begin(ImageFileName(m_pendingNumber), MakeRequest(0, 0, 0, true));
}

bool CDrawer::TakeImage(ImageHandle* image) {
  DecodedImage decoded;
  if (!m_worker.Take(decoded)) return false;
  // A picture that failed to decode costs its cycle's transition, with no message.
  *image = nullptr;
  if (decoded.levels.empty() || !m_device) return true;
  *image = MakePicture(decoded, ImageFileName(m_pendingNumber).c_str()).release();
  return true;
}

void CDrawer::CancelImage() {
  m_decodeWaiting = false;
  m_worker.Cancel();
}

// ---------------------------------------------------------------------------------
// Frames.

void CDrawer::Frame() {
  if (g_pApp != nullptr) {
    m_currentTime = g_pApp->GetTime();
    m_frameTime = g_pApp->GetFrameTime();
  }
  if (!m_device || m_released) return;
  // A lost device draws nothing until it can be reset (another program took the
  // full screen, or the display mode changed under us).
  if ((m_deviceLost || m_sizeChanged) && !Recover()) return;

  CRandomScope random(OwnRandom());
  const float progress = m_slideshow.Step(m_currentTime);
  const float* mask = m_transition->ComputeMask(progress);
  const auto* current = static_cast<const SlidePicture*>(m_slideshow.GetCurrentImage());
  const auto* next = static_cast<const SlidePicture*>(m_slideshow.GetNextImage());
  if (!DrawScene(current, next, mask)) {
    if (m_device->TestCooperativeLevel() != D3D_OK) m_deviceLost = true;
  } else if (m_device->Present(nullptr, nullptr, nullptr, nullptr) == D3DERR_DEVICELOST) {
    m_deviceLost = true;
  }
  StartDecode();
}

bool CDrawer::DrawScene(const SlidePicture* current, const SlidePicture* next, const float* mask) {
  if (!m_device || !m_vertexBuffer) return false;
  if (FAILED(m_device->BeginScene())) return false;
  m_vertexBuffer->StartFrame();
  m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClearColour, 1.0f, 0);
  SetTransforms();
  // A scene left open would make every later BeginScene fail.
  const bool filled = FillGrid(mask);
  if (filled) {
    DrawComposite(current, next);
    DrawOverlays();
  }
  m_device->EndScene();
  return filled;
}

void CDrawer::SetTransforms() {
  D3DMATRIX identity{};
  identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
  m_device->SetTransform(D3DTS_WORLD, &identity);
  m_device->SetTransform(D3DTS_VIEW, &identity);
  // Normalised screen units, y downwards: left 0, right 1, bottom 1, top 0.
  const D3DMATRIX projection = ToD3D(MatrixOrthoOffCenterLH(0.0f, 1.0f, 1.0f, 0.0f, 0.0f, 1.0f));
  m_device->SetTransform(D3DTS_PROJECTION, &projection);
}

bool CDrawer::FillGrid(const float* mask) {
  unsigned first = 0;
  ScreenVertex* vertices = m_vertexBuffer->Lock(kGridVertexCount, &first);
  if (vertices == nullptr) return false;
  FillGridVertices(mask, vertices);
  m_vertexBuffer->Unlock();
  // The grid is the frame's first lock, so it always starts at vertex 0, where the
  // indices point.
  return first == 0;
}

void CDrawer::DrawGrid() {
  m_device->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, kGridVertexCount, 0, kGridTriangleCount);
}

void CDrawer::DrawComposite(const SlidePicture* current, const SlidePicture* next) {
  if (m_textureStages == 1)
    DrawCompositeTwoPass(current, next);
  else
    DrawCompositeOnePass(current, next);
}

// Two passes: the current image opaque, then the next one blended by the vertex alpha.
void CDrawer::DrawCompositeTwoPass(const SlidePicture* current, const SlidePicture* next) {
  IDirect3DDevice8* device = m_device.Get();
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_ZENABLE, FALSE);
  SetStandardStage0(device);
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
void CDrawer::DrawCompositeOnePass(const SlidePicture* current, const SlidePicture* next) {
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

  SetStandardStage0(device);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  EndPlacement(0);
  EndPlacement(1);
  // The next image stays bound to stage 1 only while it is in use.
  device->SetTexture(1, nullptr);
}

void CDrawer::BindPicture(DWORD stage, const SlidePicture* picture) {
  IDirect3DDevice8* device = m_device.Get();
  device->SetTexture(stage, picture != nullptr ? picture->texture.Get() : nullptr);
  if (picture == nullptr || m_fit == FitMode::Stretch) {
    SetAddressing(device, stage, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    return;
  }
  const TextureRect rect =
      PlacePicture(picture->width, picture->height, m_backBufferWidth, m_backBufferHeight, m_fit);
  // Fit shows black beyond the picture: the border colour where the device has one,
  // else the black edge its texels were given at load, continued by clamping. Only
  // the axis with bars takes the border, so the other keeps its edge texels whole.
  device->SetTextureStageState(stage, D3DTSS_BORDERCOLOR, kBorderColour);
  const D3DTEXTUREADDRESS border = m_borderAddressing ? D3DTADDRESS_BORDER : D3DTADDRESS_CLAMP;
  device->SetTextureStageState(stage, D3DTSS_ADDRESSU,
                               HasSideBars(rect) ? border : D3DTADDRESS_CLAMP);
  device->SetTextureStageState(stage, D3DTSS_ADDRESSV,
                               HasTopBars(rect) ? border : D3DTADDRESS_CLAMP);
  const D3DMATRIX matrix = PlacementMatrix(rect);
  device->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + stage), &matrix);
  device->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
}

void CDrawer::EndPlacement(DWORD stage) {
  m_device->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
  SetAddressing(m_device.Get(), stage, D3DTADDRESS_WRAP);
}

// ---------------------------------------------------------------------------------
// Overlays.

void CDrawer::SetOverlayStates() {
  m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  m_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  m_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  m_device->SetRenderState(D3DRS_ZENABLE, FALSE);
}

void CDrawer::DrawOverlays() {
  if (g_settings.FPS != 0) DrawFps();
  if (g_settings.ShowTime != 0) DrawClock();
}

void CDrawer::DrawFps() {
  const std::string text = UpdateFpsText(m_fps, m_currentTime, m_frameTime);
  SetOverlayStates();
  OutText(0.0f, 0.0f, kFpsTextSize, kFpsTextSize, kOverlayColour, text.c_str());
}

void CDrawer::DrawClock() {
  SetOverlayStates();
  const int corner = ClockCorner(m_currentTime, g_settings.FPS != 0);
  SYSTEMTIME now{};
  GetLocalTime(&now);
  m_clockText = FormatClockText(now.wHour, now.wMinute, m_currentTime, g_settings.Clock24h != 0);
  float x = 0.0f, y = 0.0f;
  ClockPosition(corner, m_font.GetTextWidth(m_clockText.c_str(), kClockTextSize), &x, &y);
  OutText(x, y, kClockTextSize, kClockTextSize, kOverlayColour, m_clockText.c_str());
}

void CDrawer::OutText(float x, float y, float size, float height, uint32_t colour,
                      const char* text) {
  RunInErrorFrame("CDrawer::OutText", [&] {
    if (text == nullptr || !m_vertexBuffer) return;
    const size_t length = std::strlen(text);
    if (length == 0 || length * 4 > CDynamicVertexBuffer::kCapacity) return;
    const auto count = static_cast<unsigned>(length * 4);
    unsigned first = 0;
    // Appended behind the grid of the same frame, never discarding it.
    ScreenVertex* vertices = m_vertexBuffer->Lock(count, &first);
    if (vertices == nullptr) return;
    WriteTextQuads(m_font, x, y, size, height, colour, text, length, vertices);
    m_vertexBuffer->Unlock();
    m_device->SetTexture(0, m_fontTexture);
    for (size_t i = 0; i < length; ++i)
      m_device->DrawPrimitive(D3DPT_TRIANGLESTRIP, first + static_cast<UINT>(4 * i), 2);
  });
}

// ---------------------------------------------------------------------------------
// Release, in a fixed order; the device goes after everything made from it.

void CDrawer::Shutdown() {
  if (m_released) return;
  m_released = true;
  // First, so that a decode in progress gives up now rather than finishing.
  m_worker.Stop();
  m_fontTexture = nullptr;
  m_defaultTexture = nullptr;
  if (m_device) {
    for (DWORD stage = 0; stage < 2; ++stage) m_device->SetTexture(stage, nullptr);
  }
  m_cacheTextures.clear();
  m_cacheNames.clear();
  m_savedRenderTarget.Reset();
  m_savedDepthStencil.Reset();
  m_slideshow.ReleaseImages();
  ReleaseDeviceResources();
  m_device.Reset();
  m_direct3D.Reset();
  m_transition.reset();
  if (m_cursorHidden) ShowCursor(TRUE);
  m_cursorHidden = false;
}
