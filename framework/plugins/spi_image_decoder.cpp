#include "framework/plugins/spi_image_decoder.h"

#include <cstring>
#include <new>

#include "framework/images/image_loader_host.h"
#include "framework/plugins/plugin_module.h"
#include "framework/plugins/spi_support.h"

std::uint64_t SpiRowStride(std::int32_t width, std::uint32_t bitCount) {
    const std::uint64_t w = width > 0 ? static_cast<std::uint64_t>(width) : 0;
    const std::uint64_t bytes = bitCount < 16 ? (w * bitCount + 7) >> 3 : (bitCount >> 3) * w;
    return (bytes + 3) & ~static_cast<std::uint64_t>(3);
}

SpiImageDecoder::SpiImageDecoder(std::string extensions) : m_extensions(std::move(extensions)) {}

SpiImageDecoder::~SpiImageDecoder() {
    FreeBuffers();
    FreeExtraData();
    SpiReleaseConfigDialog(m_configEntry);
    if (m_module) FreeLibrary(m_module);
}

std::int32_t SpiImageDecoder::Bind(ImageLoaderHost* host, HMODULE module, const char* description) {
    if (!host) return 4;
    m_isSupported = GetExportAs<SpiIsSupportedFunc>(module, "IsSupported");
    m_getPicture = GetExportAs<SpiGetPictureFunc>(module, "GetPicture");
    if (!m_isSupported || !m_getPicture) return -2;
    m_getPictureInfo = GetExportAs<SpiGetPictureInfoFunc>(module, "GetPictureInfo");
    m_getPreview = GetExportAs<SpiGetPreviewFunc>(module, "GetPreview");
    m_configurationDlg = GetExportAs<SpiConfigurationDlgFunc>(module, "ConfigurationDlg");
    try {
        m_description = description ? description : "";
    } catch (const std::bad_alloc&) {
        return 6;
    }
    m_configEntry = SpiClaimConfigDialog(m_configurationDlg);
    if (host->RegisterBuiltin(this, m_extensions.c_str(), m_description.c_str(), kSpiImageType,
                              nullptr, nullptr, m_configEntry) != 0) {
        return 8;
    }
    m_module = module;
    return 0;
}

bool XM_METHOD SpiImageDecoder::IsSupported(const void* data, std::uint32_t size, const char* name) {
    const char* fileName = name ? name : "";
    // Plug-ins read their head without a length: a short file is padded to what they may read.
    if (data && size >= kSpiHeadSize) return m_isSupported(fileName, data) != 0;
    unsigned char head[kSpiHeadSize] = {};
    if (data) std::memcpy(head, data, size);
    return m_isSupported(fileName, head) != 0;
}

std::int32_t XM_METHOD SpiImageDecoder::DecodeWithCallbacks(const void*, std::uint32_t,
                                                            GllAllocator, void*, std::uint8_t,
                                                            GllProgress, void*) {
    return kGllNotOffered;
}

std::int32_t XM_METHOD SpiImageDecoder::DecodeToBuffers(const void* data, std::uint32_t size,
                                                        HGLOBAL* outInfo, HGLOBAL* outBits,
                                                        GllProgress progress,
                                                        void* progressArgument) {
    if (!data || size == 0 || (outInfo == nullptr) != (outBits == nullptr)) {
        return kGllMissingArgument;
    }
    FreeBuffers();
    HANDLE info = nullptr;
    HANDLE bits = nullptr;
    SpiProgressPair pair = {progress, progressArgument};
    std::int32_t code = kGllNotThisFormat;
    if (m_getPicture(data, static_cast<std::int32_t>(size), kSpiDataInMemory, &info, &bits,
                     SpiProgressThunk, reinterpret_cast<std::intptr_t>(&pair)) == 0) {
        code = TakeBlocks(info, bits);
    } else {
        if (info) GlobalFree(info);
        if (bits) GlobalFree(bits);
    }
    SettleBuffers(code, outInfo, outBits);
    return code;
}

std::int32_t SpiImageDecoder::TakeBlocks(HANDLE info, HANDLE bits) {
    m_info = SpiTakeFixedBlock(info);
    m_bits = SpiTakeFixedBlock(bits);
    if (!m_info || !m_bits) return kGllNotThisFormat;
    const SIZE_T infoSize = GlobalSize(m_info);
    const SIZE_T bitsSize = GlobalSize(m_bits);
    if (infoSize < sizeof(BITMAPINFOHEADER)) return kGllNotThisFormat;
    const auto* header = static_cast<const BITMAPINFOHEADER*>(m_info);
    if (header->biWidth < 0) return kGllNotThisFormat;
    const std::uint64_t stride = SpiRowStride(header->biWidth, header->biBitCount);
    const std::int64_t height = header->biHeight;
    const std::uint64_t rows = static_cast<std::uint64_t>(height < 0 ? -height : height);
    if (stride > 0x7FFFFFFF || stride * rows > bitsSize) return kGllNotThisFormat;
    m_stride = static_cast<std::int32_t>(stride);
    m_totalSize = static_cast<std::uint32_t>(bitsSize + infoSize);
    return kGllOk;
}

std::int32_t XM_METHOD SpiImageDecoder::Encode(std::int32_t, const void*, std::int32_t,
                                               std::int32_t, std::int32_t, std::int32_t, GllWriter,
                                               void*, const std::uint32_t*, GllProgress, void*) {
    return kGllNotOffered;
}
