#include "framework/sound/sound_decoder_host.h"

#include <cstring>
#include <exception>
#include <memory>
#include <new>

#include "framework/files/file_stream.h"
#include "framework/interfaces/deleting_destructor.h"
#include "framework/files/path_utilities.h"
#include "framework/plugins/plugin_folder_scan.h"
#include "framework/plugins/plugin_module.h"

SoundDecoderHost* g_soundDecoderHost = nullptr;

namespace {

// Extensions are compared in a buffer of this size; a longer one matches nothing.
constexpr std::size_t kExtensionCapacity = 256;

void DeleteDecodeObject(SoundDecodeObject* object) {
    if (object) object->DeletingDestructor(xm::kDeleteMemory);
}

// A decoder handed out by the host: the plug-in's decoder, with a hold on the source that made
// it, dropped only after the plug-in's decoder is deleted.
class HostedDecoder final : public WithDeletingDestructor<HostedDecoder, SoundDecoder> {
public:
    HostedDecoder(SoundDecoder* decoder, std::shared_ptr<SllDecoderSource> source)
        : m_source(std::move(source)), m_decoder(decoder) {}
    ~HostedDecoder() { m_decoder->DeletingDestructor(xm::kDeleteMemory); }

    std::uint32_t XM_METHOD Length() override { return m_decoder->Length(); }
    std::uint32_t XM_METHOD DataSize() override { return m_decoder->DataSize(); }
    std::int32_t XM_METHOD Seek(std::uint32_t milliseconds) override { return m_decoder->Seek(milliseconds); }
    std::int64_t XM_METHOD Tell() override { return m_decoder->Tell(); }
    std::uint8_t XM_METHOD IsAtEnd() override { return m_decoder->IsAtEnd(); }
    std::uint32_t XM_METHOD Read(void* buffer, std::uint32_t count) override { return m_decoder->Read(buffer, count); }
    const WAVEFORMATEX* XM_METHOD Format() override { return m_decoder->Format(); }

private:
    std::shared_ptr<SllDecoderSource> m_source;
    SoundDecoder* m_decoder;
};

SoundDecoder* Hosted(SoundDecoder* decoder, const std::shared_ptr<SllDecoderSource>& source) {
    HostedDecoder* const hosted = new (std::nothrow) HostedDecoder(decoder, source);
    if (!hosted) {
        decoder->DeletingDestructor(xm::kDeleteMemory);
        throw kSllOutOfMemory;
    }
    return hosted;
}

}  // namespace

SllDecoderSource::~SllDecoderSource() {
    DeleteDecodeObject(decodeObject);
    if (module) FreeLibrary(module);
}

SoundDecoderHost::~SoundDecoderHost() { UnloadAll(); }

bool SoundDecoderHost::AddRecord(SllDecoderRecord record) {
    try {
        record.source = std::make_shared<SllDecoderSource>();
    } catch (const std::exception&) {
        return false;
    }
    record.source->decodeObject = record.decodeObject;
    record.source->module = record.module;
    try {
        m_records.push_back(record);
    } catch (const std::exception&) {
        // Not taken over: the caller still frees both.
        record.source->decodeObject = nullptr;
        record.source->module = nullptr;
        return false;
    }
    return true;
}

