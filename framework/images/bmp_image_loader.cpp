#include "framework/images/bmp_image_loader.h"

#include <cstring>
#include <new>
#include <vector>

#include "framework/images/dib_to_allocator.h"
#include "framework/util/little_endian.h"

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kHeadersSize = kFileHeaderSize + kInfoHeaderSize;

std::uint64_t PaddedRow(std::uint64_t bits) { return ((bits + 31) / 32) * 4; }

// What the headers of a file say, checked against the file.
struct BmpLayout {
    BITMAPINFOHEADER header;
    std::uint32_t width;
    std::uint32_t height;
    bool topDown;
    std::uint32_t depth;
    std::uint32_t colours;      // entries of the colour table (depths below 16)
    std::uint32_t sourceStride;
    std::uint32_t stride;       // of the decoded rows
    std::uint32_t infoSize;
    std::uint32_t imageBytes;
};

// 0, 1 not a BMP this loader reads, 3 broken or unsupported headers, 6 too large.
std::int32_t ReadLayout(const std::uint8_t* data, std::uint32_t size, BmpLayout* out) {
    if (size < kFileHeaderSize + 4 || data[0] != 'B' || data[1] != 'M') return kGllNotThisFormat;
    if (LittleEndian::Load32(data + kFileHeaderSize) != kInfoHeaderSize) return kGllNotThisFormat;
    if (size < kHeadersSize) return kGllBadData;
    BmpLayout l;
    std::memcpy(&l.header, data + kFileHeaderSize, kInfoHeaderSize);
    const BITMAPINFOHEADER& h = l.header;
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN) return kGllBadData;
    l.width = static_cast<std::uint32_t>(h.biWidth);
    l.topDown = h.biHeight < 0;
    l.height = static_cast<std::uint32_t>(l.topDown ? -h.biHeight : h.biHeight);
    l.depth = h.biBitCount;
    switch (l.depth) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return kGllBadData;
    }
    switch (h.biCompression) {
    case BI_RGB: break;
    case BI_RLE8: if (l.depth != 8 || l.topDown) return kGllBadData; break;
    case BI_RLE4: if (l.depth != 4 || l.topDown) return kGllBadData; break;
    case BI_BITFIELDS:
        if (l.depth < 16 || size < kHeadersSize + 12) return kGllBadData;
        break;
    default: return kGllBadData;
    }
    l.colours = 0;
    if (l.depth < 16) {
        const std::uint32_t most = 1u << l.depth;
        l.colours = h.biClrUsed ? h.biClrUsed : most;
        // A table longer than the depth can index would overrun every 256-entry palette.
        if (l.colours > most) return kGllBadData;
        if (size - kHeadersSize < l.colours * 4) return kGllBadData;
    }
    l.sourceStride = static_cast<std::uint32_t>(PaddedRow(static_cast<std::uint64_t>(l.width) * l.depth));
    const std::uint32_t outDepth = h.biCompression == BI_BITFIELDS ? 24 : l.depth;
    const std::uint64_t stride = PaddedRow(static_cast<std::uint64_t>(l.width) * outDepth);
    const std::uint64_t imageBytes = stride * l.height;
    if (imageBytes > kGllMaxImageBytes ||
        static_cast<std::uint64_t>(l.width) * l.height * 4 > kGllMaxImageBytes) {
        return kGllOutOfMemory;
    }
    l.stride = static_cast<std::uint32_t>(stride);
    l.imageBytes = static_cast<std::uint32_t>(imageBytes);
    l.infoSize = l.depth < 16 ? kInfoHeaderSize + 4 * l.colours : 44;
    *out = l;
    return 0;
}

// The shift and width of a bit-field mask.
struct Field {
    std::uint32_t mask;
    std::uint32_t shift;
    std::uint32_t bits;
    std::uint8_t Take(std::uint32_t pixel) const {
        const std::uint32_t value = (pixel & mask) >> shift;
        if (bits == 0) return 0;
        return static_cast<std::uint8_t>(bits <= 8 ? value << (8 - bits) : value >> (bits - 8));
    }
};

