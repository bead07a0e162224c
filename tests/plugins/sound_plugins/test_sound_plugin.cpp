// An SLL plug-in for the "TSND" test sound format (tests/support/tsnd_format.h), built as a third
// party would build one: it decodes through the FileStream table it is handed and releases the
// stream when its decoder goes. TestLiveObjects counts its live decoders, TestOpenCalls the
// calls of its decode object's Open.
// Variants: TEST_SLL_REFUSE refuses every stream; TEST_SLL_WITHOUT_ASSIST2 lacks SllAssistFunc2;
// TEST_SLL_WITHOUT_CONFIG lacks SllConfigDlg; TEST_SLL_NULL_OBJECT offers no decode object;
// TEST_SLL_SECOND_TYPE is another type (101) that lists the same extension.
#include <windows.h>
#include <mmreg.h>

#include <cstdint>
#include <cstring>

#include "framework/interfaces/deleting_destructor.h"
#include "framework/interfaces/sound_plugin.h"
#include "tests/support/tsnd_format.h"

#define PLUGIN_EXPORT extern "C" __declspec(dllexport)

namespace {

#ifdef TEST_SLL_SECOND_TYPE
constexpr std::int32_t kType = 101;
const char kTypeString[] = "TSND second format";
#else
constexpr std::int32_t kType = 100;
const char kTypeString[] = "TSND test format";
#endif
const char kExtensions[] = "TSN\0";

volatile LONG g_liveDecoders = 0;
volatile LONG g_openCalls = 0;

#ifndef TEST_SLL_REFUSE
std::uint32_t ReadLe(const std::uint8_t* p, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | p[i];
    return value;
}
#endif

class TsndDecoder final : public WithDeletingDestructor<TsndDecoder, SoundDecoder> {
public:
    TsndDecoder(FileStreamBase* stream, const WAVEFORMATEX& format, std::uint32_t frames)
        : m_stream(stream), m_format(format), m_frames(frames),
          m_size(frames * format.nBlockAlign) {
        InterlockedIncrement(&g_liveDecoders);
    }
    ~TsndDecoder() {
        ReleaseObject(m_stream);
        InterlockedDecrement(&g_liveDecoders);
    }

    std::uint32_t XM_METHOD Length() override {
        return static_cast<std::uint32_t>(static_cast<std::uint64_t>(m_frames) * 1000 /
                                          m_format.nSamplesPerSec);
    }
    std::uint32_t XM_METHOD DataSize() override { return m_size; }
    std::int32_t XM_METHOD Seek(std::uint32_t milliseconds) override {
        if (milliseconds >= Length()) return kSoundSeekPastEnd;
        const std::uint32_t frame = static_cast<std::uint32_t>(
            static_cast<std::uint64_t>(milliseconds) * m_format.nSamplesPerSec / 1000);
        const std::uint32_t position = frame * m_format.nBlockAlign;
        if (m_stream->SeekSet(static_cast<std::int32_t>(tsnd::kHeaderSize + position)) != 0) {
            return kSoundSeekFailed;
        }
        m_position = position;
        m_atEnd = 0;
        return kSoundSeekDone;
    }
    std::int64_t XM_METHOD Tell() override {
        return static_cast<std::int64_t>(m_position / m_format.nBlockAlign) * 1000 /
               m_format.nSamplesPerSec;
    }
    std::uint8_t XM_METHOD IsAtEnd() override { return m_atEnd; }
    std::uint32_t XM_METHOD Read(void* buffer, std::uint32_t count) override {
        if (m_atEnd || !buffer || count == 0) return 0;
        const std::uint32_t left = m_size - m_position;
        const std::uint32_t asked = count < left ? count : left;
        const std::uint32_t got = asked ? m_stream->Read(buffer, asked) : 0;
        m_position += got;
        if (m_position >= m_size || got < asked) m_atEnd = 1;
        return got;
    }
    const WAVEFORMATEX* XM_METHOD Format() override { return &m_format; }

private:
    FileStreamBase* m_stream;
    WAVEFORMATEX m_format;
    std::uint32_t m_frames;
    std::uint32_t m_size;
    std::uint32_t m_position = 0;
    std::uint8_t m_atEnd = 0;
};

class TsndDecodeObject final : public WithDeletingDestructor<TsndDecodeObject, SoundDecodeObject> {
public:
    SoundDecoder* XM_METHOD Open(FileStreamBase* stream, std::int32_t* outCode) override {
        InterlockedIncrement(&g_openCalls);
        if (outCode) *outCode = kSllNoStream;
        if (!stream) return nullptr;
        SoundDecoder* decoder = Accept(stream);
        if (outCode) *outCode = decoder ? 0 : 1;
        if (!decoder) stream->SeekSet(0);
        return decoder;
    }

private:
    static SoundDecoder* Accept(FileStreamBase* stream) {
#ifdef TEST_SLL_REFUSE
        return nullptr;
#else
        std::uint8_t header[tsnd::kHeaderSize];
        if (stream->Read(header, sizeof header) != sizeof header) return nullptr;
        if (std::memcmp(header, tsnd::kMagic, 4) != 0) return nullptr;
        const std::uint32_t channels = ReadLe(header + 4, 2);
        const std::uint32_t bits = ReadLe(header + 6, 2);
        const std::uint32_t rate = ReadLe(header + 8, 4);
        const std::uint32_t frames = ReadLe(header + 12, 4);
        if (channels < 1 || channels > 8 || (bits != 8 && bits != 16)) return nullptr;
        if (rate < 1 || rate > 192000) return nullptr;
        const std::uint32_t blockAlign = channels * bits / 8;
        const std::uint64_t size = static_cast<std::uint64_t>(frames) * blockAlign;
        // Data shorter than the header announces is refused whole.
        if (size > stream->Size() - tsnd::kHeaderSize) return nullptr;
        WAVEFORMATEX format = {};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = static_cast<WORD>(channels);
        format.nSamplesPerSec = rate;
        format.nBlockAlign = static_cast<WORD>(blockAlign);
        format.nAvgBytesPerSec = rate * blockAlign;
        format.wBitsPerSample = static_cast<WORD>(bits);
        return new (std::nothrow) TsndDecoder(stream, format, frames);
#endif
    }
};

}  // namespace

PLUGIN_EXPORT std::int32_t GetSllType() { return kType; }
PLUGIN_EXPORT const char* GetSllTypeString() { return kTypeString; }
PLUGIN_EXPORT const char* GetSllSupportExt() { return kExtensions; }
PLUGIN_EXPORT std::int32_t SllAssistFunc(std::int32_t option, ...) { return option; }
#ifndef TEST_SLL_WITHOUT_ASSIST2
// Answers the first argument word plus the type, so a test sees which plug-in it reached.
PLUGIN_EXPORT std::int32_t SllAssistFunc2(const void* words) {
    return words ? *static_cast<const std::int32_t*>(words) + kType : -1;
}
#endif
PLUGIN_EXPORT SoundDecodeObject* GetSllDecodeObject() {
#ifdef TEST_SLL_NULL_OBJECT
    return nullptr;
#else
    return new (std::nothrow) TsndDecodeObject;
#endif
}
#ifndef TEST_SLL_WITHOUT_CONFIG
PLUGIN_EXPORT std::int32_t SllConfigDlg(HWND, std::int32_t function) { return function + 1; }
#endif
PLUGIN_EXPORT int TestLiveObjects() { return g_liveDecoders; }
PLUGIN_EXPORT int TestOpenCalls() { return g_openCalls; }
