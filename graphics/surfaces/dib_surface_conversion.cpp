#include "graphics/surfaces/dib_surface_conversion.h"

#include <cstring>

#include "framework/images/dib_source.h"

namespace {

// Each destination: bytes per pixel and the value of a colour-table entry or 32-bit pixel p
// (blue in bits 0-7), of a 16-bit 5-5-5 source pixel s and of a 24-bit source pixel. A 24-bit
// destination's value is 0x00RRGGBB.
std::uint32_t Pack555(std::uint32_t p) {
    return ((p >> 9) & 0x7C00) | ((p >> 6) & 0x03E0) | ((p >> 3) & 0x001F);
}
std::uint32_t Pack4444(std::uint32_t p) {
    return ((p >> 12) & 0x0F00) | ((p >> 8) & 0x00F0) | ((p >> 4) & 0x000F);
}
std::uint32_t Rgb(std::uint32_t b, std::uint32_t g, std::uint32_t r) { return r << 16 | g << 8 | b; }

struct To555 {
    static constexpr int kBytes = 2;
    // Rows of a 16-bit source are copied as they are.
    static constexpr int kCopiedBitCount = 16;
    static std::uint32_t Entry(std::uint32_t p) { return Pack555(p); }
    static std::uint32_t From16(std::uint32_t s) { return s; }
    static std::uint32_t From32(std::uint32_t p) { return Pack555(p); }
};
struct To565 {
    static constexpr int kBytes = 2;
    static constexpr int kCopiedBitCount = 0;
    static std::uint32_t Entry(std::uint32_t p) {
        return ((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p >> 3) & 0x001F);
    }
    static std::uint32_t From16(std::uint32_t s) { return ((s >> 5) << 6) | (s & 0x1F); }
    static std::uint32_t From32(std::uint32_t p) { return Entry(p); }
};
struct To24 {
    static constexpr int kBytes = 3;
    static constexpr int kCopiedBitCount = 24;
    static std::uint32_t Entry(std::uint32_t p) { return p & 0x00FFFFFF; }
    static std::uint32_t From16(std::uint32_t s) {
        return Rgb((s << 3) & 0xFF, (s >> 2) & 0xF8, (s >> 7) & 0xF8);
    }
    static std::uint32_t From32(std::uint32_t p) { return p & 0x00FFFFFF; }
};
struct To1555 {
    static constexpr int kBytes = 2;
    static constexpr int kCopiedBitCount = 0;
    static std::uint32_t Entry(std::uint32_t p) { return Pack555(p) | 0x8000; }
    static std::uint32_t From16(std::uint32_t s) { return s | 0x8000; }
    static std::uint32_t From32(std::uint32_t p) { return Pack555(p) | ((p >> 16) & 0x8000); }
};
struct To4444 {
    static constexpr int kBytes = 2;
    static constexpr int kCopiedBitCount = 0;
    static std::uint32_t Entry(std::uint32_t p) { return 0xF000 | Pack4444(p); }
    static std::uint32_t From16(std::uint32_t s) {
        return 0xF000 | ((s >> 3) & 0x0F00) | ((s >> 2) & 0x00F0) | ((s >> 1) & 0x000F);
    }
    static std::uint32_t From32(std::uint32_t p) { return ((p >> 16) & 0xF000) | Pack4444(p); }
};

template <class D>
inline void Store(std::uint8_t* out, std::uint32_t value) {
    if constexpr (D::kBytes == 2) {
        const auto word = static_cast<std::uint16_t>(value);
        std::memcpy(out, &word, 2);
    } else {
        out[0] = static_cast<std::uint8_t>(value);
        out[1] = static_cast<std::uint8_t>(value >> 8);
        out[2] = static_cast<std::uint8_t>(value >> 16);
    }
}

template <class D>
std::int32_t Convert(std::uint8_t* dst, const RECT& dstRect, std::int32_t dstPitch,
                     const BITMAPINFO* info, const std::uint8_t* bits, std::int32_t srcPitch,
                     POINT srcPoint) {
    const std::int32_t width = dstRect.right - dstRect.left;
    const std::int32_t height = dstRect.bottom - dstRect.top;
    DibSource source;
    if (!dst || !OpenDibSource(info, bits, srcPitch, srcPoint, width, height, source)) return 0;

    // The colour table in destination values, once per call; entries the DIB does not give
    // stay 0.
    std::uint32_t table[256] = {};
    for (std::uint32_t i = 0; i < source.tableSize; ++i) table[i] = D::Entry(source.table[i]);

    for (std::int32_t i = 0; i < height; ++i) {
        std::uint8_t* out =
            dst + static_cast<std::int64_t>(dstPitch) * (dstRect.top + i) + dstRect.left * D::kBytes;
        const std::uint8_t* row = source.Row(srcPoint.y + i);
        const std::int32_t left = srcPoint.x;
        if (source.bitCount == D::kCopiedBitCount) {
            std::memcpy(out, row + left * D::kBytes, static_cast<std::size_t>(width) * D::kBytes);
            continue;
        }
        for (std::int32_t x = 0; x < width; ++x, out += D::kBytes) {
            const std::int32_t column = left + x;
            std::uint32_t value;
            switch (source.bitCount) {
            case 1:
                value = table[(row[column >> 3] >> (7 - (column & 7))) & 1];
                break;
            case 4:
                value = table[(row[column >> 1] >> ((column & 1) ? 0 : 4)) & 0x0F];
                break;
            case 8:
                value = table[row[column]];
                break;
            case 16:
                value = D::From16(row[2 * column] | static_cast<std::uint32_t>(row[2 * column + 1]) << 8);
                break;
            case 24: {
                const std::uint8_t* p = row + 3 * column;
                value = D::From32(Rgb(p[0], p[1], p[2]) | 0xFF000000u);
                break;
            }
            default: {
                const std::uint8_t* p = row + 4 * column;
                value = D::From32(Rgb(p[0], p[1], p[2]) | static_cast<std::uint32_t>(p[3]) << 24);
                break;
            }
            }
            Store<D>(out, value);
        }
    }
    return 1;
}

}  // namespace

