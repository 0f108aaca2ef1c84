// The stb_vorbis decoder's implementation, compiled once. Tracks come from memory,
// so the stdio entry points are left out.
#define STB_VORBIS_NO_STDIO
#include <stb_vorbis.h>
