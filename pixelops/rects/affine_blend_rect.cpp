// AffineBlendRect and AffineBlendRectMatrix (words 11 and 12): the destination parallelogram is
// scanned row by row; each row's run walks the source in 16.16 fixed point through an affine
// row kernel, or a stretched one when the mapping keeps source rows horizontal.
#include "pixelops/interfaces/pixel_op_words.h"
#include "pixelops/kernels/pixel_math.h"
#include "pixelops/rects/rect_operations.h"
#include "pixelops/rects/rect_support.h"

namespace pixelops {

namespace {

constexpr std::int64_t kOne = 65536;
constexpr std::int64_t kHalf = 0x8000;
// Source edges stay below this so that their 16.16 forms fit 32 bits.
constexpr std::int64_t kFixedLimit = 32767;

struct AffineChoice {
    int affineWord;   // 0: no pixel work (BlendNone, or opacity 0)
    int stretchWord;  // for mappings that keep source rows horizontal
    bool opacity;
    bool bilinear;
};

// The affine kernel that applies a stretched kernel's pixel rule along a slanted walk.
int AffineWordOf(int stretchWord) {
    static const int kPairs[][2] = {
        {kWordStretchCopyLine, kWordAffineCopyLine},
        {kWordStretchColorCopyLine, kWordAffineColorCopyLine},
        {kWordBilinearStretchCopyLine, kWordBilinearAffineCopyLine},
        {kWordStretchCopyOpaqueLine, kWordAffineCopyOpaqueLine},
        {kWordStretchConstAlphaBlendLine, kWordAffineConstAlphaBlendLine},
        {kWordBilinearStretchConstAlphaBlendLine, kWordBilinearAffineConstAlphaBlendLine},
        {kWordStretchConstAlphaBlendLineHoldAlpha, kWordAffineConstAlphaBlendLineHoldAlpha},
        {kWordStretchConstAlphaBlendLineOntoAlpha, kWordAffineConstAlphaBlendLineOntoAlpha},
        {kWordStretchConstAlphaBlendLineOntoAdditiveAlpha,
         kWordAffineConstAlphaBlendLineOntoAdditiveAlpha},
        {kWordStretchAlphaBlendLine, kWordAffineAlphaBlendLine},
        {kWordStretchAlphaBlendLineHoldAlpha, kWordAffineAlphaBlendLineHoldAlpha},
        {kWordStretchAlphaBlendLineOpacity, kWordAffineAlphaBlendLineOpacity},
        {kWordStretchAlphaBlendLineHoldAlphaOpacity, kWordAffineAlphaBlendLineHoldAlphaOpacity},
        {kWordStretchAlphaBlendLineOntoAlpha, kWordAffineAlphaBlendLineOntoAlpha},
        {kWordStretchAlphaBlendLineOntoAdditiveAlpha, kWordAffineAlphaBlendLineOntoAdditiveAlpha},
        {kWordStretchAlphaBlendLineOntoAlphaOpacity, kWordAffineAlphaBlendLineOntoAlphaOpacity},
        {kWordStretchAlphaBlendLineOntoAdditiveAlphaOpacity,
         kWordAffineAlphaBlendLineOntoAdditiveAlphaOpacity},
        {kWordStretchAdditiveAlphaBlendLine, kWordAffineAdditiveAlphaBlendLine},
        {kWordBilinearStretchAdditiveAlphaBlendLine, kWordBilinearAffineAdditiveAlphaBlendLine},
        {kWordStretchAdditiveAlphaBlendLineHoldAlpha, kWordAffineAdditiveAlphaBlendLineHoldAlpha},
        {kWordStretchAdditiveAlphaBlendLineOpacity, kWordAffineAdditiveAlphaBlendLineOpacity},
        {kWordBilinearStretchAdditiveAlphaBlendLineOpacity,
         kWordBilinearAffineAdditiveAlphaBlendLineOpacity},
        {kWordStretchAdditiveAlphaBlendLineHoldAlphaOpacity,
         kWordAffineAdditiveAlphaBlendLineHoldAlphaOpacity},
        {kWordStretchAdditiveAlphaBlendLineOntoAdditiveAlpha,
         kWordAffineAdditiveAlphaBlendLineOntoAdditiveAlpha},
        {kWordStretchAdditiveAlphaBlendLineOntoAdditiveAlphaOpacity,
         kWordAffineAdditiveAlphaBlendLineOntoAdditiveAlphaOpacity},
    };
    for (const auto& pair : kPairs)
        if (pair[0] == stretchWord) return pair[1];
    return 0;
}

// The mode's choice is the stretched operation's; each stretched kernel has its affine twin.
bool ChooseAffineKernels(std::int32_t mode, std::uint32_t opacity, bool hold, bool bilinearType,
                         AffineChoice& c) {
    StretchChoice stretch;
    if (!ChooseStretchKernel(mode, opacity == 255, hold, bilinearType, stretch)) return false;
    c = AffineChoice{AffineWordOf(stretch.word), stretch.word, stretch.opacity, stretch.bilinear};
    if (opacity == 0) c.affineWord = c.stretchWord = 0;
    return true;
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}
std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
    return -FloorDiv(-a, b);
}

// A point of the parallelogram with the source position that maps to it, all in 16.16.
struct Corner {
    std::int64_t x, y, u, v;
};

// 16.16 of a destination coordinate, or false when it is not a finite number in range.
bool ToFixed(double value, std::int64_t& out) {
    const double scaled = value * 65536.0;
    if (!(scaled > -2147483648.0 && scaled < 2147483648.0)) return false;
    out = static_cast<std::int64_t>(scaled);
    return true;
}

bool FitsStep(double value, std::int32_t& out) {
    if (!(value > -2147483648.0 && value < 2147483648.0)) return false;
    out = static_cast<std::int32_t>(value);
    return true;
}

struct Bounds {
    std::int32_t left, top, right, bottom;
    bool Contains(std::int32_t x, std::int32_t y) const {
        return x >= left && x < right && y >= top && y < bottom;
    }
};

// Everything a row needs.
struct AffineJob {
    Surface* dest;
    Surface* src;
    AffineChoice choice;
    std::int32_t mode;
    std::uint32_t opacity;
    Bounds sampling;   // nearest samples and the trimming of runs
    Bounds neighbour;  // bilinear neighbours
    std::int32_t du, dv;

