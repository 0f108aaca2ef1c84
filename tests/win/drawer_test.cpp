// The renderer on a real Direct3D 8 device under Wine: what the composite, the
// overlays and the texture cache put into the back buffer, read back pixel by pixel,
// and recovery from a lost device.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/random.h"
#include "base/settings.h"
#include "data/content_archive.h"
#include "data/focus_record.h"
#include "render/drawer.h"
#include "render/grid_mesh.h"
#include "render/transition.h"
#include "tests/support/product_fixture.h"
#include "tests/win/support/saver_harness.h"
#include "tests/win/support/slideshow_content.h"
#include "ui/saver_wnd.h"

namespace {
constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF,
                   kBlack = 0x000000, kOlive = 0x808000;
const uint32_t kImageColours[] = {kRed, kGreen, kBlue};  // images/0.jpg, 1 and 2
constexpr int kTolerance = 24;  // per channel: JPEG and filtering blur the edges a little

bool ColourNear(uint32_t actual, uint32_t expected) {
  return ColoursMatch(actual, expected, kTolerance);
}

// The back buffer copied into system memory (GetFrontBuffer reads black under Wine).
struct BackBuffer {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  // The pixel at a fraction of the width and height.
  uint32_t At(double fx, double fy) const {
    const int x = static_cast<int>(fx * (width - 1));
    const int y = static_cast<int>(fy * (height - 1));
    return pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF;
  }
};

void ReadBackBuffer(IDirect3DDevice8* device, BackBuffer* out) {
  CCom<IDirect3DSurface8> back;
  ASSERT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
  D3DSURFACE_DESC desc{};
  ASSERT_EQ(back->GetDesc(&desc), D3D_OK);
  ASSERT_TRUE(desc.Format == D3DFMT_X8R8G8B8 || desc.Format == D3DFMT_A8R8G8B8) << desc.Format;
  CCom<IDirect3DSurface8> copy;
  ASSERT_EQ(device->CreateImageSurface(desc.Width, desc.Height, desc.Format, &copy), D3D_OK);
  ASSERT_EQ(device->CopyRects(back.Get(), nullptr, 0, copy.Get(), nullptr), D3D_OK);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  out->width = static_cast<int>(desc.Width);
  out->height = static_cast<int>(desc.Height);
  out->pixels.resize(static_cast<size_t>(out->width) * out->height);
  for (int y = 0; y < out->height; ++y)
    std::memcpy(&out->pixels[static_cast<size_t>(y) * out->width],
                static_cast<const char*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch,
                out->width * sizeof(uint32_t));
  copy->UnlockRect();
}

std::string g_productPath;

// A 4K photo stand-in: smooth colour ramps under a 96-pixel grid of soft bright
// bars, detail that a badly scaled decode would smear or shift.
std::string PhotoJpeg() {
  constexpr int kWidth = 3840, kHeight = 2160;
  std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const bool bar = (x % 96) < 24 || (y % 96) < 24;
      const uint32_t r = x * 200 / kWidth + (bar ? 55 : 0), g = y * 200 / kHeight,
                     b = bar ? 230 : 40;
      pixels[static_cast<size_t>(y) * kWidth + x] = 0xFF000000u | (r << 16) | (g << 8) | b;
    }
  }
  JpegOptions options;
  options.quality = 95;
  options.progressive = true;
  return ToString(EncodeJpeg(pixels, kWidth, kHeight, options));
}

// Default-pool objects of another part that cannot be made the first `failures` times
// they are asked for.
struct CFlakyResources : IDeviceResources {
  bool CreateDeviceResources(IDirect3DDevice8*) override { return ++creates > failures; }
  void ReleaseDeviceResources() override {}
  int failures = 0;
  int creates = 0;
};

