// libjpeg reports errors by calling a function that must not return; ours longjmps
// back to the one function that drives the decoder, which then destroys the decoder
// and returns false. That function therefore holds no C++ object with a destructor
// after its setjmp: the pixel block lives in the caller's frame.
#include "render/jpeg_reader.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

namespace {

// Ceiling for libjpeg's whole-image buffers (a progressive file keeps all its DCT
// coefficients, 2 bytes each, until the last scan). Fits a 32-bit long.
constexpr long kMaxJpegMemory = 1L << 30;

// Rows asked of libjpeg per call; it returns one or two at a time for usual files.
constexpr int kRowsPerCall = 4;

struct ErrorManager {
  jpeg_error_mgr pub;  // first, so libjpeg's pointer to it is a pointer to us
  std::jmp_buf jump;
  const std::atomic<bool>* stop;  // the caller's request to give up; may be null
};

[[noreturn]] void OnError(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings and traces are not printed. Data that ends before the image does (the
// buffer runs out, or a marker comes where entropy data should) is only a warning to
// libjpeg, which then decodes the missing part as flat grey. We refuse such files:
// otherwise a few hundred bytes whose header claims 16384 × 16384 cost a gigabyte and
// seconds of decoding, and a cut-off picture is no picture to show.
void OnMessage(j_common_ptr cinfo, int level) {
  const int code = cinfo->err->msg_code;
  if (level < 0 && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER)) OnError(cinfo);
}

void OnOutputMessage(j_common_ptr) {}

// libjpeg calls this for every iMCU row it reads and every batch of rows it writes,
// so a request to stop is seen within a millisecond or so.
void OnProgress(j_common_ptr cinfo) {
  const std::atomic<bool>* stop = reinterpret_cast<ErrorManager*>(cinfo->err)->stop;
  if (stop && stop->load(std::memory_order_relaxed)) OnError(cinfo);
  if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxJpegScans) OnError(cinfo);
}

// Where decoded rows go: the whole image into `level`, or rows in groups of up to
// kRowsPerCall into `sink` through the caller's buffer `rows`.
struct Destination {
  MipLevel* level = nullptr;
  IRowSink* written = nullptr;  // told of rows once they are in `level`
  IRowSink* sink = nullptr;
  uint32_t* rows = nullptr;  // kRowsPerCall rows of `width` pixels
  JDIMENSION width = 0;      // output size the sink expects
  JDIMENSION height = 0;
  const std::atomic<bool>* stop = nullptr;  // see DecodeJpeg
};

// Runs libjpeg over the data: the header only when `to` is null, else the whole
// image at 1/scale. See the file comment for why nothing here may own memory.
bool RunDecoder(const unsigned char* data, size_t size, int scale, ImageInfo* info,
                const Destination* to) {
  if (size == 0 || size > std::numeric_limits<unsigned long>::max()) return false;

  jpeg_decompress_struct cinfo;
  ErrorManager err;
  jpeg_progress_mgr progress;
  // Zeroed first so that destroying after an early error sees no memory manager.
  std::memset(&cinfo, 0, sizeof(cinfo));
  std::memset(&progress, 0, sizeof(progress));
  err.stop = to ? to->stop : nullptr;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnError;
  err.pub.emit_message = OnMessage;
  err.pub.output_message = OnOutputMessage;
  progress.progress_monitor = OnProgress;

  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  cinfo.mem->max_memory_to_use = kMaxJpegMemory;
  cinfo.progress = &progress;
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK ||
      !IsDecodableSize(cinfo.image_width, cinfo.image_height)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  if (info) {
    info->width = static_cast<int>(cinfo.image_width);
    info->height = static_cast<int>(cinfo.image_height);
    info->hasAlpha = false;
  }
  if (!to) {
    jpeg_destroy_decompress(&cinfo);
    return true;
  }

  // libjpeg-turbo writes B, G, R and an alpha of 255 itself: no conversion pass.
  cinfo.out_color_space = JCS_EXT_BGRA;
  cinfo.scale_num = 1;
  cinfo.scale_denom = static_cast<unsigned int>(scale);
  cinfo.dct_method = JDCT_ISLOW;
  cinfo.do_fancy_upsampling = TRUE;
  jpeg_start_decompress(&cinfo);  // a progressive file is read whole here
  const JDIMENSION width = cinfo.output_width;
  const JDIMENSION height = cinfo.output_height;
  if (cinfo.output_components != 4 || (to->sink && (width != to->width || height != to->height))) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }

  if (to->sink) {
    JSAMPROW rows[kRowsPerCall];
    for (int i = 0; i < kRowsPerCall; ++i)
      rows[i] = reinterpret_cast<JSAMPROW>(to->rows + static_cast<size_t>(i) * width);
    while (cinfo.output_scanline < height) {
      const JDIMENSION count = jpeg_read_scanlines(&cinfo, rows, kRowsPerCall);
      if (count == 0) break;  // only a suspending data source returns none
      to->sink->AddRows(to->rows, static_cast<int>(count));
    }
  } else {
    try {
      to->level->pixels.resize(static_cast<size_t>(width) * height);
    } catch (const std::bad_alloc&) {
      jpeg_destroy_decompress(&cinfo);
      return false;
    }
    to->level->width = static_cast<int>(width);
    to->level->height = static_cast<int>(height);
    uint32_t* pixels = to->level->pixels.data();
    while (cinfo.output_scanline < height) {
      JSAMPROW rows[kRowsPerCall];
      JDIMENSION count = 0;
      for (; count < kRowsPerCall && cinfo.output_scanline + count < height; ++count) {
        rows[count] = reinterpret_cast<JSAMPROW>(
            pixels + static_cast<size_t>(cinfo.output_scanline + count) * width);
      }
      const JDIMENSION first = cinfo.output_scanline;
      if (jpeg_read_scanlines(&cinfo, rows, count) == 0) break;
      if (to->written) {
        to->written->AddRows(pixels + static_cast<size_t>(first) * width,
                             static_cast<int>(cinfo.output_scanline - first));
      }
    }
  }
  const bool complete = cinfo.output_scanline == height;
  // Everything is decoded; what may follow the last scan is of no interest.
  jpeg_destroy_decompress(&cinfo);
  return complete;
}

}  // namespace

bool ReadJpegInfo(const void* data, size_t size, ImageInfo& info) {
  return RunDecoder(static_cast<const unsigned char*>(data), size, 1, &info, nullptr);
}

int ChooseJpegScale(int width, int height, int minWidth, int minHeight) {
  for (int scale = 8; scale > 1; scale /= 2) {
    if (JpegScaledSize(width, scale) >= minWidth && JpegScaledSize(height, scale) >= minHeight)
      return scale;
  }
  return 1;
}

bool DecodeJpeg(const void* data, size_t size, int scale, MipLevel& out, IRowSink* written,
                const std::atomic<bool>* stop) {
  out = MipLevel{};
  if (scale != 1 && scale != 2 && scale != 4 && scale != 8) return false;
  Destination to;
  to.level = &out;
  to.written = written;
  to.stop = stop;
  if (!RunDecoder(static_cast<const unsigned char*>(data), size, scale, nullptr, &to)) {
    out = MipLevel{};
    return false;
  }
  return true;
}

int JpegScaledSize(int size, int scale) { return (size + scale - 1) / scale; }

bool DecodeJpegRows(const void* data, size_t size, int scale, IRowSink& sink,
                    const std::atomic<bool>* stop) {
  if (scale != 1 && scale != 2 && scale != 4 && scale != 8) return false;
  ImageInfo info;
  if (!ReadJpegInfo(data, size, info)) return false;
  Destination to;
  to.sink = &sink;
  to.stop = stop;
  to.width = static_cast<JDIMENSION>(JpegScaledSize(info.width, scale));
  to.height = static_cast<JDIMENSION>(JpegScaledSize(info.height, scale));
  PixelBuffer rows(static_cast<size_t>(kRowsPerCall) * to.width);
  to.rows = rows.data();
  return RunDecoder(static_cast<const unsigned char*>(data), size, scale, nullptr, &to);
}