    Pixel SourcePixel(std::int32_t x, std::int32_t y) const { return *PixelAt(src, x, y); }

    // A bilinear sample whose neighbours are limited to the neighbour bounds.
    Pixel LimitedSample(std::int32_t u, std::int32_t v) const {
        auto col = [&](std::int32_t c) {
            return c < neighbour.left ? neighbour.left
                                      : (c >= neighbour.right ? neighbour.right - 1 : c);
        };
        auto row = [&](std::int32_t r) {
            return r < neighbour.top ? neighbour.top
                                     : (r >= neighbour.bottom ? neighbour.bottom - 1 : r);
        };
        const std::int32_t c0 = col(u >> 16), c1 = col((u >> 16) + 1);
        const std::int32_t r0 = row(v >> 16), r1 = row((v >> 16) + 1);
        return Bilinear(SourcePixel(c0, r0), SourcePixel(c1, r0), SourcePixel(c0, r1),
                        SourcePixel(c1, r1), WidenFraction(Fraction8(u)),
                        WidenFraction(Fraction8(v)));
    }

    bool NeedsLimiting(std::int32_t u, std::int32_t v) const {
        return !neighbour.Contains(u >> 16, v >> 16) ||
               !neighbour.Contains((u >> 16) + 1, (v >> 16) + 1);
    }

    void Kernel(Pixel* dst, std::int32_t count, std::int32_t u, std::int32_t v) const {
        if (count <= 0) return;
        const std::int32_t pitch = src->Pitch();
        if (dv == 0) {
            const std::int32_t y = v >> 16;
            if (choice.bilinear) {
                const Pixel* row0 = PixelAt(src, 0, y);
                const Pixel* row1 = PixelAt(src, 0, y + 1);
                const std::uint32_t fy = Fraction8(v);
                if (choice.opacity)
                    Slot<BilinearStretchKernelOpacity>(choice.stretchWord)(dst, count, row0, row1,
                                                                           fy, u, du, opacity);
                else
                    Slot<BilinearStretchKernel>(choice.stretchWord)(dst, count, row0, row1, fy, u,
                                                                    du);
            } else if (choice.opacity) {
                Slot<StretchKernelOpacity>(choice.stretchWord)(dst, count, PixelAt(src, 0, y), u,
                                                               du, opacity);
            } else {
                Slot<StretchKernel>(choice.stretchWord)(dst, count, PixelAt(src, 0, y), u, du);
            }
        } else if (choice.opacity) {
            Slot<AffineKernelOpacity>(choice.affineWord)(dst, count, src->Bits(), u, v, du, dv,
                                                         pitch, opacity);
        } else {
            Slot<AffineKernel>(choice.affineWord)(dst, count, src->Bits(), u, v, du, dv, pitch);
        }
    }

