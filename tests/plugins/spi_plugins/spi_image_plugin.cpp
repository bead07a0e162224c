// A stand-in SPI image plug-in ("00IN") for the "TSPI" test pictures (tests/support/
// spi_test_content.h), built as a third party builds one: __stdcall exports under plain names
// (spi_image*.def), results in LocalAlloc blocks, moveable as such plug-ins usually make them.
// TestLastIsSupported and TestLastProgressResult are not part of the interface: they tell the
// tests what the last IsSupported received and what the last progress call answered.
// Variants: SPI_FIXED_BLOCKS returns fixed blocks; SPI_SHORT_INFO an info block shorter than a
// BITMAPINFOHEADER; SPI_UNKNOWN_API answers an API version of no known kind. The .def files
// leave out GetPicture or GetPluginInfo for two more.
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "framework/interfaces/spi_plugin.h"
#include "tests/plugins/spi_plugins/spi_stand_in.h"
#include "tests/support/spi_test_content.h"

namespace {

using spistandin::CopyInfo;
using spistandin::MakeBlock;

char g_lastName[MAX_PATH];
std::uint8_t g_lastHead[2048];
int g_isSupportedCalls = 0;
int g_lastProgressResult = -99;

std::int32_t ReadI32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

extern "C" {

std::int32_t XM_STDCALL GetPluginInfo(std::int32_t index, char* buffer, std::int32_t length) {
    switch (index) {
#ifdef SPI_UNKNOWN_API
        case 0: return CopyInfo("00XX", buffer, length);
#else
        case 0: return CopyInfo("00IN", buffer, length);
#endif
        case 1: return CopyInfo("Stand-in picture plug-in", buffer, length);
        case 2: return CopyInfo("*.tsp;*.tsq", buffer, length);
        case 3: return CopyInfo("Test SPI picture", buffer, length);
        default: return 0;
    }
}

std::int32_t XM_STDCALL IsSupported(const char* fileName, const void* head) {
    ++g_isSupportedCalls;
    std::strncpy(g_lastName, fileName ? fileName : "<null>", sizeof g_lastName - 1);
    std::memcpy(g_lastHead, head, sizeof g_lastHead);
    return std::memcmp(head, "TSPI", 4) == 0 ? 1 : 0;
}

std::int32_t XM_STDCALL GetPictureInfo(const void*, std::int32_t, std::uint32_t, void*) { return 2; }

std::int32_t XM_STDCALL GetPicture(const void* data, std::int32_t length, std::uint32_t flags,
                                   HANDLE* outInfo, HANDLE* outBits, SpiProgressCallback progress,
                                   std::intptr_t progressData) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    if ((flags & 7) != kSpiDataInMemory || length < static_cast<std::int32_t>(spitest::kPictureHeaderSize) ||
        std::memcmp(bytes, "TSPI", 4) != 0) {
        return 2;
    }
    const std::int32_t width = ReadI32(bytes + 4);
    const std::int32_t height = ReadI32(bytes + 8);
    const std::uint16_t bitCount = static_cast<std::uint16_t>(bytes[12] | bytes[13] << 8);
    const std::uint16_t pictureFlags = static_cast<std::uint16_t>(bytes[14] | bytes[15] << 8);
    if (pictureFlags & spitest::kPictureFails) return 2;
    if (width < 0 || height <= 0 || bitCount == 0 || bitCount > 32) return 2;
    if (progress) g_lastProgressResult = progress(0, height, progressData);

    const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bitCount + 31) / 32) * 4;
    std::uint64_t bitsSize = stride * static_cast<std::uint64_t>(height);
    if (pictureFlags & spitest::kPictureShortBits) bitsSize -= 1;
    if (pictureFlags & spitest::kPictureHeaderOnly) bitsSize = 4;
    if (bitsSize > 64u * 1024 * 1024) return 4;
    if (bitCount == 24 && !(pictureFlags & spitest::kPictureHeaderOnly) &&
        static_cast<std::uint64_t>(length) < spitest::kPictureHeaderSize + 3ull * width * height) {
        return 2;
    }

    const std::uint32_t colours = bitCount <= 8 ? 1u << bitCount : 0;
    std::uint8_t info[sizeof(BITMAPINFOHEADER) + 256 * 4] = {};
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info);
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = width;
    header->biHeight = height;
    header->biPlanes = 1;
    header->biBitCount = bitCount;
    header->biCompression = BI_RGB;
    header->biClrUsed = colours;
#ifdef SPI_SHORT_INFO
    const std::size_t infoSize = 16;
#else
    const std::size_t infoSize = sizeof(BITMAPINFOHEADER) + colours * 4;
#endif
    HLOCAL infoBlock = MakeBlock(info, infoSize);
    HLOCAL bitsBlock = MakeBlock(nullptr, static_cast<std::size_t>(bitsSize));
    if (!infoBlock || !bitsBlock) {
        if (infoBlock) LocalFree(infoBlock);
        if (bitsBlock) LocalFree(bitsBlock);
        return 4;
    }
    if (bitCount == 24 && !(pictureFlags & (spitest::kPictureHeaderOnly | spitest::kPictureShortBits))) {
        auto* rows = static_cast<std::uint8_t*>(LocalLock(bitsBlock));
        const std::uint8_t* source = bytes + spitest::kPictureHeaderSize;
        for (std::int32_t y = 0; y < height; ++y) {
            std::uint8_t* row = rows + (height - 1 - y) * stride;
            for (std::int32_t x = 0; x < width; ++x, source += 3) {
                row[3 * x] = source[2];
                row[3 * x + 1] = source[1];
                row[3 * x + 2] = source[0];
            }
        }
        LocalUnlock(bitsBlock);
    }
    if (progress) g_lastProgressResult = progress(height, height, progressData);
    *outInfo = infoBlock;
    *outBits = bitsBlock;
    return 0;
}

std::int32_t XM_STDCALL GetPreview(const void*, std::int32_t, std::uint32_t, HANDLE*, HANDLE*,
                                   SpiProgressCallback, std::intptr_t) {
    return 2;
}

std::int32_t XM_STDCALL ConfigurationDlg(HWND, std::int32_t function) { return function + 1; }

// The number of IsSupported calls so far; the last one's file name and 2048 head bytes.
int TestLastIsSupported(char* name, int nameSize, std::uint8_t* head) {
    if (name && nameSize > 0) {
        std::strncpy(name, g_lastName, nameSize - 1);
        name[nameSize - 1] = '\0';
    }
    if (head) std::memcpy(head, g_lastHead, sizeof g_lastHead);
    return g_isSupportedCalls;
}

int TestLastProgressResult() { return g_lastProgressResult; }

}  // extern "C"
