// Tests of "quillpack new" and "quillpack installer" through the library: photos made
// here with libjpeg, libexif and stb_image_write; each conversion path read back
// through the engine's own decoder; the identity's Windows-1252 rules; the folder
// the command leaves and the ones it refuses to.
#include <gtest/gtest.h>
#include <libexif/exif-data.h>

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "app/product_config.h"
#include "data/caption_list.h"
#include "data/content_layout.h"
#include "data/focus_record.h"
#include "render/image_decoder.h"
#include "tests/support/image_files.h"
#include "tests/support/product_fixture.h"
#include "tests/support/tone_files.h"
#include "tools/quillpack/content_check.h"
#include "tools/quillpack/content_folder.h"
#include "tools/quillpack/installer_maker.h"
#include "tools/quillpack/music_tracks.h"
#include "tools/quillpack/pack_commands.h"
#include "tools/quillpack/photo_converter.h"
#include "tools/quillpack/photo_list.h"
#include "tools/quillpack/product_identity.h"
#include "tools/quillpack/splash_picture.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF;

// A picture of four coloured quadrants: top left, top right, bottom left, bottom right.
std::vector<uint32_t> Quadrants(int width, int height, const uint32_t colours[4]) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      pixels[static_cast<size_t>(y) * width + x] =
          colours[(y >= height / 2 ? 2 : 0) + (x >= width / 2 ? 1 : 0)];
  return pixels;
}

std::string Jpeg(const std::vector<uint32_t>& pixels, int width, int height,
                 const JpegOptions& options = {}) {
  const std::vector<uint8_t> bytes = EncodeJpeg(pixels, width, height, options);
  return std::string(bytes.begin(), bytes.end());
}

// The JPEG with an EXIF block carrying `orientation` right after its start marker,
// in Intel byte order for odd values and Motorola order for even ones.
std::string WithOrientation(const std::string& jpeg, int orientation) {
  const ExifByteOrder order = orientation % 2 ? EXIF_BYTE_ORDER_INTEL : EXIF_BYTE_ORDER_MOTOROLA;
  ExifData* exif = exif_data_new();
  exif_data_set_byte_order(exif, order);
  ExifEntry* entry = exif_entry_new();
  exif_content_add_entry(exif->ifd[EXIF_IFD_0], entry);
  exif_entry_initialize(entry, EXIF_TAG_ORIENTATION);
  exif_set_short(entry->data, order, static_cast<ExifShort>(orientation));
  exif_entry_unref(entry);
  unsigned char* data = nullptr;
  unsigned int size = 0;
  exif_data_save_data(exif, &data, &size);
  exif_data_unref(exif);
  std::string segment = "\xFF\xE1";
  segment += static_cast<char>((size + 2) >> 8);
  segment += static_cast<char>((size + 2) & 0xFF);
  segment.append(reinterpret_cast<const char*>(data), size);
  std::free(data);
  return jpeg.substr(0, 2) + segment + jpeg.substr(2);
}

MipLevel Decode(const std::string& jpeg) {
  DecodedImage image;
  ImageRequest request;
  request.mipLevels = 1;
  EXPECT_TRUE(DecodeImage(jpeg.data(), jpeg.size(), request, image));
  return image.levels.empty() ? MipLevel() : std::move(image.levels[0]);
}

bool Near(uint32_t a, uint32_t b, int tolerance = 48) {
  for (int shift = 0; shift < 24; shift += 8)
    if (std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)) >
        tolerance)
      return false;
  return true;
}

uint32_t At(const MipLevel& image, int x, int y) {
  return image.pixels[static_cast<size_t>(y) * image.width + x];
}

// Whether the quadrant centres show red, green / blue, white: the upright picture.
bool IsUpright(const MipLevel& image) {
  const int l = image.width / 4, r = image.width * 3 / 4;
  const int t = image.height / 4, b = image.height * 3 / 4;
  return Near(At(image, l, t), kRed) && Near(At(image, r, t), kGreen) &&
         Near(At(image, l, b), kBlue) && Near(At(image, r, b), kWhite);
}