    // Narrows [begin, end) of a run whose first pixel samples (u, v) (pixel centres at whole
    // numbers) to the pixels whose nearest sample lies inside the sampling bounds. Positions
    // stay in 64 bits until then: pixels of a clipped run far outside the source may lie
    // beyond the 16.16 range.
    bool TrimToSource(std::int64_t u, std::int64_t v, std::int32_t& begin,
                      std::int32_t& end) const {
        auto sampled = [&](std::int32_t i) {
            const std::int64_t x = (u + std::int64_t{du} * i + kHalf) >> 16;
            const std::int64_t y = (v + std::int64_t{dv} * i + kHalf) >> 16;
            return x >= sampling.left && x < sampling.right && y >= sampling.top &&
                   y < sampling.bottom;
        };
        while (end > begin && !sampled(end - 1)) --end;
        while (begin < end && !sampled(begin)) ++begin;
        return begin < end;
    }

    // Nearest sampling rounds half up.
    void AffineNearestSpan(Pixel* dst, std::int32_t count, std::int64_t u, std::int64_t v) const {
        std::int32_t begin = 0, end = count;
        if (!TrimToSource(u, v, begin, end)) return;
        Kernel(dst + begin, end - begin,
               static_cast<std::int32_t>(u + std::int64_t{du} * begin + kHalf),
               static_cast<std::int32_t>(v + std::int64_t{dv} * begin + kHalf));
    }

    // Pixels at either end whose 2 x 2 neighbourhood leaves the neighbour bounds are sampled
    // here with their neighbours limited; the middle goes to the kernel.
    void AffineBilinearSpan(Pixel* dst, std::int32_t count, std::int64_t u, std::int64_t v) const {
        std::int32_t begin = 0, end = count;
        if (!TrimToSource(u, v, begin, end)) return;
        auto uAt = [&](std::int32_t i) {
            return static_cast<std::int32_t>(u + std::int64_t{du} * i);
        };
        auto vAt = [&](std::int32_t i) {
            return static_cast<std::int32_t>(v + std::int64_t{dv} * i);
        };
        while (end > begin && NeedsLimiting(uAt(end - 1), vAt(end - 1))) {
            --end;
            dst[end] = PutBilinearEdge(mode, dst[end], LimitedSample(uAt(end), vAt(end)), opacity);
        }
        while (begin < end && NeedsLimiting(uAt(begin), vAt(begin))) {
            dst[begin] =
                PutBilinearEdge(mode, dst[begin], LimitedSample(uAt(begin), vAt(begin)), opacity);
            ++begin;
        }
        Kernel(dst + begin, end - begin, uAt(begin), vAt(begin));
    }
};

void FillRow(Surface* dest, std::int32_t y, std::int32_t from, std::int32_t to, bool hold,
             std::uint32_t colour) {
    if (from >= to) return;
    Slot<ValueKernel>(hold ? kWordFillColorLine : kWordFillArgbLine)(PixelAt(dest, from, y),
                                                                     to - from, colour);
}

}  // namespace

