// 32-bit words in the little-endian order that the program's files store them in, read and
// written byte by byte so that no alignment is assumed.
#pragma once

#include <cstdint>
#include <vector>

namespace LittleEndian {

inline std::uint32_t Load32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline void Store32(std::uint8_t* p, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline void Append32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// Reads the word at `in` and moves past it; false, moving nothing, when fewer than four bytes
// are left before `end`.
inline bool Read32(const std::uint8_t*& in, const std::uint8_t* end, std::uint32_t& value) {
    if (end - in < 4) return false;
    value = Load32(in);
    in += 4;
    return true;
}

}  // namespace LittleEndian
