// The test mode of the real screensaver: a product's slideshow in the debug window,
// seen through screen captures, and what a product without its font reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "base/screen_options.h"
#include "data/content_layout.h"
#include "render/picture_motion.h"
#include "tests/e2e/product_files.h"
#include "tests/support/music_capture.h"
#include "ui/saver_wnd.h"

namespace {
constexpr DWORD kStartTimeoutMs = 20000;
constexpr DWORD kExitTimeoutMs = 10000;
constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;
const char kCompany[] = "QuillSaver E2E";

// JPEG and filtering blur a solid colour's edges a little.
bool ColourNear(uint32_t actual, uint32_t expected) { return ColoursMatch(actual, expected, 24); }

void StoreTimes(const std::string& title, DWORD keep, DWORD transition) {
  const std::string key = SettingsKeyName(kCompany, title);
  DeleteRegistryTree(key);
  ASSERT_TRUE(WriteRegistryDword(key, "KeepTime", keep));
  ASSERT_TRUE(WriteRegistryDword(key, "TransitionTime", transition));
  ASSERT_TRUE(WriteRegistryDword(key, "ShowTime", 0));
}

// Starts /t of a product named `title` whose configuration adds `options`, with
// `images` as its pictures, each kept `keep` seconds; the test window, or null.
HWND StartTestWindow(CTestProcess& saver, const char* file, const std::string& title,
                     const std::string& options, const std::vector<std::string>& images,
                     DWORD keep = 1) {
  StoreTimes(title, keep, 1);
  std::vector<ContentEntry> content = SlideshowContent(title, kCompany, {});
  content[0].data = ProductConfig(title, kCompany, options);
  for (size_t i = 0; i < images.size(); ++i)
    content.push_back({ImageFileName(static_cast<int>(i)), images[i]});
  if (!saver.Start(MakeProduct(file, content), "/t")) return nullptr;
  return WaitForWindow(saver.Id(), kSaverWindowClass, kDebugWindowTitle, kStartTimeoutMs);
}

HWND FindMessageBox(DWORD pid) {
  std::vector<HWND> boxes = FindWindows(pid, "#32770", "3D Screensaver:");
  return boxes.empty() ? nullptr : boxes.front();
}

// Ends a /t run with Escape, as a user would, and returns its exit code.
DWORD PressEscapeAndWait(CTestProcess& saver, HWND window) {
  SetForegroundWindow(window);
  SendKey(VK_ESCAPE);
  DWORD exitCode = 0xFFFFFFFF;
  EXPECT_TRUE(saver.WaitForExit(kExitTimeoutMs, &exitCode)) << "Escape did not end the run";
  return exitCode;
}
}  // namespace

TEST(TestMode, TheSlideshowFillsTheDebugWindowAndBlendsItsImages) {
  const std::string title = "Test Mode Colours";
  StoreTimes(title, 1, 1);
  const std::string product =
      MakeProduct("test-mode.scr", SlideshowContent(title, kCompany, {kRed, kGreen, kBlue}));
  CTestProcess saver;
  ASSERT_TRUE(saver.Start(product, "/t"));
  HWND window = WaitForWindow(saver.Id(), kSaverWindowClass, kDebugWindowTitle, kStartTimeoutMs);
  ASSERT_NE(window, nullptr) << "no debug window";

  // Samples at the client area's corners and centre, in screen coordinates.
  RECT client{};
  GetClientRect(window, &client);
  std::vector<POINT> points;
  for (double fx : {0.1, 0.5, 0.9})
    for (double fy : {0.1, 0.9}) {
      POINT p{static_cast<LONG>(client.right * fx), static_cast<LONG>(client.bottom * fy)};
      ClientToScreen(window, &p);
      points.push_back(p);
    }
  std::set<uint32_t> filled;  // pure colours seen filling the whole client area
  int mixtures = 0;           // captures during a transition
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 7000 && (filled.size() < 3 || mixtures == 0)) {
    ASSERT_EQ(FindMessageBox(saver.Id()), nullptr) << MessageBoxText(FindMessageBox(saver.Id()));
    const ScreenImage image = CaptureScreen();
    bool allPure = true;
    for (uint32_t colour : {kRed, kGreen, kBlue}) {
      bool everywhere = true;
      for (const POINT& p : points)
        everywhere = everywhere && ColourNear(image.At(p.x, p.y) & 0xFFFFFF, colour);
      if (everywhere) filled.insert(colour);
      allPure = allPure && !everywhere;
    }
    if (allPure) ++mixtures;  // no single colour everywhere: two images blended
    Sleep(150);
  }
  EXPECT_EQ(filled.size(), 3u) << "not every image filled the window";
  EXPECT_GT(mixtures, 0) << "no transition was seen";
  EXPECT_EQ(PressEscapeAndWait(saver, window), 0u);
}

