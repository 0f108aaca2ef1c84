// The steps of "quillpack new", each writing into the staging folder.
#include "tools/quillpack/content_maker.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <system_error>
#include <utility>

#include "data/content_layout.h"
#include "data/focus_record.h"
#include "tools/quillfont/font_atlas.h"
#include "tools/quillpack/content_check.h"
#include "tools/quillpack/content_folder.h"
#include "tools/quillpack/music_tracks.h"
#include "tools/quillpack/photo_converter.h"
#include "tools/quillpack/photo_list.h"
#include "tools/quillpack/splash_picture.h"

namespace {

constexpr int kFontPixelHeight = 64;  // a line of text in the font texture
constexpr int kDefaultTextureSide = 64;
constexpr uint32_t kDefaultTextureColour = 0xFF101418;  // near black, a little blue
constexpr int kProgressWidth = 30;                      // characters of the bar
constexpr size_t kProgressFrom = 8;                     // photos; fewer finish at once

// A name beside `path` that is not in use yet.
std::filesystem::path Beside(const std::filesystem::path& path, const char* suffix) {
  std::error_code ec;
  for (int attempt = 0;; ++attempt) {
    std::filesystem::path candidate = path;
    candidate += suffix + std::to_string(attempt);
    if (!std::filesystem::exists(candidate, ec) || attempt >= 999) return candidate;
  }
}

std::string Megabytes(uintmax_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", bytes / 1e6);
  return text;
}

}  // namespace

std::filesystem::path DefaultFontPath() {
#ifdef _WIN32
  const char* windows = std::getenv("WINDIR");
  return std::filesystem::u8path(std::string(windows != nullptr ? windows : "C:\\Windows") +
                                 "\\Fonts\\arial.ttf");
#else
  return "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
#endif
}

bool CContentMaker::Error(const std::string& text) {
  m_err << "error: " << text << '\n';
  return false;
}

bool CContentMaker::Write(const std::string& name, const std::string& bytes) {
  const std::filesystem::path path = m_staging / std::filesystem::u8path(name);
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) return Error(path.u8string() + ": cannot write");
  return true;
}

void CContentMaker::ShowProgress(size_t done, size_t total) {
  if (!m_options.progress || total < kProgressFrom) return;
  const int filled = static_cast<int>(done * kProgressWidth / total);
  m_err << "\r[" << std::string(filled, '#') << std::string(kProgressWidth - filled, '.') << "] "
        << done << '/' << total << (done == total ? "\r\x1b[K" : "") << std::flush;
}

bool CContentMaker::RecordFocus(CFaceFinder& finder, CPhotoConverter& converter,
                                ConvertedPhoto& photo) {
  // The search copy is decoded at the smallest DCT scale still at least
  // kFaceSearchSide long, so a 12-megapixel photo is never decoded whole.
  const int longSide = std::max(photo.width, photo.height);
  const int minWidth =
      static_cast<int>(static_cast<int64_t>(photo.width) * kFaceSearchSide / longSide);
  const int minHeight =
      static_cast<int>(static_cast<int64_t>(photo.height) * kFaceSearchSide / longSide);
  MipLevel decoded;
  FocusRecord focus;
  std::string marked;
  if (!converter.DecodeResult(photo.jpeg, minWidth, minHeight, &decoded) ||
      !finder.FindFocus(decoded, photo.width, photo.height, focus) ||
      !InsertFocusRecord(photo.jpeg, focus, marked))
    return false;
  photo.jpeg = std::move(marked);
  return true;
}

void CContentMaker::AddCaption(int number, const std::filesystem::path& photo,
                               const std::string& bytes) {
  if (m_options.captionParts.empty()) return;
  Caption caption;
  if (MakeCaption(number, ReadPhotoMetadata(bytes), photo, m_options.captionParts, &caption))
    m_captions.push_back(std::move(caption));
}

