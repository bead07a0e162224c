// The copy blits: one picture into this image, plain, keyed, through a palette, stretched,
// mirrored or flipped, and the bilinear scaler.
#include <cstring>
#include <new>

#include "graphics/compose/blit_clip.h"
#include "graphics/image/blit_source.h"
#include "graphics/image/copy_kernels.h"
#include "graphics/image/effect_kernels.h"
#include "graphics/image/image.h"
#include "graphics/image/kernel_form.h"
#include "graphics/image/library_calls.h"
#include "graphics/image/plane_kernels.h"
#include "pixelops/interfaces/pixel_op_rect_operations.h"
#include "pixelops/interfaces/pixel_op_words.h"

namespace {

void RunCopy32(const KernelArgs& a, const BlitSource& s, const StretchStep* step, bool mirror) {
    auto* dst = static_cast<std::uint32_t*>(a.dst);
    const auto* src = reinterpret_cast<const std::uint32_t*>(a.src);
    const bool mmx = UseMmxKernels();
    const std::uint32_t key = static_cast<std::uint32_t>(s.key);
    if (step) {
        if (s.key != -1) {
            (mirror ? KernelStretchCopyMirroredKeyed : KernelStretchCopyKeyed)(
                dst, src, a.dstSkip, a.srcPitch, a.width, a.height, *step, key);
        } else if (mirror) {
            (mmx ? KernelStretchCopyMirroredMmx : KernelStretchCopyMirrored)(
                dst, src, a.dstSkip, a.srcPitch, a.width, a.height, *step);
        } else {
            (mmx ? KernelStretchCopyMmx : KernelStretchCopy)(dst, src, a.dstSkip, a.srcPitch,
                                                              a.width, a.height, *step);
        }
    } else if (s.key != -1) {
        (mirror ? KernelCopyMirroredKeyed : KernelCopyKeyed)(dst, src, a.dstSkip, a.srcSkip,
                                                             a.width, a.height, key);
    } else if (mirror) {
        (mmx ? KernelCopyMirroredMmx : KernelCopyMirrored)(dst, src, a.dstSkip, a.srcSkip,
                                                           a.width, a.height);
    } else {
        (mmx ? KernelCopyMmx : KernelCopy)(dst, src, a.dstSkip, a.srcSkip, a.width, a.height);
    }
}

void RunPalette(const KernelArgs& a, const BlitSource& s, const std::uint32_t* palette,
                const StretchStep* step, bool mirror) {
    auto* dst = static_cast<std::uint32_t*>(a.dst);
    const std::uint8_t* src = a.src;
    const std::uint32_t index = static_cast<std::uint32_t>(s.key);
    if (step) {
        if (s.key != -1) {
            (mirror ? KernelStretchCopyPaletteMirroredKeyed : KernelStretchCopyPaletteKeyed)(
                dst, src, a.dstSkip, a.srcPitch, a.width, a.height, *step, palette, index);
        } else {
            (mirror ? KernelStretchCopyPaletteMirrored : KernelStretchCopyPalette)(
                dst, src, a.dstSkip, a.srcPitch, a.width, a.height, *step, palette);
        }
    } else if (s.key != -1) {
        (mirror ? KernelCopyPaletteMirroredKeyed : KernelCopyPaletteKeyed)(
            dst, src, a.dstSkip, a.srcSkip, a.width, a.height, palette, index);
    } else {
        (mirror ? KernelCopyPaletteMirrored : KernelCopyPalette)(dst, src, a.dstSkip, a.srcSkip,
                                                                 a.width, a.height, palette);
    }
}

void RunPlane(const KernelArgs& a, const BlitSource& s, const StretchStep* step, bool mirror) {
    auto* dst = static_cast<std::uint8_t*>(a.dst);
    const std::uint32_t key = static_cast<std::uint32_t>(s.key);
    if (step) {
        if (s.key != -1) {
            (mirror ? KernelPlaneStretchMirroredKeyed : KernelPlaneStretchKeyed)(
                dst, a.src, a.dstSkip, a.srcPitch, a.width, a.height, *step, key);
        } else {
            (mirror ? KernelPlaneStretchMirrored : KernelPlaneStretch)(
                dst, a.src, a.dstSkip, a.srcPitch, a.width, a.height, *step);
        }
        return;
    }
    // The plane kernels read a mirrored row from its rightmost byte, one step at a time.
    const std::uint8_t* src = mirror ? a.src - 1 : a.src;
    const std::int32_t pixelStep = mirror ? -1 : 1;
    if (s.key != -1) {
        KernelPlaneCopyKeyed(dst, src, a.dstSkip, a.srcSkip, a.width, a.height, pixelStep, key);
    } else {
        KernelPlaneCopy(dst, src, a.dstSkip, a.srcSkip, a.width, a.height, pixelStep);
    }
}

}  // namespace