Field MakeField(std::uint32_t mask) {
    Field f{mask, 0, 0};
    if (mask == 0) return f;
    while (!((mask >> f.shift) & 1)) ++f.shift;
    for (std::uint32_t m = mask >> f.shift; m; m >>= 1) f.bits += m & 1;
    return f;
}

void WriteNibble(std::uint8_t* row, std::uint32_t x, std::uint8_t value) {
    std::uint8_t& byte = row[x / 2];
    byte = (x & 1) ? static_cast<std::uint8_t>((byte & 0xF0) | (value & 0x0F))
                   : static_cast<std::uint8_t>((byte & 0x0F) | (value << 4));
}

// Shared walk of the two RLE codes; `put(row, x, value, i)` writes pixel i of a code at x.
template <class PutRun, class PutLiteral>
std::int32_t DecodeRle(std::uint8_t* bits, std::int32_t stride,
                       std::int32_t height, const std::uint8_t* data, const std::uint8_t* end,
                       bool nibbles, PutRun putRun, PutLiteral putLiteral) {
    // Encoders write runs into the row's padding (ImageMagick pads every row that way), so a
    // row holds as many pixels as its padded bytes do.
    const std::int32_t rowPixels = nibbles ? stride * 2 : stride;
    std::int32_t x = 0;
    std::int32_t y = 0;
    while (end - data >= 2) {
        const std::uint32_t n = data[0];
        const std::uint32_t v = data[1];
        data += 2;
        if (n > 0) {
            if (y >= height || n > static_cast<std::uint32_t>(rowPixels - x)) return kGllBadData;
            putRun(bits + static_cast<std::ptrdiff_t>(y) * stride, x, n, static_cast<std::uint8_t>(v));
            x += static_cast<std::int32_t>(n);
        } else if (v == 0) {
            ++y;
            x = 0;
        } else if (v == 1) {
            return 0;
        } else if (v == 2) {
            return kGllUnsupportedVariant;
        } else {
            std::uint32_t bytes = nibbles ? (v + 1) / 2 : v;
            bytes += bytes & 1;
            if (static_cast<std::uint32_t>(end - data) < bytes || y >= height ||
                v > static_cast<std::uint32_t>(rowPixels - x)) {
                return kGllBadData;
            }
            putLiteral(bits + static_cast<std::ptrdiff_t>(y) * stride, x, v, data);
            x += static_cast<std::int32_t>(v);
            data += bytes;
        }
    }
    return kGllBadData;
}

}  // namespace

BmpImageLoader::~BmpImageLoader() { FreeBuffers(); }

bool XM_METHOD BmpImageLoader::IsSupported(const void* data, std::uint32_t size, const char*) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return bytes && size >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
}

std::int32_t BmpImageLoader::DecodeRle8(std::uint8_t* bits, std::int32_t stride,
                                        std::int32_t height,
                                        const std::uint8_t* data, const std::uint8_t* end) {
    return DecodeRle(
        bits, stride, height, data, end, false,
        [](std::uint8_t* row, std::int32_t x, std::uint32_t n, std::uint8_t v) {
            std::memset(row + x, v, n);
        },
        [](std::uint8_t* row, std::int32_t x, std::uint32_t n, const std::uint8_t* from) {
            std::memcpy(row + x, from, n);
        });
}