TEST(PhotoConverter, EveryExifOrientationEndsUpright) {
  // How a camera stores the upright red-green / blue-white picture for each
  // orientation, quadrant by quadrant (top left, top right, bottom left, bottom right).
  const uint32_t R = kRed, G = kGreen, B = kBlue, W = kWhite;
  const struct {
    int orientation;
    uint32_t stored[4];
  } orientations[] = {
      {1, {R, G, B, W}}, {2, {G, R, W, B}}, {3, {W, B, G, R}}, {4, {B, W, R, G}},
      {5, {R, B, G, W}}, {6, {G, W, R, B}}, {7, {W, G, B, R}}, {8, {B, R, W, G}},
  };
  // Whole blocks turn exactly; partial edge blocks are trimmed; a limit below the
  // photo's size takes the decoding path.
  const struct {
    const char* label;
    int width, height, maxSide;
    PhotoAction turned;
  } paths[] = {
      {"whole blocks", 64, 48, kDefaultMaxSide, PhotoAction::kTranscoded},
      {"partial blocks", 70, 50, kDefaultMaxSide, PhotoAction::kTranscoded},
      {"decoded", 64, 48, 32, PhotoAction::kReencoded},
  };
  for (const auto& path : paths) {
    for (const auto& o : orientations) {
      SCOPED_TRACE(std::string(path.label) + ", orientation " + std::to_string(o.orientation));
      // Orientations 5 to 8 store a landscape picture as a portrait one.
      const bool portrait = o.orientation >= 5;
      const int w = portrait ? path.height : path.width;
      const int h = portrait ? path.width : path.height;
      const std::string photo =
          WithOrientation(Jpeg(Quadrants(w, h, o.stored), w, h), o.orientation);
      CPhotoConverter converter(path.maxSide);
      ConvertedPhoto result;
      ASSERT_TRUE(converter.Convert("photo.jpg", photo, &result)) << converter.GetError();
      const bool lossless = path.turned == PhotoAction::kTranscoded;
      EXPECT_EQ(result.action, o.orientation == 1 && lossless ? PhotoAction::kCopied : path.turned);
      EXPECT_EQ(result.rotated, o.orientation != 1);
      const MipLevel image = Decode(result.jpeg);
      EXPECT_EQ(image.width, result.width);
      EXPECT_EQ(image.height, result.height);
      EXPECT_GT(image.width, image.height);
      EXPECT_TRUE(IsUpright(image));
    }
  }
}

std::string Png(const std::vector<uint32_t>& argb, int width, int height) {
  std::vector<uint8_t> rgba;
  for (uint32_t p : argb)
    for (int shift : {16, 8, 0, 24}) rgba.push_back(static_cast<uint8_t>(p >> shift));
  std::string out;
  stbi_write_png_to_func(
      [](void* context, void* data, int size) {
        static_cast<std::string*>(context)->append(static_cast<const char*>(data), size);
      },
      &out, width, height, 4, rgba.data(), width * 4);
  return out;
}

std::vector<uint32_t> Solid(int width, int height, uint32_t colour) {
  return std::vector<uint32_t>(static_cast<size_t>(width) * height, colour);
}

