// JPEG through libjpeg's compressor into memory, BMP written by hand.
#include "tools/demo/image_files.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

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

// The libjpeg part, free of objects with destructors because of the longjmp.
bool CompressRgb(const uint8_t* rgb, int width, int height, int quality, unsigned char** data,
                 unsigned long* size, char* message) {
  jpeg_compress_struct info;
  JpegError error;
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = OnJpegError;
  if (setjmp(error.jump)) {
    jpeg_destroy_compress(&info);
    std::snprintf(message, JMSG_LENGTH_MAX, "%s", error.message);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, data, size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb + static_cast<size_t>(info.next_scanline) * width * 3);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

void PutLe16(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  out[at] = value & 0xFF;
  out[at + 1] = (value >> 8) & 0xFF;
}
void PutLe32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  PutLe16(out, at, value & 0xFFFF);
  PutLe16(out, at + 2, value >> 16);
}

}  // namespace

bool EncodeJpeg(const CPicture& picture, int quality, std::vector<uint8_t>* out, std::string* why) {
  const std::vector<uint8_t> rgb = picture.ToRgb8();
  unsigned char* data = nullptr;
  unsigned long size = 0;
  char message[JMSG_LENGTH_MAX] = "";
  const bool ok =
      CompressRgb(rgb.data(), picture.Width(), picture.Height(), quality, &data, &size, message);
  if (ok) out->assign(data, data + size);
  std::free(data);  // jpeg_mem_dest allocates with malloc
  if (!ok) *why = message;
  return ok;
}

std::vector<uint8_t> EncodeBmp(const CPicture& picture) {
  constexpr uint32_t kFileHeaderSize = 14;
  constexpr uint32_t kInfoHeaderSize = 40;
  constexpr uint32_t kPixelsPerMetre = 2835;  // 72 dots per inch
  const uint32_t width = picture.Width(), height = picture.Height();
  const uint32_t stride = (width * 3 + 3) & ~3u;  // rows end on a four-byte boundary
  const uint32_t imageSize = stride * height;
  std::vector<uint8_t> out(kFileHeaderSize + kInfoHeaderSize + imageSize, 0);
  out[0] = 'B';
  out[1] = 'M';
  PutLe32(out, 2, static_cast<uint32_t>(out.size()));
  PutLe32(out, 10, kFileHeaderSize + kInfoHeaderSize);
  PutLe32(out, 14, kInfoHeaderSize);
  PutLe32(out, 18, width);
  PutLe32(out, 22, height);  // positive: bottom row first
  PutLe16(out, 26, 1);       // planes
  PutLe16(out, 28, 24);      // bits per pixel
  PutLe32(out, 30, 0);       // BI_RGB
  PutLe32(out, 34, imageSize);
  PutLe32(out, 38, kPixelsPerMetre);
  PutLe32(out, 42, kPixelsPerMetre);
  const std::vector<uint8_t> rgb = picture.ToRgb8();
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* src = rgb.data() + static_cast<size_t>(height - 1 - y) * width * 3;
    uint8_t* dst = out.data() + kFileHeaderSize + kInfoHeaderSize + static_cast<size_t>(y) * stride;
    for (uint32_t x = 0; x < width; ++x) {
      dst[x * 3 + 0] = src[x * 3 + 2];
      dst[x * 3 + 1] = src[x * 3 + 1];
      dst[x * 3 + 2] = src[x * 3 + 0];
    }
  }
  return out;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}
