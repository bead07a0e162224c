#include "graphics/compose/gradient_table.h"

#include <new>

namespace {

// Far longer than any picture is wide or high; refusing longer ramps keeps their byte count from
// overflowing.
constexpr std::int32_t kMaxEntries = 0x01000000;

// floor(value / 256) for signed values.
std::int32_t FloorDiv256(std::int64_t value) { return static_cast<std::int32_t>(value >> 8); }

}  // namespace

GradientTable::GradientTable(std::int32_t* result, std::int32_t count, std::int32_t colourA, std::int32_t colourB,
                             std::uint8_t depth) {
    const std::int32_t built = Build(count, colourA, colourB, depth);
    if (result) *result = built;
}

GradientTable::~GradientTable() { Free(); }

std::int32_t GradientTable::Free() {
    if (m_depth == 8) {
        delete[] static_cast<std::uint8_t*>(m_entries);
    } else {
        delete[] static_cast<std::uint32_t*>(m_entries);
    }
    m_entries = nullptr;
    m_count = 0;
    m_colourA = -1;
    m_colourB = -1;
    m_depth = 0;
    return -1;
}

std::int32_t GradientTable::Build(std::int32_t count, std::int32_t colourA, std::int32_t colourB, std::uint8_t depth) {
    Free();
    if (count < 2) return 1;
    if (depth != 8 && depth != 32) return 3;
    if (count > kMaxEntries) return 2;
    const std::uint64_t step = (std::uint64_t{1} << 32) / static_cast<std::uint32_t>(count);
    auto position = [step](std::int32_t k) { return static_cast<std::int32_t>((k * step) >> 24); };
    auto weight = [&](std::int32_t k) {
        const std::int32_t t = position(k);
        return t == 0 ? 0 : t + 1;
    };

    if (depth == 8) {
        std::uint8_t* entries = new (std::nothrow) std::uint8_t[count];
        if (!entries) return 2;
        for (std::int32_t k = 0; k < count; ++k) {
            std::int32_t value;
            if (colourA == 255 && colourB == 0) {
                value = position(count - 1 - k);
            } else if (colourA == 0 && colourB == 255) {
                value = position(k);
            } else {
                value = colourA + FloorDiv256((std::int64_t{colourB} - colourA) * weight(k));
            }
            entries[k] = static_cast<std::uint8_t>(value);
        }
        m_entries = entries;
    } else {
        std::uint32_t* entries = new (std::nothrow) std::uint32_t[count];
        if (!entries) return 2;
        const std::uint32_t a = static_cast<std::uint32_t>(colourA);
        const std::uint32_t b = static_cast<std::uint32_t>(colourB);
        for (std::int32_t k = 0; k < count; ++k) {
            const std::int32_t w = weight(k);
            std::uint32_t pixel = a & 0xFF000000u;
            for (int shift = 0; shift < 24; shift += 8) {
                const std::int32_t ca = (a >> shift) & 0xFF;
                const std::int32_t cb = (b >> shift) & 0xFF;
                pixel |= static_cast<std::uint32_t>(ca + FloorDiv256((cb - ca) * w)) << shift;
            }
            entries[k] = pixel;
        }
        m_entries = entries;
    }
    m_count = count;
    m_colourA = colourA;
    m_colourB = colourB;
    m_depth = depth;
    return 0;
}