// A 300 x 400 blue portrait with a white band over rows [top, bottom) (fractions of
// its height), carrying a focus record around the band when `focused`.
std::string BandedPortraitJpeg(double top, double bottom, bool focused) {
  constexpr int kWidth = 300, kHeight = 400;
  std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight, 0xFF0000FFu);
  for (int y = static_cast<int>(top * kHeight); y < static_cast<int>(bottom * kHeight); ++y)
    std::fill_n(pixels.begin() + static_cast<ptrdiff_t>(y) * kWidth, kWidth, 0xFFFFFFFFu);
  std::string jpeg = ToString(EncodeJpeg(pixels, kWidth, kHeight));
  std::string marked;
  const FocusRecord focus{0.0f,   static_cast<float>(top), 1.0f, static_cast<float>(bottom), kWidth,
                          kHeight};
  if (focused && InsertFocusRecord(jpeg, focus, marked)) jpeg = marked;
  return jpeg;
}

class DrawerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::vector<ContentEntry> content = SlideshowContent(
        "Drawer Test", "QuillSaver Tests", {std::begin(kImageColours), std::end(kImageColours)});
    content.push_back({"textures/wide.jpg", SolidJpeg(kWhite, 600, 300)});
    content.push_back({"textures/photo.jpg", PhotoJpeg()});
    content.push_back({"textures/square.jpg", SolidJpeg(kWhite, 256, 256)});
    // A panorama that fit shrinks to a texture one or two texels high.
    content.push_back({"textures/panorama.jpg", SolidJpeg(kWhite, 2048, 8)});
    // A default texture no picture and no bar has: it stands in for a failed picture.
    for (ContentEntry& entry : content)
      if (entry.name == kDefaultTextureName) entry.data = SolidJpeg(kOlive, 16, 16);
    // A mark in the top fifth: shown by the 38 % rule alone, or by its focus record.
    content.push_back({"textures/portrait.jpg", BandedPortraitJpeg(0.10, 0.16, false)});
    content.push_back({"textures/focused.jpg", BandedPortraitJpeg(0.02, 0.06, true)});
    g_productPath = (FixtureFolder("drawer") / "drawer.scr").string();
    std::string error;
    ASSERT_TRUE(WriteProduct(g_productPath, FakeEngine(4096), content, &error)) << error;
  }

  void SetUp() override {
    ASSERT_TRUE(OpenContentArchive(g_productPath.c_str()));
    SetDefaults();
    g_settings.ShowTime = 0;
    ASSERT_TRUE(m_window.Create(GetModuleHandleA(nullptr), 1));
  }
  void TearDown() override {
    m_drawer.reset();
    m_window.Destroy();
    CloseContentArchive();
  }

  // Draws current and next blended by effect 0 at progress p, and reads it back.
  void DrawWipe(float p, const char* current, const char* next, BackBuffer* out) {
    std::unique_ptr<SlidePicture> a = m_drawer->LoadPicture(current);
    std::unique_ptr<SlidePicture> b = m_drawer->LoadPicture(next);
    ASSERT_TRUE(a && b);
    DrawWipe(p, a.get(), b.get(), out);
  }
  void DrawWipe(float p, const SlidePicture* current, const SlidePicture* next, BackBuffer* out) {
    CTransition transition(kGridColumns, kGridRows);
    ASSERT_TRUE(transition.SetEffect(0, 0.5f, 0.5f));
    ASSERT_TRUE(m_drawer->DrawScene(current, next, transition.ComputeMask(p)));
    ReadBackBuffer(m_drawer->GetDevice(), out);
  }
  // Resizes the window's client area and has the next frame reset the device to it.
  void ResizeClient(int width, int height) {
    RECT frame{0, 0, width, height};
    AdjustWindowRect(&frame, static_cast<DWORD>(GetWindowLongA(m_window.GetHandle(), GWL_STYLE)),
                     FALSE);
    SetWindowPos(m_window.GetHandle(), nullptr, 0, 0, frame.right - frame.left,
                 frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER);
    m_drawer->ResetToWindowSize();
    m_drawer->Frame();
  }

  CSaverWnd m_window;
  std::unique_ptr<CDrawer> m_drawer = std::make_unique<CDrawer>();
};
}  // namespace

