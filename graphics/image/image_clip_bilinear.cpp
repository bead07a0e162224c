// Image::ClipBlitBilinear: the 32.32 fixed-point clipping step of the bilinear kernels.
#include "graphics/image/image.h"

#include "graphics/compose/blit_clip.h"

namespace {

std::int64_t High(std::uint64_t v) {
    return static_cast<std::int64_t>(v >> 32);
}

// One axis. destLow/destHigh are exclusive at the high end, srcLow/srcHigh inclusive; the source
// is not empty. Worked in 64 bits, since the rectangles come from scripts. Where a cut of the
// source moves the destination, the high word of (k x destLength << 32) / srcLength is taken as
// k x destLength / srcLength, which is the same number without a product beyond 64 bits.
bool ClipAxis(LONG& destLow, LONG& destHigh, LONG& srcLow, LONG& srcHigh, LONG clipSrcLow,
              LONG clipSrcHigh, LONG clipDestLow, LONG clipDestHigh, std::uint32_t& frac,
              std::uint64_t& step) {
    std::int64_t dl = destLow, dh = destHigh, sl = srcLow, sh = srcHigh;
    const std::uint64_t srcLength = static_cast<std::uint64_t>(sh - sl);
    const std::uint64_t destLength = static_cast<std::uint64_t>(dh - dl);
    frac = 0;
    step = (srcLength << 32) / destLength;
    // A source wholly outside its clip, or a destination wholly outside the image's clip, leaves
    // nothing; the cuts below then stay shorter than the lengths they scale.
    bool remains = clipSrcHigh >= sl && clipSrcLow <= sh && clipDestHigh > dl && clipDestLow < dh;
    if (remains && clipSrcLow > sl) {
        const std::uint64_t k = static_cast<std::uint64_t>(clipSrcLow - sl);
        dl += static_cast<std::int64_t>(k * destLength / srcLength);
        sl = clipSrcLow;
    }
    if (remains && clipDestLow > dl) {
        if (clipDestLow >= dh) {
            remains = false;
        } else {
            const std::uint64_t moved = static_cast<std::uint64_t>(clipDestLow - dl) * step;
            sl += High(moved);
            frac = static_cast<std::uint32_t>(moved);
            dl = clipDestLow;
        }
    }
    if (remains && sh > clipSrcHigh) {
        const std::uint64_t k = static_cast<std::uint64_t>(sh - clipSrcHigh);
        dh -= static_cast<std::int64_t>(k * destLength / srcLength) + 1;
        sh = clipSrcHigh;
    }
    if (remains && dh > clipDestHigh) {
        if (clipDestHigh <= dl) {
            remains = false;
        } else {
            sh -= High(static_cast<std::uint64_t>(dh - clipDestHigh) * step);
            dh = clipDestHigh;
        }
    }
    destLow = NarrowToLong(dl);
    destHigh = NarrowToLong(dh);
    srcLow = NarrowToLong(sl);
    srcHigh = NarrowToLong(sh);
    return remains && dl < dh;
}

}  // namespace

bool Image::ClipBlitBilinear(RECT& dest, RECT& src, const RECT& srcClip, BilinearStep& step) const {
    if (src.left > src.right || src.top > src.bottom) return false;
    // Empty or reversed sizes have no walk (and would divide by zero or wrap the division).
    if (src.right == src.left || src.bottom == src.top || dest.right <= dest.left ||
        dest.bottom <= dest.top) {
        return false;
    }
    return ClipAxis(dest.top, dest.bottom, src.top, src.bottom, srcClip.top, srcClip.bottom,
                    m_clipRect.top, m_clipRect.bottom, step.fracY, step.stepY) &&
           ClipAxis(dest.left, dest.right, src.left, src.right, srcClip.left, srcClip.right,
                    m_clipRect.left, m_clipRect.right, step.fracX, step.stepX);
}