bool CContentMaker::ConvertPhotos(const std::vector<std::filesystem::path>& photos,
                                  Counts* counts) {
  CPhotoConverter converter(m_options.maxSide);
  CFaceFinder finder;
  const bool faces = m_options.faces && CFaceFinder::IsAvailable();
  for (size_t i = 0; i < photos.size(); ++i) {
    ShowProgress(i, photos.size());
    const std::string name = photos[i].u8string();
    std::string bytes;
    std::string why;
    ConvertedPhoto photo;
    bool converted = false;
    if (ReadWholeFile(photos[i], &bytes, &why)) {
      try {
        converted = converter.Convert(name, bytes, &photo);
        why = name + ": " + converter.GetError();
        if (converted && faces) counts->focused += RecordFocus(finder, converter, photo);
      } catch (const std::bad_alloc&) {
        why = name + ": out of memory";
      }
    }
    if (!converted) {
      // Progress and warnings share the terminal; the bar is redrawn after.
      m_err << (m_options.progress ? "\r\x1b[K" : "") << "warning: " << why << "; skipped\n";
      ++counts->skipped;
      continue;
    }
    if (!Write(ImageFileName(counts->taken), photo.jpeg)) return false;
    // From the source file: re-encoding does not keep its metadata.
    AddCaption(counts->taken, photos[i], bytes);
    ++counts->taken;
    counts->copied += photo.action == PhotoAction::kCopied;
    counts->transcoded += photo.action == PhotoAction::kTranscoded;
    counts->reencoded += photo.action == PhotoAction::kReencoded;
    counts->rotated += photo.rotated;
  }
  ShowProgress(photos.size(), photos.size());
  counts->captioned = static_cast<int>(m_captions.size());
  // Written even with no caption found, for the maker to fill in by hand.
  return m_options.captionParts.empty() || Write(kCaptionsName, CCaptionList::Format(m_captions));
}

bool CContentMaker::WriteSplashes(int imageCount) {
  CPhotoConverter converter;
  for (int k = 0; k < kSplashCount; ++k) {
    // The middles of four equal stretches of the slideshow.
    const int index = (2 * k + 1) * imageCount / 8;
    const std::string name = ImageFileName(index);
    std::string jpeg;
    std::string why;
    MipLevel photo;
    MipLevel splash;
    if (!ReadWholeFile(m_staging / std::filesystem::u8path(name), &jpeg, &why)) return Error(why);
    if (!converter.DecodeResult(jpeg, kSplashWidth, kSplashHeight, &photo))
      return Error(name + ": " + converter.GetError());
    CoverAndCrop(photo, kSplashWidth, kSplashHeight, &splash);
    if (!Write(kSplashFileNames[k], EncodeBmp24(splash))) return false;
  }
  return true;
}

bool CContentMaker::WriteMusic(int* encoded) {
  if (m_options.music.size() > static_cast<size_t>(kMaxMusicTracks))
    return Error(std::to_string(m_options.music.size()) +
                 " music files; the engine plays at most " + std::to_string(kMaxMusicTracks));
  for (size_t i = 0; i < m_options.music.size(); ++i) {
    const std::filesystem::path path = std::filesystem::u8path(m_options.music[i]);
    std::string bytes;
    std::string why;
    if (!ReadWholeFile(path, &bytes, &why)) return Error(why);
    ConvertedMusic music;
    if (!ConvertMusic(bytes, &music, &why)) return Error(m_options.music[i] + ": " + why);
    if (!Write(MusicFileName(static_cast<int>(i)), music.ogg)) return false;
    *encoded += music.encoded;
  }
  return true;
}

bool CContentMaker::WriteFixedFiles(const ProductIdentity& ansi) {
  std::string ttf;
  std::string why;
  if (!ReadWholeFile(m_options.font, &ttf, &why)) return Error(why);
  FontAtlas atlas;
  if (!BuildFontAtlas(reinterpret_cast<const uint8_t*>(ttf.data()), ttf.size(), kFontPixelHeight,
                      kDefaultScreenAspect, &atlas, &why))
    return Error(m_options.font.u8string() + ": " + why);
  const std::vector<uint8_t> tga = EncodeTga(atlas);
  MipLevel texture;
  texture.width = texture.height = kDefaultTextureSide;
  texture.pixels.assign(kDefaultTextureSide * kDefaultTextureSide, kDefaultTextureColour);
  CTurboJpeg jpeg;
  std::string textureJpeg;
  if (!jpeg.Encode(texture, kReencodeQuality, &textureJpeg))
    return Error(std::string(kDefaultTextureName) + ": " + jpeg.GetError());
  return Write(kFontDescriptionName,
               FormatFontDescription(atlas, m_options.font.filename().u8string())) &&
         Write(kFontTextureName, std::string(tga.begin(), tga.end())) &&
         Write(kDefaultTextureName, textureJpeg) &&
         Write("config/config.xml", FormatConfigDocument(ansi, m_options.screen));
}

