// JPEG through libjpeg's compressor into memory; TGA written by hand.
#include "tools/common/image_writers.h"

#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

namespace {

// libjpeg reports fatal errors through error_exit, which must not return: it jumps
// back to the encoder, whose frame holds only plain data.
struct JpegError {
  jpeg_error_mgr manager;
  jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnJpegError(j_common_ptr info) {
  auto* error = reinterpret_cast<JpegError*>(info->err);
  (*info->err->format_message)(info, error->message);
  longjmp(error->jump, 1);
}

// A progressive script of `count` scans: one interleaved DC scan, then the 63 AC
// coefficients of each component split into single-coefficient bands as needed.
std::vector<jpeg_scan_info> MakeScanScript(int count) {
  std::vector<jpeg_scan_info> script;
  jpeg_scan_info dc = {};
  dc.comps_in_scan = 3;
  for (int c = 0; c < 3; ++c) dc.component_index[c] = c;
  dc.Ss = dc.Se = 0;
  script.push_back(dc);
  int left = count - 1;  // scans still to place; each component needs at least one
  for (int c = 0; c < 3; ++c) {
    const int bands = c == 2 ? left : std::min(63, left - (2 - c));
    left -= bands;
    int start = 1;
    for (int b = 0; b < bands; ++b) {
      jpeg_scan_info ac = {};
      ac.comps_in_scan = 1;
      ac.component_index[0] = c;
      ac.Ss = start;
      ac.Se = b + 1 == bands ? 63 : start;
      start = ac.Se + 1;
      script.push_back(ac);
    }
  }
  return script;
}

// The libjpeg part. Everything with a destructor is made by the caller, because the
// error exit jumps over this frame.
bool Compress(const std::vector<uint32_t>& pixels, int width, int height,
              const JpegOptions& options, const std::vector<jpeg_scan_info>& script,
              std::vector<uint8_t>& row, unsigned char** data, unsigned long* size, char* message) {
  jpeg_compress_struct cinfo;
  JpegError error;
  cinfo.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = OnJpegError;
  if (setjmp(error.jump)) {
    jpeg_destroy_compress(&cinfo);
    std::snprintf(message, JMSG_LENGTH_MAX, "%s", error.message);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, data, size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  if (options.grey) {
    cinfo.input_components = 1;
    cinfo.in_color_space = JCS_GRAYSCALE;
  } else if (options.cmyk) {
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
  } else {
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_BGRX;
  }
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, options.quality, TRUE);
  if (!options.subsample) cinfo.comp_info[0].h_samp_factor = cinfo.comp_info[0].v_samp_factor = 1;
  if (!script.empty()) {
    cinfo.scan_info = script.data();
    cinfo.num_scans = static_cast<int>(script.size());
  } else if (options.progressive) {
    jpeg_simple_progression(&cinfo);
  }
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    const uint32_t* src = &pixels[static_cast<size_t>(cinfo.next_scanline) * width];
    for (int x = 0; x < width; ++x) {
      if (options.grey) {
        row[x] = static_cast<uint8_t>(src[x] >> 8);
      } else {
        for (int c = 0; c < 4; ++c) row[4 * x + c] = static_cast<uint8_t>(src[x] >> (8 * c));
      }
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

}  // namespace

bool EncodeJpeg(const std::vector<uint32_t>& pixels, int width, int height,
                const JpegOptions& options, std::vector<uint8_t>* out, std::string* why) {
  if (width <= 0 || height <= 0 || pixels.size() < static_cast<size_t>(width) * height) {
    *why = "no pixels for a " + std::to_string(width) + " x " + std::to_string(height) + " image";
    return false;
  }
  const std::vector<jpeg_scan_info> script =
      options.scans > 0 ? MakeScanScript(options.scans) : std::vector<jpeg_scan_info>();
  std::vector<uint8_t> row(static_cast<size_t>(width) * 4);
  unsigned char* data = nullptr;
  unsigned long size = 0;
  char message[JMSG_LENGTH_MAX] = "";
  const bool ok = Compress(pixels, width, height, options, script, row, &data, &size, message);
  if (ok) out->assign(data, data + size);
  std::free(data);  // jpeg_mem_dest allocates with malloc
  if (!ok) *why = message;
  return ok;
}

std::vector<uint8_t> EncodeTga(const std::vector<uint32_t>& pixels, int width, int height,
                               const TgaOptions& options) {
  std::vector<uint8_t> file(18, 0);
  file[0] = static_cast<uint8_t>(options.idLength);
  file[2] = options.rle ? 10 : 2;
  file[12] = width & 0xFF;
  file[13] = (width >> 8) & 0xFF;
  file[14] = height & 0xFF;
  file[15] = (height >> 8) & 0xFF;
  file[16] = static_cast<uint8_t>(options.bits);
  file[17] = static_cast<uint8_t>((options.bits == 32 ? 8 : 0) | (options.topLeft ? 0x20 : 0) |
                                  (options.rightToLeft ? 0x10 : 0));
  for (int i = 0; i < options.idLength; ++i) file.push_back(static_cast<uint8_t>('a' + i));

  std::vector<uint32_t> stream;  // pixels in stored order
  for (int row = 0; row < height; ++row) {
    const int y = options.topLeft ? row : height - 1 - row;
    for (int column = 0; column < width; ++column) {
      const int x = options.rightToLeft ? width - 1 - column : column;
      stream.push_back(pixels[static_cast<size_t>(y) * width + x]);
    }
  }
  const int bytes = options.bits / 8;
  auto put = [&](uint32_t p) {
    for (int c = 0; c < bytes; ++c) file.push_back(static_cast<uint8_t>(p >> (8 * c)));
  };
  if (!options.rle) {
    for (uint32_t p : stream) put(p);
    return file;
  }
  auto runAt = [&](size_t i) {
    size_t n = 1;
    while (i + n < stream.size() && n < 128 && stream[i + n] == stream[i]) ++n;
    return n;
  };
  for (size_t i = 0; i < stream.size();) {
    const size_t run = runAt(i);
    if (run >= 2) {
      file.push_back(static_cast<uint8_t>(0x80 | (run - 1)));
      put(stream[i]);
      i += run;
      continue;
    }
    size_t n = 1;  // raw packet: up to the next run of two or more
    while (i + n < stream.size() && n < 128 && runAt(i + n) < 2) ++n;
    file.push_back(static_cast<uint8_t>(n - 1));
    for (size_t k = 0; k < n; ++k) put(stream[i + k]);
    i += n;
  }
  return file;
}
