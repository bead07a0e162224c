// StretchBlendRect (word 10): equal sizes go to BlendRect, the tent and B-spline types to the
// filtered resampler, everything else walks the source in 16.16 fixed point.
#include "pixelops/interfaces/pixel_op_words.h"
#include "pixelops/kernels/pixel_math.h"
#include "pixelops/rects/rect_operations.h"
#include "pixelops/rects/rect_support.h"
#include "pixelops/rects/resample_filter.h"

namespace pixelops {

bool ChooseStretchKernel(std::int32_t mode, bool full, bool hold, bool bilinearType,
                         StretchChoice& out) {
    const bool bilinear = bilinearType && !hold && (mode == 0 || mode == 11);
    out = StretchChoice{0, !full, bilinear};
    switch (mode) {
        case 0:
            if (bilinear)
                out.word =
                    full ? kWordBilinearStretchCopyLine : kWordBilinearStretchConstAlphaBlendLine;
            else if (full)
                out.word = hold ? kWordStretchColorCopyLine : kWordStretchCopyLine;
            else
                out.word = hold ? kWordStretchConstAlphaBlendLineHoldAlpha
                                : kWordStretchConstAlphaBlendLine;
            return true;
        case 1:
            out.word = full ? kWordStretchCopyOpaqueLine : kWordStretchConstAlphaBlendLineOntoAlpha;
            return true;
        case 2:
            out.word =
                full ? (hold ? kWordStretchAlphaBlendLineHoldAlpha : kWordStretchAlphaBlendLine)
                     : (hold ? kWordStretchAlphaBlendLineHoldAlphaOpacity
                             : kWordStretchAlphaBlendLineOpacity);
            return true;
        case 3:
            out.word = full ? kWordStretchAlphaBlendLineOntoAlpha
                            : kWordStretchAlphaBlendLineOntoAlphaOpacity;
            return true;
        case 11:
            if (bilinear)
                out.word = full ? kWordBilinearStretchAdditiveAlphaBlendLine
                                : kWordBilinearStretchAdditiveAlphaBlendLineOpacity;
            else if (hold)
                out.word = full ? kWordStretchAdditiveAlphaBlendLineHoldAlpha
                                : kWordStretchAdditiveAlphaBlendLineHoldAlphaOpacity;
            else
                out.word = full ? kWordStretchAdditiveAlphaBlendLine
                                : kWordStretchAdditiveAlphaBlendLineOpacity;
            return true;
        case 12:
            out.word = full ? kWordStretchAdditiveAlphaBlendLineOntoAdditiveAlpha
                            : kWordStretchAdditiveAlphaBlendLineOntoAdditiveAlphaOpacity;
            return true;
        case 13:  // BlendNone: no pixel work by definition
            return true;
        case 14:
            out.word = full ? kWordStretchAlphaBlendLineOntoAdditiveAlpha
                            : kWordStretchAlphaBlendLineOntoAdditiveAlphaOpacity;
            return true;
        case 15:
            out.word = full ? kWordStretchCopyOpaqueLine
                            : kWordStretchConstAlphaBlendLineOntoAdditiveAlpha;
            return true;
        default:
            return false;
    }
}

namespace {

// 16.16 positions hold source coordinates up to 32767.
constexpr std::int64_t kFixedLimit = 32767;
constexpr std::int64_t kOne = 65536;

// One axis of the fixed-point walk: destination span [lo, hi) after mirroring, source span
// [srcLo, srcHi), and the direction.
struct Axis {
    std::int64_t lo, hi;
    std::int64_t srcLo, srcHi;
    bool reversed;
    std::int64_t Size() const { return hi - lo; }
    std::int64_t SrcSize() const { return srcHi - srcLo; }
};

Axis MakeAxis(std::int64_t pos, std::int64_t size, std::int64_t srcLo, std::int64_t srcHi) {
    Axis a{pos, pos + size, srcLo, srcHi, false};
    if (size < 0) {
        a.lo = pos + size;
        a.hi = pos;
        a.reversed = true;
    }
    if (srcHi < srcLo) {
        a.srcLo = srcHi;
        a.srcHi = srcLo;
        a.reversed = !a.reversed;
    }
    return a;
}

// Source position (16.16) of the first drawn pixel and the signed step, for `skipped` pixels
// cut off before it. Bilinear sampling centres the grid on the source, and mirrored it samples
// exactly the positions of the unmirrored walk in reverse order.
void Walk(const Axis& a, std::int64_t skipped, bool bilinear, std::int32_t& start,
          std::int32_t& step) {
    const std::int64_t s = a.SrcSize() * kOne / a.Size();
    std::int64_t origin;
    std::int64_t signedStep = a.reversed ? -s : s;
    if (bilinear) {
        const std::int64_t centring = (a.SrcSize() * kOne - s * (a.Size() - 1) - kOne) / 2;
        origin = a.srcLo * kOne + centring + (a.reversed ? s * (a.Size() - 1) : 0);
    } else {
        origin = a.reversed ? a.srcHi * kOne - 1 : a.srcLo * kOne;
    }
    start = static_cast<std::int32_t>(origin + skipped * signedStep);
    step = static_cast<std::int32_t>(signedStep);
}

std::int32_t Clamp(std::int32_t v, std::int32_t lo, std::int32_t hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

// The part of a bilinear row that the kernel cannot sample (its 2 x 2 neighbourhood would leave
// the source rectangle) takes the edge value of its side, blended into the destination as the
// kernel would.
struct EdgeRow {
    std::int32_t mode;
    std::uint32_t opacity;
    std::int32_t left, right;  // source columns of the edges
};

void BilinearRow(const StretchChoice& choice, const EdgeRow& edge, Pixel* dst, std::int32_t count,
                 const Pixel* row0, const Pixel* row1, std::uint32_t fy, std::int32_t x,
                 std::int32_t step) {
    const std::int64_t low = static_cast<std::int64_t>(edge.left) * kOne;
    const std::int64_t high = static_cast<std::int64_t>(edge.right) * kOne;
    auto position = [&](std::int32_t i) { return x + static_cast<std::int64_t>(i) * step; };
    auto outside = [&](std::int32_t i) { return position(i) < low || position(i) >= high; };
    auto putEdge = [&](std::int32_t i) {
        const std::int32_t column = position(i) < low ? edge.left : edge.right;
        dst[i] = PutBilinearEdge(edge.mode, dst[i], BlendArgb(row0[column], row1[column], fy),
                                 edge.opacity);
    };
    std::int32_t end = count;
    while (end > 0 && outside(end - 1)) putEdge(--end);
    std::int32_t begin = 0;
    while (begin < end && outside(begin)) putEdge(begin++);
    if (begin == end) return;
    const std::int32_t first = static_cast<std::int32_t>(position(begin));
    if (choice.opacity)
        Slot<BilinearStretchKernelOpacity>(choice.word)(dst + begin, end - begin, row0, row1, fy,
                                                        first, step, edge.opacity);
    else
        Slot<BilinearStretchKernel>(choice.word)(dst + begin, end - begin, row0, row1, fy, first,
                                                 step);
}

// The drawn rows of the fixed-point path: destination rows from `first` down, the source
// walked from (x, y) in 16.16 steps.
struct StretchRows {
    Surface* src;
    Pixel* first;
    std::int32_t destPitch;
    std::int32_t count, rows;
    std::int32_t x, stepX, y, stepY;
};

// One nearest-sampling kernel for every row, fed the source row of the current y.
template <class Kernel>
void StretchRowLoop(const StretchRows& r, Kernel kernel) {
    Pixel* dst = r.first;
    std::int32_t y = r.y;
    for (std::int32_t i = 0; i < r.rows; ++i, y += r.stepY, dst = NextRow(dst, r.destPitch))
        kernel(dst, r.count, PixelAt(r.src, 0, y >> 16), r.x, r.stepX);
}

// A kernel with an opacity, bound to it for StretchRowLoop.
struct BoundKernel {
    StretchKernelOpacity kernel;
    std::uint32_t opacity;
    void operator()(Pixel* dst, std::int32_t count, const Pixel* src, std::int32_t x,
                    std::int32_t step) const {
        kernel(dst, count, src, x, step, opacity);
    }
};

void StretchRowLoopOpacity(const StretchRows& r, StretchKernelOpacity kernel,
                           std::uint32_t opacity) {
    StretchRowLoop(r, BoundKernel{kernel, opacity});
}

// Bilinear rows: the two source rows around y, limited to the source rectangle's rows.
void BilinearRowLoop(const StretchRows& r, const StretchChoice& choice, const EdgeRow& edge,
                     std::int32_t srcTop, std::int32_t srcBottom) {
    Pixel* dst = r.first;
    std::int32_t y = r.y;
    for (std::int32_t i = 0; i < r.rows; ++i, y += r.stepY, dst = NextRow(dst, r.destPitch)) {
        const Pixel* row0 = PixelAt(r.src, 0, Clamp(y >> 16, srcTop, srcBottom));
        const Pixel* row1 = PixelAt(r.src, 0, Clamp((y >> 16) + 1, srcTop, srcBottom));
        const std::uint32_t fy = Fraction8(y);
        BilinearRow(choice, edge, dst, r.count, row0, row1, fy, r.x, r.stepX);
    }
}

}  // namespace

std::int32_t QMXGL_CALL StretchBlendRect(StretchBlendParams p) {
    std::int64_t dw, dh;
    if (p.destSize) {
        dw = p.destSize[0];
        dh = p.destSize[1];
        if (dw == 0 || dh == 0) return kRectNothingVisible;
    } else {
        dw = p.dest->Width();
        dh = p.dest->Height();
    }
    RECT s;
    if (p.srcRect) {
        s = *p.srcRect;
        if (s.right == s.left || s.bottom == s.top) return kRectNothingVisible;
    } else {
        p.src->GetRect(&s);
    }
    const std::int64_t sw = static_cast<std::int64_t>(s.right) - s.left;
    const std::int64_t sh = static_cast<std::int64_t>(s.bottom) - s.top;
    if (dw == sw && dh == sh)
        return BlendRect(p.dest, p.src, p.destX, p.destY, &s, p.mode,
                         static_cast<std::uint32_t>(p.opacity),
                         static_cast<std::uint32_t>(p.holdDestAlpha));

    const std::uint32_t opacity = static_cast<std::uint32_t>(p.opacity) & 0xFF;
    const bool hold = (p.holdDestAlpha & 0xFF) != 0;
    const std::int32_t type = p.type & 15;
    StretchChoice choice;
    if (!ChooseStretchKernel(p.mode, opacity == 255, hold, type >= 1, choice)) return kRectRefused;
    // As in BlendRect: opacity 0 leaves the picture alone (the constant-opacity kernels would
    // still clear alpha bytes).
    if (opacity == 0) return kRectDone;

    const Axis ax = MakeAxis(p.destX, dw, s.left, s.right);
    const Axis ay = MakeAxis(p.destY, dh, s.top, s.bottom);
    if (ax.SrcSize() == 0 || ay.SrcSize() == 0) return kRectNothingVisible;
    // Both paths read the whole source rectangle.
    if (ax.srcLo < 0 || ax.srcHi > p.src->Width() || ay.srcLo < 0 || ay.srcHi > p.src->Height())
        return kStretchSourceOutside;

    const RECT* clip = p.dest->ClipRectPtr();
    const bool filtered = (type == 2 || type == 3) && !hold && opacity == 255 && p.mode == 0 &&
                          dw > 0 && dh > 0 && sw > 0 && sh > 0 && ax.lo >= clip->left &&
                          ay.lo >= clip->top && ax.hi <= clip->right && ay.hi <= clip->bottom;
    if (filtered) {
        const RECT destRect = {static_cast<LONG>(ax.lo), static_cast<LONG>(ay.lo),
                               static_cast<LONG>(ax.hi), static_cast<LONG>(ay.hi)};
        if (SelectResampleFilter(p.dest, destRect, p.src, s, type == 2 ? 1 : 2) != 0)
            return kStretchOutOfMemory;
        SetLastUpdated(destRect);
        return kRectDone;
    }

    if (ax.srcHi > kFixedLimit || ay.srcHi > kFixedLimit) return kRectRefused;
    const std::int64_t left = ax.lo > clip->left ? ax.lo : clip->left;
    const std::int64_t right = ax.hi < clip->right ? ax.hi : clip->right;
    const std::int64_t top = ay.lo > clip->top ? ay.lo : clip->top;
    const std::int64_t bottom = ay.hi < clip->bottom ? ay.hi : clip->bottom;
    if (left >= right || top >= bottom) return kRectNothingVisible;

    StretchRows rows;
    rows.src = p.src;
    rows.first = PixelAt(p.dest, static_cast<std::int32_t>(left), static_cast<std::int32_t>(top));
    rows.destPitch = p.dest->Pitch();
    rows.count = static_cast<std::int32_t>(right - left);
    rows.rows = static_cast<std::int32_t>(bottom - top);
    Walk(ax, left - ax.lo, choice.bilinear, rows.x, rows.stepX);
    Walk(ay, top - ay.lo, choice.bilinear, rows.y, rows.stepY);
    if (choice.bilinear) {
        const EdgeRow edge = {p.mode, opacity, static_cast<std::int32_t>(ax.srcLo),
                              static_cast<std::int32_t>(ax.srcHi - 1)};
        BilinearRowLoop(rows, choice, edge, static_cast<std::int32_t>(ay.srcLo),
                        static_cast<std::int32_t>(ay.srcHi - 1));
    } else if (choice.word != 0) {
        if (choice.opacity)
            StretchRowLoopOpacity(rows, Slot<StretchKernelOpacity>(choice.word), opacity);
        else
            StretchRowLoop(rows, Slot<StretchKernel>(choice.word));
    }
    SetLastUpdated(static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
                   static_cast<std::int32_t>(right), static_cast<std::int32_t>(bottom));
    return kRectDone;
}

}  // namespace pixelops