std::int32_t QMXGL_CALL AffineBlendRect(Surface* dest, Surface* src,
                                        const AffineBlendPoints* points, const RECT* srcRect,
                                        std::int32_t mode, std::int32_t type, std::uint32_t opacity,
                                        std::uint32_t holdDestAlpha, std::uint32_t fillOutside,
                                        std::uint32_t fillColour, const RECT* clip) {
    if (!dest || !src || !points) return kRectRefused;
    opacity &= 0xFF;
    const bool hold = (holdDestAlpha & 0xFF) != 0;
    const bool fill = (fillOutside & 0xFF) != 0;
    AffineJob job;
    job.dest = dest;
    job.src = src;
    job.mode = mode;
    job.opacity = opacity;
    if (!ChooseAffineKernels(mode, opacity, hold, (type & 15) != 0, job.choice))
        return kRectRefused;

    // Source bounds.
    const std::int32_t srcWidth = src->Width(), srcHeight = src->Height();
    Bounds source = {0, 0, srcWidth, srcHeight};
    if (srcRect) {
        if (srcRect->right <= srcRect->left || srcRect->bottom <= srcRect->top ||
            srcRect->left < 0 || srcRect->top < 0 || srcRect->right > srcWidth ||
            srcRect->bottom > srcHeight)
            return kAffineBadSourceRect;
        source = Bounds{srcRect->left, srcRect->top, srcRect->right, srcRect->bottom};
    } else if (srcWidth <= 0 || srcHeight <= 0) {
        return kAffineBadSourceRect;
    }
    if (source.right > kFixedLimit || source.bottom > kFixedLimit) return kRectRefused;
    job.sampling = source;
    job.neighbour = (type & 0x10) ? Bounds{0, 0, srcWidth, srcHeight} : source;

    // Clip area: the given rectangle within the destination bitmap, or the whole bitmap.
    Bounds area = {0, 0, dest->Width(), dest->Height()};
    if (clip) {
        if (clip->left > area.left) area.left = clip->left;
        if (clip->top > area.top) area.top = clip->top;
        if (clip->right < area.right) area.right = clip->right;
        if (clip->bottom < area.bottom) area.bottom = clip->bottom;
    }
    if (area.right <= area.left || area.bottom <= area.top) return kRectNothingVisible;

    // The parallelogram, with the outer source edges at its corners.
    const std::int64_t L = source.left * kOne - kHalf, T = source.top * kOne - kHalf;
    const std::int64_t R = source.right * kOne - kHalf, B = source.bottom * kOne - kHalf;
    Corner c0, c1, c2, c3;
    if (!ToFixed(points->x0, c0.x) || !ToFixed(points->y0, c0.y) || !ToFixed(points->x1, c1.x) ||
        !ToFixed(points->y1, c1.y) || !ToFixed(points->x2, c2.x) || !ToFixed(points->y2, c2.y))
        return kRectRefused;
    c3.x = c1.x + c2.x - c0.x;
    c3.y = c1.y + c2.y - c0.y;
    if (c3.x <= -(kOne << 15) || c3.x >= (kOne << 15) || c3.y <= -(kOne << 15) ||
        c3.y >= (kOne << 15))
        return kRectRefused;
    c0.u = L, c0.v = T;
    c1.u = R, c1.v = T;
    c2.u = L, c2.v = B;
    c3.u = R, c3.v = B;

    // Coincident or collinear corners span no area: no step exists.
    const double ax = static_cast<double>(c1.x - c0.x), ay = static_cast<double>(c1.y - c0.y);
    const double bx = static_cast<double>(c2.x - c0.x), by = static_cast<double>(c2.y - c0.y);
    if (ax * by - bx * ay == 0.0) return kRectRefused;
    double du, dv;
    if (c0.y == c1.y) {
        du = static_cast<double>(R - L) / (ax / 65536.0);
        dv = 0.0;
    } else if (c0.y == c2.y) {
        du = 0.0;
        dv = static_cast<double>(B - T) / (bx / 65536.0);
    } else {
        const double k = ax / ay - bx / by;
        if (k == 0.0) return kRectRefused;
        dv = static_cast<double>(T - B) / (by / 65536.0) / k;
        du = static_cast<double>(R - L) / (ay / 65536.0) / k;
    }
    if (!FitsStep(du, job.du) || !FitsStep(dv, job.dv)) return kRectRefused;

    const Corner* corners[4] = {&c0, &c1, &c3, &c2};  // edge order 0 -> 1 -> 3 -> 2 -> 0
    std::int64_t minX = c0.x, maxX = c0.x, minY = c0.y, maxY = c0.y;
    for (const Corner* c : corners) {
        minX = c->x < minX ? c->x : minX;
        maxX = c->x > maxX ? c->x : maxX;
        minY = c->y < minY ? c->y : minY;
        maxY = c->y > maxY ? c->y : maxY;
    }
    if (FloorDiv(minX, kOne) >= area.right || FloorDiv(maxX, kOne) < area.left ||
        FloorDiv(minY, kOne) >= area.bottom || FloorDiv(maxY, kOne) < area.top)
        return kAffineOutsideClip;

    std::int64_t firstRow = (minY + kHalf) / kOne, lastRow = (maxY + kHalf) / kOne;
    if (firstRow < area.top) firstRow = area.top;
    if (lastRow > area.bottom - 1) lastRow = area.bottom - 1;
    if (firstRow > lastRow) return kRectNothingVisible;

    bool found = false;
    std::int32_t drawnLeft = 0, drawnRight = 0, drawnTop = 0, drawnBottom = 0;
    for (std::int32_t y = area.top; y < area.bottom; ++y) {
        const bool scanned = y >= firstRow && y <= lastRow;
        const std::int64_t scan = static_cast<std::int64_t>(y) * kOne;
        bool crossed = false;
        Corner left{}, right{};
        for (int e = 0; scanned && e < 4; ++e) {
            const Corner& a = *corners[e];
            const Corner& b = *corners[(e + 1) & 3];
            Corner hits[2];
            int count = 0;
            if (a.y == b.y) {
                if (a.y == scan) {
                    hits[count++] = a;
                    hits[count++] = b;
                }
            } else if ((scan >= a.y && scan <= b.y) || (scan >= b.y && scan <= a.y)) {
                const std::int64_t t = (scan - a.y) * kOne / (b.y - a.y);
                hits[count++] = Corner{a.x + (b.x - a.x) * t / kOne, scan,
                                       a.u + (b.u - a.u) * t / kOne, a.v + (b.v - a.v) * t / kOne};
            }
            for (int h = 0; h < count; ++h) {
                if (!crossed || hits[h].x < left.x) left = hits[h];
                if (!crossed || hits[h].x > right.x) right = hits[h];
                crossed = true;
            }
        }
        std::int64_t first = 0, end = 0;
        std::int64_t u = 0, v = 0;
        if (crossed) {
            first = CeilDiv(left.x, kOne);
            end = CeilDiv(right.x, kOne);
            const std::int64_t toCentre = 0xFFFF - ((left.x - 1) & 0xFFFF);
            u = left.u + job.du * toCentre / kOne;
            v = left.v + job.dv * toCentre / kOne;
            if (first < area.left) {
                u += job.du * (area.left - first);
                v += job.dv * (area.left - first);
                first = area.left;
            }
            if (end > area.right) end = area.right;
        }
        if (first >= end) {
            if (fill) FillRow(dest, y, area.left, area.right, hold, fillColour);
            continue;
        }
        const std::int32_t f = static_cast<std::int32_t>(first);
        const std::int32_t n = static_cast<std::int32_t>(end - first);
        if (fill) {
            FillRow(dest, y, area.left, f + 1, hold, fillColour);
            FillRow(dest, y, f + n - 1, area.right, hold, fillColour);
        }
        if (!found) {
            drawnLeft = f;
            drawnRight = f + n;
            drawnTop = y;
            found = true;
        }
        drawnLeft = f < drawnLeft ? f : drawnLeft;
        drawnRight = f + n > drawnRight ? f + n : drawnRight;
        drawnBottom = y + 1;
        Pixel* run = PixelAt(dest, f, y);
        if (job.choice.affineWord == 0) continue;
        if (job.choice.bilinear)
            job.AffineBilinearSpan(run, n, u, v);
        else
            job.AffineNearestSpan(run, n, u, v);
    }
    if (fill) {
        SetLastUpdated(area.left, area.top, area.right, area.bottom);
        return kRectDone;
    }
    if (!found) return kRectCopyNothingVisible;
    SetLastUpdated(drawnLeft, drawnTop, drawnRight, drawnBottom);
    return kRectDone;
}