std::int32_t ConvertDibTo555(std::uint8_t* dst, const RECT& dstRect, std::int32_t dstPitch,
                             const BITMAPINFO* info, const std::uint8_t* bits,
                             std::int32_t srcPitch, POINT srcPoint) {
    return Convert<To555>(dst, dstRect, dstPitch, info, bits, srcPitch, srcPoint);
}

std::int32_t ConvertDibTo565(std::uint8_t* dst, const RECT& dstRect, std::int32_t dstPitch,
                             const BITMAPINFO* info, const std::uint8_t* bits,
                             std::int32_t srcPitch, POINT srcPoint) {
    return Convert<To565>(dst, dstRect, dstPitch, info, bits, srcPitch, srcPoint);
}

std::int32_t ConvertDibTo24(std::uint8_t* dst, const RECT& dstRect, std::int32_t dstPitch,
                            const BITMAPINFO* info, const std::uint8_t* bits,
                            std::int32_t srcPitch, POINT srcPoint) {
    return Convert<To24>(dst, dstRect, dstPitch, info, bits, srcPitch, srcPoint);
}

std::int32_t ConvertDibTo1555(std::uint8_t* dst, const RECT& dstRect, std::int32_t dstPitch,
                              const BITMAPINFO* info, const std::uint8_t* bits,
                              std::int32_t srcPitch, POINT srcPoint) {
    return Convert<To1555>(dst, dstRect, dstPitch, info, bits, srcPitch, srcPoint);
}

std::int32_t ConvertDibTo4444(std::uint8_t* dst, const RECT& dstRect, std::int32_t dstPitch,
                              const BITMAPINFO* info, const std::uint8_t* bits,
                              std::int32_t srcPitch, POINT srcPoint) {
    return Convert<To4444>(dst, dstRect, dstPitch, info, bits, srcPitch, srcPoint);
}
