// Image::ClipBlitBilinear: the 32.32 fixed-point clipping step of the bilinear kernels.
#include "graphics/image/image.h"

namespace {

std::uint32_t High(std::uint64_t v) {
    return static_cast<std::uint32_t>(v >> 32);
}

// One axis. destLow/destHigh are exclusive at the high end, srcLow/srcHigh inclusive.
bool ClipAxis(LONG& destLow, LONG& destHigh, LONG& srcLow, LONG& srcHigh, LONG clipSrcLow,
              LONG clipSrcHigh, LONG clipDestLow, LONG clipDestHigh, std::uint32_t& frac,
              std::uint64_t& step) {
    const std::uint64_t srcLength = static_cast<std::uint64_t>(srcHigh - srcLow);
    const std::uint64_t destLength = static_cast<std::uint64_t>(destHigh - destLow);
    frac = 0;
    step = (srcLength << 32) / destLength;
    if (clipSrcLow > srcLow) {
        const std::uint64_t k = static_cast<std::uint64_t>(clipSrcLow - srcLow);
        destLow += static_cast<LONG>(High((k * destLength << 32) / srcLength));
        srcLow = clipSrcLow;
    }
    if (clipDestLow > destLow) {
        const std::uint64_t moved = static_cast<std::uint64_t>(clipDestLow - destLow) * step;
        srcLow += static_cast<LONG>(High(moved));
        frac = static_cast<std::uint32_t>(moved);
        destLow = clipDestLow;
    }
    if (srcHigh > clipSrcHigh) {
        const std::uint64_t k = static_cast<std::uint64_t>(srcHigh - clipSrcHigh);
        destHigh -= static_cast<LONG>(High((k * destLength << 32) / srcLength)) + 1;
        srcHigh = clipSrcHigh;
    }
    if (destHigh > clipDestHigh) {
        srcHigh -=
            static_cast<LONG>(High(static_cast<std::uint64_t>(destHigh - clipDestHigh) * step));
        destHigh = clipDestHigh;
    }
    return destLow < destHigh;
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
