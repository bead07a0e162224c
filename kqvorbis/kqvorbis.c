/* kqvorbis.dll: the Ogg Vorbis decoder the game ships, with vorbisfile's interface under the
 * kq_ prefix, decoding with stb_vorbis.
 *
 * An open reads the whole stream through the read callback into memory (stb_vorbis decodes from
 * memory) and keeps a pointer to the decoder in the caller's state area. stb_vorbis forgets its
 * sample position on seeks, so the decoder counts its own. Opens are serialised: stb_vorbis
 * fills shared tables there.
 *
 * Build switches for the test variants: KQVORBIS_STATE_SIZE overrides the size reported by
 * Query_sizeof_OggVorbis_File; KQVORBIS_NEVER_SEEKABLE makes every stream unseekable.
 */
#include <windows.h>

#include <float.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>

#define KQVORBIS_BUILDING_DLL
#include "framework/interfaces/kq_vorbis.h"

#define STB_VORBIS_HEADER_ONLY
#define STB_VORBIS_NO_STDIO
#include "stb_vorbis.h"

#ifndef KQVORBIS_STATE_SIZE
#define KQVORBIS_STATE_SIZE 720
#endif

/* The stream is read in pieces of this size, and grows to at most KQ_MAX_STREAM bytes. */
#define KQ_READ_PIECE 65536
#define KQ_MAX_STREAM 0x40000000

typedef struct KqDecoder {
    void* source;
    ov_callbacks callbacks;
    unsigned char* data;
    int size;
    stb_vorbis* vorbis;
    vorbis_info info;
    ogg_int64_t pcmTotal;
    ogg_int64_t pcmPosition;
    ogg_int64_t dataStart;
    int seekable;
    int atEnd;
} KqDecoder;

/* The caller's state area holds only the pointer to the decoder (null when none is open). */
struct OggVorbis_File {
    KqDecoder* decoder;
};

static volatile LONG g_openBusy = 0;
static int g_cpuType = 0;

static void LockOpens(void) {
    while (InterlockedCompareExchange(&g_openBusy, 1, 0) != 0) Sleep(0);
}

static void UnlockOpens(void) { InterlockedExchange(&g_openBusy, 0); }

/* stb_vorbis works in floats and rounds its samples through doubles. On the x87 the results
 * follow the precision control, which differs between a caller's threads (a program's main
 * thread usually runs at 64 bits, the threads Windows starts at 53), so one stream would decode
 * to samples a step apart on different threads. Every entry that decodes runs at 53 bits,
 * rounding to nearest, and gives the caller's setting back. */
static unsigned int EnterFixedPrecision(void) {
    unsigned int saved = _controlfp(0, 0);
    _controlfp(_PC_53 | _RC_NEAR, _MCW_PC | _MCW_RC);
    return saved;
}

static void LeaveFixedPrecision(unsigned int saved) { _controlfp(saved, _MCW_PC | _MCW_RC); }

static KqDecoder* DecoderOf(OggVorbis_File* vf) { return vf ? vf->decoder : NULL; }

int KQ_CDECL Query_sizeof_OggVorbis_File(void) { return KQVORBIS_STATE_SIZE; }

void KQ_CDECL kq_SetCPUType(int cpuType) { g_cpuType = cpuType; }

int KQ_CDECL kq_DetectCPU(void) { return 0; }

/* Appends the caller's initial bytes and then everything the read callback delivers. Returns 0,
 * OV_ENOTVORBIS when the data does not start "OggS", OV_EREAD or OV_EFAULT. */
static int ReadWholeStream(KqDecoder* decoder, const char* initial, long initialBytes) {
    size_t capacity = KQ_READ_PIECE;
    size_t size = 0;
    unsigned char* data = (unsigned char*)malloc(capacity);
    if (!data) return OV_EFAULT;
    if (initial && initialBytes > 0) {
        if ((size_t)initialBytes > capacity) {
            unsigned char* grown = (unsigned char*)realloc(data, (size_t)initialBytes);
            if (!grown) {
                free(data);
                return OV_EFAULT;
            }
            data = grown;
            capacity = (size_t)initialBytes;
        }
        memcpy(data, initial, (size_t)initialBytes);
        size = (size_t)initialBytes;
    }
    for (;;) {
        size_t got;
        /* The first four bytes are checked before anything more is read. */
        size_t want = size < 4 ? 4 - size : capacity - size;
        if (want == 0) {
            unsigned char* grown;
            if (capacity >= KQ_MAX_STREAM) {
                free(data);
                return OV_EREAD;
            }
            grown = (unsigned char*)realloc(data, capacity * 2);
            if (!grown) {
                free(data);
                return OV_EFAULT;
            }
            data = grown;
            capacity *= 2;
            continue;
        }
        got = decoder->callbacks.read_func(data + size, 1, want, decoder->source);
        if (got == 0 || got > want) break;
        size += got;
        if (size >= 4 && size - got < 4 && memcmp(data, "OggS", 4) != 0) break;
    }
    if (size < 4 || memcmp(data, "OggS", 4) != 0) {
        free(data);
        return OV_ENOTVORBIS;
    }
    decoder->data = data;
    decoder->size = (int)size;
    return 0;
}