TEST_F(DrawerTest, TheCompositeShowsEachImageWhereTheMaskSaysInOneAndTwoPasses) {
  ASSERT_TRUE(m_drawer->Init(m_window.GetHandle(), false));
  // The sanity check first: the device cleared and drew at all.
  BackBuffer image;
  DrawWipe(0.0f, "images/0.jpg", "images/1.jpg", &image);
  ASSERT_TRUE(ColourNear(image.At(0.5, 0.5), kRed)) << std::hex << image.At(0.5, 0.5);

  // A window smaller than the screen gets a back buffer of its client size, and the
  // whole image is stretched over it.
  RECT client{};
  GetClientRect(m_window.GetHandle(), &client);
  EXPECT_EQ(image.width, client.right);
  EXPECT_EQ(image.height, client.bottom);
  EXPECT_LT(image.width, GetSystemMetrics(SM_CXSCREEN));

  const int deviceStages = m_drawer->GetTextureStages();
  EXPECT_GE(deviceStages, 1);
  const struct {
    float p;
    uint32_t left, right;  // colours at a quarter and three quarters of the width
  } cases[] = {
      {0.0f, kRed, kRed},
      {0.5f, kGreen, kRed},
      {1.0f, kGreen, kGreen},
  };
  for (int stages : {deviceStages, 1}) {
    m_drawer->SetTextureStages(stages);
    for (const auto& c : cases) {
      DrawWipe(c.p, "images/0.jpg", "images/1.jpg", &image);
      for (double y : {0.1, 0.5, 0.9}) {
        EXPECT_TRUE(ColourNear(image.At(0.25, y), c.left))
            << stages << " stages, p " << c.p << std::hex << ": " << image.At(0.25, y);
        EXPECT_TRUE(ColourNear(image.At(0.75, y), c.right))
            << stages << " stages, p " << c.p << std::hex << ": " << image.At(0.75, y);
      }
    }
  }

  // Resized by its frame or maximised, the window gets a back buffer of its new client
  // size once the resize has ended, and the picture fills it.
  HWND window = m_window.GetHandle();
  const auto expectResetToClient = [&](const char* how) {
    ASSERT_TRUE(m_window.TakeResize()) << how;
    m_drawer->ResetToWindowSize();
    m_drawer->Frame();
    DrawWipe(0.5f, "images/0.jpg", "images/1.jpg", &image);
    GetClientRect(window, &client);
    EXPECT_EQ(image.width, client.right) << how;
    EXPECT_EQ(image.height, client.bottom) << how;
    EXPECT_TRUE(ColourNear(image.At(0.25, 0.9), kGreen) && ColourNear(image.At(0.75, 0.1), kRed))
        << how;
  };
  SendMessageA(window, WM_ENTERSIZEMOVE, 0, 0);
  SetWindowPos(window, nullptr, 0, 0, 800, 500, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_FALSE(m_window.TakeResize()) << "during the resize";
  SendMessageA(window, WM_EXITSIZEMOVE, 0, 0);
  expectResetToClient("resized");
  ShowWindow(window, SW_MAXIMIZE);
  expectResetToClient("maximised");
  EXPECT_FALSE(m_window.TakeResize()) << "once only";
}

TEST_F(DrawerTest, FitKeepsTheShapeWithBlackBarsInOneAndTwoPasses) {
  ASSERT_TRUE(m_drawer->Init(m_window.GetHandle(), false));
  m_drawer->SetFitMode(FitMode::Fit);
  const int deviceStages = m_drawer->GetTextureStages();
  // Last, the bars the composite draws on devices without a border colour.
  const struct {
    int stages;
    bool border;
  } devices[] = {{deviceStages, true}, {1, true}, {deviceStages, false}};
  for (const auto& device : devices) {
    const int stages = device.stages;
    m_drawer->SetTextureStages(stages);
    m_drawer->UseBorderAddressing(device.border);
    // The 2:1 white picture as the current image (p 0) and as the next one (p 1).
    for (float p : {0.0f, 1.0f}) {
      BackBuffer image;
      DrawWipe(p, p == 0.0f ? "textures/wide.jpg" : "images/0.jpg",
               p == 0.0f ? "images/0.jpg" : "textures/wide.jpg", &image);
      // The picture spans the width and (width / 2) of the height, centred.
      const double bar = (1.0 - image.width / 2.0 / image.height) / 2.0;
      ASSERT_GT(bar, 0.05);
      const struct {
        double y;
        uint32_t colour;
      } samples[] = {{bar / 2, kBlack},
                     {bar + 0.03, kWhite},
                     {0.5, kWhite},
                     {1.0 - bar - 0.03, kWhite},
                     {1.0 - bar / 2, kBlack}};
      for (const auto& sample : samples)
        EXPECT_TRUE(ColourNear(image.At(0.5, sample.y), sample.colour))
            << stages << " stages, border " << device.border << ", p " << p << ", y " << sample.y
            << std::hex << ": " << image.At(0.5, sample.y);
    }
  }
}

// Fill on the landscape window shows 0.5625 of a 3:4 portrait's height: from 0.099
// of it down without a focus (the old centred crop began at 0.219, below the first
// mark), from the focus's top with one (0.099 would cut the second mark off).
TEST_F(DrawerTest, FillShowsTheMarkInAPortraitsTopFifth) {
  ASSERT_TRUE(m_drawer->Init(m_window.GetHandle(), false));
  m_drawer->SetFitMode(FitMode::Fill);
  const struct {
    const char* name;
    double markY;  // where the mark shows, as a fraction of the screen's height
  } pictures[] = {{"textures/portrait.jpg", 0.05}, {"textures/focused.jpg", 0.035}};
  for (const auto& picture : pictures) {
    BackBuffer image;
    DrawWipe(0.0f, picture.name, "images/0.jpg", &image);
    ASSERT_GT(image.width, image.height);
    EXPECT_TRUE(ColourNear(image.At(0.5, picture.markY), kWhite))
        << picture.name << std::hex << ": " << image.At(0.5, picture.markY);
    EXPECT_TRUE(ColourNear(image.At(0.5, 0.5), kBlue)) << picture.name;
  }
}

TEST_F(DrawerTest, TheFrameRateCounterIsTopLeftAndTheClockBottomRight) {
  g_settings.FPS = 1;
  g_settings.ShowTime = 1;
  ASSERT_TRUE(m_drawer->Init(m_window.GetHandle(), false));
  // At 5 s the clock stands in its first corner, the bottom right.
  m_drawer->SetFrameClock(5.0, 0.02);
  BackBuffer image;
  DrawWipe(0.0f, "images/2.jpg", "images/2.jpg", &image);
  // Every glyph of the test font is a white block: "FPS:50.00" is 9 x 0.04 wide and
  // 0.04 high; the clock (7 characters, 0.1 each) ends at 0.98 from 0.9 down.
  const struct {
    double x, y;
    uint32_t colour;
  } samples[] = {
      {0.02, 0.02, kWhite}, {0.3, 0.02, kWhite},  {0.5, 0.02, kBlue},
      {0.1, 0.1, kBlue},    {0.95, 0.95, kWhite}, {0.35, 0.95, kWhite},
      {0.99, 0.95, kBlue},  {0.1, 0.95, kBlue},   {0.5, 0.5, kBlue},
  };
  for (const auto& s : samples)
    EXPECT_TRUE(ColourNear(image.At(s.x, s.y), s.colour))
        << s.x << "," << s.y << std::hex << ": " << image.At(s.x, s.y);
}

TEST_F(DrawerTest, TheTextureCacheIgnoresCaseNeverCachesFailuresAndSizesFromTheCaps) {
  ASSERT_TRUE(m_drawer->Init(m_window.GetHandle(), false));
  const size_t cached = m_drawer->GetCachedTextureCount();
  EXPECT_EQ(cached, 2u);  // the font's texture and the default texture

  IDirect3DTexture8* first = m_drawer->LoadTexture("Textures/Wide.JPG", 0, D3DFMT_UNKNOWN);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(m_drawer->LoadTexture("textures/wide.jpg", 1, D3DFMT_A8R8G8B8), first);
  EXPECT_EQ(m_drawer->GetCachedTextureCount(), cached + 1);
  for (int attempt = 0; attempt < 2; ++attempt)
    EXPECT_EQ(m_drawer->LoadTexture("textures/absent.jpg", 0, D3DFMT_UNKNOWN), nullptr);
  EXPECT_EQ(m_drawer->GetCachedTextureCount(), cached + 1);

  // Power-of-two sides only when the device asks for them; a full mip chain.
  D3DCAPS8 caps{};
  m_drawer->GetDevice()->GetDeviceCaps(&caps);
  const bool powerOfTwo = (caps.TextureCaps & D3DPTEXTURECAPS_POW2) != 0;
  D3DSURFACE_DESC top{};
  ASSERT_EQ(first->GetLevelDesc(0, &top), D3D_OK);
  EXPECT_EQ(top.Width, powerOfTwo ? 1024u : 600u);
  EXPECT_EQ(top.Height, powerOfTwo ? 512u : 300u);
  EXPECT_EQ(top.Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(first->GetLevelCount(), powerOfTwo ? 11u : 10u);
}

TEST_F(DrawerTest, ShutdownTwiceReleasesEverythingOnce) {
  ASSERT_TRUE(m_drawer->Init(m_window.GetHandle(), false));
  m_drawer->Frame();
  m_drawer->Frame();  // two images are loaded, a cycle has begun
  EXPECT_EQ(m_drawer->GetImageCount(), 3);
  IDirect3DDevice8* device = m_drawer->GetDevice();
  device->AddRef();
  m_drawer->Shutdown();
  m_drawer->Shutdown();
  EXPECT_EQ(m_drawer->GetCachedTextureCount(), 0u);
  EXPECT_EQ(m_drawer->GetDevice(), nullptr);
  // Ours is the last reference: every texture, surface and buffer made from the
  // device was released, and none twice (that would have freed the device early).
  EXPECT_EQ(device->Release(), 0u);
}

TEST_F(DrawerTest, InitFailsWithoutTheFontDescriptionAndAppliesTheBrightnessRamp) {
  g_settings.Brightness = 50;
  ASSERT_TRUE(m_drawer->Init(m_window.GetHandle(), false));
  // Wine ignores the ramp (GetGammaRamp reads zeros), so check what was handed over.
  const std::vector<uint16_t>& ramp = m_drawer->GetAppliedGammaRamp();
  ASSERT_EQ(ramp.size(), 256u);
  EXPECT_EQ(ramp[1], 128);
  EXPECT_EQ(ramp[255], 32640);

  std::vector<ContentEntry> noFont =
      Without(SlideshowContent("Drawer Test", "QuillSaver Tests", {kRed}), {kFontDescriptionName});
  const std::string path = (FixtureFolder("no-font") / "no-font.scr").string();
  std::string error;
  ASSERT_TRUE(WriteProduct(path, FakeEngine(4096), noFont, &error)) << error;
  ASSERT_TRUE(OpenContentArchive(path.c_str()));
  CDrawer withoutFont;
  EXPECT_FALSE(withoutFont.Init(m_window.GetHandle(), false));
}

// The reset's resources fail the first time they are asked for (as when video memory
// runs out): the next frame asks again, and the slideshow draws once more.
TEST_F(DrawerTest, ALostFullScreenDeviceIsResetAndDrawsAgain) {
  ASSERT_TRUE(m_drawer->Init(m_window.GetHandle(), true));
  CFlakyResources flaky;
  flaky.failures = 1;
  m_drawer->AddDeviceResources(&flaky);
  // The device lets go of flaky before it goes, on every way out of the test.
  struct ShutdownFirst {
    CDrawer& drawer;
    ~ShutdownFirst() { drawer.Shutdown(); }
  } shutdownFirst{*m_drawer};
  m_drawer->SetFrameClock(0.5, 0.02);
  m_drawer->Frame();
  ASSERT_FALSE(m_drawer->IsDeviceLost());

  // Another window taking the foreground from a full-screen device makes it lost
  // (as minimising its focus window or a display-mode change does).
  SetForegroundWindow(m_window.GetHandle());
  SetForegroundWindow(GetDesktopWindow());
  const bool lost = WaitUntil(
      [&] {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        m_drawer->Frame();
        return m_drawer->IsDeviceLost();
      },
      5000);
  ASSERT_TRUE(lost);

  // Back in front, the device is reset on a later frame and shows the slideshow.
  SetForegroundWindow(m_window.GetHandle());
  ShowWindow(m_window.GetHandle(), SW_RESTORE);
  const bool recovered = WaitUntil(
      [&] {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        m_drawer->Frame();
        return !m_drawer->IsDeviceLost();
      },
      10000);
  ASSERT_TRUE(recovered);
  EXPECT_EQ(flaky.creates, 2);
  BackBuffer image;
  DrawWipe(1.0f, "images/2.jpg", "images/1.jpg", &image);
  EXPECT_TRUE(ColourNear(image.At(0.5, 0.5), kGreen)) << std::hex << image.At(0.5, 0.5);
  EXPECT_EQ(image.width, 1024);
}

TEST_F(DrawerTest, APhotoDecodedAtTheScreensSizeLooksLikeItsFullSizeDecode) {
  ASSERT_TRUE(m_drawer->Init(m_window.GetHandle(), true));
  CTransition transition(kGridColumns, kGridRows);
  ASSERT_TRUE(transition.SetEffect(0, 0.5f, 0.5f));
  const float* keep = transition.ComputeMask(0.0f);
  BackBuffer images[2];
  D3DSURFACE_DESC tops[2] = {};
  for (int scaled = 0; scaled < 2; ++scaled) {
    SlidePicture photo;  // stretched: its own size is not needed
    photo.texture =
        CCom<IDirect3DTexture8>(m_drawer->LoadImageTexture("textures/photo.jpg", scaled == 1));
    ASSERT_TRUE(photo.texture);
    ASSERT_EQ(photo.texture->GetLevelDesc(0, &tops[scaled]), D3D_OK);
    ASSERT_TRUE(m_drawer->DrawScene(&photo, &photo, keep));
    ReadBackBuffer(m_drawer->GetDevice(), &images[scaled]);
  }
  ASSERT_EQ(images[0].width, 1024);
  ASSERT_EQ(images[0].height, 768);
  EXPECT_EQ(tops[0].Width, 3840u);
  EXPECT_LE(tops[1].Width, 1024u);
  EXPECT_LE(tops[1].Height, 1024u);

  // The picture is no flat field (the comparison could not fail on one), and the two
  // decodes agree pixel for pixel within what filtering explains.
  EXPECT_FALSE(ColoursMatch(images[1].At(0.05, 0.5), images[1].At(0.95, 0.5), kTolerance));
  int worst = 0;
  double total = 0;
  for (size_t i = 0; i < images[0].pixels.size(); ++i) {
    for (int c = 0; c < 3; ++c) {
      const int a = (images[0].pixels[i] >> (8 * c)) & 0xFF,
                b = (images[1].pixels[i] >> (8 * c)) & 0xFF;
      worst = std::max(worst, std::abs(a - b));
      total += std::abs(a - b);
    }
  }
  const double mean = total / (3.0 * images[0].pixels.size());
  std::printf("full %ux%u, scaled %ux%u: mean difference %.2f, largest %d\n", tops[0].Width,
              tops[0].Height, tops[1].Width, tops[1].Height, mean, worst);
  EXPECT_LT(mean, 4.0);
  EXPECT_LE(worst, 96);
}

// Fit's bars come from each frame's placement: a picture made while its bars were at
// the sides shows black bars above and below once a resize moves them there, and a
// panorama shrunk to a texture one or two texels high still shows. Both with the
// border colour and with the bars the composite draws, in one pass and in two.
TEST_F(DrawerTest, FitBarsFollowAResizeAndAThinPanoramaStillShows) {
  ASSERT_TRUE(m_drawer->Init(m_window.GetHandle(), false));
  m_drawer->SetFitMode(FitMode::Fit);
  const int deviceStages = m_drawer->GetTextureStages();
  for (bool border : {true, false}) {
    for (int stages : {deviceStages, 1}) {
      SCOPED_TRACE(testing::Message() << "border " << border << ", " << stages << " stages");
      m_drawer->SetTextureStages(stages);
      m_drawer->UseBorderAddressing(border);
      ResizeClient(640, 400);
      std::unique_ptr<SlidePicture> square = m_drawer->LoadPicture("textures/square.jpg");
      std::unique_ptr<SlidePicture> panorama = m_drawer->LoadPicture("textures/panorama.jpg");
      ASSERT_TRUE(square && panorama);
      BackBuffer image;
      DrawWipe(1.0f, panorama.get(), panorama.get(), &image);
      const uint32_t line = image.At(0.5, 0.5);
      EXPECT_TRUE(((line >> 16) & 0xFF) > 0x60 && ((line >> 8) & 0xFF) > 0x60 &&
                  (line & 0xFF) > 0x60)
          << std::hex << line;
      EXPECT_TRUE(ColourNear(image.At(0.5, 0.3), kBlack)) << std::hex << image.At(0.5, 0.3);

      ResizeClient(300, 600);  // the square's bars move from the sides to above and below
      for (float p : {0.0f, 1.0f}) {
        DrawWipe(p, square.get(), square.get(), &image);
        ASSERT_EQ(image.height, 600);
        const struct {
          double x, y;
          uint32_t colour;
        } samples[] = {{0.5, 0.1, kBlack},
                       {0.5, 0.9, kBlack},
                       {0.5, 0.5, kWhite},
                       {0.02, 0.5, kWhite},
                       {0.98, 0.5, kWhite}};
        for (const auto& sample : samples)
          EXPECT_TRUE(ColourNear(image.At(sample.x, sample.y), sample.colour))
              << "p " << p << " at " << sample.x << "," << sample.y << std::hex << ": "
              << image.At(sample.x, sample.y);
      }
    }
  }
}

// A missing picture (one that failed) shows the default texture, in either slot.
TEST_F(DrawerTest, AMissingPictureShowsTheDefaultTexture) {
  ASSERT_TRUE(m_drawer->Init(m_window.GetHandle(), false));
  std::unique_ptr<SlidePicture> red = m_drawer->LoadPicture("images/0.jpg");
  ASSERT_TRUE(red);
  BackBuffer image;
  DrawWipe(0.5f, nullptr, red.get(), &image);
  EXPECT_TRUE(ColourNear(image.At(0.75, 0.5), kOlive)) << std::hex << image.At(0.75, 0.5);
  EXPECT_TRUE(ColourNear(image.At(0.25, 0.5), kRed)) << std::hex << image.At(0.25, 0.5);
}

// The worker's way for a picture: begun by a frame, handed to the worker after it,
// taken by a later frame (here after a reset that happened while it waited, so it is
// made a texture on the reset device), and dropped while in progress by the shutdown,
// which still releases every object of the device.
TEST_F(DrawerTest, APictureFromTheWorkerSurvivesAResetAndShutdownDropsOneInProgress) {
  g_settings.KeepTime = 1;
  g_settings.TransitionTime = 1;
  ASSERT_TRUE(m_drawer->Init(m_window.GetHandle(), false));
  const CSlideshow& show = m_drawer->GetSlideshow();
  m_drawer->SetFrameClock(0.0, 0.02);
  m_drawer->Frame();
  ASSERT_TRUE(show.IsNextPending());
  Sleep(500);                          // the worker decodes the small picture meanwhile
  m_drawer->SetFrameClock(2.0, 0.02);  // the end of the transition
  ResizeClient(560, 420);
  for (int frame = 0; frame < 100 && show.IsNextPending(); ++frame) {
    Sleep(20);
    m_drawer->Frame();
  }
  ASSERT_FALSE(show.IsNextPending());
  const auto* next = static_cast<const SlidePicture*>(show.GetNextImage());
  ASSERT_NE(next, nullptr);
  BackBuffer image;
  DrawWipe(1.0f, next, next, &image);
  EXPECT_EQ(image.width, 560);
  const uint32_t expected = kImageColours[show.GetOrder()[1]];
  EXPECT_TRUE(ColourNear(image.At(0.5, 0.5), expected)) << std::hex << image.At(0.5, 0.5);

  m_drawer->SetFrameClock(2.1, 0.02);  // a new cycle begins the next picture
  m_drawer->Frame();
  ASSERT_TRUE(show.IsNextPending());
  IDirect3DDevice8* device = m_drawer->GetDevice();
  device->AddRef();
  m_drawer->Shutdown();
  EXPECT_FALSE(show.IsNextPending());
  EXPECT_EQ(device->Release(), 0u);
}

// The primary screen's (image, effect) sequence is the same whether another screen
// runs beside it or not, and whether its pictures move or not: the other screen and
// the pictures' paths draw only from generators of their own.
TEST_F(DrawerTest, AnotherScreenLeavesThePrimarysSequenceAlone) {
  g_settings.KeepTime = 1;
  g_settings.TransitionTime = 0;
  CSaverWnd otherWindow;
  ASSERT_TRUE(otherWindow.Create(GetModuleHandleA(nullptr), 1));
  const auto run = [&](bool withOther, MotionMode motion) {
    SeedRandom(4242);
    CDrawer primary;
    EXPECT_TRUE(primary.Init(m_window.GetHandle(), false));
    primary.SetMotion(motion);
    std::unique_ptr<CDrawer> other;
    if (withOther) {
      other = std::make_unique<CDrawer>(77u);
      EXPECT_TRUE(
          other->Init(otherWindow.GetHandle(), false,
                      MonitorFromWindow(otherWindow.GetHandle(), MONITOR_DEFAULTTOPRIMARY)));
    }
    std::vector<std::pair<std::vector<int>, int>> cycles;  // order and effect per cycle
    for (int frame = 0; frame < 2000 && cycles.size() < 10; ++frame) {
      const double now = 0.1 * frame;
      primary.SetFrameClock(now, 0.02);
      primary.Frame();
      if (other) {
        other->SetFrameClock(now, 0.02);
        other->Frame();
      }
      const CSlideshow& show = primary.GetSlideshow();
      // A new cycle starts at the frame's time; a late picture only moves the start back.
      if (show.GetCycleStart() == now) cycles.push_back({show.GetOrder(), primary.GetEffect()});
      Sleep(2);
    }
    return cycles;
  };
  const auto alone = run(false, MotionMode::Still);
  ASSERT_EQ(alone.size(), 10u);
  EXPECT_EQ(run(true, MotionMode::Still), alone);
  EXPECT_EQ(run(false, MotionMode::PanZoom), alone);
  otherWindow.Destroy();
}
