// SpiImageDecoder: an SPI image plug-in ("00IN") as a loader of the image-loader host,
// registered under type 5. The adapter owns the plug-in's library once it is registered and
// frees it when the host releases it.
//
// The plug-in's blocks are checked before anyone reads them: the info block must hold a
// BITMAPINFOHEADER and the bits block the rows that header describes; and they are handed on
// as fixed blocks, whatever kind the plug-in made.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/interfaces/deleting_destructor.h"
#include "framework/interfaces/image_plugin.h"
#include "framework/interfaces/spi_plugin.h"

class ImageLoaderHost;

// The image-loader host's type of SPI image plug-ins.
constexpr std::int32_t kSpiImageType = 5;
// The number of head bytes a plug-in's IsSupported may read.
constexpr std::uint32_t kSpiHeadSize = 2048;

// The row stride in bytes of a picture `width` pixels wide at `bitCount` bits, as the adapter
// reads a plug-in's bits block: (width × bits + 7) / 8 below 16 bits, bytes per pixel × width
// from 16 on, rounded up to a multiple of 4.
std::uint64_t SpiRowStride(std::int32_t width, std::uint32_t bitCount);

class SpiImageDecoder final : public WithDeletingDestructor<SpiImageDecoder, ImageLoadObject> {
public:
    // `extensions`: the extension list (upper-case names, each NUL-ended, then an empty one).
    explicit SpiImageDecoder(std::string extensions);
    ~SpiImageDecoder();

    // Looks up the plug-in's exports and registers with the host: 0; 4 no host; -2 IsSupported
    // or GetPicture missing; 6 out of memory; 8 refused by the host, which has then released
    // this adapter. The adapter owns `module` only after success.
    std::int32_t Bind(ImageLoaderHost* host, HMODULE module, const char* description);

    bool XM_METHOD IsSupported(const void* data, std::uint32_t size, const char* name) override;
    std::int32_t XM_METHOD DecodeWithCallbacks(const void* data, std::uint32_t size,
                                               GllAllocator allocator, void* argument,
                                               std::uint8_t want8Bit, GllProgress progress,
                                               void* progressArgument) override;
    // 0 decoded; 1 the plug-in failed or its blocks do not hold the picture; 4 no data (or
    // only one of the two outs).
    std::int32_t XM_METHOD DecodeToBuffers(const void* data, std::uint32_t size, HGLOBAL* outInfo,
                                           HGLOBAL* outBits, GllProgress progress,
                                           void* progressArgument) override;
    std::int32_t XM_METHOD Encode(std::int32_t mode, const void* pixels, std::int32_t width,
                                  std::int32_t height, std::int32_t bitDepth,
                                  std::int32_t sourceStride, GllWriter write, void* writeArgument,
                                  const std::uint32_t* palette, GllProgress progress,
                                  void* progressArgument) override;

private:
    std::int32_t TakeBlocks(HANDLE info, HANDLE bits);

    HMODULE m_module = nullptr;
    std::string m_description;
    std::string m_extensions;
    SpiIsSupportedFunc m_isSupported = nullptr;
    SpiGetPictureFunc m_getPicture = nullptr;
    SpiGetPictureInfoFunc m_getPictureInfo = nullptr;
    SpiGetPreviewFunc m_getPreview = nullptr;
    SpiConfigurationDlgFunc m_configurationDlg = nullptr;
    GllConfigDlgFunc m_configEntry = nullptr;
};
