#include "framework/sound/ogg_vorbis_dll.h"

#include <new>

#include "framework/files/path_utilities.h"
#include "framework/plugins/plugin_module.h"
#include "framework/sound/ogg_vorbis_stream.h"

const char OggVorbisDll::kExtensions[] = "OGG\0";
const char OggVorbisDll::kTypeString[] = "Ogg Vorbis format";
const char OggVorbisDll::kLibraryName[] = "kqvorbis.dll";

namespace {

template <class F>
bool Bind(HMODULE module, const char* name, F* out) {
    *out = GetExportAs<F>(module, name);
    return *out != nullptr;
}

bool BindAll(HMODULE module, KqVorbisEntryPoints* entry) {
    // Looked up in this order; the state size is checked as soon as it can be asked.
    if (!Bind(module, "Query_sizeof_OggVorbis_File", &entry->querySizeof)) return false;
    const int stateSize = entry->querySizeof();
    if (stateSize < 0 || stateSize > KQ_OGG_VORBIS_FILE_CAPACITY) return false;
    return Bind(module, "kq_ov_clear", &entry->clear) &&
           Bind(module, "kq_ov_open_callbacks", &entry->openCallbacks) &&
           Bind(module, "kq_ov_seekable", &entry->seekable) &&
           Bind(module, "kq_ov_pcm_total", &entry->pcmTotal) &&
           Bind(module, "kq_ov_time_total", &entry->timeTotal) &&
           Bind(module, "kq_ov_raw_seek", &entry->rawSeek) &&
           Bind(module, "kq_ov_time_seek", &entry->timeSeek) &&
           Bind(module, "kq_ov_raw_tell", &entry->rawTell) &&
           Bind(module, "kq_ov_pcm_tell", &entry->pcmTell) &&
           Bind(module, "kq_ov_time_tell", &entry->timeTell) &&
           Bind(module, "kq_ov_info", &entry->info) && Bind(module, "kq_ov_read", &entry->read) &&
           Bind(module, "kq_SetCPUType", &entry->setCpuType) &&
           Bind(module, "kq_DetectCPU", &entry->detectCpu);
}

}  // namespace

OggVorbisDll::OggVorbisDll(const char* path) {
    HMODULE module = nullptr;
    if (LoadPluginLibrary(path, &module) != 0) return;
    KqVorbisEntryPoints entry{};
    if (!BindAll(module, &entry)) {
        FreeLibrary(module);
        return;
    }
    entry.setCpuType(entry.detectCpu());
    m_module = module;
    m_entry = entry;
}

OggVorbisDll::~OggVorbisDll() {
    if (m_module) FreeLibrary(m_module);
}

SoundDecoder* XM_METHOD OggVorbisDll::Open(FileStreamBase* stream, std::int32_t* outCode) {
    std::int32_t code = 0;
    OggVorbisStream* decoder = nullptr;
    if (!m_module) {
        code = -2;
    } else if (!stream) {
        code = kSllNoStream;
    } else {
        try {
            decoder = new (std::nothrow) OggVorbisStream(m_entry);
            code = decoder ? decoder->Open(stream) : kSllOutOfMemory;
        } catch (...) {
            code = kSllFailed;
        }
        if (code != 0) {
            delete decoder;
            decoder = nullptr;
            stream->SeekSet(0);
        }
    }
    if (outCode) *outCode = code;
    return decoder;
}
