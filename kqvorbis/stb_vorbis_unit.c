/* The whole stb_vorbis decoder, compiled once for kqvorbis.dll. */
#define STB_VORBIS_NO_STDIO
#include "stb_vorbis.h"
