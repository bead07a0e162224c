// The built-in archive format for QPK archives ("QPK format", extension QPK).
//
// Format-wide options, set through QpkSetOption (or the decoder's Assist operation) and used by
// archives opened afterwards:
//  - option 0, one byte: load names, so that archives build their entry table (a name and an
//    ArchiveEntryInfo per entry) when they open;
//  - option 1, two 32-bit words: the host words that the game mixes into the archive keys.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/interfaces/archive_interfaces.h"
#include "framework/interfaces/deleting_destructor.h"

class QpkArchiveFormat final : public WithDeletingDestructor<QpkArchiveFormat, ArchiveDecoder> {
public:
    static constexpr const char* kTypeString = "QPK format";
    // The extension list: "QPK" and the empty string that ends the list.
    static constexpr const char kExtensions[] = "QPK\0";

    QpkArchiveFormat() = default;
    ~QpkArchiveFormat() = default;

    Archive* XM_METHOD Open(const char* path, HANDLE handle, std::int32_t* outCode) override;
    std::int32_t XM_METHOD Assist(ArchiveOptionRecord option) override;
};

// Sets a format-wide option from a record {int32 option, its values}: 0, or 5 for an unknown
// option. The host keeps it as the format's second assist function.
std::int32_t XM_CDECL QpkSetOption(const void* record);
// The same with the option and its values as arguments: (0, byte) or (1, word, word).
std::int32_t XM_CDECL QpkAssistFunc(std::int32_t option, ...);