TEST(TestMode, WithoutTheFontDescriptionTheRendererFailsAndIsReported) {
  const std::string title = "Test Mode No Font";
  StoreTimes(title, 1, 1);
  const std::string product =
      MakeProduct("test-mode-no-font.scr",
                  Without(SlideshowContent(title, kCompany, {kRed}), {kFontDescriptionName}));
  CTestProcess saver;
  ASSERT_TRUE(saver.Start(product, "/t"));
  HWND box = nullptr;
  ASSERT_TRUE(
      WaitUntil([&] { return (box = FindMessageBox(saver.Id())) != nullptr; }, kStartTimeoutMs));
  EXPECT_EQ(MessageBoxText(box),
            "CSaverApp::Run() -> CSaverApp::DoTest()\n\n\"Could not init Rendering Engine\"");
  DismissMessageBox(box);
  DWORD exitCode = 0;
  ASSERT_TRUE(saver.WaitForExit(kExitTimeoutMs, &exitCode));
  EXPECT_EQ(exitCode, 1u);
}

TEST(TestMode, WithoutTheFontTextureAndTheDefaultTextureItStillRuns) {
  const std::string title = "Test Mode No Textures";
  StoreTimes(title, 1, 1);
  const std::string product =
      MakeProduct("test-mode-no-textures.scr", Without(SlideshowContent(title, kCompany, {kGreen}),
                                                       {kFontTextureName, kDefaultTextureName}));
  CTestProcess saver;
  ASSERT_TRUE(saver.Start(product, "/t"));
  HWND window = WaitForWindow(saver.Id(), kSaverWindowClass, kDebugWindowTitle, kStartTimeoutMs);
  ASSERT_NE(window, nullptr);
  RECT client{};
  GetClientRect(window, &client);
  POINT centre{client.right / 2, client.bottom / 2};
  ClientToScreen(window, &centre);
  EXPECT_TRUE(WaitUntil(
      [&] { return ColourNear(CaptureScreen().At(centre.x, centre.y) & 0xFFFFFF, kGreen); }, 5000));
  EXPECT_EQ(FindMessageBox(saver.Id()), nullptr);
  EXPECT_EQ(PressEscapeAndWait(saver, window), 0u);
}

// A product asking for every monitor and fit: still one window, the 2:1 picture whole
// in it with black above and below.
TEST(TestMode, OneWindowWhateverMonitorsSaysAndPicturesPlacedByFit) {
  CTestProcess saver;
  HWND window =
      StartTestWindow(saver, "test-mode-fit.scr", "Test Mode Fit",
                      ConfigElement(kMonitorsElement, "all") + ConfigElement(kFitElement, "fit"),
                      {SolidJpeg(kGreen, 256, 128)});
  ASSERT_NE(window, nullptr);
  RECT client{};
  GetClientRect(window, &client);
  ASSERT_GT(client.bottom, client.right / 2 + 20);  // room for bars
  POINT centre{client.right / 2, client.bottom / 2}, top{client.right / 2, 4};
  ClientToScreen(window, &centre);
  ClientToScreen(window, &top);
  EXPECT_TRUE(WaitUntil(
      [&] { return ColourNear(CaptureScreen().At(centre.x, centre.y) & 0xFFFFFF, kGreen); }, 5000));
  EXPECT_TRUE(ColourNear(CaptureScreen().At(top.x, top.y) & 0xFFFFFF, 0));
  EXPECT_EQ(FindWindows(saver.Id(), kSaverWindowClass, nullptr).size(), 1u);
  EXPECT_EQ(PressEscapeAndWait(saver, window), 0u);
}

