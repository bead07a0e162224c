// Little-endian 16- and 32-bit words in byte vectors, for the writers of test content and the tests
// that read or patch what they wrote. Kept apart from the program's own helpers, so that a
// fault there cannot hide behind a writer that shares it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace testsupport {

inline void AppendHalf(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void AppendWord(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

inline void PutWord(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

inline std::uint32_t WordAt(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | bytes.at(at + i);
    return value;
}

}  // namespace testsupport