void SoundDecoderHost::RemoveWhere(bool all, std::int32_t type) {
    for (std::size_t i = 0; i < m_records.size();) {
        if (!all && m_records[i].type != type) {
            ++i;
            continue;
        }
        // Its source goes now, or with the last decoder it made.
        m_records.erase(m_records.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void SoundDecoderHost::UnloadByType(std::int32_t type) { RemoveWhere(false, type); }

void SoundDecoderHost::UnloadAll() { RemoveWhere(true, 0); }

std::int32_t SoundDecoderHost::RegisterBuiltin(SoundDecodeObject* decodeObject,
                                               const char* extensions, const char* typeString,
                                               std::int32_t type, SllAssistFuncPtr assist,
                                               SllAssistFunc2Ptr assist2,
                                               SllConfigDlgFunc configDlg) {
    if (!decodeObject) return 1;
    std::vector<std::string> list;
    try {
        list = ReadExtensionList(extensions);
    } catch (const std::exception&) {
        DeleteDecodeObject(decodeObject);
        return 2;
    }
    if (AddRecord({type, typeString, std::move(list), decodeObject, nullptr, assist, assist2, configDlg, nullptr})) {
        return 0;
    }
    DeleteDecodeObject(decodeObject);
    return 2;
}

std::int32_t SoundDecoderHost::LoadPlugin(const char* path) {
    static const FormatPluginNames kNames = {"GetSllType", "GetSllTypeString", "GetSllSupportExt",
                                             "SllAssistFunc", "SllAssistFunc2",
                                             "GetSllDecodeObject", "SllConfigDlg"};
    return LoadFormatPlugin<SoundDecodeObject>(
        path, kNames,
        [this](const FormatPluginEntry<SoundDecodeObject>& entry) {
            if (!AddRecord({entry.type, entry.typeString, entry.extensions, entry.object, entry.library,
                            ExportAs<SllAssistFuncPtr>(entry.assist), ExportAs<SllAssistFunc2Ptr>(entry.assist2),
                            ExportAs<SllConfigDlgFunc>(entry.configDlg), nullptr})) {
                throw std::bad_alloc();
            }
        },
        DeleteDecodeObject);
}

std::int32_t SoundDecoderHost::ScanFolder(const char* folder) {
    return ScanPluginFolder(folder, "*.SLL", [this](const char* path) { return LoadPlugin(path); });
}

SoundDecodeObject* SoundDecoderHost::FindByExtension(const char* fileName) {
    if (!fileName) return nullptr;
    char extension[kPathCapacity];
    GetExtensionPart(fileName, extension);
    if (extension[0] == '\0' || std::strlen(extension) >= kExtensionCapacity) return nullptr;
    CharUpperA(extension);
    for (const auto& record : m_records) {
        for (const auto& listed : record.extensions) {
            if (listed == extension) return record.decodeObject;
        }
    }
    return nullptr;
}

SoundDecodeObject* SoundDecoderHost::FindByType(std::int32_t type) {
    for (const auto& record : m_records) {
        if (record.type == type) return record.decodeObject;
    }
    return nullptr;
}

SllAssistFunc2Ptr SoundDecoderHost::FindAssistFunc2(std::int32_t type) {
    for (const auto& record : m_records) {
        if (record.type == type) return record.assist2;
    }
    return nullptr;
}

SoundDecoder* SoundDecoderHost::Search(const char* fileName, FileStreamBase* stream) {
    SoundDecodeObject* first = fileName ? FindByExtension(fileName) : nullptr;
    for (const auto& record : m_records) {
        if (record.decodeObject != first) continue;
        if (SoundDecoder* decoder = first->Open(stream, nullptr)) return Hosted(decoder, record.source);
        break;
    }
    for (const auto& record : m_records) {
        if (record.decodeObject == first) continue;
        if (SoundDecoder* decoder = record.decodeObject->Open(stream, nullptr)) return Hosted(decoder, record.source);
    }
    throw kSllNoDecoder;
}

SoundDecoder* SoundDecoderHost::OpenDecoder(const char* fileName, FileStreamBase* stream,
                                            bool streaming, std::int32_t* outCode) {
    std::unique_ptr<FileStream> made;
    SoundDecoder* decoder = nullptr;
    std::int32_t code = kSllOk;
    try {
        if (!stream) {
            made.reset(new (std::nothrow) FileStream);
            if (!made) throw kSllOutOfMemory;
            std::int32_t opened = 1;
            if (streaming && !m_wholeFile) opened = made->OpenStream(fileName);
            // A compressed archive entry has no stream: it is decoded from memory instead.
            if (opened != 0) opened = made->LoadFile(fileName);
            if (opened != 0) throw kSllCannotOpen;
            stream = made.get();
        }
        decoder = Search(fileName, stream);
        made.release();
    } catch (ESllErrorCode failure) {
        code = failure;
    } catch (...) {
        code = kSllFailed;
    }
    if (outCode) *outCode = code;
    return decoder;
}