bool CContentMaker::PutInPlace() {
  std::error_code ec;
  std::filesystem::path old;
  if (std::filesystem::exists(m_options.output, ec)) {
    old = Beside(m_options.output, ".old");
    std::filesystem::rename(m_options.output, old, ec);
    if (ec) return Error(m_options.output.u8string() + ": cannot move aside: " + ec.message());
  }
  std::filesystem::rename(m_staging, m_options.output, ec);
  if (ec) {
    if (!old.empty()) std::filesystem::rename(old, m_options.output, ec);
    return Error(m_options.output.u8string() + ": cannot put in place: " + ec.message());
  }
  m_staging.clear();
  if (!old.empty()) std::filesystem::remove_all(old, ec);
  return true;
}

bool CContentMaker::Run() {
  const std::string outputName = m_options.output.u8string();
  ProductIdentity ansi;
  std::string why;
  if (!ToWindows1252Identity(m_options.identity, &ansi, &why)) return Error(why);
  std::error_code ec;
  if (std::filesystem::exists(m_options.output, ec) && !m_options.force)
    return Error(outputName + ": already exists; --force replaces it");
  std::vector<std::filesystem::path> photos;
  if (!CollectPhotos(m_options.photos, m_options.recursive, &photos, &why)) return Error(why);
  if (photos.empty()) return Error("no photos found (JPEG, PNG, BMP, GIF or TGA files)");
  if (photos.size() > static_cast<size_t>(kMaxImages))
    return Error(std::to_string(photos.size()) + " photos; the engine shows at most " +
                 std::to_string(kMaxImages));

  m_staging = Beside(m_options.output, ".partial");
  // Whatever happens below, an unfinished folder does not stay.
  struct Cleanup {
    std::filesystem::path& folder;
    ~Cleanup() {
      std::error_code ignored;
      if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
    }
  } cleanup{m_staging};
  std::filesystem::create_directories(m_staging, ec);
  if (ec) return Error(m_staging.u8string() + ": " + ec.message());

  Counts counts;
  int encodedMusic = 0;
  if (!WriteMusic(&encodedMusic) || !WriteFixedFiles(ansi) || !ConvertPhotos(photos, &counts))
    return false;
  if (counts.taken == 0)
    return Error("none of the " + std::to_string(photos.size()) + " photos could be read");
  if (!WriteSplashes(counts.taken)) return false;

  // The folder must pass the same checks that "quillpack build" runs.
  CContentFolder folder;
  if (!folder.Scan(m_staging)) return Error(folder.GetError());
  uintmax_t size = 0;
  for (const ContentFile& file : folder.GetFiles()) size += file.size;
  for (const CheckMessage& message : CheckContent(folder))
    if (message.error) return Error("the new folder fails a check: " + message.text);
  if (!PutInPlace()) return false;

  m_out << outputName << ": " << counts.taken << " photos taken (" << counts.copied << " copied, "
        << counts.transcoded << " rewritten losslessly, " << counts.reencoded << " re-encoded; "
        << counts.rotated << " turned upright), " << counts.skipped << " skipped; ";
  if (m_options.faces && CFaceFinder::IsAvailable())
    m_out << counts.focused << " with faces in focus; ";
  if (!m_options.captionParts.empty()) m_out << counts.captioned << " with captions; ";
  if (!m_options.music.empty())
    m_out << m_options.music.size() << " music track(s) (" << encodedMusic << " encoded); ";
  m_out << "content " << Megabytes(size) << '\n';
  return true;
}