std::int32_t Image::Blit(Surface* source, std::int32_t x, std::int32_t y, const RECT* sourceRect,
                         bool flip) {
    return DrawCopy(source, nullptr, x, y, sourceRect, false, flip, false);
}

std::int32_t Image::StretchBlit(Surface* source, const SIZE* size, std::int32_t x,
                                std::int32_t y, const RECT* sourceRect, bool flip) {
    const SIZE whole = {m_width, m_height};
    return DrawCopy(source, size ? size : &whole, x, y, sourceRect, false, flip, false);
}

std::int32_t Image::BlitMirrored(Surface* source, std::uint8_t mode, std::int32_t x,
                                 std::int32_t y, const RECT* sourceRect) {
    // Modes above 2 have no meaning of their own; they act as 2, as the other mirrored blits
    // treat them.
    return DrawCopy(source, nullptr, x, y, sourceRect, mode != 1, mode != 0, false);
}

std::int32_t Image::StretchBlitMirrored(Surface* source, std::uint8_t mode, const SIZE* size,
                                        std::int32_t x, std::int32_t y, const RECT* sourceRect) {
    const SIZE whole = {m_width, m_height};
    return DrawCopy(source, size ? size : &whole, x, y, sourceRect, mode != 1, mode != 0, false);
}

std::int32_t Image::DrawCopy(Surface* source, const SIZE* size, std::int32_t x, std::int32_t y,
                             const RECT* sourceRect, bool mirror, bool flip, bool ignoreKey) {
    BlitSource s;
    if (!m_bits || !DescribeSource(source, ignoreKey, s)) return 1;
    if (m_depth == 8 && s.depth != 8) return 2;
    if (m_depth != 8 && m_depth != 32) return 2;
    if (s.depth != 8 && s.depth != 32) return 2;

    RECT wanted;
    if (sourceRect) {
        wanted = *sourceRect;
    } else {
        source->GetClipRect(&wanted);
    }
    StretchStep step;
    if (ClipBlitOriented(source, x, y, &wanted, size, size ? &step : nullptr, nullptr, mirror,
                         flip) != 0) {
        return 0;
    }
    const RECT d = m_blitDestRect;
    const RECT r = m_blitSourceRect;
    const bool self = s.bits == m_bits;

    if (size && !mirror && !flip && m_depth == 32 && s.depth == 32 && s.key == -1) {
        const bool differs =
            size->cx != static_cast<std::int64_t>(wanted.right) - wanted.left ||
            size->cy != static_cast<std::int64_t>(wanted.bottom) - wanted.top;
        const bool inside = LibraryCanStretch(source, wanted);
        auto stretch =
            BoundLibraryOp<pixelops::StretchBlendRectOp>(pixelops::kWordStretchBlendRect);
        if (stretch && differs && inside) {
            // The library reads as it writes: an image drawn into itself goes from a copy.
            Image copy;
            Surface* from = source;
            if (self) {
                if (copy.CopyFrom(this, 0) != 0) return 2;
                from = &copy;
            }
            const std::int32_t destSize[2] = {size->cx, size->cy};
            ResetLastUpdated();
            const std::int32_t result =
                stretch(pixelops::StretchBlendParams{this, from, destSize, x, y, &wanted,
                                                     pixelops::BlendCopy, 0, 255, 0});
            RECT drawn;
            if (LastUpdated(&drawn)) MarkChanged(drawn);
            return result == 0 || result == pixelops::kRectNothingVisible ? 0 : 2;
        }
    }

    const std::int32_t sourceBytes = s.depth / 8;
    const std::uint32_t* palette = nullptr;
    if (m_depth == 32 && s.depth == 8) {
        palette = SourcePalette(s.buffer);
        if (!palette) return 2;
        if (!size && !mirror && !flip && s.key == -1 && m_memoryDc && s.buffer->MemoryDc() &&
            PaletteHasNoAlpha(palette)) {
            // GDI writes alpha 0, which is what the kernel would write for such a palette.
            BitBlt(m_memoryDc, d.left, d.top, d.right - d.left, d.bottom - d.top,
                   s.buffer->MemoryDc(), r.left, r.top, SRCCOPY);
            GdiFlush();
            MarkChanged(d);
            return 0;
        }
    }

    RowSnapshot snapshot;
    auto sourceRow = [&](std::int32_t row) {
        return self ? snapshot.Row(row) : s.bits + static_cast<std::ptrdiff_t>(row) * s.pitch;
    };
    if (self && !snapshot.Take(s.bits, s.pitch, r.top, r.bottom)) return 2;

    KernelArgs a;
    a.width = d.right - d.left;
    a.height = d.bottom - d.top;
    const std::int32_t destBytes = m_depth / 8;
    a.dst = m_bits + static_cast<std::ptrdiff_t>(d.top) * m_pitch + d.left * destBytes;
    a.dstSkip = m_pitch - a.width * destBytes;
    a.srcPitch = flip ? -s.pitch : s.pitch;
    a.src = sourceRow(flip ? r.bottom - 1 : r.top) + (mirror ? r.right : r.left) * sourceBytes;
    const std::int32_t rowBytes = a.width * sourceBytes;
    a.srcSkip = mirror ? a.srcPitch + rowBytes : a.srcPitch - rowBytes;

    const StretchStep* stretch = size ? &step : nullptr;
    if (m_depth == 8) {
        RunPlane(a, s, stretch, mirror);
    } else if (s.depth == 8) {
        RunPalette(a, s, palette, stretch, mirror);
    } else {
        RunCopy32(a, s, stretch, mirror);
    }
    MarkChanged(d);
    return 0;
}

