#include "framework/images/elg_image_loader.h"

#include <cstring>

namespace {

constexpr std::uint32_t kPaletteBytes = 256 * 4;

std::uint32_t RowStride(std::uint32_t width, std::uint32_t depth) {
    return ((width * (depth / 8)) + 3) & ~3u;
}

}  // namespace

ElgImageLoader::~ElgImageLoader() { FreeBuffers(); }

bool XM_METHOD ElgImageLoader::IsSupported(const void* data, std::uint32_t size, const char*) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return bytes && size >= 8 && bytes[0] == 'E' && bytes[1] == 'L' && bytes[2] == 'G';
}

void XM_METHOD ElgImageLoader::FreeBuffers() {
    ImageLoadObject::FreeBuffers();
    FreeExtraData();
}

std::int32_t XM_METHOD ElgImageLoader::Encode(std::int32_t, const void*, std::int32_t,
                                              std::int32_t, std::int32_t, std::int32_t, GllWriter,
                                              void*, const std::uint32_t*, GllProgress, void*) {
    return kGllNotOffered;
}

std::int32_t ElgImageLoader::ReadHeader(const std::uint8_t* data, std::uint32_t size,
                                        ElgHeader* header) {
    const std::int32_t code = ElgReadHeader(data, size, header);
    if (code != 0) return code;
    m_originX = header->originX;
    m_originY = header->originY;
    if (header->extraSize != 0) {
        m_extraData = GlobalAlloc(GMEM_FIXED, header->extraSize);
        if (!m_extraData) return kGllOutOfMemory;
        std::memcpy(m_extraData, header->extraData, header->extraSize);
        m_extraSize = header->extraSize;
    }
    return 0;
}

std::int32_t XM_METHOD ElgImageLoader::DecodeToBuffers(const void* data, std::uint32_t size,
                                                       HGLOBAL* outInfo, HGLOBAL* outBits,
                                                       GllProgress progress,
                                                       void* progressArgument) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    if (!bytes) return kGllBadData;
    if ((outInfo == nullptr) != (outBits == nullptr)) return kGllMissingArgument;
    if (size < 3 || std::memcmp(bytes, "ELG", 3) != 0) return kGllNotThisFormat;
    FreeBuffers();
    ElgHeader header;
    std::int32_t code = ReadHeader(bytes, size, &header);
    if (code == 0) {
        if (progress && progress(0, static_cast<std::int32_t>(header.height), progressArgument)) {
            code = kGllCancelled;
        } else {
            code = DecodeBlocks(bytes, size, header);
        }
    }
    SettleBuffers(code, outInfo, outBits);
    if (progress) {
        const auto height = static_cast<std::int32_t>(header.height);
        progress(height, height, progressArgument);
    }
    return code;
}

std::int32_t ElgImageLoader::DecodeBlocks(const std::uint8_t* data, std::uint32_t size,
                                          const ElgHeader& header) {
    const std::uint32_t stride = RowStride(header.width, header.depth);
    const std::uint64_t imageBytes = static_cast<std::uint64_t>(stride) * header.height;
    if (imageBytes > kGllMaxImageBytes) return kGllOutOfMemory;
    if (!ElgStreamsCanFill(header, size)) return kGllBadData;
    const std::uint32_t infoSize = header.depth == 8 ? 40 + kPaletteBytes : 44;
    m_info = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, infoSize);
    if (!m_info) return kGllOutOfMemory;
    auto* info = static_cast<BITMAPINFOHEADER*>(m_info);
    info->biSize = sizeof(BITMAPINFOHEADER);
    info->biWidth = static_cast<LONG>(header.width);
    info->biHeight = static_cast<LONG>(header.height);
    info->biPlanes = 1;
    info->biBitCount = static_cast<WORD>(header.depth);
    info->biCompression = BI_RGB;
    info->biSizeImage = static_cast<DWORD>(imageBytes);
    // Padding bytes at the row ends are zero, not whatever the heap held.
    m_bits = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, imageBytes ? imageBytes : 1);
    if (!m_bits) return kGllOutOfMemory;
    m_totalSize = infoSize + static_cast<std::uint32_t>(imageBytes);
    m_stride = static_cast<std::int32_t>(stride);

    const std::uint8_t* end = data + size;
    const std::uint8_t* stream = data + header.streamOffset;
    auto* bits = static_cast<std::uint8_t*>(m_bits);
    const auto pitch = static_cast<std::int32_t>(stride);
    if (header.depth == 8) {
        info->biClrUsed = 256;
        auto* palette = reinterpret_cast<std::uint8_t*>(info + 1);
        stream = ElgDecode(stream, end, palette, kPaletteBytes);
        stream = ElgDecodeIndexedDib(stream, end, bits, header.width, header.height, pitch);
    } else if (header.depth == 24) {
        stream = ElgDecodeRgb24Dib(stream, end, bits, header.width, header.height, pitch);
    } else {
        auto* pixels = reinterpret_cast<std::uint32_t*>(bits);
        stream = ElgDecodeRgb32Dib(stream, end, pixels, header.width, header.height);
        stream = ElgDecodeAlphaDib(stream, end, pixels, header.width, header.height);
    }
    return stream ? 0 : kGllBadData;
}

