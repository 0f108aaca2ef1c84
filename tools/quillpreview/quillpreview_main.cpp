// quillpreview: shows product makers what the transition effects look like without a
// Direct3D device. Renders contact sheets and single frames on the CPU, as the
// renderer's grid mesh blends two images, or prints an effect's weight grid.
// Exit status: 0 success, 1 a file could not be read, decoded or written, 2 bad usage.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/random.h"
#include "render/transition.h"
#include "tools/quillpreview/image_io.h"
#include "tools/quillpreview/mesh_preview.h"
#include "tools/quillpreview/preview_options.h"

namespace {

constexpr unsigned kGridWidth = 128;  // the renderer's weight grid
constexpr unsigned kGridHeight = 96;
constexpr int kSheetGap = 4;                       // pixels between sheet cells
constexpr long long kMaxOutputPixels = 1LL << 27;  // keeps a sheet or frame below ~400 MB
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int UsageError(const std::string& message) {
  std::fprintf(stderr, "quillpreview: %s\n\n%s", message.c_str(), PreviewUsage());
  return kExitUsage;
}

int Failure(const std::string& message) {
  std::fprintf(stderr, "quillpreview: %s\n", message.c_str());
  return kExitFailure;
}

bool LoadPicture(const std::string& path, int width, int height, FitMode fit, RgbImage& image,
                 std::string& error) {
  std::vector<uint8_t> bytes;
  if (!ReadPictureFile(path, bytes, error)) return false;
  if (!DecodePlaced(bytes, width, height, fit, image)) {
    error = "cannot decode " + path + " (not a JPEG, TGA, PNG, BMP or GIF picture we accept)";
    return false;
  }
  return true;
}

int RenderFrame(const PreviewOptions& options) {
  int width = options.width, height = options.height;
  if (width == 0) {
    // Without --size the output takes the current image's own size.
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadPictureFile(options.imageA, bytes, error)) return Failure(error);
    if (!ReadPictureSize(bytes, width, height)) return Failure("cannot decode " + options.imageA);
  }
  if (static_cast<long long>(width) * height > kMaxOutputPixels)
    return UsageError("the output would be too large; give a smaller --size");

  RgbImage a, b;
  std::string error;
  if (!LoadPicture(options.imageA, width, height, options.fit, a, error) ||
      !LoadPicture(options.imageB, width, height, options.fit, b, error))
    return Failure(error);

  CTransition transition(kGridWidth, kGridHeight);
  transition.SetEffect(options.effect, options.centreX, options.centreY);
  const float* mask = transition.ComputeMask(options.progress[0]);
  RgbImage frame(width, height);
  BlendImages(a, b, SpreadMask(mask, kGridWidth, kGridHeight, width, height), frame);
  if (!WritePng(options.output, frame)) return Failure("cannot write " + options.output);
  return 0;
}

int RenderSheet(const PreviewOptions& options) {
  const int cellWidth = options.width, cellHeight = options.height;
  const int columns = static_cast<int>(options.progress.size());
  const int rows = CTransition::kEffectCount;
  const long long sheetWidth =
      static_cast<long long>(columns) * (cellWidth + kSheetGap) + kSheetGap;
  const long long sheetHeight = static_cast<long long>(rows) * (cellHeight + kSheetGap) + kSheetGap;
  if (sheetWidth * sheetHeight > kMaxOutputPixels)
    return UsageError("the sheet would be too large; give a smaller --size or fewer values");

  RgbImage a, b;
  std::string error;
  if (!LoadPicture(options.imageA, cellWidth, cellHeight, options.fit, a, error) ||
      !LoadPicture(options.imageB, cellWidth, cellHeight, options.fit, b, error))
    return Failure(error);

  RgbImage sheet(static_cast<int>(sheetWidth), static_cast<int>(sheetHeight));
  std::fill(sheet.pixels.begin(), sheet.pixels.end(), uint8_t{48});
  RgbImage cell(cellWidth, cellHeight);
  const int labelScale = cellHeight >= 96 ? 2 : 1;
  CTransition transition(kGridWidth, kGridHeight);
  for (int effect = 0; effect < rows; ++effect) {
    // One choice per row: the block effect keeps one table across the row.
    transition.SetEffect(effect, options.centreX, options.centreY);
    for (int column = 0; column < columns; ++column) {
      const float p = options.progress[column];
      const float* mask = transition.ComputeMask(p);
      BlendImages(a, b, SpreadMask(mask, kGridWidth, kGridHeight, cellWidth, cellHeight), cell);
      char label[32];
      std::snprintf(label, sizeof(label), "E%d P%.2f", effect, static_cast<double>(p));
      DrawLabel(label, 0, 0, labelScale, cell);
      PasteImage(cell, kSheetGap + column * (cellWidth + kSheetGap),
                 kSheetGap + effect * (cellHeight + kSheetGap), sheet);
    }
  }
  if (!WritePng(options.output, sheet)) return Failure("cannot write " + options.output);
  return 0;
}

int DumpMask(const PreviewOptions& options) {
  CTransition transition(kGridWidth, kGridHeight);
  transition.SetEffect(options.effect, options.centreX, options.centreY);
  const float* mask = transition.ComputeMask(options.progress[0]);
  const std::string text = FormatMask(mask, kGridWidth, kGridHeight, options.digits);
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0)
    return Failure("cannot write the mask to standard output");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  PreviewOptions options;
  std::string error;
  if (!ParsePreviewArguments(argc, argv, options, error)) return UsageError(error);
  // The block effect's table comes from the random draws: a seed makes it repeatable.
  SeedRandom(options.seed);
  switch (options.mode) {
    case PreviewMode::kHelp:
      std::fputs(PreviewUsage(), stdout);
      return 0;
    case PreviewMode::kSheet:
      return RenderSheet(options);
    case PreviewMode::kFrame:
      return RenderFrame(options);
    case PreviewMode::kMask:
      return DumpMask(options);
  }
  return kExitUsage;
}
