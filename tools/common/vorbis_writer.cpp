// Ogg Vorbis encoding: the headers, then the samples a block at a time, each packet
// paged into the output as libogg completes it.
#include "tools/common/vorbis_writer.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>

namespace {
constexpr int kFramesPerWrite = 4096;
constexpr int kStreamSerial = 0x51554C4C;  // any number: the file holds one stream

void AppendPage(const ogg_page& page, std::string* out) {
  out->append(reinterpret_cast<const char*>(page.header), static_cast<size_t>(page.header_len));
  out->append(reinterpret_cast<const char*>(page.body), static_cast<size_t>(page.body_len));
}

// Everything libvorbis and libogg need for one stream, released in one place.
struct Encoder {
  vorbis_info info;
  vorbis_comment comment;
  vorbis_dsp_state dsp;
  vorbis_block block;
  ogg_stream_state stream;
  bool analysing = false;

  Encoder() {
    vorbis_info_init(&info);
    vorbis_comment_init(&comment);
  }
  ~Encoder() {
    if (analysing) {
      ogg_stream_clear(&stream);
      vorbis_block_clear(&block);
      vorbis_dsp_clear(&dsp);
    }
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
  }

  // Moves every finished block through analysis and into pages.
  void Drain(std::string* out) {
    ogg_packet packet;
    ogg_page page;
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page) != 0) AppendPage(page, out);
      }
    }
  }
};
}  // namespace

bool EncodeOggVorbis(const std::vector<float>& samples, int channels, int sampleRate, float quality,
                     std::string* ogg, std::string* error) {
  Encoder encoder;
  if (channels <= 0 || sampleRate <= 0 ||
      vorbis_encode_init_vbr(&encoder.info, channels, sampleRate, quality) != 0) {
    *error = "the Vorbis encoder does not take " + std::to_string(channels) + " channel(s) at " +
             std::to_string(sampleRate) + " Hz";
    return false;
  }
  vorbis_comment_add_tag(&encoder.comment, "ENCODER", "quillpack");
  vorbis_analysis_init(&encoder.dsp, &encoder.info);
  vorbis_block_init(&encoder.dsp, &encoder.block);
  ogg_stream_init(&encoder.stream, kStreamSerial);
  encoder.analysing = true;

  ogg_packet identification, comments, codebooks;
  vorbis_analysis_headerout(&encoder.dsp, &encoder.comment, &identification, &comments, &codebooks);
  ogg_stream_packetin(&encoder.stream, &identification);
  ogg_stream_packetin(&encoder.stream, &comments);
  ogg_stream_packetin(&encoder.stream, &codebooks);
  ogg->clear();
  ogg_page page;
  // The headers end on a page of their own, as decoders expect.
  while (ogg_stream_flush(&encoder.stream, &page) != 0) AppendPage(page, ogg);

  const size_t frames = samples.size() / static_cast<size_t>(channels);
  for (size_t at = 0; at < frames; at += kFramesPerWrite) {
    const int count = static_cast<int>(std::min<size_t>(kFramesPerWrite, frames - at));
    float** buffer = vorbis_analysis_buffer(&encoder.dsp, count);
    for (int i = 0; i < count; ++i)
      for (int c = 0; c < channels; ++c)
        buffer[c][i] = samples[(at + static_cast<size_t>(i)) * channels + c];
    vorbis_analysis_wrote(&encoder.dsp, count);
    encoder.Drain(ogg);
  }
  vorbis_analysis_wrote(&encoder.dsp, 0);  // end of stream
  encoder.Drain(ogg);
  while (ogg_stream_flush(&encoder.stream, &page) != 0) AppendPage(page, ogg);
  return true;
}
