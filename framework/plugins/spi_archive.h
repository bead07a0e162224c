// SpiArchive: an archive opened by an SPI archive plug-in, as the file system's Archive.
//
// The plug-in reads the archive by its path on every extraction, so the archive keeps no file
// handle; it keeps its own reference on the plug-in's library instead, so that unloading the
// format leaves mounted archives working until their mounts go. Entries come out whole: there
// are no entry streams.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/interfaces/archive_interfaces.h"
#include "framework/interfaces/deleting_destructor.h"
#include "framework/interfaces/spi_plugin.h"
#include "framework/plugins/spi_name_index.h"

// Open's code for an entry list that names one entry twice (under the name folding).
constexpr std::int32_t kSpiDuplicateName = 10;

class SpiArchive final : public WithDeletingDestructor<SpiArchive, Archive> {
public:
    SpiArchive(std::string path, SpiGetFileFunc getFile);
    ~SpiArchive();

    // Builds the entries from the plug-in's `count` records: 0, 8 out of memory, 10 a name
    // listed twice, 14 the library reference cannot be taken.
    std::int32_t Build(const SpiFileInfo* records, std::uint32_t count, bool withTable);

    std::uint32_t XM_METHOD EntryCount() override;
    ArchiveEntryTableItem* XM_METHOD EntryTable() override;
    bool XM_METHOD Contains(const char* name) override;
    ArchiveEntryInfo* XM_METHOD FindEntry(const char* name) override;
    ArchiveEntryInfo* XM_METHOD EntryInfo(std::int32_t index, const char** outName) override;
    std::int32_t XM_METHOD ExtractByName(const char* name, ArchiveAllocator allocator,
                                         void* allocatorArgument, ArchiveProgress progress,
                                         void* progressArgument) override;
    std::int32_t XM_METHOD ExtractByIndex(std::int32_t index, ArchiveAllocator allocator,
                                          void* allocatorArgument, ArchiveProgress progress,
                                          void* progressArgument) override;
    std::int32_t XM_METHOD ExtractToFileByName(const char* name, const char* targetPath,
                                               ArchiveProgress progress,
                                               void* progressArgument) override;
    std::int32_t XM_METHOD ExtractToFileByIndex(std::int32_t index, const char* targetPath,
                                                ArchiveProgress progress,
                                                void* progressArgument) override;
    ByteStream* XM_METHOD OpenStreamByName(const char* name, std::int32_t* outCode) override;
    ByteStream* XM_METHOD OpenStreamByIndex(std::int32_t index, std::int32_t* outCode) override;

private:
    ArchiveEntryInfo* EntryAt(std::int32_t index, const char** outName);
    std::int32_t ExtractEntry(const ArchiveEntryInfo* entry, ArchiveAllocator allocator,
                              void* allocatorArgument, ArchiveProgress progress,
                              void* progressArgument);
    std::int32_t ExtractToFile(const ArchiveEntryInfo* entry, const char* targetPath,
                               ArchiveProgress progress, void* progressArgument);

    std::string m_path;
    SpiGetFileFunc m_getFile;
    HMODULE m_library = nullptr;
    SpiNameIndex m_index;
    bool m_hasTable = false;
    std::vector<ArchiveEntryTableItem> m_table;
};