TEST(PhotoConverter, EachKindOfFileTakesItsPath) {
  const uint32_t colours[4] = {kRed, kGreen, kBlue, kWhite};
  const std::string baseline = Jpeg(Quadrants(320, 240, colours), 320, 240);
  JpegOptions progressive;
  progressive.progressive = true;
  JpegOptions cmyk;
  cmyk.cmyk = true;
  JpegOptions grey;
  grey.grey = true;
  const struct {
    const char* name;
    std::string bytes;
    int maxSide;
    const char* error;  // null: converted
    PhotoAction action;
    int width, height;
  } cases[] = {
      {"baseline.jpg", baseline, kDefaultMaxSide, nullptr, PhotoAction::kCopied, 320, 240},
      {"progressive.jpg", Jpeg(Quadrants(320, 240, colours), 320, 240, progressive),
       kDefaultMaxSide, nullptr, PhotoAction::kTranscoded, 320, 240},
      {"large.jpg", baseline, 100, nullptr, PhotoAction::kReencoded, 100, 75},
      {"alpha.png", Png(Solid(64, 32, 0x80FFFFFF), 64, 32), kDefaultMaxSide, nullptr,
       PhotoAction::kReencoded, 64, 32},
      {"cmyk.jpg", Jpeg(Solid(48, 48, 0xFF000000), 48, 48, cmyk), kDefaultMaxSide, nullptr,
       PhotoAction::kReencoded, 48, 48},
      {"grey.jpg", Jpeg(Solid(48, 48, 0xFF808080), 48, 48, grey), kDefaultMaxSide, nullptr,
       PhotoAction::kReencoded, 48, 48},
      {"panorama.jpg", Jpeg(Solid(20000, 100, 0xFF336699), 20000, 100), kDefaultMaxSide, nullptr,
       PhotoAction::kReencoded, 3840, 19},
      {"truncated.jpg", baseline.substr(0, baseline.size() / 2), kDefaultMaxSide, "damaged JPEG",
       PhotoAction::kCopied, 0, 0},
      {"tiny.png", Png(Solid(1, 1, kRed), 1, 1), kDefaultMaxSide, "too small (1x1)",
       PhotoAction::kCopied, 0, 0},
      {"text.jpg", "just some text", kDefaultMaxSide, "named like a JPEG", PhotoAction::kCopied, 0,
       0},
      {"notes.txt", "just some text", kDefaultMaxSide, "not an image", PhotoAction::kCopied, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CPhotoConverter converter(c.maxSide);
    ConvertedPhoto result;
    const bool ok = converter.Convert(c.name, c.bytes, &result);
    if (c.error != nullptr) {
      EXPECT_FALSE(ok);
      EXPECT_NE(converter.GetError().find(c.error), std::string::npos) << converter.GetError();
      continue;
    }
    ASSERT_TRUE(ok) << converter.GetError();
    EXPECT_EQ(result.action, c.action);
    const MipLevel image = Decode(result.jpeg);
    EXPECT_EQ(image.width, c.width);
    EXPECT_EQ(image.height, c.height);
    // Every result is a baseline frame (SOF0) and never progressive (SOF2).
    EXPECT_NE(result.jpeg.find("\xFF\xC0"), std::string::npos);
    EXPECT_EQ(result.jpeg.find("\xFF\xC2"), std::string::npos);
  }
  // Nothing changes on the way: the same bytes, or the same decoded pixels.
  CPhotoConverter converter;
  ConvertedPhoto copied, transcoded;
  ASSERT_TRUE(converter.Convert("a.jpg", cases[0].bytes, &copied));
  EXPECT_EQ(copied.jpeg, baseline);
  ASSERT_TRUE(converter.Convert("b.jpg", cases[1].bytes, &transcoded));
  EXPECT_TRUE(Decode(transcoded.jpeg).pixels == Decode(cases[1].bytes).pixels);
  // Half-transparent white on black is mid grey.
  ConvertedPhoto alpha;
  ASSERT_TRUE(converter.Convert("alpha.png", cases[3].bytes, &alpha));
  EXPECT_TRUE(Near(At(Decode(alpha.jpeg), 32, 16), 0xFF808080, 8));
}

TEST(ProductIdentity, Windows1252RulesAndTheEngineReadsTheExactBytes) {
  const struct {
    const char* title;  // UTF-8 as typed
    const char* ansi;   // null: refused
    const char* reason;
  } cases[] = {
      {"Ocean Views", "Ocean Views", nullptr},
      {"Caf\xC3\xA9 & \xE2\x82\xAC 5 \xE2\x80\x9Cquoted\xE2\x80\x9D",
       "Caf\xE9 & \x80 5 \x93quoted\x94", nullptr},
      {"  padded  ", "padded", nullptr},
      {"a<b", nullptr, "\"<\""},
      {"a>b", nullptr, "\">\""},
      {"left\\right", nullptr, "backslash"},
      {"snow \xE2\x98\x83", nullptr, "U+2603"},
      {"bad \xC3", nullptr, "not UTF-8"},
      {"tab\there", nullptr, "control character U+0009"},
      {"   ", nullptr, "Title is empty"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    ProductIdentity ansi;
    std::string why;
    const bool ok = ToWindows1252Identity({c.title, "1.0", "2026", "Quill Co"}, &ansi, &why);
    if (c.ansi == nullptr) {
      EXPECT_FALSE(ok);
      EXPECT_NE(why.find(c.reason), std::string::npos) << why;
      continue;
    }
    ASSERT_TRUE(ok) << why;
    EXPECT_EQ(ansi.title, c.ansi);
    // Every option away from the engine's default, so that each is seen to travel.
    ScreenOptions screen = NewProductScreenOptions();
    screen.Fit = FitMode::Fit;
    const std::string document = FormatConfigDocument(ansi, screen);
    ProductInfo product;
    ASSERT_TRUE(ReadProductConfig(document.data(), static_cast<int>(document.size()), product));
    EXPECT_EQ(product.Title, c.ansi);
    EXPECT_EQ(product.Monitors, MonitorsOption::All);
    EXPECT_EQ(product.Fit, FitMode::Fit);
    EXPECT_EQ(product.Motion, MotionMode::PanZoom);
    EXPECT_EQ(product.Pairs, PairsOption::On);
    EXPECT_EQ(product.Bars, BarsOption::Blur);
    EXPECT_EQ(product.Captions, CaptionsOption::On);
    EXPECT_EQ(product.SettingsKey, std::string("Software\\Quill Co\\") + c.ansi);
    // Back to UTF-8 it is what was typed, less the blanks around it.
    const std::string typed = c.title;
    const size_t first = typed.find_first_not_of(' ');
    EXPECT_EQ(Windows1252ToUtf8(product.Title),
              typed.substr(first, typed.find_last_not_of(' ') - first + 1));
  }
}

TEST(PhotoList, NaturalNameOrder) {
  std::vector<std::string> names = {"img10.jpg", "IMG2.jpg", "img1.jpg", "img02b.jpg",
                                    "b.jpg",     "A.jpg",    "img2.jpg"};
  std::sort(names.begin(), names.end(), NaturalLess);
  EXPECT_EQ(names, (std::vector<std::string>{"A.jpg", "b.jpg", "img1.jpg", "IMG2.jpg", "img2.jpg",
                                             "img02b.jpg", "img10.jpg"}));
}

struct RunResult {
  int status;
  std::string out, err;
};

RunResult Quillpack(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = RunQuillpack(args, out, err);
  return {status, out.str(), err.str()};
}

void Put(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  WriteWholeFile(path, bytes);
}

uint32_t Le(const std::string& bytes, size_t at, int size) {
  uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i)
    value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

TEST(QuillpackNew, FolderOfPhotosToCheckedContent) {
  const fs::path root = FixtureFolder("new");
  const fs::path photos = root / "photos";
  const uint32_t colours[4] = {kRed, kGreen, kBlue, kWhite};
  for (int i : {10, 2, 1})
    Put(photos / ("p" + std::to_string(i) + ".jpg"), Jpeg(Quadrants(64, 48, colours), 64, 48));
  Put(photos / "p3.jpg", "not a photo");
  Put(photos / "notes.txt", "ignored: not named like a photo");
  Put(photos / "sub" / "p4.jpg", Jpeg(Solid(64, 48, kRed), 64, 48));
  const fs::path content = root / "content";
  const std::vector<std::string> args = {
      "new",     photos.u8string(), "-o",        content.u8string(),
      "--title", "Caf\xC3\xA9",     "--company", "Quill Co"};
  RunResult run = Quillpack(args);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("p3.jpg: named like a JPEG"), std::string::npos) << run.err;
  EXPECT_NE(run.out.find("3 photos taken (3 copied, 0 rewritten losslessly, 0 re-encoded; 0 "
                         "turned upright), 1 skipped"),
            std::string::npos)
      << run.out;
  CContentFolder folder;
  ASSERT_TRUE(folder.Scan(content));
  for (const CheckMessage& message : CheckContent(folder)) ADD_FAILURE() << message.text;
  EXPECT_FALSE(fs::exists(content / "images" / "3.jpg"));  // the subfolder needs -r
  for (int k = 1; k <= 4; ++k) {
    const std::string bmp =
        ReadWholeFile(content / "splash" / ("splash" + std::to_string(k) + ".bmp"));
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(Le(bmp, 18, 4), static_cast<uint32_t>(kSplashWidth));
    EXPECT_EQ(Le(bmp, 22, 4), static_cast<uint32_t>(kSplashHeight));
    EXPECT_EQ(Le(bmp, 28, 2), 24u);  // bits per pixel
    EXPECT_EQ(Le(bmp, 30, 4), 0u);   // BI_RGB
    EXPECT_EQ(bmp.size(), 54u + ((kSplashWidth * 3 + 3) & ~3u) * kSplashHeight);
  }

  // Refusals leave the folder as it was and nothing beside it.
  const std::vector<std::pair<std::vector<std::string>, std::string>> refusals = {
      {args, "already exists"},
      {{"new", photos.u8string(), "-o", (root / "other").u8string(), "--title", "a<b", "--company",
        "c"},
       "\"<\""},
      {{"new", (root / "content" / "config").u8string(), "-o", (root / "other").u8string(),
        "--title", "t", "--company", "c"},
       "no photos found"},
  };
  for (const auto& [refused, reason] : refusals) {
    run = Quillpack(refused);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
  }
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(root))
    left.push_back(entry.path().filename().u8string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"content", "photos"}));

  // --force replaces the folder; -r reads the subfolder.
  std::vector<std::string> again = args;
  again.insert(again.end(), {"--force", "-r"});
  run = Quillpack(again);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::exists(content / "images" / "3.jpg"));
}

