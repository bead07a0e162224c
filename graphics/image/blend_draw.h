// The shared steps of the blends: clip, take a snapshot when an image is drawn into itself, work
// out the kernel pointers, run, mark; and the hand-over to the bound library's BlendRect and
// StretchBlendRect.
#pragma once

#include <cstdint>
#include <type_traits>

#include "graphics/image/blit_source.h"
#include "graphics/image/image.h"
#include "graphics/image/library_calls.h"
#include "pixelops/interfaces/pixel_op_rect_operations.h"
#include "pixelops/interfaces/pixel_op_words.h"

// Where a blend draws: size null draws unstretched; sourceRect null means the source's clip
// rectangle.
struct BlendPlace {
    const SIZE* size;
    std::int32_t x;
    std::int32_t y;
    const RECT* sourceRect;
    bool mirror;
    bool flip;
};

inline RECT WantedSourceRect(Surface* source, const RECT* sourceRect) {
    RECT wanted;
    if (sourceRect) {
        wanted = *sourceRect;
    } else {
        source->GetClipRect(&wanted);
    }
    return wanted;
}

// The stretched forms draw onto the whole image when no size is given.
inline SIZE WholeOr(Image& image, const SIZE* size) {
    return size ? *size : SIZE{image.Width(), image.Height()};
}

// The sources of the two-picture blends: 1 without pixels on either side, 2 unless both are
// 32-bit; -1 when they may be drawn.
inline std::int32_t Describe32(Image& dest, Surface* source, bool ignoreKey, BlitSource& s) {
    if (!dest.Bits() || !DescribeSource(source, ignoreKey, s)) return 1;
    if (dest.Depth() != 32 || s.depth != 32) return 2;
    return -1;
}

// Clips, then run(args, step or null) over the clipped area and marks it; run may answer a
// result code, and a nonzero one is returned with nothing marked. An image drawn into
// itself reads a copy of the rows it is about to change, so overlapping areas blend from what
// was there before. 0 done or nothing to draw; 2 no memory for the copy.
template <class Run>
std::int32_t DrawBlended(Image& dest, const BlitSource& s, const BlendPlace& p, Run run) {
    const RECT wanted = WantedSourceRect(s.surface, p.sourceRect);
    StretchStep step;
    if (dest.ClipBlitOriented(s.surface, p.x, p.y, &wanted, p.size, p.size ? &step : nullptr,
                              nullptr, p.mirror, p.flip) != 0) {
        return 0;
    }
    const RECT d = dest.BlitDestRect();
    const RECT r = dest.BlitSourceRect();
    RowSnapshot snapshot;
    const bool self = s.bits == dest.Bits();
    if (self && !snapshot.Take(s.bits, s.pitch, r.top, r.bottom)) return 2;
    auto sourceRow = [&](std::int32_t row) {
        return self ? snapshot.Row(row) : s.bits + static_cast<std::ptrdiff_t>(row) * s.pitch;
    };
    const std::int32_t sourceBytes = s.depth / 8;
    const std::int32_t destBytes = dest.Depth() / 8;
    KernelArgs a;
    a.width = d.right - d.left;
    a.height = d.bottom - d.top;
    a.dst = dest.Bits() + static_cast<std::ptrdiff_t>(d.top) * dest.Pitch() + d.left * destBytes;
    a.dstSkip = dest.Pitch() - a.width * destBytes;
    a.srcPitch = p.flip ? -s.pitch : s.pitch;
    a.src = sourceRow(p.flip ? r.bottom - 1 : r.top) + (p.mirror ? r.right : r.left) * sourceBytes;
    const std::int32_t rowBytes = a.width * sourceBytes;
    a.srcSkip = p.mirror ? a.srcPitch + rowBytes : a.srcPitch - rowBytes;
    const StretchStep* walk = p.size ? &step : nullptr;
    if constexpr (std::is_void_v<decltype(run(a, walk))>) {
        run(a, walk);
    } else {
        // A nonzero answer refuses the clipped area: nothing drawn, nothing marked.
        if (const std::int32_t refused = run(a, walk)) return refused;
    }
    dest.MarkChanged(d);
    return 0;
}

// The 32-bit pointers of a blend between two 32-bit images.
inline std::uint32_t* Dst32(const KernelArgs& a) { return static_cast<std::uint32_t*>(a.dst); }
inline const std::uint32_t* Src32(const KernelArgs& a) {
    return reinterpret_cast<const std::uint32_t*>(a.src);
}

// What the library reads: the source, or a copy of dest when both are the same picture, as the
// library reads as it writes. A call with several sources passes the same copy for each, so
// dest is copied once. Null without memory for the copy.
inline Surface* LibrarySource(Image& dest, Surface* source, Image& copy) {
    if (!source || source->Bits() != dest.Bits()) return source;
    if (copy.Bits()) return &copy;
    if (copy.CopyFrom(&dest, 0) != 0) return nullptr;
    copy.SetClipRect(dest.ClipRectPtr());
    return &copy;
}

// Draws through the bound library with the given mode and opacity (hold-alpha 0), or answers -1
// when the own kernels must draw: no library, or a stretch the library's walk cannot take as
// the own path would (a source rectangle beyond the source's clip rectangle or coordinates the
// library cannot hold). The library clips to bitmap sizes only and clips the rectangle it is
// given in place, so an unstretched blend is clipped here first and the library gets a copy of
// the clipped rectangle; equal sizes take the unstretched form. 0 done or nothing to draw;
// 2 the library failed or no memory for the copy of an image drawn into itself.
std::int32_t LibraryBlend(Image& dest, const BlitSource& s, const BlendPlace& p,
                          std::int32_t mode, std::uint8_t opacity);