std::int32_t XM_METHOD ElgImageLoader::DecodeWithCallbacks(const void* data, std::uint32_t size,
                                                           GllAllocator allocator, void* argument,
                                                           std::uint8_t want8Bit,
                                                           GllProgress progress,
                                                           void* progressArgument) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    if (!bytes) return kGllBadData;
    if (!allocator) return kGllMissingArgument;
    if (size < 3 || std::memcmp(bytes, "ELG", 3) != 0) return kGllNotThisFormat;
    FreeExtraData();
    ElgHeader header;
    std::int32_t code = ReadHeader(bytes, size, &header);
    if (code != 0) {
        FreeExtraData();
        return code;
    }
    const auto height = static_cast<std::int32_t>(header.height);
    const std::uint32_t width = header.width;
    const std::uint64_t pixelBytes = static_cast<std::uint64_t>(width) * header.height * 4;
    if (progress && progress(0, height, progressArgument)) {
        code = kGllCancelled;
    } else if (pixelBytes > kGllMaxImageBytes) {
        code = kGllOutOfMemory;
    } else if (!ElgStreamsCanFill(header, size)) {
        code = kGllBadData;
    } else {
        std::int32_t stride = static_cast<std::int32_t>(want8Bit ? width : width * 4);
        std::uint32_t* palette = nullptr;
        const bool wantPalette = want8Bit && header.depth == 8;
        auto* buffer = static_cast<std::uint8_t*>(
            allocator(static_cast<std::int32_t>(width), height, want8Bit ? 8 : 32,
                      header.depth == 32, &stride, wantPalette ? &palette : nullptr, argument));
        const std::uint8_t* end = bytes + size;
        const std::uint8_t* stream = bytes + header.streamOffset;
        if (!buffer) {
            code = kGllOutOfMemory;
        } else if (header.height > 1 && (want8Bit ? stride < static_cast<std::int32_t>(width)
                                                  : stride != static_cast<std::int32_t>(width * 4))) {
            // 8-bit rows may lie apart; 32-bit output lies row after row without gaps.
            code = kGllMissingArgument;
        } else if (!want8Bit) {
            auto* pixels = reinterpret_cast<std::uint32_t*>(buffer);
            const std::uint32_t count = width * header.height;
            if (header.depth == 8) {
                std::uint32_t table[256];
                stream = ElgDecode(stream, end, reinterpret_cast<std::uint8_t*>(table), kPaletteBytes);
                stream = ElgDecodeIndexed32(stream, end, pixels, count, table, 0);
            } else {
                stream = ElgDecodeRgb32(stream, end, buffer, width, header.height,
                                        static_cast<std::int32_t>(width * 4));
                if (header.depth == 32) stream = ElgDecodeAlpha(stream, end, pixels, count);
            }
            code = stream ? 0 : kGllBadData;
        } else if (header.depth == 8) {
            std::uint32_t ownTable[256];
            auto* table = reinterpret_cast<std::uint8_t*>(palette ? palette : ownTable);
            stream = ElgDecode(stream, end, table, kPaletteBytes);
            stream = ElgDecodeRows(stream, end, buffer, width, header.height, stride);
            code = stream ? 0 : kGllBadData;
        } else {
            stream = ElgDecodeGrayRows(stream, end, buffer, width, header.height, stride);
            code = stream ? 0 : kGllBadData;
        }
    }
    if (code != 0) FreeExtraData();
    if (progress) progress(height, height, progressArgument);
    return code;
}
