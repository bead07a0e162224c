#include "framework/images/dib_conversion.h"

#include "framework/images/dib_source.h"
#include "framework/images/grey_level.h"

namespace {

enum class Target { Argb, Rgb, Index };

// One source pixel as the target wants it; bit count and target are fixed per row loop.
template <int BitCount, Target target>
inline std::uint32_t Pixel(const DibSource& source, const std::uint8_t* row, std::int32_t x) {
    switch (BitCount) {
        case 1:
        case 4:
        case 8: {
            std::uint32_t index;
            if (BitCount == 1) {
                index = (row[x >> 3] >> (7 - (x & 7))) & 1;
            } else if (BitCount == 4) {
                index = (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
            } else {
                index = row[x];
            }
            if constexpr (target == Target::Index) return index;
            const std::uint32_t entry = source.table[index];
            return target == Target::Argb ? entry | 0xFF000000 : entry;
        }
        case 16: {
            const std::uint32_t v = row[2 * x] | static_cast<std::uint32_t>(row[2 * x + 1]) << 8;
            const std::uint32_t r5 = (v >> 10) & 0x1F, g5 = (v >> 5) & 0x1F, b5 = v & 0x1F;
            if constexpr (target == Target::Index) {
                // The red term takes v >> 7, the three high green bits and the top bit included.
                return ((29 * 8 * b5 + 150 * 8 * g5 + 77 * (v >> 7)) >> 8) & 0xFF;
            }
            const std::uint32_t rgb = r5 << 19 | g5 << 11 | b5 << 3;
            return target == Target::Argb ? rgb | 0xFF000000 : rgb;
        }
        case 24: {
            const std::uint8_t* p = row + 3 * x;
            if constexpr (target == Target::Index) return pixel_math::Grey(p[2], p[1], p[0]);
            const std::uint32_t rgb = static_cast<std::uint32_t>(p[2]) << 16 |
                                      static_cast<std::uint32_t>(p[1]) << 8 | p[0];
            return target == Target::Argb ? rgb | 0xFF000000 : rgb;
        }
        default: {
            const std::uint8_t* p = row + 4 * x;
            if constexpr (target == Target::Index) return pixel_math::Grey(p[2], p[1], p[0]);
            const std::uint32_t word = static_cast<std::uint32_t>(p[3]) << 24 |
                                       static_cast<std::uint32_t>(p[2]) << 16 |
                                       static_cast<std::uint32_t>(p[1]) << 8 | p[0];
            return target == Target::Argb ? word : word & 0x00FFFFFF;
        }
    }
}

template <int BitCount, Target target, class D>
void ConvertRows(D* dst, const RECT& dstRect, std::int32_t dstPitch, const DibSource& source,
                 POINT srcPoint) {
    const std::int32_t width = dstRect.right - dstRect.left;
    std::uint8_t* dstBytes = reinterpret_cast<std::uint8_t*>(dst);
    for (std::int32_t i = 0; i < dstRect.bottom - dstRect.top; ++i) {
        D* out = reinterpret_cast<D*>(dstBytes +
                                      static_cast<std::int64_t>(dstPitch) * (dstRect.top + i)) +
                 dstRect.left;
        const std::uint8_t* row = source.Row(srcPoint.y + i);
        for (std::int32_t x = 0; x < width; ++x) {
            out[x] = static_cast<D>(Pixel<BitCount, target>(source, row, srcPoint.x + x));
        }
    }
}

template <Target target, class D>
std::int32_t Convert(D* dst, const RECT& dstRect, std::int32_t dstPitch, const BITMAPINFO* info,
                     const std::uint8_t* bits, std::int32_t srcPitch, POINT srcPoint) {
    const std::int32_t width = dstRect.right - dstRect.left;
    const std::int32_t height = dstRect.bottom - dstRect.top;
    DibSource source;
    if (!dst || !OpenDibSource(info, bits, srcPitch, srcPoint, width, height, source)) return 0;
    switch (source.bitCount) {
        case 1:
            ConvertRows<1, target>(dst, dstRect, dstPitch, source, srcPoint);
            break;
        case 4:
            ConvertRows<4, target>(dst, dstRect, dstPitch, source, srcPoint);
            break;
        case 8:
            ConvertRows<8, target>(dst, dstRect, dstPitch, source, srcPoint);
            break;
        case 16:
            ConvertRows<16, target>(dst, dstRect, dstPitch, source, srcPoint);
            break;
        case 24:
            ConvertRows<24, target>(dst, dstRect, dstPitch, source, srcPoint);
            break;
        default:
            ConvertRows<32, target>(dst, dstRect, dstPitch, source, srcPoint);
            break;
    }
    return 1;
}

}  // namespace

std::int32_t ConvertDibToArgb(std::uint32_t* dst, const RECT& dstRect, std::int32_t dstPitch,
                              const BITMAPINFO* info, const std::uint8_t* bits,
                              std::int32_t srcPitch, POINT srcPoint) {
    return Convert<Target::Argb>(dst, dstRect, dstPitch, info, bits, srcPitch, srcPoint);
}

std::int32_t ConvertDibTo32(std::uint32_t* dst, const RECT& dstRect, std::int32_t dstPitch,
                            const BITMAPINFO* info, const std::uint8_t* bits, std::int32_t srcPitch,
                            POINT srcPoint) {
    return Convert<Target::Rgb>(dst, dstRect, dstPitch, info, bits, srcPitch, srcPoint);
}

std::int32_t ConvertDibTo8(std::uint8_t* dst, const RECT& dstRect, std::int32_t dstPitch,
                           const BITMAPINFO* info, const std::uint8_t* bits, std::int32_t srcPitch,
                           POINT srcPoint) {
    return Convert<Target::Index>(dst, dstRect, dstPitch, info, bits, srcPitch, srcPoint);
}

bool OpenDibSource(const BITMAPINFO* info, const std::uint8_t* bits, std::int32_t srcPitch,
                   POINT srcPoint, std::int32_t width, std::int32_t height, DibSource& source) {
    if (!info || !bits || width <= 0 || height <= 0) return false;
    const BITMAPINFOHEADER& header = info->bmiHeader;
    source.bitCount = header.biBitCount;
    switch (source.bitCount) {
        case 1:
        case 4:
        case 8:
            // Run-length and other packed palette formats are not rows of indices.
            if (header.biCompression != BI_RGB && source.bitCount != 1) return false;
            break;
        case 16:
        case 24:
        case 32:
            break;
        default:
            return false;
    }
    if (header.biCompression != BI_RGB && header.biCompression != BI_BITFIELDS) return false;

    // The requested rectangle must lie inside the picture, or rows would be read from before
    // or after the buffer.
    const std::int64_t pictureHeight =
        header.biHeight < 0 ? -static_cast<std::int64_t>(header.biHeight) : header.biHeight;
    if (srcPoint.x < 0 || srcPoint.y < 0 ||
        static_cast<std::int64_t>(srcPoint.x) + width > header.biWidth ||
        static_cast<std::int64_t>(srcPoint.y) + height > pictureHeight ||
        static_cast<std::int64_t>(header.biWidth) * source.bitCount >
            static_cast<std::int64_t>(srcPitch) * 8) {
        return false;
    }
    if (header.biHeight < 0) {
        source.topRow = bits;
        source.rowStep = srcPitch;
    } else {
        source.topRow = bits + static_cast<std::int64_t>(srcPitch) * (header.biHeight - 1);
        source.rowStep = -srcPitch;
    }

    for (std::uint32_t& entry : source.table) entry = 0;
    source.tableSize = 0;
    if (source.bitCount <= 8) {
        const std::uint32_t capacity = 1u << source.bitCount;
        std::uint32_t count = header.biClrUsed;
        if (count == 0 || count > capacity) count = capacity;
        const std::uint8_t* table = reinterpret_cast<const std::uint8_t*>(info) + 40;
        for (std::uint32_t i = 0; i < count; ++i) {
            source.table[i] = static_cast<std::uint32_t>(table[4 * i]) |
                              static_cast<std::uint32_t>(table[4 * i + 1]) << 8 |
                              static_cast<std::uint32_t>(table[4 * i + 2]) << 16 |
                              static_cast<std::uint32_t>(table[4 * i + 3]) << 24;
        }
        source.tableSize = count;
    }
    return true;
}