std::int32_t BmpImageLoader::DecodeRle4(std::uint8_t* bits, std::int32_t stride,
                                        std::int32_t height,
                                        const std::uint8_t* data, const std::uint8_t* end) {
    return DecodeRle(
        bits, stride, height, data, end, true,
        [](std::uint8_t* row, std::int32_t x, std::uint32_t n, std::uint8_t v) {
            for (std::uint32_t i = 0; i < n; ++i) {
                WriteNibble(row, static_cast<std::uint32_t>(x) + i,
                            static_cast<std::uint8_t>((i & 1) ? v & 0x0F : v >> 4));
            }
        },
        [](std::uint8_t* row, std::int32_t x, std::uint32_t n, const std::uint8_t* from) {
            for (std::uint32_t i = 0; i < n; ++i) {
                const std::uint8_t byte = from[i / 2];
                WriteNibble(row, static_cast<std::uint32_t>(x) + i,
                            static_cast<std::uint8_t>((i & 1) ? byte & 0x0F : byte >> 4));
            }
        });
}

std::int32_t BmpImageLoader::Expand(const std::uint8_t* data, std::uint32_t size,
                                    HGLOBAL* outInfo, HGLOBAL* outBits, std::uint32_t* outTotal,
                                    std::int32_t* outStride) {
    BmpLayout l;
    const std::int32_t layoutCode = ReadLayout(data, size, &l);
    if (layoutCode != 0) return layoutCode;
    const std::uint32_t fileOffset = LittleEndian::Load32(data + 10);
    const std::uint32_t compression = l.header.biCompression;
    // Where the pixels lie in the file, checked before anything is allocated.
    const std::uint64_t sourceBytes = static_cast<std::uint64_t>(l.sourceStride) * l.height;
    if ((compression == BI_RGB || compression == BI_BITFIELDS) &&
        (fileOffset > size || size - fileOffset < sourceBytes)) {
        return kGllBadData;
    }

    HGLOBAL info = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, l.infoSize);
    if (!info) return kGllOutOfMemory;
    HGLOBAL bitsBlock = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, l.imageBytes ? l.imageBytes : 1);
    if (!bitsBlock) {
        GlobalFree(info);
        return kGllOutOfMemory;
    }
    auto* header = static_cast<BITMAPINFOHEADER*>(info);
    *header = l.header;
    header->biHeight = static_cast<LONG>(l.height);
    header->biCompression = BI_RGB;
    header->biSizeImage = l.imageBytes;
    if (l.depth < 16) {
        header->biClrUsed = l.colours;
        std::memcpy(header + 1, data + kHeadersSize, l.colours * 4);
    } else {
        // The block holds no colour table; a count kept from the file would send readers of
        // the header past its end.
        header->biClrUsed = 0;
        header->biClrImportant = 0;
    }
    auto* bits = static_cast<std::uint8_t*>(bitsBlock);
    std::int32_t code = 0;
    if (compression == BI_RGB) {
        // Rows go out bottom-up whatever order the file keeps them in.
        for (std::uint32_t y = 0; y < l.height; ++y) {
            const std::uint32_t fileRow = l.topDown ? l.height - 1 - y : y;
            std::memcpy(bits + static_cast<std::size_t>(y) * l.stride,
                        data + fileOffset + static_cast<std::size_t>(fileRow) * l.sourceStride,
                        l.sourceStride);
        }
    } else if (compression == BI_BITFIELDS) {
        header->biBitCount = 24;
        const Field red = MakeField(LittleEndian::Load32(data + 54));
        const Field green = MakeField(LittleEndian::Load32(data + 58));
        const Field blue = MakeField(LittleEndian::Load32(data + 62));
        const std::uint32_t bytesPerPixel = l.depth / 8;
        for (std::uint32_t y = 0; y < l.height; ++y) {
            const std::uint32_t fileRow = l.topDown ? l.height - 1 - y : y;
            const std::uint8_t* from = data + fileOffset + static_cast<std::size_t>(fileRow) * l.sourceStride;
            std::uint8_t* to = bits + static_cast<std::size_t>(y) * l.stride;
            for (std::uint32_t x = 0; x < l.width; ++x, from += bytesPerPixel, to += 3) {
                std::uint32_t pixel = 0;
                for (std::uint32_t b = 0; b < bytesPerPixel; ++b) pixel |= static_cast<std::uint32_t>(from[b]) << (8 * b);
                to[0] = blue.Take(pixel);
                to[1] = green.Take(pixel);
                to[2] = red.Take(pixel);
            }
        }
    } else {
        const std::uint8_t* rle = data + kHeadersSize + l.colours * 4;
        const auto stride = static_cast<std::int32_t>(l.stride);
        const auto height = static_cast<std::int32_t>(l.height);
        code = compression == BI_RLE8 ? DecodeRle8(bits, stride, height, rle, data + size)
                                      : DecodeRle4(bits, stride, height, rle, data + size);
    }
    if (code != 0) {
        GlobalFree(info);
        GlobalFree(bitsBlock);
        return code;
    }
    *outInfo = info;
    *outBits = bitsBlock;
    *outTotal = l.infoSize + l.imageBytes;
    *outStride = static_cast<std::int32_t>(l.stride);
    return 0;
}