std::int32_t Image::StretchBlitSmooth(Surface* source, const SIZE* size, std::int32_t x,
                                      std::int32_t y, const RECT* sourceRect) {
    BlitSource s;
    if (!m_bits || !DescribeSource(source, true, s)) return 1;
    RECT src;
    if (sourceRect) {
        src = *sourceRect;
    } else {
        source->GetRect(&src);
    }
    const SIZE whole = {m_width, m_height};
    const SIZE dest = size ? *size : whole;
    const std::int64_t srcW = static_cast<std::int64_t>(src.right) - src.left;
    const std::int64_t srcH = static_cast<std::int64_t>(src.bottom) - src.top;
    // Nothing to scale: also no path to choose.
    if (srcW <= 0 || srcH <= 0 || dest.cx <= 0 || dest.cy <= 0) return 0;
    if (dest.cx == srcW && dest.cy == srcH) return DrawCopy(source, nullptr, x, y, &src, false,
                                                            false, true);
    const bool fitsRect = static_cast<std::int64_t>(x) + dest.cx <= INT32_MAX &&
                          static_cast<std::int64_t>(y) + dest.cy <= INT32_MAX;
    if (srcW <= 1 || srcH <= 1 || dest.cx <= srcW / 2 || dest.cy <= srcH / 2 || !fitsRect)
        return DrawCopy(source, &dest, x, y, &src, false, false, true);

    if (m_depth == 8 && s.depth != 8) return 2;
    const std::uint32_t* palette = nullptr;
    if (m_depth == 32 && s.depth == 8) {
        palette = SourcePalette(s.buffer);
        if (!palette) return 2;
    }
    // The bilinear clip names the last source pixel inclusive.
    RECT last = {src.left, src.top, src.right - 1, src.bottom - 1};
    RECT sourceClip;
    source->GetClipRect(&sourceClip);
    sourceClip.right -= 1;
    sourceClip.bottom -= 1;
    RECT d = {x, y, x + dest.cx, y + dest.cy};
    BilinearStep step;
    if (!ClipBlitBilinear(d, last, sourceClip, step)) return 0;

    RowSnapshot snapshot;
    const bool self = s.bits == m_bits;
    // The kernels read one row below the last position.
    if (self && !snapshot.Take(s.bits, s.pitch, last.top, last.bottom + 1)) return 2;
    const std::uint8_t* srcRow =
        self ? snapshot.Row(last.top) : s.bits + static_cast<std::ptrdiff_t>(last.top) * s.pitch;
    const std::int32_t width = d.right - d.left;
    const std::int32_t height = d.bottom - d.top;
    const std::int32_t destBytes = m_depth / 8;
    std::uint8_t* dst = m_bits + static_cast<std::ptrdiff_t>(d.top) * m_pitch + d.left * destBytes;
    const std::int32_t dstSkip = m_pitch - width * destBytes;
    const bool mmx = UseMmxKernels();
    if (m_depth == 8) {
        KernelPlaneBilinear(dst, srcRow + last.left, dstSkip, s.pitch, width, height, step);
    } else if (s.depth == 8) {
        (mmx ? KernelBilinearPaletteMmx : KernelBilinearPalette)(
            reinterpret_cast<std::uint32_t*>(dst), srcRow + last.left, dstSkip, s.pitch, width,
            height, palette, step);
    } else {
        (mmx ? KernelBilinearMmx : KernelBilinear)(
            reinterpret_cast<std::uint32_t*>(dst),
            reinterpret_cast<const std::uint32_t*>(srcRow) + last.left, dstSkip, s.pitch, width,
            height, step);
    }
    m_blitDestRect = d;
    MarkChanged(d);
    return 0;
}
