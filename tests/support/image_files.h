// Test helper: writes JPEG and TGA files in memory from 32-bit pixels (0xAARRGGBB,
// top row first, the decoder's own layout), so tests, benchmarks and the fuzz seeds
// make their images from code. JPEG encoding uses libjpeg with its default error
// handling (a failure ends the program, acceptable for test inputs).
#pragma once

#include <jpeglib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

struct JpegOptions {
  int quality = 95;
  bool progressive = false;  // libjpeg's standard progression (about ten scans)
  int scans = 0;             // > 0: a progressive file with exactly this many scans (4 .. 190)
  bool subsample = true;     // 4:2:0 chroma; false for 4:4:4
  bool grey = false;         // one component, from the green channel
  bool cmyk = false;         // four components, C M Y K = B G R A bytes
};

// A progressive script of `count` scans: one interleaved DC scan, then the 63 AC
// coefficients of each component split into single-coefficient bands as needed.
inline std::vector<jpeg_scan_info> MakeScanScript(int count) {
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

inline std::vector<uint8_t> EncodeJpeg(const std::vector<uint32_t>& pixels, int width, int height,
                                       const JpegOptions& options = {}) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = width;
  cinfo.image_height = height;
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
  std::vector<jpeg_scan_info> script;
  if (options.scans > 0) {
    script = MakeScanScript(options.scans);
    cinfo.scan_info = script.data();
    cinfo.num_scans = static_cast<int>(script.size());
  } else if (options.progressive) {
    jpeg_simple_progression(&cinfo);
  }
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(width) * 4);
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
  std::vector<uint8_t> file(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return file;
}

struct TgaOptions {
  int bits = 32;             // 24 or 32
  bool rle = false;          // image type 10 instead of 2
  bool topLeft = false;      // origin top left (descriptor bit 5); else bottom left
  bool rightToLeft = false;  // columns stored right to left (descriptor bit 4)
  int idLength = 5;          // bytes of image ID between header and pixels
};

// Writes an 18-byte header, the image ID and the pixels. Run-length packets run over
// row ends, as many writers do.
inline std::vector<uint8_t> EncodeTga(const std::vector<uint32_t>& pixels, int width, int height,
                                      const TgaOptions& options = {}) {
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
