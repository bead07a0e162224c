#include "framework/plugins/spi_archive.h"

#include <cstring>
#include <memory>
#include <new>

#include "framework/files/path_utilities.h"
#include "framework/files/shift_jis.h"
#include "framework/plugins/spi_support.h"

namespace {

constexpr std::uint8_t kSpiEntryKind = 8;

// Archive progress has no result: a plug-in calling through the thunk is told to go on.
struct ArchiveProgressPair {
    ArchiveProgress function;
    void* argument;
};

std::int32_t XM_CDECL ForwardArchiveProgress(std::int32_t done, std::int32_t total, void* pair) {
    const auto* progress = static_cast<const ArchiveProgressPair*>(pair);
    progress->function(done, total, progress->argument);
    return 0;
}

// The entry's name: the folder path with '/' as '\', then the file name.
std::string EntryName(const SpiFileInfo& record) {
    std::string name = SpiFieldText(record.path, sizeof record.path);
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (IsShiftJisLeadByte(static_cast<unsigned char>(name[i]))) ++i;
        else if (name[i] == '/') name[i] = '\\';
    }
    name += SpiFieldText(record.fileName, sizeof record.fileName);
    return name;
}

}  // namespace

SpiArchive::SpiArchive(std::string path, SpiGetFileFunc getFile)
    : m_path(std::move(path)), m_getFile(getFile) {}

SpiArchive::~SpiArchive() {
    m_table.clear();
    m_index.Clear();
    if (m_library) FreeLibrary(m_library);
}

std::int32_t SpiArchive::Build(const SpiFileInfo* records, std::uint32_t count, bool withTable) {
    // The archive calls the plug-in as long as it lives, whatever becomes of the format.
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCSTR>(m_getFile), &m_library)) {
        m_library = nullptr;
        return kAdlException;
    }
    try {
        if (withTable) {
            m_table.assign(count, ArchiveEntryTableItem{nullptr, nullptr});
            m_hasTable = true;
        }
        for (std::uint32_t i = 0; i < count; ++i) {
            const SpiFileInfo& record = records[i];
            std::unique_ptr<ArchiveEntryInfo> entry(new ArchiveEntryInfo{});
            entry->index = static_cast<std::int32_t>(i);
            entry->storedSize = record.compressedSize;
            entry->unpackedSize = record.fileSize;
            entry->timeStamp = record.timeStamp;
            entry->crc = record.crc;
            entry->fileOffset = record.position;
            entry->kind = kSpiEntryKind;
            entry->hasUnpackedSize = record.compressedSize != record.fileSize ? 1 : 0;
            const std::string name = EntryName(record);
            if (m_index.Insert(name.c_str(), SpiNameHash(name.c_str()), entry.get()) != 0) {
                return kSpiDuplicateName;
            }
            ArchiveEntryInfo* stored = entry.release();
            if (withTable) {
                const char* storedName = nullptr;
                m_index.Find(name.c_str(), &storedName);
                m_table[i] = ArchiveEntryTableItem{storedName, stored};
            }
        }
    } catch (const std::bad_alloc&) {
        return kAdlOutOfMemory;
    }
    return kAdlOk;
}

std::uint32_t XM_METHOD SpiArchive::EntryCount() { return m_index.Count(); }

ArchiveEntryTableItem* XM_METHOD SpiArchive::EntryTable() {
    return m_hasTable ? m_table.data() : nullptr;
}

bool XM_METHOD SpiArchive::Contains(const char* name) { return m_index.Find(name) != nullptr; }

ArchiveEntryInfo* XM_METHOD SpiArchive::FindEntry(const char* name) { return m_index.Find(name); }

ArchiveEntryInfo* SpiArchive::EntryAt(std::int32_t index, const char** outName) {
    // Scripts reach these indexes: a negative one is as far out of range as a large one.
    if (index < 0 || static_cast<std::uint32_t>(index) >= m_index.Count()) return nullptr;
    if (m_hasTable) {
        if (outName) *outName = m_table[index].name;
        return m_table[index].info;
    }
    return m_index.FindByIndex(index, outName);
}

ArchiveEntryInfo* XM_METHOD SpiArchive::EntryInfo(std::int32_t index, const char** outName) {
    return EntryAt(index, outName);
}