std::int32_t QMXGL_CALL AffineBlendRectMatrix(Surface* dest, Surface* src, const double* matrix,
                                              const RECT* srcRect, std::int32_t mode,
                                              std::int32_t type, std::uint32_t opacity,
                                              std::uint32_t holdDestAlpha,
                                              std::uint32_t fillOutside, std::uint32_t fillColour,
                                              const RECT* clip) {
    if (!srcRect && !src) return kAffineMatrixNoSource;
    if (!matrix) return kRectRefused;
    const double w = srcRect ? static_cast<double>(srcRect->right) - srcRect->left : src->Width();
    const double h = srcRect ? static_cast<double>(srcRect->bottom) - srcRect->top : src->Height();
    const double* m = matrix;
    const AffineBlendPoints points = {
        m[4] - (m[0] + m[2]) / 2,           m[5] - (m[1] + m[3]) / 2,
        (w - 0.5) * m[0] - m[2] / 2 + m[4], (w - 0.5) * m[1] - m[3] / 2 + m[5],
        (h - 0.5) * m[2] - m[0] / 2 + m[4], (h - 0.5) * m[3] - m[1] / 2 + m[5],
    };
    return AffineBlendRect(dest, src, &points, srcRect, mode, type, opacity, holdDestAlpha,
                           fillOutside, fillColour, clip);
}

}  // namespace pixelops
