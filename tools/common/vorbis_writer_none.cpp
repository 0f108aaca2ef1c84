// Windows builds of the tools have no libvorbisenc: encoding is refused with a way out.
#include "tools/common/vorbis_writer.h"

bool EncodeOggVorbis(const std::vector<float>&, int, int, float, std::string*, std::string* error) {
  *error = "this build of quillpack cannot encode; give Ogg Vorbis files, or use the Linux build";
  return false;
}