std::int32_t XM_METHOD SpiArchive::ExtractByName(const char* name, ArchiveAllocator allocator,
                                                 void* allocatorArgument, ArchiveProgress progress,
                                                 void* progressArgument) {
    const ArchiveEntryInfo* entry = m_index.Find(name);
    if (!entry) return kAdlNotFound;
    return ExtractEntry(entry, allocator, allocatorArgument, progress, progressArgument);
}

std::int32_t XM_METHOD SpiArchive::ExtractByIndex(std::int32_t index, ArchiveAllocator allocator,
                                                  void* allocatorArgument, ArchiveProgress progress,
                                                  void* progressArgument) {
    const ArchiveEntryInfo* entry = EntryAt(index, nullptr);
    if (!entry) return kAdlNotFound;
    return ExtractEntry(entry, allocator, allocatorArgument, progress, progressArgument);
}

std::int32_t XM_METHOD SpiArchive::ExtractToFileByName(const char* name, const char* targetPath,
                                                       ArchiveProgress progress,
                                                       void* progressArgument) {
    const ArchiveEntryInfo* entry = m_index.Find(name);
    if (!entry) return kAdlNotFound;
    return ExtractToFile(entry, targetPath, progress, progressArgument);
}

std::int32_t XM_METHOD SpiArchive::ExtractToFileByIndex(std::int32_t index, const char* targetPath,
                                                        ArchiveProgress progress,
                                                        void* progressArgument) {
    const ArchiveEntryInfo* entry = EntryAt(index, nullptr);
    if (!entry) return kAdlNotFound;
    return ExtractToFile(entry, targetPath, progress, progressArgument);
}

ByteStream* XM_METHOD SpiArchive::OpenStreamByName(const char* name, std::int32_t* outCode) {
    if (outCode) *outCode = m_index.Find(name) ? kAdlEntryCompressed : kAdlNotFound;
    return nullptr;
}

ByteStream* XM_METHOD SpiArchive::OpenStreamByIndex(std::int32_t index, std::int32_t* outCode) {
    if (outCode) *outCode = EntryAt(index, nullptr) ? kAdlEntryCompressed : kAdlNotFound;
    return nullptr;
}

std::int32_t SpiArchive::ExtractEntry(const ArchiveEntryInfo* entry, ArchiveAllocator allocator,
                                      void* allocatorArgument, ArchiveProgress progress,
                                      void* progressArgument) {
    if (!allocator) return kAdlBadArgument;
    if (entry->unpackedSize == 0) return kAdlEmptyEntry;
    ArchiveProgressPair inner = {progress, progressArgument};
    SpiProgressPair pair = {progress ? ForwardArchiveProgress : nullptr, &inner};
    HANDLE handle = nullptr;
    if (m_getFile(m_path.c_str(), static_cast<std::int32_t>(entry->fileOffset), &handle,
                  kSpiToMemory, SpiProgressThunk, reinterpret_cast<std::intptr_t>(&pair)) != 0) {
        if (handle) GlobalFree(handle);
        return kAdlBadFormat;
    }
    if (!handle) return kAdlBadFormat;
    HGLOBAL block = SpiTakeFixedBlock(handle);
    if (!block) return kAdlOutOfMemory;
    const SIZE_T size = GlobalSize(block);
    void* destination = size != 0 ? allocator(static_cast<std::uint32_t>(size), allocatorArgument, block)
                                  : nullptr;
    if (!destination) {
        GlobalFree(block);
        return size != 0 ? kAdlOutOfMemory : kAdlBadFormat;
    }
    // An allocator may answer with a block of its own rather than adopt the filled one.
    if (destination != block) {
        std::memcpy(destination, block, size);
        GlobalFree(block);
    }
    return kAdlOk;
}

std::int32_t SpiArchive::ExtractToFile(const ArchiveEntryInfo* entry, const char* targetPath,
                                       ArchiveProgress progress, void* progressArgument) {
    if (!targetPath) return kAdlBadArgument;
    char folder[kPathCapacity];
    const std::size_t length = std::strlen(targetPath);
    if (length >= kPathCapacity) return kAdlBadArgument;
    std::memcpy(folder, targetPath, length + 1);
    SplitFileName(folder, nullptr);
    ArchiveProgressPair inner = {progress, progressArgument};
    SpiProgressPair pair = {progress ? ForwardArchiveProgress : nullptr, &inner};
    return m_getFile(m_path.c_str(), static_cast<std::int32_t>(entry->fileOffset), folder, 0,
                     SpiProgressThunk, reinterpret_cast<std::intptr_t>(&pair)) == 0
               ? kAdlOk
               : kAdlBadFormat;
}
