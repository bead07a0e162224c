#include "framework/plugins/spi_archive_plugin.h"

#include <cstdarg>
#include <cstring>
#include <memory>
#include <new>

#include "framework/files/virtual_file_system.h"
#include "framework/plugins/plugin_module.h"
#include "framework/plugins/spi_archive.h"
#include "framework/plugins/spi_support.h"

namespace {

// Set through SpiSetOption; archives read it when they open.
volatile bool g_buildEntryTable = false;

// The plug-in's entry list, locked for reading and freed with the object whatever happens.
class LockedList {
public:
    explicit LockedList(HANDLE list)
        : m_list(list), m_records(static_cast<const SpiFileInfo*>(GlobalLock(list))) {}
    ~LockedList() {
        if (m_records) GlobalUnlock(m_list);
        GlobalFree(m_list);
    }
    LockedList(const LockedList&) = delete;
    LockedList& operator=(const LockedList&) = delete;

    const SpiFileInfo* Records() const { return m_records; }
    // The records before the end record, never more than the block holds.
    std::uint32_t Count() const {
        if (!m_records) return 0;
        const std::uint32_t capacity = static_cast<std::uint32_t>(GlobalSize(m_list) / sizeof(SpiFileInfo));
        std::uint32_t count = 0;
        while (count < capacity && m_records[count].method[0] != 0) ++count;
        return count;
    }

private:
    HANDLE m_list;
    const SpiFileInfo* m_records;
};

}  // namespace

std::int32_t XM_CDECL SpiSetOption(const void* record) {
    if (!record) return kAdlBadArgument;
    std::int32_t words[2];
    std::memcpy(words, record, sizeof words);
    if (words[0] != 0) return kAdlBadArgument;
    g_buildEntryTable = words[1] != 0;
    return kAdlOk;
}

std::int32_t XM_CDECL SpiAssistFunc(std::int32_t option, ...) {
    std::int32_t record[2] = {option, 0};
    va_list values;
    va_start(values, option);
    if (option == 0) record[1] = va_arg(values, std::int32_t);
    va_end(values);
    return SpiSetOption(record);
}

SpiArchivePlugin::SpiArchivePlugin(std::string extensions) : m_extensions(std::move(extensions)) {}

SpiArchivePlugin::~SpiArchivePlugin() {
    SpiReleaseConfigDialog(m_configEntry);
    if (m_module) FreeLibrary(m_module);
}

std::int32_t SpiArchivePlugin::Bind(VirtualFileSystem* fileSystem, HMODULE module,
                                    const char* description) {
    if (!fileSystem) return 5;
    m_getArchiveInfo = GetExportAs<SpiGetArchiveInfoFunc>(module, "GetArchiveInfo");
    m_getFile = GetExportAs<SpiGetFileFunc>(module, "GetFile");
    if (!m_getArchiveInfo || !m_getFile) return -2;
    m_configurationDlg = GetExportAs<SpiConfigurationDlgFunc>(module, "ConfigurationDlg");
    try {
        m_description = description ? description : "";
    } catch (const std::bad_alloc&) {
        return 8;
    }
    m_configEntry = SpiClaimConfigDialog(m_configurationDlg);
    if (fileSystem->RegisterBuiltinDecoder(this, m_extensions.c_str(), m_description.c_str(),
                                           kSpiArchiveType, SpiAssistFunc, SpiSetOption,
                                           m_configEntry) != 0) {
        return 10;
    }
    m_module = module;
    return 0;
}

Archive* XM_METHOD SpiArchivePlugin::Open(const char* path, HANDLE handle, std::int32_t* outCode) {
    std::int32_t code = kAdlException;
    Archive* archive = nullptr;
    try {
        archive = OpenList(path, &code);
    } catch (const std::bad_alloc&) {
        code = kAdlOutOfMemory;
    } catch (...) {
        code = kAdlException;
    }
    // Written on every path: a caller must never take its own earlier value for a result.
    if (outCode) *outCode = code;
    if (archive && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    return archive;
}

Archive* SpiArchivePlugin::OpenList(const char* path, std::int32_t* outCode) {
    if (!path) {
        *outCode = kAdlBadArgument;
        return nullptr;
    }
    HANDLE handle = nullptr;
    if (m_getArchiveInfo(path, 0, 0, &handle) != 0 || !handle) {
        if (handle) GlobalFree(handle);
        *outCode = kAdlBadFormat;
        return nullptr;
    }
    LockedList list(handle);
    const std::uint32_t count = list.Count();
    if (count == 0) {
        *outCode = list.Records() ? kAdlEmptyEntry : kAdlBadFormat;
        return nullptr;
    }
    std::unique_ptr<SpiArchive> archive(new SpiArchive(path, m_getFile));
    *outCode = archive->Build(list.Records(), count, g_buildEntryTable);
    return *outCode == kAdlOk ? archive.release() : nullptr;
}

std::int32_t XM_METHOD SpiArchivePlugin::Assist(ArchiveOptionRecord option) {
    return SpiSetOption(&option);
}