std::int32_t XM_METHOD BmpImageLoader::DecodeToBuffers(const void* data, std::uint32_t size,
                                                       HGLOBAL* outInfo, HGLOBAL* outBits,
                                                       GllProgress progress,
                                                       void* progressArgument) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    if (!bytes) return kGllBadData;
    if ((outInfo == nullptr) != (outBits == nullptr)) return kGllMissingArgument;
    BmpLayout layout;
    std::int32_t code = ReadLayout(bytes, size, &layout);
    if (code == kGllNotThisFormat) return code;
    FreeBuffers();
    const auto height = static_cast<std::int32_t>(code == 0 ? layout.height : 0);
    if (code == 0 && progress && progress(0, height, progressArgument)) code = kGllCancelled;
    if (code == 0) code = Expand(bytes, size, &m_info, &m_bits, &m_totalSize, &m_stride);
    SettleBuffers(code, outInfo, outBits);
    if (progress) progress(height, height, progressArgument);
    return code;
}

std::int32_t XM_METHOD BmpImageLoader::DecodeWithCallbacks(const void* data, std::uint32_t size,
                                                           GllAllocator allocator, void* argument,
                                                           std::uint8_t want8Bit,
                                                           GllProgress progress,
                                                           void* progressArgument) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    if (!bytes) return kGllBadData;
    if (!allocator) return kGllMissingArgument;
    BmpLayout l;
    std::int32_t code = ReadLayout(bytes, size, &l);
    if (code != 0) return code;
    const auto height = static_cast<std::int32_t>(l.height);
    if (progress && progress(0, height, progressArgument)) {
        code = kGllCancelled;
    } else {
        HGLOBAL infoBlock = nullptr;
        HGLOBAL bitsBlock = nullptr;
        std::uint32_t total = 0;
        std::int32_t sourceStride = 0;
        code = Expand(bytes, size, &infoBlock, &bitsBlock, &total, &sourceStride);
        if (code == 0) {
            code = CopyDibToAllocator(static_cast<const BITMAPINFO*>(infoBlock),
                                      static_cast<const std::uint8_t*>(bitsBlock), sourceStride,
                                      l.colours, want8Bit != 0, allocator, argument);
            GlobalFree(infoBlock);
            GlobalFree(bitsBlock);
        }
    }
    if (progress) progress(height, height, progressArgument);
    return code;
}

