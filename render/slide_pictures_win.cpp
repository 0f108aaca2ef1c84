// Textures from archive files: the cached fixed ones and the slideshow's pictures,
// decoded by the worker or at once, uploaded into the managed pool.
#include "render/slide_pictures.h"

#include <mbstring.h>

#include <algorithm>
#include <cstring>

#include "data/content_archive.h"
#include "data/content_layout.h"

namespace {
// Size a slideshow image is asked at when its own size fails.
constexpr int kFallbackImageSide = 1024;

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

IDirect3DTexture8* CSlidePictures::LoadTexture(const char* name, unsigned mipLevels,
                                               D3DFORMAT format) {
  if (name == nullptr || !m_device.Get()) return nullptr;
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

IDirect3DTexture8* CSlidePictures::LoadImageTexture(const char* name, bool screenSized) {
  if (!m_device.Get()) return nullptr;
  IDirect3DTexture8* texture =
      CreateTextureFromFile(name, MakeRequest(0, 0, 0, screenSized), D3DFMT_UNKNOWN);
  if (texture == nullptr)
    texture = CreateTextureFromFile(
        name, MakeRequest(0, kFallbackImageSide, kFallbackImageSide, false), D3DFMT_UNKNOWN);
  return texture;
}

ImageRequest CSlidePictures::MakeRequest(unsigned mipLevels, int width, int height,
                                         bool screenSized) const {
  ImageRequest request;
  request.width = width;
  request.height = height;
  request.mipLevels = static_cast<int>(mipLevels);
  if (screenSized) {
    request.screenWidth = m_device.GetBackBufferWidth();
    request.screenHeight = m_device.GetBackBufferHeight();
    request.fit = m_fit;
    request.screenScale = m_closeUp;
    // Only fit leaves part of the screen uncovered.
    request.backdrop = m_backdrops && m_fit == FitMode::Fit;
  }
  const D3DCAPS8& caps = m_device.GetCaps();
  // Power-of-two sides only where the device needs them: stretching a 1920 x 1080
  // photo to 2048 x 2048 costs time and memory for nothing elsewhere.
  request.powerOfTwo = (caps.TextureCaps & D3DPTEXTURECAPS_POW2) != 0;
  const DWORD maxSide = std::min(caps.MaxTextureWidth, caps.MaxTextureHeight);
  request.maxSize = maxSide > 0 ? static_cast<int>(std::min<DWORD>(maxSide, kMaxImageSide)) : 0;
  return request;
}

bool CSlidePictures::DecodeFile(const char* name, const ImageRequest& request,
                                DecodedImage& image) {
  // The archive's copy lives only until the pixels are decoded.
  ImageRequest stoppable = request;
  stoppable.stop = &m_stopLoads;
  std::unique_ptr<IFileData> file = ReadArchiveFile(name, false, &m_stopLoads);
  return file &&
         DecodeImage(file->GetData(), static_cast<size_t>(file->GetSize()), stoppable, image);
}

IDirect3DTexture8* CSlidePictures::CreateTextureFromFile(const char* name,
                                                         const ImageRequest& request,
                                                         D3DFORMAT format) {
  DecodedImage image;
  if (!DecodeFile(name, request, image)) return nullptr;
  return CreateTexture(image, format);
}

std::unique_ptr<SlidePicture> CSlidePictures::LoadPicture(const char* name) {
  DecodedImage image;
  if (!m_device.Get() || !DecodeFile(name, MakeRequest(0, 0, 0, true), image)) return nullptr;
  return MakePicture(image, name);
}

std::unique_ptr<SlidePicture> CSlidePictures::MakePicture(DecodedImage& image, const char* name) {
  auto picture = std::make_unique<SlidePicture>();
  picture->width = image.sourceWidth;
  picture->height = image.sourceHeight;
  picture->hasFocus = image.hasFocus;
  picture->focus = image.focus;
  picture->texture = CCom<IDirect3DTexture8>(CreateTexture(image, D3DFMT_UNKNOWN));
  // A device that cannot take the texture gets the picture at 1024 x 1024, decoded
  // again here: a rare path that is not worth a second kind of job.
  DecodedImage small;
  if (!picture->texture &&
      DecodeFile(name, MakeRequest(0, kFallbackImageSide, kFallbackImageSide, false), small))
    picture->texture = CCom<IDirect3DTexture8>(CreateTexture(small, D3DFMT_UNKNOWN));
  if (!picture->texture) return nullptr;
  if (!image.backdrop.pixels.empty()) {
    DecodedImage backdrop;
    backdrop.levels.push_back(std::move(image.backdrop));
    // Without it the bars are black, as without the option.
    picture->backdrop = CCom<IDirect3DTexture8>(CreateTexture(backdrop, D3DFMT_X8R8G8B8));
  }
  return picture;
}

ImageHandle CSlidePictures::MakeSlide(DecodedImage& image, int number, int partner) {
  if (image.levels.empty() || !m_device.Get()) return nullptr;
  const int shown = image.partnerAlone ? partner : number;
  std::unique_ptr<SlidePicture> picture = MakePicture(image, ImageFileName(shown).c_str());
  if (!picture) return nullptr;
  picture->number = shown;
  picture->partner = image.pair ? partner : -1;
  return picture.release();
}

IDirect3DTexture8* CSlidePictures::CreateTexture(const DecodedImage& image, D3DFORMAT format) {
  if (image.levels.empty()) return nullptr;
  if (format == D3DFMT_UNKNOWN) format = image.hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
  // The decoder gives 32-bit pixels only.
  if (format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8) return nullptr;
  return UploadTexture(m_device.Get(), image, format);
}

bool CSlidePictures::HasImage(int number) {
  return ReadArchiveFile(ImageFileName(number).c_str(), true) != nullptr;
}

ImageHandle CSlidePictures::LoadImage(int number) {
  std::unique_ptr<SlidePicture> picture = LoadPicture(ImageFileName(number).c_str());
  if (picture) picture->number = number;
  return picture.release();
}

void CSlidePictures::ScanShapes(int count) {
  std::vector<std::string> names;
  for (int number = 0; number < count; ++number) names.push_back(ImageFileName(number));
  m_worker.ScanShapes(std::move(names));
}

PictureShape CSlidePictures::GetImageShape(int number) {
  return number < 0 ? PictureShape::Unknown : m_worker.GetShape(static_cast<size_t>(number));
}

ImageHandle CSlidePictures::LoadPair(int first, int second) {
  if (!m_device.Get()) return nullptr;
  ImageRequest request = MakeRequest(0, 0, 0, true);
  request.stop = &m_stopLoads;
  DecodedImage image;
  PrepareSlide(CDecodeWorker::ArchiveReader(), ImageFileName(first), ImageFileName(second), request,
               image);
  return MakeSlide(image, first, second);
}

bool CSlidePictures::BeginPair(int first, int second) {
  if (!BeginImage(first)) return false;
  m_pendingPartner = second;
  return true;
}

void CSlidePictures::ReleaseImage(ImageHandle image) { delete static_cast<SlidePicture*>(image); }

bool CSlidePictures::BeginImage(int number) {
  if (!m_device.Get() || m_stopped) return false;
  m_pendingNumber = number;
  m_pendingPartner = -1;
  m_decodeWaiting = true;
  return true;
}

void CSlidePictures::StartDecode() {
  if (!m_decodeWaiting) return;
  m_decodeWaiting = false;
  const ImageRequest request = MakeRequest(0, 0, 0, true);
  if (m_pendingPartner < 0)
    m_worker.Begin(ImageFileName(m_pendingNumber), request);
  else
    m_worker.BeginPair(ImageFileName(m_pendingNumber), ImageFileName(m_pendingPartner), request);
}

bool CSlidePictures::TakeImage(ImageHandle* image) {
  DecodedImage decoded;
  if (!m_worker.Take(decoded)) return false;
  // A picture that failed to decode costs its cycle's transition, with no message.
  *image = MakeSlide(decoded, m_pendingNumber, m_pendingPartner);
  return true;
}

void CSlidePictures::CancelImage() {
  m_decodeWaiting = false;
  m_worker.Cancel();
}

void CSlidePictures::RequestStop() {
  m_stopped = true;
  m_stopLoads = true;
  m_worker.RequestStop();
}

void CSlidePictures::Stop() {
  m_stopped = true;
  m_stopLoads = true;
  m_worker.Stop();
}

void CSlidePictures::Release() {
  Stop();
  m_cacheTextures.clear();
  m_cacheNames.clear();
}
