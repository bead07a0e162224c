// Builds small device-independent bitmaps (header, colour table and bits) for tests: the
// pixels are given top row first as plain values (an index, a 16-bit word, 0xRRGGBB or a
// 32-bit word), and the writer packs them at the bit count, bottom-up unless asked otherwise.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace testsupport {

struct DibLayout {
    std::int32_t bitCount = 8;
    std::int32_t width = 1;
    std::vector<std::vector<std::uint32_t>> rows;  // top row first
    std::vector<std::uint32_t> palette;            // 0xRRGGBB plus the reserved byte on top
    std::uint32_t compression = BI_RGB;
    bool topDown = false;
};

class Dib {
public:
    explicit Dib(const DibLayout& layout);

    const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(m_info.data()); }
    BITMAPINFO* MutableInfo() { return reinterpret_cast<BITMAPINFO*>(m_info.data()); }
    const std::uint8_t* Bits() const { return m_bits.data(); }
    std::int32_t Pitch() const { return m_pitch; }

private:
    std::vector<std::uint8_t> m_info;
    std::vector<std::uint8_t> m_bits;
    std::int32_t m_pitch = 0;
};

// The same bitmap as a BMP file: file header, info header, colour table, bits.
std::vector<std::uint8_t> BmpFile(const DibLayout& layout);

}  // namespace testsupport
