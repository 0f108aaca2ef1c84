// The renderer's textures: the cache of fixed textures (font, default texture) and the
// slideshow's pictures, decoded ahead by the worker and made textures on the render
// thread. It is the image source the slideshow asks.
#pragma once

#include <windows.h>

#include <d3d8.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "base/screen_options.h"
#include "render/com_ptr.h"
#include "render/decode_worker.h"
#include "render/image_decoder.h"
#include "render/image_source.h"
#include "render/picture_motion.h"
#include "render/picture_placement.h"
#include "render/render_device.h"

// A slideshow picture: its texture and the picture's own size, which the texture's
// (scaled, perhaps to powers of two) does not keep and the placement needs, and the
// focus that placement and motion keep in view.
struct SlidePicture {
  CCom<IDirect3DTexture8> texture;
  int width = 0;  // pixels of the picture as packaged
  int height = 0;
  bool hasFocus = false;  // the picture carries a focus record (data/focus_record.h)
  FocusRect focus;        // 0..1 of the picture; meaningful with hasFocus
  PictureMotion motion;   // its pan and zoom while on screen, when pictures move
  int number = -1;        // the slideshow image it shows (for its caption); -1: another picture
  int partner = -1;       // a pair's second image, shown beside `number`; -1: none
  // Blurred and darkened, for the screen the picture leaves uncovered; null: black.
  CCom<IDirect3DTexture8> backdrop;
};

class CSlidePictures : public IImageSource {
 public:
  explicit CSlidePictures(CRenderDevice& device) : m_device(device) {}
  ~CSlidePictures() override { Release(); }
  CSlidePictures(const CSlidePictures&) = delete;
  CSlidePictures& operator=(const CSlidePictures&) = delete;

  // How pictures meet the screen's shape: decides their decode size.
  void SetFitMode(FitMode mode) { m_fit = mode; }
  // Pictures that zoom in by up to `zoom` are decoded that many times the screen's
  // size, where the photo has the pixels and the device takes the texture.
  void SetCloseUp(double zoom) { m_closeUp = zoom; }
  // Whether pictures that leave part of the screen uncovered (fit) bring a blurred,
  // darkened copy of themselves for it.
  void SetBackdrops(bool backdrops) { m_backdrops = backdrops; }
  // Starts reading the shapes of images 0 .. count - 1 on the worker, for pairing.
  void ScanShapes(int count);

  // A texture made from an archive file, cached by name (letter case ignored). The
  // cache keeps the only reference; null when the file is missing or undecodable.
  IDirect3DTexture8* LoadTexture(const char* name, unsigned mipLevels, D3DFORMAT format);
  size_t GetCachedTextureCount() const { return m_cacheNames.size(); }

  // A slideshow image's texture with the picture's own size, with a retry at
  // 1024 x 1024 for a device that cannot take it at its size; null when the image
  // cannot be loaded.
  std::unique_ptr<SlidePicture> LoadPicture(const char* name);
  // A new texture of a slideshow image (the caller owns the reference), with a
  // retry at 1024 x 1024 for a device that cannot take it at its own size. Unless
  // screenSized is false, no side is larger than the back buffer's (rounded up to a
  // power of two on devices that need it).
  IDirect3DTexture8* LoadImageTexture(const char* name, bool screenSized = true);

  // IImageSource over the archive and the texture loader; the next picture is decoded
  // by the worker and only made a texture here.
  bool HasImage(int number) override;
  ImageHandle LoadImage(int number) override;
  void ReleaseImage(ImageHandle image) override;
  bool BeginImage(int number) override;
  bool TakeImage(ImageHandle* image) override;
  void CancelImage() override;
  PictureShape GetImageShape(int number) override;
  ImageHandle LoadPair(int first, int second) override;
  bool BeginPair(int first, int second) override;
  // Hands the image BeginImage chose to the worker; called when a frame is done, so
  // that the frame that starts a cycle does not share the processor with the decode.
  void StartDecode();

  // Tells the worker to end without waiting for it (a decode in progress gives up at
  // its next row); Begin afterwards does nothing.
  void RequestStop();
  // RequestStop, then waits for the worker.
  void Stop();
  // Stops and lets go of every cached texture; a second call does nothing.
  void Release();

 private:
  // What to ask the decoder for, from the device's caps (and the back buffer's size
  // and the fit mode when screenSized).
  ImageRequest MakeRequest(unsigned mipLevels, int width, int height, bool screenSized) const;
  // Reads and decodes an archive file; false when it is missing or undecodable.
  bool DecodeFile(const char* name, const ImageRequest& request, DecodedImage& image);
  IDirect3DTexture8* CreateTextureFromFile(const char* name, const ImageRequest& request,
                                           D3DFORMAT format);
  IDirect3DTexture8* CreateTexture(const DecodedImage& image, D3DFORMAT format);
  // A slideshow picture from its decoded levels, retried at 1024 x 1024 from file
  // `name` when the device cannot take the texture; null when neither works. The
  // texels are the picture's alone: fit's bars are the compositor's, drawn from the
  // placement of each frame, so a resize that moves them cannot smear the edges.
  std::unique_ptr<SlidePicture> MakePicture(DecodedImage& image, const char* name);
  // The slideshow's picture of a slide: image `number` alone, or beside `partner`
  // (-1: none) as the decoded image says it came out; null when nothing was decoded.
  ImageHandle MakeSlide(DecodedImage& image, int number, int partner);

  CRenderDevice& m_device;
  FitMode m_fit = kDefaultFit;
  double m_closeUp = 1.0;    // the screen's size is multiplied by this for a picture's decode
  bool m_backdrops = false;  // fit's bars show a blurred copy of the picture
  // The texture cache: parallel lists, entry i is one texture.
  std::vector<std::string> m_cacheNames;                 // as the caller passed them
  std::vector<CCom<IDirect3DTexture8>> m_cacheTextures;  // the only references
  CDecodeWorker m_worker;
  int m_pendingNumber = -1;      // image the worker prepares for the slideshow
  int m_pendingPartner = -1;     // and the image beside it; -1: none
  bool m_decodeWaiting = false;  // m_pendingNumber is not yet handed to the worker
  bool m_stopped = false;        // Stop ran: no picture is begun any more
  // Set by RequestStop: a load on the caller's thread (the first cycle's) gives up too.
  std::atomic<bool> m_stopLoads{false};
};