TEST(QuillpackNew, MoreThanTheEngineShowsIsRefused) {
  const fs::path root = FixtureFolder("many");
  for (int i = 0; i <= 1024; ++i) Put(root / "photos" / (std::to_string(i) + ".jpg"), "");
  const RunResult run = Quillpack({"new", (root / "photos").u8string(), "-o",
                                   (root / "out").u8string(), "--title", "t", "--company", "c"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("1025 photos; the engine shows at most 1024"), std::string::npos)
      << run.err;
  EXPECT_FALSE(fs::exists(root / "out"));
}

// WAV data of a 0.5 s, 441 Hz tone at half scale in each sample format "new" takes.
std::string ToneWav(int formatTag, int bits) {
  const std::vector<float> tone = SineSamples(22050, 2, 44100, 441, 0.5);
  std::string data;
  for (float v : tone) {
    if (formatTag == 3) {
      data.append(reinterpret_cast<const char*>(&v), 4);
      continue;
    }
    const auto scaled = static_cast<int32_t>(std::lround(v * ((1 << (bits - 1)) - 1)));
    const uint32_t raw =
        bits == 8 ? static_cast<uint32_t>(scaled + 128) : static_cast<uint32_t>(scaled);
    for (int i = 0; i < bits / 8; ++i) data += static_cast<char>(raw >> (8 * i));
  }
  return WavFile(formatTag, 2, 44100, bits, data);
}

TEST(QuillpackNew, MusicFromWavIsEncodedAndOggIsKeptByteForByte) {
  const fs::path root = FixtureFolder("music");
  Put(root / "photos" / "a.jpg", Jpeg(Solid(64, 48, kRed), 64, 48));
  const std::string ogg = SineOgg(44100, 1, 22050, 330);
  if (ogg.empty()) GTEST_SKIP() << "this build of the tools encodes no Vorbis (Windows)";
  Put(root / "b.ogg", ogg);
  struct Case {
    int tag, bits;
  };
  for (const Case& c : {Case{1, 8}, Case{1, 16}, Case{1, 24}, Case{3, 32}}) {
    SCOPED_TRACE(c.bits);
    ConvertedMusic music;
    std::string why;
    ASSERT_TRUE(ConvertMusic(ToneWav(c.tag, c.bits), &music, &why)) << why;
    EXPECT_TRUE(music.encoded);
    EXPECT_EQ(music.facts.frames, 22050u);
    EXPECT_EQ(music.facts.channels, 2);
    // The tone survives: its peak decodes near half scale.
    CVorbisTrack track;
    ASSERT_TRUE(track.Open(reinterpret_cast<const unsigned char*>(music.ogg.data()),
                           static_cast<int>(music.ogg.size())));
    std::vector<int16_t> pcm(22050 * 2);
    const int frames = track.ReadStereo(pcm.data(), 22050);
    EXPECT_NEAR(*std::max_element(pcm.begin(), pcm.begin() + frames * 2), 16384, 1500);
  }
  Put(root / "a.wav", ToneWav(1, 16));

  const fs::path content = root / "content";
  RunResult run = Quillpack({"new", (root / "photos").u8string(), "--music",
                             (root / "a.wav").u8string(), (root / "b.ogg").u8string(), "-o",
                             content.u8string(), "--title", "t", "--company", "c"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("2 music track(s) (1 encoded)"), std::string::npos) << run.out;
  EXPECT_EQ(ReadWholeFile(content / "music" / "1.ogg"), ogg);
  run = Quillpack({"check", content.u8string()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("music: 2 track(s)\nmusic/0.ogg: 0:00, 2 channel(s), 44100 Hz\n"
                         "music/1.ogg: 0:02, 1 channel(s), 22050 Hz\n"),
            std::string::npos)
      << run.out;

  // A product whose second track is cut short: list names it in a warning.
  const fs::path product = root / "product.scr";
  ASSERT_TRUE(WriteProduct(product, FakeEngine(4096),
                           {{"music/0.ogg", ogg}, {"music/1.ogg", ogg.substr(0, ogg.size() / 2)}}));
  run = Quillpack({"list", product.u8string()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("music: 2 track(s)"), std::string::npos) << run.out;
  EXPECT_NE(run.err.find("warning: music/1.ogg: does not decode whole"), std::string::npos)
      << run.err;

  // Other formats are refused with the formats that are taken; nothing is left.
  Put(root / "c.mp3", "ID3\x04 not taken");
  run = Quillpack({"new", (root / "photos").u8string(), "-o", (root / "other").u8string(),
                   "--title", "t", "--company", "c", "--music", (root / "c.mp3").u8string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("c.mp3: not a music file quillpack takes; it takes Ogg Vorbis (.ogg) or "
                         "WAV (PCM of 8, 16 or 24 bits, or float)"),
            std::string::npos)
      << run.err;
  EXPECT_FALSE(fs::exists(root / "other"));

  // A rate the engine does not play is named as such, before anything is encoded.
  ConvertedMusic music;
  std::string why;
  const int rate = kMaxMusicSampleRate + 1;
  EXPECT_FALSE(ConvertMusic(WavFile(1, 1, rate, 16, std::string(2000, '\x10')), &music, &why));
  EXPECT_EQ(why, "a sample rate of " + std::to_string(rate) + " Hz, above the engine's limit of " +
                     std::to_string(kMaxMusicSampleRate) + " Hz");
}

TEST(QuillpackInstaller, RefusalsNameTheFileAndTheReason) {
  const fs::path root = FixtureFolder("installer");
  const fs::path product = root / "product.scr";
  Put(product, "not a product");
  const struct {
    const char* output;
    const char* reason;
  } cases[] = {
      {"Setup.exe", "setup.exe would ask for administrator rights"},
      {"installer.msi", "must end in .exe"},
      {"installer.exe", "product.scr: no readable content archive"},
  };
  for (const auto& c : cases) {
    const RunResult run =
        Quillpack({"installer", product.u8string(), "-o", (root / c.output).u8string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(root / c.output));
  }
}

TEST(QuillpackInstaller, MakensisTakesTitlesWithItsSpecialCharacters) {
  const fs::path root = FixtureFolder("installer-ok");
  const fs::path product = root / "deals.scr";
  // Windows-1252 in the configuration, as quillpack new writes it.
  const std::string config =
      "<ini><Screensaver><Title>Price \"$5\" Caf\xE9</Title><Version>1.2</Version>"
      "<Year>2026</Year><Company>Quill $HOME Co</Company></Screensaver></ini>";
  ASSERT_TRUE(WriteProduct(product, FakeEngine(4096), {{"config/config.xml", config}}));
  const RunResult run =
      Quillpack({"installer", product.u8string(), "-o", (root / "deals-installer.exe").u8string()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadWholeFile(root / "deals-installer.exe").substr(0, 2), "MZ");
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(root))
    left.push_back(entry.path().filename().u8string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"deals-installer.exe", "deals.scr"}));

  // "$" and quotes are escaped, the title is UTF-8, and the install folder has no
  // character Windows forbids in names.
  InstallerPlan plan;
  plan.identity = {"Price \"$5\" Caf\xC3\xA9", "1.2", "2026", "Quill $HOME Co"};
  plan.productFileName = "deals.scr";
  const std::string script = FormatInstallerScript(plan);
  EXPECT_NE(script.find("Name \"Price $\\\"$$5$\\\" Caf\xC3\xA9\"\n"), std::string::npos) << script;
  EXPECT_NE(
      script.find(
          "InstallDir \"$LOCALAPPDATA\\Programs\\Quill $$HOME Co\\Price _$$5_ Caf\xC3\xA9\"\n"),
      std::string::npos)
      << script;
}

}  // namespace

// The Linux build finds faces in Debian's sample photos; the Windows one has neither.
#ifdef QUILL_SAMPLE_PHOTOS_DIR
// Faces: scikit-image's astronaut portrait gets a focus around her face (the detector
// finds it at about x 179..266, y 83..170 of 512 x 512); a cup of coffee, a rocket and
// a cat get none; --no-faces records nothing.
TEST(QuillpackNew, PhotosWithAFaceGetAFocusAroundItAndOthersNone) {
  const fs::path samples = QUILL_SAMPLE_PHOTOS_DIR;
  const fs::path root = FixtureFolder("faces");
  const char* photos[] = {"astronaut.png", "coffee.png", "rocket.jpg", "chelsea.png"};
  for (bool faces : {true, false}) {
    SCOPED_TRACE(faces);
    std::vector<std::string> args = {"new"};
    for (const char* photo : photos) args.push_back((samples / photo).u8string());
    args.insert(args.end(), {"-o", (root / "content").u8string(), "--title", "Faces", "--company",
                             "Quill", "--force"});
    if (!faces) args.push_back("--no-faces");
    const RunResult run = Quillpack(args);
    ASSERT_EQ(run.status, 0) << run.err;
    for (int i = 0; i < 4; ++i) {
      SCOPED_TRACE(photos[i]);
      const std::string jpeg = ReadWholeFile(root / "content" / ImageFileName(i));
      FocusRecord focus;
      const bool found = FindFocusRecord(jpeg.data(), jpeg.size(), focus);
      EXPECT_EQ(found, faces && i == 0);
      if (!found) continue;
      EXPECT_EQ(focus.width, 512);
      EXPECT_EQ(focus.height, 512);
      EXPECT_LT(focus.left, 179 / 512.0f);
      EXPECT_GT(focus.right, 266 / 512.0f);
      EXPECT_LT(focus.top, 83 / 512.0f);
      EXPECT_GT(focus.bottom, 170 / 512.0f);
      EXPECT_LT(focus.right - focus.left, 0.4f);  // the face, not the whole portrait
      EXPECT_LT(focus.bottom - focus.top, 0.5f);
    }
    const RunResult check = Quillpack({"check", (root / "content").u8string()});
    EXPECT_NE(check.out.find(faces ? "images/0.jpg: focus 0." : "focus: 0 of 4 image(s)"),
              std::string::npos)
        << check.out;
  }
}
#endif

// Photos given their metadata by exiftool, each against the caption line expected in
// images/captions.txt; then the same photos with other --captions choices and a
// hand-edited file as check reads it.
TEST(QuillpackNew, CaptionsFromEachKindOfMetadata) {
  const fs::path root = FixtureFolder("captions");
  const std::string greek =
      "\xCE\x9B\xCE\xB9\xCE\xBC\xCE\xAC\xCE\xBD\xCE\xB9 \xCF\x83\xCF\x84\xCE"
      "\xBF \xCE\xB4\xCE\xB5\xCE\xB9\xCE\xBB\xCE\xB9\xCE\xBD\xCF\x8C";
  const std::string czech = "Z\xC3\xA1mek K\xC5\x99ivokl\xC3\xA1t";
  const std::string japanese = "\xE6\xB8\xAF\xE3\x81\xAE\xE5\xA4\x95\xE6\x9A\xAE\xE3\x82\x8C";
  const std::string longTitle = "Tab\there " + std::string(130, 'x');
  struct Row {
    const char* file;
    std::vector<std::string> exiftool;  // tags to write; none: the photo has no metadata
    std::string expected;               // the line, "" for no caption
  };
  const Row rows[] = {
      {"01_no-metadata.jpg", {}, ""},
      {"02.jpg", {"-ImageDescription=OLYMPUS DIGITAL CAMERA", "-Make=OLYMPUS"}, ""},
      {"03.jpg", {"-ImageDescription=  NIKON D750 ", "-Model=NIKON D750"}, ""},
      {"04.jpg",
       {"-XMP-dc:Title=" + greek, "-IPTC:ObjectName=Harbour",
        "-DateTimeOriginal=2023:07:14 18:02:11"},
       "3 | 2023-07-14 | " + greek},
      {"05.jpg", {"-DateTimeOriginal=2023:07:15 08:00:00"}, "4 | 2023-07-15 | "},
      {"06.jpg",
       {"-CreateDate=2024:02:29 10:00:00", "-ImageDescription=SONY DSC"},
       "5 | 2024-02-29 | "},
      {"07.jpg", {"-XMP-dc:Description=" + czech, "-ImageDescription=Castle"}, "6 | | " + czech},
      {"08.jpg",
       {"-IPTC:CodedCharacterSet=UTF8", "-IPTC:Caption-Abstract=" + japanese},
       "7 | | " + japanese},
      {"09.jpg",
       {"-ImageDescription=" + longTitle, "-DateTimeOriginal=0000:00:00 00:00:00"},
       "8 | | Tabhere " + std::string(112, 'x')},
  };
  // One exiftool run writes every photo's tags: an argument file, -execute between.
  const uint32_t colours[4] = {kRed, kGreen, kBlue, kWhite};
  std::string arguments;
  for (const Row& row : rows) {
    const fs::path photo = root / "photos" / row.file;
    Put(photo, Jpeg(Quadrants(32, 32, colours), 32, 32));
    if (row.exiftool.empty()) continue;
    arguments += "-q\n-overwrite_original\n";
    for (const std::string& tag : row.exiftool) arguments += tag + '\n';
    arguments += photo.u8string() + "\n-execute\n";
  }
  Put(root / "tags.args", arguments);
  ASSERT_EQ(std::system(("exiftool -@ '" + (root / "tags.args").u8string() + "'").c_str()), 0);
  const auto make = [&](const std::string& choice) {
    const fs::path content = root / ("content-" + choice);
    std::vector<std::string> args = {
        "new", (root / "photos").u8string(), "-o", content.u8string(), "--title", "t", "--company",
        "c"};
    if (!choice.empty()) args.insert(args.end(), {"--captions", choice});
    const RunResult run = Quillpack(args);
    EXPECT_EQ(run.status, 0) << run.err;
    return content / kCaptionsName;
  };
  CCaptionList list;
  const std::string written = ReadWholeFile(make(""));
  list.Parse(written.data(), written.size());
  EXPECT_EQ(list.GetCaptions().size(), 6u) << written;
  for (size_t i = 0; i < std::size(rows); ++i) {
    const std::string prefix = std::to_string(i) + " |";
    const size_t at = written.find("\n" + prefix);
    const std::string line =
        at == std::string::npos ? "" : written.substr(at + 1, written.find('\n', at + 1) - at - 1);
    EXPECT_EQ(line, rows[i].expected) << rows[i].file;
  }

  // The name, in the maker's order before the date, with _ and - as spaces; none
  // writes no file; an unknown part is refused.
  const std::string names = ReadWholeFile(make("name,title"));
  EXPECT_NE(names.find("\n0 | | 01 no metadata\n"), std::string::npos) << names;
  EXPECT_NE(names.find("\n6 | | 07" + std::string(kCaptionSeparator) + czech + "\n"),
            std::string::npos);
  EXPECT_FALSE(fs::exists(make("none")));
  for (const auto& [choice, element] :
       {std::pair<const char*, const char*>{"none", "off"}, {"name,title", "on"}})
    EXPECT_NE(ReadWholeFile(root / ("content-" + std::string(choice)) / "config" / "config.xml")
                  .find(std::string("<") + kCaptionsElement + ">" + element + "<"),
              std::string::npos)
        << choice;
  for (const char* refused : {"none,date", "title,title", "place", ""})
    EXPECT_EQ(Quillpack({"new", (root / "photos").u8string(), "-o", (root / "x").u8string(),
                         "--title", "t", "--company", "c", "--captions", refused})
                  .status,
              2)
        << refused;

  // A hand edit: check warns about each line it reads otherwise, and shows the rest.
  const fs::path edited = root / "content-name,title";
  Put(edited / kCaptionsName,
      "# mine\n0 | 2023-02-30 | Bad day\n1 | 2023-07-14 | Hello\x07\n"
      "1 | | again\n99 | | nobody\nno bars\n");
  const RunResult check = Quillpack({"check", edited.u8string()});
  EXPECT_EQ(check.status, 0);
  for (const char* warning :
       {"line 2: \"2023-02-30\" is not a date", "line 3: control", "line 4: image 1 has a caption",
        "image 99, which the engine never", "line 6: not NUMBER"})
    EXPECT_NE(check.err.find(warning), std::string::npos) << warning << '\n' << check.err;
  EXPECT_NE(check.out.find("captions: 3\n  0: Bad day\n  1: Hello" +
                           std::string(kCaptionSeparator) + "2023-07-14\n  99: nobody\n"),
            std::string::npos)
      << check.out;
}
