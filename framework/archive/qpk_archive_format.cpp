#include "framework/archive/qpk_archive_format.h"

#include <atomic>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <new>

#include "framework/files/file_handle_io.h"
#include "framework/util/little_endian.h"
#include "framework/archive/qpk_archive.h"
#include "framework/archive/qpk_scrambler.h"

namespace {

std::atomic<bool> g_loadNames{false};
std::atomic<std::uint32_t> g_hostWords[2] = {{0}, {0}};

constexpr char kMagic[4] = {'Q', 'P', 'K', '1'};

Archive* OpenArchive(const char* path, HANDLE file) {
    if (!MoveFilePointer(file, 0, FILE_BEGIN)) throw kAdlSeekFailed;
    std::uint8_t header[8];
    if (!ReadExactly(file, header, sizeof header)) throw kAdlReadFailed;
    if (std::memcmp(header, kMagic, sizeof kMagic) != 0) throw kAdlBadFormat;

    const QpkNameKey key = QpkScrambler::MakeNameKey(QpkScrambler::KeyName(path));
    const std::uint32_t hostFirst = g_hostWords[0];
    const std::uint32_t hostSecond = g_hostWords[1];
    const std::uint32_t descriptor = LittleEndian::Load32(header + 4) ^ QpkScrambler::DescriptorMask(key, hostSecond);
    const std::uint8_t flags = static_cast<std::uint8_t>(descriptor >> 24);
    const std::uint64_t n = descriptor & 0xFFFFFF;
    std::uint64_t indexLength = n;
    if (flags & kQpkBlockLayout) {
        if (n == 0) throw kAdlBadFormat;
        indexLength = n * kQpkBlockSize - 8;
    }
    // An index claiming more than the file holds is refused before anything is allocated.
    std::uint32_t fileSize = 0;
    if (!FileSize32(file, &fileSize)) throw kAdlSizeUnavailable;
    if (indexLength + 8 > fileSize) throw kAdlReadFailed;
    const std::uint32_t length = static_cast<std::uint32_t>(indexLength);
    std::unique_ptr<std::uint8_t[]> index(new std::uint8_t[length ? length : 1]);
    if (!ReadExactly(file, index.get(), length)) throw kAdlReadFailed;
    QpkScrambler::ScrambleIndex(index.get(), length, QpkScrambler::IndexKey(key, hostSecond));
    return new QpkArchive(file, path, flags, QpkScrambler::EntryKey(key, hostFirst), std::move(index), length,
                          g_loadNames);
}

}  // namespace

Archive* XM_METHOD QpkArchiveFormat::Open(const char* path, HANDLE handle, std::int32_t* outCode) {
    std::int32_t ignored;
    if (!outCode) outCode = &ignored;
    if (!path) {
        *outCode = kAdlBadArgument;
        return nullptr;
    }
    HANDLE file = handle;
    if (file == INVALID_HANDLE_VALUE) {
        file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            *outCode = kAdlNotFound;
            return nullptr;
        }
    }
    try {
        Archive* archive = OpenArchive(path, file);
        *outCode = kAdlOk;
        return archive;
    } catch (EAdlErrorCode code) {
        *outCode = code;
    } catch (const std::bad_alloc&) {
        *outCode = kAdlOutOfMemory;
    } catch (...) {
        *outCode = kAdlException;
    }
    if (handle == INVALID_HANDLE_VALUE) CloseHandle(file);
    return nullptr;
}

std::int32_t XM_METHOD QpkArchiveFormat::Assist(ArchiveOptionRecord option) { return QpkSetOption(&option); }

std::int32_t XM_CDECL QpkSetOption(const void* record) {
    if (!record) return kAdlBadArgument;
    const std::uint8_t* bytes = static_cast<const std::uint8_t*>(record);
    std::int32_t option;
    std::memcpy(&option, bytes, sizeof option);
    switch (option) {
        case 0:
            g_loadNames = bytes[4] != 0;
            return kAdlOk;
        case 1: {
            std::uint32_t words[2];
            std::memcpy(words, bytes + 4, sizeof words);
            g_hostWords[0] = words[0];
            g_hostWords[1] = words[1];
            return kAdlOk;
        }
        default:
            return kAdlBadArgument;
    }
}

std::int32_t XM_CDECL QpkAssistFunc(std::int32_t option, ...) {
    ArchiveOptionRecord record = {option, {0, 0}};
    va_list values;
    va_start(values, option);
    if (option == 0) {
        record.values[0] = static_cast<std::uint8_t>(va_arg(values, int));
    } else if (option == 1) {
        record.values[0] = va_arg(values, std::uint32_t);
        record.values[1] = va_arg(values, std::uint32_t);
    }
    va_end(values);
    return QpkSetOption(&record);
}