static int IsSeekableSource(const KqDecoder* decoder) {
#ifdef KQVORBIS_NEVER_SEEKABLE
    (void)decoder;
    return 0;
#else
    return decoder->callbacks.seek_func &&
           decoder->callbacks.seek_func(decoder->source, 0, 1) != -1;
#endif
}

static void FreeDecoder(KqDecoder* decoder) {
    if (decoder->vorbis) stb_vorbis_close(decoder->vorbis);
    free(decoder->data);
    free(decoder);
}

static int OpenCallbacks(void* source, OggVorbis_File* vf, const char* initial,
                         long initialBytes, ov_callbacks callbacks) {
    KqDecoder* decoder;
    stb_vorbis_info info;
    int error = 0;
    int code;
    if (!vf) return OV_EFAULT;
    vf->decoder = NULL;
    if (!callbacks.read_func) return OV_EREAD;
    decoder = (KqDecoder*)calloc(1, sizeof(KqDecoder));
    if (!decoder) return OV_EFAULT;
    decoder->source = source;
    decoder->callbacks = callbacks;
    code = ReadWholeStream(decoder, initial, initialBytes);
    if (code != 0) {
        free(decoder);
        return code;
    }
    LockOpens();
    decoder->vorbis = stb_vorbis_open_memory(decoder->data, decoder->size, &error, NULL);
    UnlockOpens();
    if (!decoder->vorbis) {
        FreeDecoder(decoder);
        return error == VORBIS_outofmem ? OV_EFAULT : OV_ENOTVORBIS;
    }
    info = stb_vorbis_get_info(decoder->vorbis);
    decoder->info.version = 0;
    decoder->info.channels = info.channels;
    decoder->info.rate = (long)info.sample_rate;
    decoder->info.bitrate_nominal = 0;
    decoder->info.bitrate_window = 0;
    /* Measuring the length moves the read position: the start of the audio comes first. */
    decoder->dataStart = stb_vorbis_get_file_offset(decoder->vorbis);
    decoder->pcmTotal = stb_vorbis_stream_length_in_samples(decoder->vorbis);
    decoder->seekable = IsSeekableSource(decoder);
    if (info.channels <= 0 || info.sample_rate == 0) {
        FreeDecoder(decoder);
        return OV_EBADHEADER;
    }
    vf->decoder = decoder;
    return 0;
}

int KQ_CDECL kq_ov_clear(OggVorbis_File* vf) {
    KqDecoder* decoder = DecoderOf(vf);
    if (!decoder) return 0;
    vf->decoder = NULL;
    if (decoder->callbacks.close_func) decoder->callbacks.close_func(decoder->source);
    FreeDecoder(decoder);
    return 0;
}

long KQ_CDECL kq_ov_seekable(OggVorbis_File* vf) {
    KqDecoder* decoder = DecoderOf(vf);
    return decoder ? decoder->seekable : 0;
}

ogg_int64_t KQ_CDECL kq_ov_pcm_total(OggVorbis_File* vf, int link) {
    KqDecoder* decoder = DecoderOf(vf);
    if (!decoder || !decoder->seekable || link > 0) return OV_EINVAL;
    return decoder->pcmTotal;
}

double KQ_CDECL kq_ov_time_total(OggVorbis_File* vf, int link) {
    KqDecoder* decoder = DecoderOf(vf);
    if (!decoder || !decoder->seekable || link > 0) return OV_EINVAL;
    return (double)decoder->pcmTotal / (double)decoder->info.rate;
}

static int RawSeek(OggVorbis_File* vf, ogg_int64_t position) {
    KqDecoder* decoder = DecoderOf(vf);
    if (!decoder) return OV_EINVAL;
    if (!decoder->seekable) return OV_ENOSEEK;
    if (position < 0 || position > decoder->size) return OV_EINVAL;
    /* Only the start of the audio data is a place this decoder can resume from. */
    if (position > decoder->dataStart) return OV_EIMPL;
    if (!stb_vorbis_seek_start(decoder->vorbis)) return OV_EREAD;
    decoder->pcmPosition = 0;
    decoder->atEnd = 0;
    return 0;
}

static int TimeSeek(OggVorbis_File* vf, double seconds) {
    KqDecoder* decoder = DecoderOf(vf);
    ogg_int64_t sample;
    if (!decoder) return OV_EINVAL;
    if (!decoder->seekable) return OV_ENOSEEK;
    if (seconds < 0) return OV_EINVAL;
    sample = (ogg_int64_t)(seconds * (double)decoder->info.rate);
    if (sample > decoder->pcmTotal) return OV_EINVAL;
    if (sample == decoder->pcmTotal) {
        decoder->pcmPosition = sample;
        decoder->atEnd = 1;
        return 0;
    }
    if (sample == 0 ? !stb_vorbis_seek_start(decoder->vorbis)
                    : !stb_vorbis_seek(decoder->vorbis, (unsigned int)sample)) {
        return OV_EREAD;
    }
    decoder->pcmPosition = sample;
    decoder->atEnd = 0;
    return 0;
}

