/* The exports of kqvorbis.dll, the Ogg Vorbis decoder DLL, shared by the DLL (C) and the
 * program's binding (C++).
 *
 * The kq_ov_* functions take the arguments of the vorbisfile functions of the same names
 * without the prefix and answer with their results and error values. The caller owns the
 * decoder state: an area of at least Query_sizeof_OggVorbis_File() bytes that it hands to every
 * call. Every export and every callback is cdecl.
 *
 * Ownership of the data source: kq_ov_open_callbacks never calls the close callback when it
 * fails (the source is still the caller's); after a successful open, kq_ov_clear closes it.
 * kq_ov_clear accepts a zeroed, failed or already cleared area. One decoder state is used by one
 * thread at a time; opens of different states may run on several threads.
 */
#ifndef SORAHANE_KQ_VORBIS_H
#define SORAHANE_KQ_VORBIS_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#define KQ_CDECL __cdecl

typedef long long ogg_int64_t;

/* The largest decoder state the program provides. */
#define KQ_OGG_VORBIS_FILE_CAPACITY 960

typedef struct {
    size_t(KQ_CDECL* read_func)(void* destination, size_t size, size_t count, void* source);
    /* whence: 0 from the start, 1 from the current position, 2 from the end; -1 when the
       source cannot seek. */
    int(KQ_CDECL* seek_func)(void* source, ogg_int64_t offset, int whence);
    int(KQ_CDECL* close_func)(void* source);
    long(KQ_CDECL* tell_func)(void* source);
} ov_callbacks;

typedef struct vorbis_info {
    int version;
    int channels;
    long rate;
    long bitrate_upper;
    long bitrate_nominal;
    long bitrate_lower;
    long bitrate_window;
    void* codec_setup;
} vorbis_info;

/* vorbisfile's error values. */
#define OV_FALSE -1
#define OV_EOF -2
#define OV_HOLE -3
#define OV_EREAD -128
#define OV_EFAULT -129
#define OV_EIMPL -130
#define OV_EINVAL -131
#define OV_ENOTVORBIS -132
#define OV_EBADHEADER -133
#define OV_EVERSION -134
#define OV_ENOTAUDIO -135
#define OV_EBADPACKET -136
#define OV_EBADLINK -137
#define OV_ENOSEEK -138

/* The decoder state is opaque to the caller. */
typedef struct OggVorbis_File OggVorbis_File;

typedef int(KQ_CDECL* KqQuerySizeofFunc)(void);
typedef int(KQ_CDECL* KqOvClearFunc)(OggVorbis_File* vf);
typedef int(KQ_CDECL* KqOvOpenCallbacksFunc)(void* source, OggVorbis_File* vf, const char* initial,
                                             long initialBytes, ov_callbacks callbacks);
typedef long(KQ_CDECL* KqOvSeekableFunc)(OggVorbis_File* vf);
typedef ogg_int64_t(KQ_CDECL* KqOvPcmTotalFunc)(OggVorbis_File* vf, int link);
typedef double(KQ_CDECL* KqOvTimeTotalFunc)(OggVorbis_File* vf, int link);
typedef int(KQ_CDECL* KqOvRawSeekFunc)(OggVorbis_File* vf, ogg_int64_t position);
typedef int(KQ_CDECL* KqOvTimeSeekFunc)(OggVorbis_File* vf, double seconds);
typedef ogg_int64_t(KQ_CDECL* KqOvRawTellFunc)(OggVorbis_File* vf);
typedef ogg_int64_t(KQ_CDECL* KqOvPcmTellFunc)(OggVorbis_File* vf);
typedef double(KQ_CDECL* KqOvTimeTellFunc)(OggVorbis_File* vf);
typedef vorbis_info*(KQ_CDECL* KqOvInfoFunc)(OggVorbis_File* vf, int link);
typedef long(KQ_CDECL* KqOvReadFunc)(OggVorbis_File* vf, char* buffer, int length, int bigEndian,
                                     int wordSize, int isSigned, int* currentSection);
typedef void(KQ_CDECL* KqSetCpuTypeFunc)(int cpuType);
typedef int(KQ_CDECL* KqDetectCpuFunc)(void);

#ifdef KQVORBIS_BUILDING_DLL
int KQ_CDECL Query_sizeof_OggVorbis_File(void);
int KQ_CDECL kq_ov_clear(OggVorbis_File* vf);
int KQ_CDECL kq_ov_open_callbacks(void* source, OggVorbis_File* vf, const char* initial,
                                  long initialBytes, ov_callbacks callbacks);
long KQ_CDECL kq_ov_seekable(OggVorbis_File* vf);
ogg_int64_t KQ_CDECL kq_ov_pcm_total(OggVorbis_File* vf, int link);
double KQ_CDECL kq_ov_time_total(OggVorbis_File* vf, int link);
int KQ_CDECL kq_ov_raw_seek(OggVorbis_File* vf, ogg_int64_t position);
int KQ_CDECL kq_ov_time_seek(OggVorbis_File* vf, double seconds);
ogg_int64_t KQ_CDECL kq_ov_raw_tell(OggVorbis_File* vf);
ogg_int64_t KQ_CDECL kq_ov_pcm_tell(OggVorbis_File* vf);
double KQ_CDECL kq_ov_time_tell(OggVorbis_File* vf);
vorbis_info* KQ_CDECL kq_ov_info(OggVorbis_File* vf, int link);
long KQ_CDECL kq_ov_read(OggVorbis_File* vf, char* buffer, int length, int bigEndian,
                         int wordSize, int isSigned, int* currentSection);
void KQ_CDECL kq_SetCPUType(int cpuType);
int KQ_CDECL kq_DetectCPU(void);
#endif

#ifdef __cplusplus
}
#endif

#endif
