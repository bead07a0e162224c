// Flips, grey scale, gamma and the whole-bitmap conversions (words 14-24).
#include "pixelops/interfaces/pixel_op_words.h"
#include "pixelops/rects/rect_operations.h"
#include "pixelops/rects/rect_support.h"

namespace pixelops {

namespace {

bool IsIdentity(const GammaChannel& c) {
    return c.gamma == 1.0f && c.floor == 0 && c.ceiling == 255;
}
bool IsIdentity(const GammaRecord& g) {
    return IsIdentity(g.red) && IsIdentity(g.green) && IsIdentity(g.blue);
}

// The flips' rectangle: a given one must lie inside the bitmap; null is the whole bitmap.
bool FlipArea(Surface* dest, const RECT* rect, RECT& out) {
    if (!rect) {
        dest->GetRect(&out);
        return true;
    }
    if (rect->left < 0 || rect->top < 0 || rect->right > dest->Width() ||
        rect->bottom > dest->Height())
        return false;
    out = *rect;
    return true;
}

// Recorded before the work, which `rows`(rectangle) does; an empty rectangle changes nothing.
template <class Rows>
std::int32_t Flip(Surface* dest, const RECT* rect, Rows rows) {
    RECT r;
    if (!FlipArea(dest, rect, r)) return 0;
    if (IsEmpty(r)) return 1;
    SetLastUpdated(r);
    rows(r);
    return 1;
}

std::int32_t FlipVertical(Surface* dest, const RECT* rect, int pixelSize) {
    return Flip(dest, rect, [&](const RECT& r) {
        const std::int32_t w = r.right - r.left;
        for (std::int32_t i = 0; i < (r.bottom - r.top) / 2; ++i) {
            std::uint8_t* a = BytesAt(dest, r.left, r.top + i, pixelSize);
            std::uint8_t* b = BytesAt(dest, r.left, r.bottom - 1 - i, pixelSize);
            if (pixelSize == 4)
                Slot<SwapKernel>(kWordSwapLine32)(reinterpret_cast<Pixel*>(a),
                                                  reinterpret_cast<Pixel*>(b), w);
            else
                Slot<SwapKernel8>(kWordSwapLine8)(a, b, w);
        }
    });
}

std::int32_t FlipHorizontal(Surface* dest, const RECT* rect, int pixelSize) {
    return Flip(dest, rect, [&](const RECT& r) {
        const std::int32_t w = r.right - r.left;
        for (std::int32_t y = r.top; y < r.bottom; ++y) {
            std::uint8_t* row = BytesAt(dest, r.left, y, pixelSize);
            if (pixelSize == 4)
                Slot<InPlaceKernel>(kWordReverseLine32)(reinterpret_cast<Pixel*>(row), w);
            else
                Slot<InPlaceKernel8>(kWordReverseLine8)(row, w);
        }
    });
}

std::int32_t AdjustGamma(Surface* dest, const GammaRecord* gamma, const RECT* rect, int word) {
    RECT r;
    if (!gamma || !ClipToClipRect(dest, rect, r)) return 0;
    if (IsIdentity(*gamma)) return 1;
    std::uint8_t table[kGammaTableSize];
    Slot<InitGammaKernel>(kWordInitGammaTable)(table, gamma);
    const GammaLineKernel apply = Slot<GammaLineKernel>(word);
    ForEachRow(dest, r, [&](Pixel* row, std::int32_t n) { apply(row, n, table); });
    Slot<ReleaseGammaKernel>(kWordReleaseGammaTable)(table);
    return 1;
}

// Words 21-24 work on the whole bitmap.
template <class RowOp>
std::int32_t WholeBitmap(Surface* dest, RowOp op) {
    const RECT whole = {0, 0, dest->Width(), dest->Height()};
    return ForEachRow(dest, whole, op);
}

}  // namespace

std::int32_t QMXGL_CALL FlipRectVertical(Surface* dest, const RECT* rect) {
    return FlipVertical(dest, rect, 4);
}
std::int32_t QMXGL_CALL FlipRectVertical8(Surface* dest, const RECT* rect) {
    return FlipVertical(dest, rect, 1);
}
std::int32_t QMXGL_CALL FlipRectHorizontal(Surface* dest, const RECT* rect) {
    return FlipHorizontal(dest, rect, 4);
}
std::int32_t QMXGL_CALL FlipRectHorizontal8(Surface* dest, const RECT* rect) {
    return FlipHorizontal(dest, rect, 1);
}

std::int32_t QMXGL_CALL GrayScaleRect(Surface* dest, const RECT* rect) {
    const InPlaceKernel grey = Slot<InPlaceKernel>(kWordGrayScaleLine);
    return ForEachClippedRow(dest, rect, [&](Pixel* row, std::int32_t n) { grey(row, n); });
}

std::int32_t QMXGL_CALL AdjustGammaRect(Surface* dest, const GammaRecord* gamma, const RECT* rect) {
    return AdjustGamma(dest, gamma, rect, kWordApplyGammaLine);
}
std::int32_t QMXGL_CALL AdjustGammaRectAdditiveAlpha(Surface* dest, const GammaRecord* gamma,
                                                     const RECT* rect) {
    return AdjustGamma(dest, gamma, rect, kWordApplyGammaLineAdditiveAlpha);
}

std::int32_t QMXGL_CALL ConvertAdditiveAlphaToAlphaRect(Surface* dest) {
    const InPlaceKernel k = Slot<InPlaceKernel>(kWordConvertAdditiveAlphaToAlphaLine);
    return WholeBitmap(dest, [&](Pixel* row, std::int32_t n) { k(row, n); });
}
std::int32_t QMXGL_CALL ConvertAlphaToAdditiveAlphaRect(Surface* dest) {
    const InPlaceKernel k = Slot<InPlaceKernel>(kWordConvertAlphaToAdditiveAlphaLine);
    return WholeBitmap(dest, [&](Pixel* row, std::int32_t n) { k(row, n); });
}
std::int32_t QMXGL_CALL BlendColorUnderRect(Surface* dest, std::uint32_t colour) {
    const ColourUnderKernel k = Slot<ColourUnderKernel>(kWordBlendColorUnderLine);
    return WholeBitmap(dest, [&](Pixel* row, std::int32_t n) { k(row, colour, n); });
}
std::int32_t QMXGL_CALL KeyColorToAlphaRect(Surface* dest, std::uint32_t key) {
    const ValueKernel k = Slot<ValueKernel>(kWordKeyColorToAlphaLine);
    return WholeBitmap(dest, [&](Pixel* row, std::int32_t n) { k(row, n, key); });
}

}  // namespace pixelops
