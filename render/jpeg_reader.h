// JPEG decoding with libjpeg-turbo, bounded against hostile files: header limits
// before any allocation, a memory ceiling, a scan limit, and no partial results.
#pragma once

#include <atomic>
#include <cstddef>

#include "render/image_types.h"

// Most scans a progressive file may have: real encoders write about ten, while a few
// kilobytes of tiny scans could otherwise keep the decoder busy for a minute.
constexpr int kMaxJpegScans = 100;

// Reads the header of the JPEG in data[0, size). False when it is not a JPEG whose
// header libjpeg accepts or its size lies outside the decoding limits.
bool ReadJpegInfo(const void* data, size_t size, ImageInfo& info);

// Side of an image decoded at 1/scale: libjpeg rounds up.
int JpegScaledSize(int size, int scale);

// The DCT scale denominator (8, 4, 2 or 1) that decodes a width × height image
// straight to the smallest size still at least minWidth × minHeight.
int ChooseJpegScale(int width, int height, int minWidth, int minHeight);

// Decodes at 1/scale of the image's size (scale 1, 2, 4 or 8; libjpeg rounds the
// sides up) into `out` as B, G, R, 255. Grey images come out grey; CMYK is refused.
// False, with `out` left empty, on any libjpeg error, on data that ends before the
// end-of-image marker or a scan whose data ends before its last block (a cut-off
// file), past kMaxJpegScans scans, or outside the decoding limits. Other corrupt
// entropy data, which libjpeg only warns about, decodes to whatever it yields.
// `written`, when given, is told of each group of rows as soon as they are in `out`.
// `stop`, when given, is checked between groups of rows (and of coefficients while a
// progressive file is read): once it is true the decode ends with false.
bool DecodeJpeg(const void* data, size_t size, int scale, MipLevel& out,
                IRowSink* written = nullptr, const std::atomic<bool>* stop = nullptr);

// Decodes like DecodeJpeg but hands the rows (JpegScaledSize of the image's sides)
// to `sink` a few at a time instead of keeping the image, as a scaler wants them.
// On false the sink may have had some rows. May throw std::bad_alloc.
bool DecodeJpegRows(const void* data, size_t size, int scale, IRowSink& sink,
                    const std::atomic<bool>* stop = nullptr);
