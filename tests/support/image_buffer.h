// A destination for image decodes in tests: the allocator, release and progress callbacks of
// the image loaders over one object that records what they were asked.
//
//     testsupport::ImageBuffer out;
//     loader.DecodeWithCallbacks(data, size, ImageBuffer::Allocate, &out, 0,
//                                ImageBuffer::Progress, &out);
//     out.Pixel32(x, y) ...
#pragma once

#include <windows.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "framework/interfaces/image_plugin.h"

namespace testsupport {

class ImageBuffer {
public:
    // Rows get this many bytes beyond the row's pixels (0: rows back to back).
    std::int32_t extraStride = 0;
    // The allocator returns null, always or for pictures larger than `maxBytes`.
    bool failAllocation = false;
    std::size_t maxBytes = static_cast<std::size_t>(-1);
    // Progress returns nonzero from this call on (counting from 1), 0 for never.
    int cancelAtCall = 0;

    // What the allocator was asked.
    int allocations = 0;
    int releases = 0;
    std::int32_t width = 0, height = 0, bitsPerPixel = 0, hasAlpha = -1;
    bool paletteAsked = false;
    std::int32_t stride = 0;
    // The rows, then kTailBytes of 0xCD that no decode may touch.
    std::vector<std::uint8_t> memory;
    static constexpr std::size_t kTailBytes = 64;
    std::uint32_t palette[256] = {};
    std::vector<std::pair<std::int32_t, std::int32_t>> progress;

    std::uint32_t Pixel32(std::int32_t x, std::int32_t y) const;
    std::uint8_t Pixel8(std::int32_t x, std::int32_t y) const;
    // Every pixel, top row first (32-bit, or 8-bit values widened).
    std::vector<std::uint32_t> Pixels() const;
    // True while the bytes after the rows still hold what the allocator put there.
    bool TailIntact() const;

    static void* XM_CDECL Allocate(std::int32_t width, std::int32_t height,
                                   std::int32_t bitsPerPixel, std::int32_t hasAlpha,
                                   std::int32_t* outStride, std::uint32_t** outPalette,
                                   void* argument);
    static void XM_CDECL Release(void* argument);
    static std::int32_t XM_CDECL Progress(std::int32_t done, std::int32_t total, void* argument);
};

// A copy of some bytes that ends right at a page that may not be read, so that a decoder
// reading even one byte past the data faults at once instead of reading the heap's next block.
class GuardedBytes {
public:
    explicit GuardedBytes(const std::vector<std::uint8_t>& bytes);
    ~GuardedBytes();
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;

    const std::uint8_t* Data() const { return m_data; }
    std::uint32_t Size() const { return m_size; }

private:
    void* m_region = nullptr;
    const std::uint8_t* m_data = nullptr;
    std::uint32_t m_size = 0;
};

// Damaged copies of a valid file, the same for every run: each either flips a few bytes (most
// often in the headers, where the sizes and counts lie) or cuts the file short.
std::vector<std::vector<std::uint8_t>> MutatedCopies(const std::vector<std::uint8_t>& file,
                                                     std::uint32_t seed, int count);

// Decodes a damaged file through every path of `loader` from a GuardedBytes copy and checks
// that each decode either fails with a code, holding nothing, or gives a picture: blocks whose
// header describes them, or one filled allocation with nothing written past its rows.
void ExpectDamagedFileHandled(ImageLoadObject& loader, const std::vector<std::uint8_t>& file);

// The pixels of a decoded DIB (info and bits blocks) top row first: 32-bit values as stored
// for 32 bits, 0xRRGGBB for 24 bits, indices for 8 bits and below.
std::vector<std::uint32_t> DibPixels(const BITMAPINFO* info, const std::uint8_t* bits);

}  // namespace testsupport
