// What the blits and blends share once a source is in hand: its rows, depth and key, a
// snapshot of rows about to be drawn over, and the pointers and steps the row kernels take.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>

#include "graphics/image/pixel_buffer.h"

// The library walks its source in 16.16 fixed point and refuses positions it cannot hold;
// such blits stay on the program's own kernels.
constexpr LONG kLibraryCoordinateLimit = 32767;

// Whether the library's stretch walks a source rectangle as the own kernels do: wholly inside
// the source's clip rectangle, at positions it can hold.
inline bool LibraryCanStretch(Surface* source, const RECT& wanted) {
    const RECT* clip = source->ClipRectPtr();
    return wanted.left >= clip->left && wanted.top >= clip->top && wanted.right <= clip->right &&
           wanted.bottom <= clip->bottom && wanted.right <= kLibraryCoordinateLimit &&
           wanted.bottom <= kLibraryCoordinateLimit;
}

// What the blits need of a source: its rows, depth and key. Only the program's own pictures
// can be 8-bit; every other surface with pixel rows holds 32-bit pixels.
struct BlitSource {
    Surface* surface;
    PixelBuffer* buffer;  // null for other kinds of surface
    const std::uint8_t* bits;
    std::int32_t pitch;
    std::uint8_t depth;
    std::int32_t key;  // -1 for none
};

inline bool DescribeSource(Surface* surface, bool ignoreKey, BlitSource& out) {
    if (!surface) return false;
    out.surface = surface;
    out.bits = surface->Bits();
    if (!out.bits) return false;
    out.buffer = surface->Kind() == kSurfacePixelBuffer ? static_cast<PixelBuffer*>(surface)
                                                       : nullptr;
    out.depth = out.buffer ? out.buffer->Depth() : 32;
    out.pitch = surface->Pitch();
    out.key = ignoreKey ? -1 : surface->ColourKey();
    return true;
}

// The palette of an 8-bit source, made grey first when it has none.
inline const std::uint32_t* SourcePalette(PixelBuffer* buffer) {
    if (!buffer->Palette() && buffer->SetPalette(nullptr, 0, 0) != 0) return nullptr;
    return buffer->Palette();
}

inline bool PaletteHasNoAlpha(const std::uint32_t* palette) {
    for (int i = 0; i < 256; ++i) {
        if (palette[i] >> 24) return false;
    }
    return true;
}

// A copy of rows [top, bottom) of a picture that is about to be drawn over, so that a blit of
// an image into itself reads what it showed before.
class RowSnapshot {
public:
    ~RowSnapshot() { delete[] m_rows; }
    bool Take(const std::uint8_t* bits, std::int32_t pitch, std::int32_t top,
              std::int32_t bottom) {
        const std::size_t bytes = static_cast<std::size_t>(pitch) * (bottom - top);
        m_rows = new (std::nothrow) std::uint8_t[bytes];
        if (!m_rows) return false;
        std::memcpy(m_rows, bits + static_cast<std::ptrdiff_t>(top) * pitch, bytes);
        m_top = top;
        m_pitch = pitch;
        return true;
    }
    const std::uint8_t* Row(std::int32_t y) const {
        return m_rows + static_cast<std::ptrdiff_t>(y - m_top) * m_pitch;
    }

private:
    std::uint8_t* m_rows = nullptr;
    std::int32_t m_top = 0;
    std::int32_t m_pitch = 0;
};

// The pointers and steps of one clipped blit, as the row kernels take them.
struct KernelArgs {
    void* dst;
    const std::uint8_t* src;  // first pixel read (just after it for the mirrored 32-bit forms)
    std::int32_t dstSkip;
    std::int32_t srcSkip;     // unstretched forms
    std::int32_t srcPitch;    // stretched forms; negative when flipped
    std::int32_t width;
    std::int32_t height;
};

