// Exports of SPI plug-ins (*.SPI), a plug-in family of its own: image decoders (API version
// "00IN") and archive readers ("00AM"). The program gives them no host of their own but wraps
// each in an adapter of its image-loader or archive interfaces (framework/plugins/spi_*).
//
// Contract, as the plug-ins in the field build it:
//  - every export, and the progress callback the host hands in, is __stdcall; the exports go
//    by their plain names (no @n decoration); every integer is 32-bit;
//  - texts the plug-in writes fill the caller's buffer and need not end in a NUL when they fill
//    it; the 200-byte fields of SpiFileInfo likewise;
//  - blocks a plug-in returns (picture info and bits, the entry list, an extracted entry) are
//    LocalAlloc/GlobalAlloc blocks, fixed or moveable, that the caller owns from then on and
//    frees with GlobalFree;
//  - the plug-in reads an archive by its path on every call and keeps nothing open between
//    calls; calls come from one thread at a time.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "framework/interfaces/cross_module.h"

// Progress of a decode or an extraction; `data` is the value the host passed with the
// callback. What a plug-in does with a nonzero result is its own business.
typedef std::int32_t(XM_STDCALL* SpiProgressCallback)(std::int32_t done, std::int32_t total,
                                                      std::intptr_t data);

// Index 0: the API version; 2: the first file-name filter ("*.bmp;*.dib"); 3: the description
// of that format. Returns the number of bytes written.
typedef std::int32_t(XM_STDCALL* SpiGetPluginInfoFunc)(std::int32_t index, char* buffer,
                                                       std::int32_t bufferLength);
// Image plug-ins. `head` points at the file's first bytes, at least 2048 of them.
typedef std::int32_t(XM_STDCALL* SpiIsSupportedFunc)(const char* fileName, const void* head);
// With flags kSpiDataInMemory `data` holds the whole file of `length` bytes. On success (0)
// the plug-in stores a BITMAPINFO block and a block of bottom-up rows.
typedef std::int32_t(XM_STDCALL* SpiGetPictureFunc)(const void* data, std::int32_t length,
                                                    std::uint32_t flags, HANDLE* outInfo,
                                                    HANDLE* outBits, SpiProgressCallback progress,
                                                    std::intptr_t progressData);
typedef std::int32_t(XM_STDCALL* SpiGetPictureInfoFunc)(const void* data, std::int32_t length,
                                                        std::uint32_t flags, void* outInfo);
typedef SpiGetPictureFunc SpiGetPreviewFunc;
// Archive plug-ins. On success (0) the plug-in stores a block of SpiFileInfo records ended by
// one whose first method byte is 0.
typedef std::int32_t(XM_STDCALL* SpiGetArchiveInfoFunc)(const char* path, std::int32_t offset,
                                                        std::uint32_t flags, HANDLE* outList);
// With flags kSpiToMemory `destination` is a HANDLE* that receives a block holding the entry;
// with flags 0 it is a folder path into which the plug-in writes the entry under its own name.
typedef std::int32_t(XM_STDCALL* SpiGetFileFunc)(const char* path, std::int32_t position,
                                                 void* destination, std::uint32_t flags,
                                                 SpiProgressCallback progress,
                                                 std::intptr_t progressData);
typedef std::int32_t(XM_STDCALL* SpiConfigurationDlgFunc)(HWND parent, std::int32_t function);

constexpr std::int32_t kSpiInfoApiVersion = 0;
constexpr std::int32_t kSpiInfoFirstFilter = 2;
constexpr std::int32_t kSpiInfoFirstDescription = 3;
constexpr char kSpiImageApi[] = "00IN";
constexpr char kSpiArchiveApi[] = "00AM";
constexpr std::uint32_t kSpiDataInMemory = 1;
constexpr std::uint32_t kSpiToMemory = 0x100;
// Texts come back in a buffer of this size.
constexpr std::int32_t kSpiInfoBufferSize = 256;

// One entry of an archive's list; records follow each other without gaps.
struct SpiFileInfo {
    std::uint8_t method[8];  // a record whose first byte is 0 ends the list
    std::uint32_t position;  // handed back to GetFile
    std::uint32_t compressedSize;
    std::uint32_t fileSize;
    std::int32_t timeStamp;  // time_t
    char path[200];          // folder inside the archive, '/' or '\' between folders
    char fileName[200];
    std::uint32_t crc;
};
static_assert(offsetof(SpiFileInfo, position) == 8 && offsetof(SpiFileInfo, compressedSize) == 12 &&
                  offsetof(SpiFileInfo, fileSize) == 16 && offsetof(SpiFileInfo, timeStamp) == 20 &&
                  offsetof(SpiFileInfo, path) == 24 && offsetof(SpiFileInfo, fileName) == 224 &&
                  offsetof(SpiFileInfo, crc) == 424 && sizeof(SpiFileInfo) == 428,
              "SpiFileInfo is the plug-ins' record layout");
