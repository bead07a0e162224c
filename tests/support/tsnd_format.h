// The "TSND" test sound format, shared by its writer and the stand-in SLL plug-in that decodes
// it: "TSND", u16 channels, u16 bits per sample (8 or 16), u32 samples per second, u32 frames,
// then frames x channels samples of raw PCM, interleaved, little-endian.
//
// Every sample counts up from a per-file tag: sample k (counted over all channels) of the file
// with tag t is t * 0x1000 + k for 16-bit data and t * 0x10 + k for 8-bit data, wrapping. A gap,
// a doubled piece or a piece of the wrong file shows as a break in the count. Header only.
#pragma once

#include <cstdint>

namespace tsnd {

constexpr std::uint32_t kHeaderSize = 16;
constexpr char kMagic[4] = {'T', 'S', 'N', 'D'};

inline std::uint16_t Sample16(std::uint16_t tag, std::uint32_t index) {
    return static_cast<std::uint16_t>(tag * 0x1000u + index);
}

inline std::uint8_t Sample8(std::uint16_t tag, std::uint32_t index) {
    return static_cast<std::uint8_t>(tag * 0x10u + index);
}

}  // namespace tsnd
