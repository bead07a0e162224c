// The "TMOV" test movie format, shared by its writer and the stand-in movie DLLs that play it:
// "TMOV", then u32 width, height, frame count, frame time in milliseconds, flags and a signed
// factory result (0: the factory accepts the movie), little-endian; 28 bytes in all.
//
// The DLLs synthesise the frames: frame n, pixel (x, y) is A 0xFF, R n mod 256, G x mod 256,
// B y mod 256 (in 5-5-5 and 5-6-5 buffers each value is cut to its field). A dropped, repeated
// or torn frame and a wrong offset all show. Header only.
#pragma once

#include <cstdint>

namespace tmov {

constexpr std::uint32_t kHeaderSize = 28;
constexpr char kMagic[4] = {'T', 'M', 'O', 'V'};
constexpr std::uint32_t kLargestSide = 4096;

enum Flags : std::uint32_t {
    kWindowless = 1,
    kPaintsThroughDc = 2,
    // A thread of the DLL advances one frame per frame time while the movie runs; otherwise
    // frames advance only through the DLL's StandInStepFrames export.
    kTimed = 4,
    kRewindFails = 8,
    kStopFails = 16,
    // Width and Height report 16 more than the frame buffers were sized to.
    kReportsLarger = 32,
};

// The 0xAARRGGBB value of frame n at (x, y).
inline std::uint32_t Pixel(std::uint32_t frame, std::uint32_t x, std::uint32_t y) {
    return 0xFF000000u | (frame & 0xFF) << 16 | (x & 0xFF) << 8 | (y & 0xFF);
}
inline std::uint16_t Pixel565(std::uint32_t frame, std::uint32_t x, std::uint32_t y) {
    return static_cast<std::uint16_t>((frame & 0x1F) << 11 | (x & 0x3F) << 5 | (y & 0x1F));
}
inline std::uint16_t Pixel555(std::uint32_t frame, std::uint32_t x, std::uint32_t y) {
    return static_cast<std::uint16_t>((frame & 0x1F) << 10 | (x & 0x1F) << 5 | (y & 0x1F));
}

}  // namespace tmov