std::int32_t XM_METHOD BmpImageLoader::Encode(std::int32_t mode, const void* pixels,
                                              std::int32_t width, std::int32_t height,
                                              std::int32_t bitDepth, std::int32_t sourceStride,
                                              GllWriter write, void* writeArgument,
                                              const std::uint32_t* palette, GllProgress progress,
                                              void* progressArgument) {
    if (!pixels) return kGllBadData;
    if (bitDepth != 8 && bitDepth != 24 && bitDepth != 32) return kGllBadData;
    if (!write) return kGllMissingArgument;
    if (mode != 0 && bitDepth != 32) return kGllUnsupportedVariant;
    if (mode < 0 || mode > 2) return kGllUnsupportedVariant;
    if (width <= 0 || height == 0 || height == INT32_MIN) return kGllBadData;
    const std::uint32_t rows = static_cast<std::uint32_t>(height < 0 ? -height : height);
    const std::uint32_t outDepth = mode == 1 ? 32 : (mode == 2 || bitDepth == 8 ? 8 : 24);
    const std::uint64_t rowSize = PaddedRow(static_cast<std::uint64_t>(width) * outDepth);
    const std::uint64_t imageSize = rowSize * rows;
    const std::uint32_t colours = outDepth == 8 ? 256 : 0;
    const std::uint32_t offBits = kHeadersSize + 4 * colours;
    if (imageSize + offBits > kGllMaxImageBytes) return kGllOutOfMemory;
    const std::uint64_t sourceRowBytes = static_cast<std::uint64_t>(width) * (bitDepth / 8);
    if (sourceStride < 0 || (rows > 1 && static_cast<std::uint64_t>(sourceStride) < sourceRowBytes)) {
        return kGllBadData;
    }
    const auto total = static_cast<std::int32_t>(rows);
    if (progress && progress(0, total, progressArgument)) return kGllCancelled;

    std::int32_t code = 0;
    auto put = [&](const void* bytes, std::uint32_t count) {
        if (code == 0 && count != 0 && write(bytes, count, writeArgument) != count) code = kGllBadData;
    };
    std::uint8_t headers[kHeadersSize] = {'B', 'M'};
    const auto fileSize = static_cast<std::uint32_t>(offBits + imageSize);
    std::memcpy(headers + 2, &fileSize, 4);
    std::memcpy(headers + 10, &offBits, 4);
    BITMAPINFOHEADER info = {};
    info.biSize = kInfoHeaderSize;
    info.biWidth = width;
    info.biHeight = static_cast<LONG>(rows);
    info.biPlanes = 1;
    info.biBitCount = static_cast<WORD>(outDepth);
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<DWORD>(imageSize);
    info.biClrUsed = colours;
    std::memcpy(headers + kFileHeaderSize, &info, kInfoHeaderSize);
    put(headers, kHeadersSize);
    if (colours) {
        std::uint32_t table[256];
        for (std::uint32_t i = 0; i < 256; ++i) {
            table[i] = (palette && mode == 0) ? palette[i] : i * 0x010101u;
        }
        put(table, sizeof(table));
    }

    std::vector<std::uint8_t> row;
    try {
        row.assign(static_cast<std::size_t>(rowSize), 0);
    } catch (const std::bad_alloc&) {
        return kGllOutOfMemory;
    }
    const auto* source = static_cast<const std::uint8_t*>(pixels);
    const std::ptrdiff_t step = height > 0 ? -static_cast<std::ptrdiff_t>(sourceStride) : sourceStride;
    const std::uint8_t* from = height > 0 ? source + static_cast<std::ptrdiff_t>(rows - 1) * sourceStride : source;
    for (std::uint32_t y = 0; y < rows && code == 0; ++y, from += step) {
        const auto w = static_cast<std::uint32_t>(width);
        if (bitDepth == 32 && mode == 0) {
            for (std::uint32_t x = 0; x < w; ++x) {
                row[x * 3] = from[x * 4];
                row[x * 3 + 1] = from[x * 4 + 1];
                row[x * 3 + 2] = from[x * 4 + 2];
            }
        } else if (mode == 2) {
            for (std::uint32_t x = 0; x < w; ++x) row[x] = from[x * 4 + 3];
        } else {
            std::memcpy(row.data(), from, static_cast<std::size_t>(sourceRowBytes));
        }
        put(row.data(), static_cast<std::uint32_t>(rowSize));
        if (code == 0 && progress && progress(static_cast<std::int32_t>(y + 1), total, progressArgument)) {
            code = kGllCancelled;
        }
    }
    if (progress) progress(total, total, progressArgument);
    return code;
}