ogg_int64_t KQ_CDECL kq_ov_raw_tell(OggVorbis_File* vf) {
    KqDecoder* decoder = DecoderOf(vf);
    if (!decoder) return OV_EINVAL;
    return stb_vorbis_get_file_offset(decoder->vorbis);
}

ogg_int64_t KQ_CDECL kq_ov_pcm_tell(OggVorbis_File* vf) {
    KqDecoder* decoder = DecoderOf(vf);
    return decoder ? decoder->pcmPosition : OV_EINVAL;
}

double KQ_CDECL kq_ov_time_tell(OggVorbis_File* vf) {
    KqDecoder* decoder = DecoderOf(vf);
    if (!decoder) return OV_EINVAL;
    return (double)decoder->pcmPosition / (double)decoder->info.rate;
}

vorbis_info* KQ_CDECL kq_ov_info(OggVorbis_File* vf, int link) {
    KqDecoder* decoder = DecoderOf(vf);
    if (!decoder || link > 0) return NULL;
    return &decoder->info;
}

/* Turns `count` 16-bit samples into the requested form, in place (8-bit output shrinks). */
static void ConvertSamples(char* buffer, int count, int wordSize, int bigEndian, int isSigned) {
    short* samples = (short*)buffer;
    int i;
    if (wordSize == 1) {
        for (i = 0; i < count; ++i) {
            int value = samples[i] >> 8;
            buffer[i] = (char)(isSigned ? value : value + 128);
        }
        return;
    }
    for (i = 0; i < count; ++i) {
        unsigned short value = (unsigned short)samples[i];
        if (!isSigned) value ^= 0x8000;
        if (bigEndian) value = (unsigned short)((value >> 8) | (value << 8));
        samples[i] = (short)value;
    }
}

static long Read(OggVorbis_File* vf, char* buffer, int length, int bigEndian, int wordSize,
                 int isSigned, int* currentSection) {
    KqDecoder* decoder = DecoderOf(vf);
    short staging[4096];
    int channels;
    int frames;
    int done = 0;
    if (!decoder || !buffer || length < 0) return OV_EINVAL;
    if (wordSize != 1 && wordSize != 2) return OV_EINVAL;
    if (currentSection) *currentSection = 0;
    if (decoder->atEnd) return 0;
    channels = decoder->info.channels;
    frames = length / (channels * wordSize);
    if (decoder->pcmTotal - decoder->pcmPosition < frames)
        frames = (int)(decoder->pcmTotal - decoder->pcmPosition);
    while (done < frames) {
        int want = frames - done;
        int got;
        if (wordSize == 2) {
            got = stb_vorbis_get_samples_short_interleaved(
                decoder->vorbis, channels, (short*)(buffer + done * channels * 2), want * channels);
            if (got > 0) ConvertSamples(buffer + done * channels * 2, got * channels, 2, bigEndian,
                                        isSigned);
        } else {
            int room = (int)(sizeof staging / sizeof staging[0]) / channels;
            if (want > room) want = room;
            got = stb_vorbis_get_samples_short_interleaved(decoder->vorbis, channels, staging,
                                                           want * channels);
            if (got > 0) {
                ConvertSamples((char*)staging, got * channels, 1, bigEndian, isSigned);
                memcpy(buffer + done * channels, staging, (size_t)(got * channels));
            }
        }
        if (got <= 0) break;
        done += got;
    }
    decoder->pcmPosition += done;
    if (done == 0 && frames > 0) decoder->atEnd = 1;
    return (long)done * channels * wordSize;
}

int KQ_CDECL kq_ov_open_callbacks(void* source, OggVorbis_File* vf, const char* initial,
                                  long initialBytes, ov_callbacks callbacks) {
    const unsigned int saved = EnterFixedPrecision();
    const int result = OpenCallbacks(source, vf, initial, initialBytes, callbacks);
    LeaveFixedPrecision(saved);
    return result;
}

int KQ_CDECL kq_ov_raw_seek(OggVorbis_File* vf, ogg_int64_t position) {
    const unsigned int saved = EnterFixedPrecision();
    const int result = RawSeek(vf, position);
    LeaveFixedPrecision(saved);
    return result;
}

int KQ_CDECL kq_ov_time_seek(OggVorbis_File* vf, double seconds) {
    const unsigned int saved = EnterFixedPrecision();
    const int result = TimeSeek(vf, seconds);
    LeaveFixedPrecision(saved);
    return result;
}

long KQ_CDECL kq_ov_read(OggVorbis_File* vf, char* buffer, int length, int bigEndian,
                         int wordSize, int isSigned, int* currentSection) {
    const unsigned int saved = EnterFixedPrecision();
    const long result = Read(vf, buffer, length, bigEndian, wordSize, isSigned, currentSection);
    LeaveFixedPrecision(saved);
    return result;
}
