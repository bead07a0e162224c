// A stand-in SPI archive plug-in ("00AM") for "TSPA" test archives (tests/support/
// spi_test_content.h), built as a third party builds one: __stdcall exports under plain names
// (spi_archive.def), results in LocalAlloc blocks, moveable as such plug-ins usually make them.
// Every archive lists the same fixed entries; GetFile makes an entry's bytes, in memory or as a
// file in a folder. TestProgressCalls is not part of the interface: it counts the progress
// calls that came back.
// Variants: SPI_FIXED_BLOCKS returns fixed blocks; SPI_DUPLICATE_NAMES lists one name twice
// under the name folding; SPI_NO_END_RECORD ends the list without its end record;
// SPI_UNBOUNDED_TEXT fills the name fields and the description without a NUL;
// SPI_ARCHIVE_INFO_FAILS fails every GetArchiveInfo.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "framework/interfaces/spi_plugin.h"
#include "tests/plugins/spi_plugins/spi_stand_in.h"
#include "tests/support/spi_test_content.h"

namespace {

using spistandin::CopyInfo;
using spistandin::MakeBlock;

int g_progressCalls = 0;

bool IsTestArchive(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char magic[4] = {};
    DWORD read = 0;
    ReadFile(file, magic, sizeof magic, &read, nullptr);
    CloseHandle(file);
    return read == 4 && std::memcmp(magic, "TSPA", 4) == 0;
}

void FillField(char* field, std::size_t size, const std::string& text) {
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), text.size() < size ? text.size() : size - 1);
}

std::vector<SpiFileInfo> EntryList() {
    std::vector<SpiFileInfo> records;
    for (std::uint32_t i = 0; i < spitest::kArchiveEntryCount; ++i) {
        const spitest::SpiArchiveEntry entry = spitest::SpiArchiveEntryAt(i);
        SpiFileInfo record = {};
        std::memcpy(record.method, "TSPA", 4);
        record.position = spitest::SpiArchivePosition(i);
        record.compressedSize = entry.compressedSize;
        record.fileSize = entry.size;
        record.timeStamp = 1000000000 + static_cast<std::int32_t>(i);
        record.crc = 0xC0DE0000u + i;
        FillField(record.path, sizeof record.path, entry.path);
        FillField(record.fileName, sizeof record.fileName, entry.name);
#ifdef SPI_UNBOUNDED_TEXT
        if (i == spitest::kBgEntry) {
            std::memset(record.path, 'p', sizeof record.path);
            std::memset(record.fileName, 'n', sizeof record.fileName);
        }
#endif
        records.push_back(record);
    }
#ifdef SPI_DUPLICATE_NAMES
    SpiFileInfo again = records[spitest::kBgEntry];
    FillField(again.path, sizeof again.path, "DATA\\");
    FillField(again.fileName, sizeof again.fileName, "bg01.bmp");
    records.push_back(again);
#endif
#ifndef SPI_NO_END_RECORD
    records.push_back(SpiFileInfo{});
#endif
    return records;
}

// The entry listed at `position`, or -1.
std::int32_t EntryAtPosition(std::int32_t position) {
    for (std::uint32_t i = 0; i < spitest::kArchiveEntryCount; ++i) {
        if (spitest::SpiArchivePosition(i) == static_cast<std::uint32_t>(position)) {
            return static_cast<std::int32_t>(i);
        }
    }
    return -1;
}

}  // namespace

extern "C" {

std::int32_t XM_STDCALL GetPluginInfo(std::int32_t index, char* buffer, std::int32_t length) {
    switch (index) {
        case 0: return CopyInfo("00AM", buffer, length);
        case 1: return CopyInfo("Stand-in archive plug-in", buffer, length);
        case 2: return CopyInfo("*.tsa", buffer, length);
#ifdef SPI_UNBOUNDED_TEXT
        case 3:
            std::memset(buffer, 'D', length);
            return length;
#else
        case 3: return CopyInfo("Test SPI archive", buffer, length);
#endif
        default: return 0;
    }
}

std::int32_t XM_STDCALL GetArchiveInfo(const char* path, std::int32_t, std::uint32_t flags, HANDLE* outList) {
#ifdef SPI_ARCHIVE_INFO_FAILS
    return 2;
#endif
    if ((flags & 7) != 0 || !IsTestArchive(path)) return 2;
    const std::vector<SpiFileInfo> records = EntryList();
    HLOCAL list = MakeBlock(records.data(), records.size() * sizeof(SpiFileInfo));
    if (!list) return 4;
    *outList = list;
    return 0;
}

std::int32_t XM_STDCALL GetFile(const char* path, std::int32_t position, void* destination,
                                std::uint32_t flags, SpiProgressCallback progress,
                                std::intptr_t progressData) {
    if (!IsTestArchive(path)) return 2;
    const std::int32_t index = EntryAtPosition(position);
    if (index < 0) return 2;
    const std::string bytes = spitest::SpiArchiveBytes(static_cast<std::uint32_t>(index));
    if (progress) {
        progress(0, static_cast<std::int32_t>(bytes.size()), progressData);
        ++g_progressCalls;
    }
    if (flags & kSpiToMemory) {
        HLOCAL block = MakeBlock(bytes.data(), bytes.size());
        if (!block) return 4;
        *static_cast<HANDLE*>(destination) = block;
        return 0;
    }
    const std::string target = std::string(static_cast<const char*>(destination)) +
                               spitest::SpiArchiveEntryAt(static_cast<std::uint32_t>(index)).name;
    HANDLE file = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 5;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return written == bytes.size() ? 0 : 5;
}

std::int32_t XM_STDCALL ConfigurationDlg(HWND, std::int32_t function) { return function + 2; }

int TestProgressCalls() { return g_progressCalls; }

}  // extern "C"