// Two portraits on the landscape window share a slide, with a black gap between them,
// once the worker has read their shapes; a portrait under fit with blurred bars has
// bars of its own colour, darkened, rather than black or its sharp edge.
TEST(TestMode, PortraitsPairUpAndBlurredBarsTakeThePicturesColour) {
  const struct {
    const char* what;
    std::string options;
    std::vector<uint32_t> portraits;
  } cases[] = {
      {"pairs",
       ConfigElement(kFitElement, "fill") + ConfigElement(kPairsElement, "on"),
       {kRed, kBlue}},
      {"blurred bars",
       ConfigElement(kFitElement, "fit") + ConfigElement(kBarsElement, "blur"),
       {kGreen}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> portraits;
    for (uint32_t colour : c.portraits) portraits.push_back(SolidJpeg(colour, 90, 160));
    CTestProcess saver;
    HWND window =
        StartTestWindow(saver, "test-mode-framing.scr", "Test Mode Framing", c.options, portraits);
    ASSERT_NE(window, nullptr);
    RECT client{};
    GetClientRect(window, &client);
    ASSERT_GT(client.right, client.bottom + client.bottom / 10);  // a landscape window
    const int width = client.right, middle = client.bottom / 2;
    uint32_t left = 0, centre = 0, right = 0;
    const bool seen = WaitUntil(
        [&] {
          const ScreenImage image = CaptureClient(window);
          if (image.width < width || image.height <= middle) return false;
          left = image.At(width / 4, middle) & 0xFFFFFF;
          centre = image.At(width / 2, middle) & 0xFFFFFF;
          right = image.At(width * 3 / 4, middle) & 0xFFFFFF;
          if (c.portraits.size() == 2)
            return ColourNear(centre, 0) && ((ColourNear(left, kRed) && ColourNear(right, kBlue)) ||
                                             (ColourNear(left, kBlue) && ColourNear(right, kRed)));
          const uint32_t bar = image.At(4, middle) & 0xFFFFFF;
          left = bar;
          return ColourNear(centre, kGreen) &&
                 ColourNear(bar, image.At(width - 5, middle) & 0xFFFFFF);
        },
        10000);
    EXPECT_TRUE(seen) << std::hex << left << " " << centre << " " << right;
    if (c.portraits.size() == 1) {
      // About half the picture's green: neither black nor its edge.
      const int green = (left >> 8) & 0xFF;
      EXPECT_GT(green, 0x60) << std::hex << left;
      EXPECT_LT(green, 0xB0) << std::hex << left;
      EXPECT_LT(left & 0xFF00FF, 0x200020u) << std::hex << left;
    }
    EXPECT_EQ(PressEscapeAndWait(saver, window), 0u);
  }
}

// With an .asoundrc in the HOME that Wine's ALSA driver reads, the run's sound lands
// in a WAV file. The tone (440 Hz at half scale) comes back at the volume's level
// once the one-second fade-in is over, and not at all with music off.
TEST(TestMode, MusicPlaysATrackAtTheUserVolume) {
  CMusicCapture capture;
  ASSERT_TRUE(capture.Prepare());

  const std::string title = "Test Mode Music";
  std::vector<ContentEntry> content = SlideshowContent(title, kCompany, {kRed});
  content.push_back({MusicFileName(0), ReadWholeFile(std::getenv("QUILL_TONE"))});
  ASSERT_GT(content.back().data.size(), 1000u);
  const std::string product = MakeProduct("test-mode-music.scr", content);
  struct Case {
    DWORD music, volume;
    double level;  // expected peak, in full scale
  };
  for (const Case& c : {Case{1, 100, 0.5}, Case{1, 50, 0.5 * 0.125}, Case{0, 100, 0}}) {
    SCOPED_TRACE(c.volume * c.music);
    StoreTimes(title, 1, 1);
    const std::string key = SettingsKeyName(kCompany, title);
    ASSERT_TRUE(WriteRegistryDword(key, "Music", c.music));
    ASSERT_TRUE(WriteRegistryDword(key, "MusicVolume", c.volume));
    capture.Clear();
    CTestProcess saver;
    ASSERT_TRUE(saver.Start(product, "/t"));
    HWND window = WaitForWindow(saver.Id(), kSaverWindowClass, kDebugWindowTitle, kStartTimeoutMs);
    ASSERT_NE(window, nullptr) << "no debug window";
    Sleep(3000);  // the fade-in and more than a second at full level
    EXPECT_EQ(PressEscapeAndWait(saver, window), 0u);

    const std::vector<int16_t> samples = capture.Samples();
    size_t start = 0;  // the first audible sample
    while (start < samples.size() && std::abs(samples[start]) < 64) ++start;
    if (c.level == 0) {
      EXPECT_EQ(start, samples.size()) << "sound with music off";
      continue;
    }
    // One second from 1.2 s after the music starts, both channels.
    const size_t from = start + 2 * 52920, to = from + 2 * 44100;
    ASSERT_GE(samples.size(), to) << "too little sound captured";
    int peak = 0;
    for (size_t i = from; i < to; ++i) peak = std::max(peak, std::abs(int{samples[i]}));
    EXPECT_NEAR(peak / 32768.0, c.level, c.level * 0.08);
  }
}

namespace {
// Marks of the moving-picture test: white squares on black at these fractions of the
// picture, the centre and a quarter of the way in from each corner.
constexpr double kMarks[5][2] = {
    {0.5, 0.5}, {0.25, 0.25}, {0.75, 0.25}, {0.25, 0.75}, {0.75, 0.75}};
constexpr int kMarkSide = 16;  // pixels of the 640 x 480 picture

std::string MarkedJpeg() {
  constexpr int kWidth = 640, kHeight = 480;
  std::vector<uint32_t> pixels(static_cast<size_t>(kWidth) * kHeight, 0xFF000000u);
  for (const auto& mark : kMarks) {
    const int left = static_cast<int>(mark[0] * kWidth) - kMarkSide / 2;
    const int top = static_cast<int>(mark[1] * kHeight) - kMarkSide / 2;
    for (int y = top; y < top + kMarkSide; ++y)
      for (int x = left; x < left + kMarkSide; ++x)
        pixels[static_cast<size_t>(y) * kWidth + x] = 0xFFFFFFFFu;
  }
  JpegOptions options;
  options.quality = 100;
  options.subsample = false;
  return ToString(EncodeJpeg(pixels, kWidth, kHeight, options));
}

struct MarkPoint {
  double x = -1.0, y = -1.0;  // client pixels; negative when nothing bright was found
};

// The brightness-weighted centre of the light pixels within `radius` of (x, y).
MarkPoint FindMark(const ScreenImage& image, double x, double y, int radius) {
  double sumX = 0, sumY = 0, sum = 0;
  for (int py = std::max(0, static_cast<int>(y) - radius);
       py < std::min(image.height, static_cast<int>(y) + radius); ++py)
    for (int px = std::max(0, static_cast<int>(x) - radius);
         px < std::min(image.width, static_cast<int>(x) + radius); ++px) {
      const uint32_t c = image.At(px, py);
      const int light = ((c >> 16 & 0xFF) + (c >> 8 & 0xFF) + (c & 0xFF)) / 3;
      if (light < 64) continue;
      sumX += light * (px + 0.5);
      sumY += light * (py + 0.5);
      sum += light;
    }
  MarkPoint found;
  if (sum > 0) {
    found.x = sumX / sum;
    found.y = sumY / sum;
  }
  return found;
}

// Sets Windows' "Show animations" for the test prefix and puts it back on at the end.
class CAnimationSetting {
 public:
  explicit CAnimationSetting(bool on) { Set(on); }
  ~CAnimationSetting() { Set(true); }
  static bool Set(bool on) {
    return SystemParametersInfoA(SPI_SETCLIENTAREAANIMATION, 0,
                                 reinterpret_cast<PVOID>(static_cast<INT_PTR>(on ? 1 : 0)),
                                 SPIF_UPDATEINIFILE) != FALSE;
  }
};
}  // namespace

// A stretched picture with marks at known places, read back four times over 2.4 s.
// With panzoom it zooms about the screen's centre, one way (keep 6 s and transition
// 1 s: the run's first picture grows or shrinks by 1.2 over 7 s); still, and panzoom
// with the system's animations off, draw every mark where it rests.
TEST(TestMode, PicturesPanAndZoomUnlessStillOrTheSystemWantsLessMotion) {
  const struct {
    const char* motion;
    bool animations;
    bool moves;
  } cases[] = {{"panzoom", true, true}, {"panzoom", false, false}, {"still", true, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.motion) + (c.animations ? "" : ", animations off"));
    CAnimationSetting animations(c.animations);
    CTestProcess saver;
    HWND window = StartTestWindow(
        saver, "test-mode-motion.scr", "Test Mode Motion",
        ConfigElement(kFitElement, "stretch") + ConfigElement(kMotionElement, c.motion),
        {MarkedJpeg()}, 6);
    ASSERT_NE(window, nullptr);
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    const RECT area{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
    const double width = client.right, height = client.bottom;

    // Each mark in one capture, searched for around where it rests.
    const auto readMarks = [&](std::vector<MarkPoint>& marks) {
      const ScreenImage image = CaptureScreenRect(area);
      marks.clear();
      for (const auto& mark : kMarks)
        marks.push_back(FindMark(image, mark[0] * width, mark[1] * height, 48));
      return marks[0].x >= 0;
    };
    // Captures 0.6 s apart within the first picture's keep time: four, or while it
    // moves, until it has moved (a busy machine may show its frames late).
    const auto allFound = [](const std::vector<MarkPoint>& marks) {
      return std::all_of(marks.begin(), marks.end(), [](const MarkPoint& m) { return m.x >= 0; });
    };
    std::vector<std::vector<MarkPoint>> captures(1);
    ASSERT_TRUE(WaitUntil([&] { return readMarks(captures[0]) && allFound(captures[0]); }, 5000))
        << "no picture";
    const DWORD started = GetTickCount();
    const auto centreMoved = [&](const std::vector<MarkPoint>& marks) {
      return std::fabs(marks[1].x - captures[0][1].x) > 4.0;
    };
    while (captures.size() < 4 ||
           (c.moves && !centreMoved(captures.back()) && GetTickCount() - started < 4500)) {
      Sleep(600);
      captures.emplace_back();
      readMarks(captures.back());
    }
    EXPECT_EQ(PressEscapeAndWait(saver, window), 0u);

    // The corner marks' distance from the centre mark, against the picture at rest.
    const double rest = std::hypot(0.25 * width, 0.25 * height);
    std::vector<double> scales;
    for (const std::vector<MarkPoint>& marks : captures) {
      for (const MarkPoint& mark : marks) ASSERT_GE(mark.x, 0.0) << "a mark is missing";
      double total = 0;
      for (size_t i = 1; i < marks.size(); ++i)
        total += std::hypot(marks[i].x - marks[0].x, marks[i].y - marks[0].y);
      const double scale = total / (marks.size() - 1) / rest;
      scales.push_back(scale);
      // Stretch zooms about the centre: the centre mark stays, and every other mark
      // lies where the scale puts it on its line from the centre.
      for (size_t i = 0; i < marks.size(); ++i) {
        const double x = width / 2 + scale * (kMarks[i][0] - 0.5) * width;
        const double y = height / 2 + scale * (kMarks[i][1] - 0.5) * height;
        EXPECT_NEAR(marks[i].x, x, 1.5) << "mark " << i << " at scale " << scale;
        EXPECT_NEAR(marks[i].y, y, 1.5) << "mark " << i << " at scale " << scale;
      }
    }
    if (!c.moves) {
      for (double scale : scales) EXPECT_NEAR(scale, 1.0, 0.004) << "moved";
      continue;
    }
    // One way between 1 and 1.2 (the frames' own times are the product's: a busy
    // machine may show a frame late, so the rate is not read from the captures).
    const bool growing = scales.back() > scales.front();
    for (size_t i = 0; i < scales.size(); ++i) {
      EXPECT_GE(scales[i], 1.0 - 0.004);
      EXPECT_LE(scales[i], kMotionMaxZoom + 0.004);
      if (i == 0) continue;
      const bool oneWay =
          growing ? scales[i] >= scales[i - 1] - 0.002 : scales[i] <= scales[i - 1] + 0.002;
      EXPECT_TRUE(oneWay) << "back and forth: " << scales[i - 1] << " then " << scales[i];
    }
    // 2.4 s of a 7 s span from 1 to 1.2 change the scale by about 6 %.
    EXPECT_GT(std::fabs(std::log(scales.back() / scales.front())), 0.02)
        << scales.front() << " then " << scales.back();
  }
}
