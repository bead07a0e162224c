// Operations only the pixel-operation library offers. Without it they refuse; with it each
// passes its arguments on and records what the library reports as drawn. The library reads as
// it writes, so a source that is this image itself is read from a copy.
#include "graphics/image/blend_draw.h"

namespace {

using namespace pixelops;

// Runs call (which answers whether the library drew) and marks what it drew.
template <class Call>
bool Library(Image& image, Call call) {
    ResetLastUpdated();
    if (!call()) return false;
    RECT drawn;
    if (LastUpdated(&drawn)) image.MarkChanged(drawn);
    return true;
}

// 1 no pixels, 2 not 32-bit or no library, -1 go on.
std::int32_t Ready32(Image& image, bool bound) {
    if (!image.Bits()) return 1;
    if (image.Depth() != 32 || !bound) return 2;
    return -1;
}

bool Source32(Surface* source) {
    BlitSource s;
    return DescribeSource(source, true, s) && s.depth == 32;
}

}  // namespace

std::int32_t Image::FillColourWithAlpha(std::uint32_t colour, std::uint8_t opacity,
                                        std::uint32_t additiveAlpha, const RECT* rect) {
    if (!m_bits) return 1;
    if (m_depth != 32) return 2;
    if (opacity == 0) return 0;
    auto op = BoundLibraryOp<FillRectColorWithAlphaOp>(kWordFillRectColorWithAlpha);
    if (!op) return 2;
    const RECT* area = rect ? rect : ClipRectPtr();
    return Library(*this, [&] { return op(this, colour, opacity, area, additiveAlpha) != 0; }) ? 0
                                                                                             : 3;
}

std::int32_t Image::SetAlpha(std::uint8_t alpha, const RECT* rect) {
    auto op = BoundLibraryOp<SetRectAlphaOp>(kWordSetRectAlpha);
    const std::int32_t ready = Ready32(*this, op != nullptr);
    if (ready >= 0) return ready;
    const RECT* area = rect ? rect : ClipRectPtr();
    return Library(*this, [&] { return op(this, alpha, area) != 0; }) ? 0 : 3;
}

namespace {

// The library's BlendRect clipped here to both clip rectangles first (the library clips to the
// bitmaps' sizes only); it gets a copy of the clipped rectangle, which it would otherwise
// change in place. 3 when nothing is left.
std::int32_t ClippedBlendRect(Image& dest, BlendRectOp op, Surface* source, std::int32_t mode,
                              std::uint8_t opacity, std::uint32_t holdAlpha, std::int32_t x,
                              std::int32_t y, const RECT& wanted) {
    if (dest.ClipBlit(source, x, y, &wanted, nullptr, nullptr, nullptr) != 0) return 3;
    Image copy;
    Surface* from = LibrarySource(dest, source, copy);
    if (!from) return 2;
    RECT rect = dest.BlitSourceRect();
    const POINT at = {dest.BlitDestRect().left, dest.BlitDestRect().top};
    return Library(dest,
                   [&] { return op(&dest, from, at.x, at.y, &rect, mode, opacity, holdAlpha) == 0; })
               ? 0
               : 3;
}

}  // namespace

std::int32_t Image::BlendRect(Surface* source, std::int32_t mode, std::uint8_t opacity,
                              std::uint32_t holdAlpha, std::int32_t x, std::int32_t y,
                              const RECT* sourceRect) {
    auto op = BoundLibraryOp<BlendRectOp>(kWordBlendRect);
    if (!m_bits || !source || !source->Bits()) return 1;
    if (m_depth != 32 || !Source32(source) || !op) return 2;
    return ClippedBlendRect(*this, op, source, mode, opacity, holdAlpha, x, y,
                            WantedSourceRect(source, sourceRect));
}

std::int32_t Image::StretchBlendRect(Surface* source, std::int32_t mode, std::int32_t stretchType,
                                     std::uint8_t opacity, std::uint32_t holdAlpha,
                                     const SIZE* size, std::int32_t x, std::int32_t y,
                                     const RECT* sourceRect) {
    auto op = BoundLibraryOp<StretchBlendRectOp>(kWordStretchBlendRect);
    auto blend = BoundLibraryOp<BlendRectOp>(kWordBlendRect);
    if (!m_bits || !source || !source->Bits()) return 1;
    if (m_depth != 32 || !Source32(source) || !op || !blend) return 2;
    RECT rect = WantedSourceRect(source, sourceRect);
    const SIZE whole = WholeOr(*this, size);
    const std::int64_t srcW = std::int64_t{rect.right} - rect.left;
    const std::int64_t srcH = std::int64_t{rect.bottom} - rect.top;
    // Unmirrored calls keep to both clip rectangles as the other blends do: equal sizes are an
    // unstretched blend, and a stretch whose source reaches beyond the source's clip rectangle
    // is refused, as the library's walk reads the whole source rectangle. Negative sizes and
    // inverted rectangles mirror in the library and go to it as they are.
    if (whole.cx > 0 && whole.cy > 0 && srcW > 0 && srcH > 0) {
        if (whole.cx == srcW && whole.cy == srcH)
            return ClippedBlendRect(*this, blend, source, mode, opacity, holdAlpha, x, y, rect);
        if (!LibraryCanStretch(source, rect)) return 3;
    }
    Image copy;
    Surface* from = LibrarySource(*this, source, copy);
    if (!from) return 2;
    const std::int32_t destSize[2] = {whole.cx, whole.cy};
    return Library(*this, [&] {
               return op(StretchBlendParams{this, from, destSize, x, y, &rect, mode, stretchType,
                                            opacity, static_cast<std::int32_t>(holdAlpha)}) == 0;
           })
               ? 0
               : 3;
}

std::int32_t Image::AffineBlendRect(Surface* source, const AffineBlendPoints* points,
                                    const RECT* sourceRect, std::int32_t mode,
                                    std::int32_t stretchType, std::uint8_t opacity,
                                    std::uint32_t holdAlpha, std::uint32_t fill,
                                    std::uint32_t fillValue, const RECT* clip) {
    auto op = BoundLibraryOp<AffineBlendRectOp>(kWordAffineBlendRect);
    if (!m_bits || !source || !source->Bits()) return 1;
    if (m_depth != 32 || !Source32(source) || !op) return 2;
    Image copy;
    Surface* from = LibrarySource(*this, source, copy);
    if (!from) return 2;
    return Library(*this, [&] {
               return op(this, from, points, sourceRect, mode, stretchType, opacity, holdAlpha,
                         fill, fillValue, clip) == 0;
           })
               ? 0
               : 3;
}

std::int32_t Image::AffineBlendRectMatrix(Surface* source, const double* matrix,
                                          const RECT* sourceRect, std::int32_t mode,
                                          std::int32_t stretchType, std::uint8_t opacity,
                                          std::uint32_t holdAlpha, std::uint32_t fill,
                                          std::uint32_t fillValue, const RECT* clip) {
    auto op = BoundLibraryOp<AffineBlendRectMatrixOp>(kWordAffineBlendRectMatrix);
    if (!m_bits || !source || !source->Bits()) return 1;
    if (m_depth != 32 || !Source32(source) || !op) return 2;
    Image copy;
    Surface* from = LibrarySource(*this, source, copy);
    if (!from) return 2;
    return Library(*this, [&] {
               return op(this, from, matrix, sourceRect, mode, stretchType, opacity, holdAlpha,
                         fill, fillValue, clip) == 0;
           })
               ? 0
               : 3;
}

std::int32_t Image::BoxBlur(std::int32_t radiusX, std::int32_t radiusY, const RECT* rect,
                            std::uint32_t withAlpha) {
    auto op = BoundLibraryOp<BoxBlurRectOp>(kWordBoxBlurRect);
    const std::int32_t ready = Ready32(*this, op != nullptr);
    if (ready >= 0) return ready;
    const RECT* area = rect ? rect : ClipRectPtr();
    return Library(*this, [&] { return op(this, radiusX, radiusY, area, withAlpha) != 0; }) ? 0
                                                                                           : 3;
}

std::int32_t Image::Flip(bool vertical, const RECT* rect) {
    const int word = vertical ? (m_depth == 8 ? kWordFlipRectVertical8 : kWordFlipRectVertical)
                              : (m_depth == 8 ? kWordFlipRectHorizontal8 : kWordFlipRectHorizontal);
    auto op = BoundLibraryOp<RectFilterOp>(word);
    if (!m_bits || !op) return 1;
    const RECT* area = rect ? rect : ClipRectPtr();
    return Library(*this, [&] { return op(this, area) != 0; }) ? 0 : 2;
}

std::int32_t Image::FlipVertical(const RECT* rect) { return Flip(true, rect); }

std::int32_t Image::FlipHorizontal(const RECT* rect) { return Flip(false, rect); }

bool Image::ConvertAdditiveAlpha(bool toAdditive) {
    auto op = BoundLibraryOp<WholeBitmapOp>(toAdditive ? kWordConvertAlphaToAdditiveAlphaRect
                                                       : kWordConvertAdditiveAlphaToAlphaRect);
    if (Ready32(*this, op != nullptr) >= 0) return false;
    return Library(*this, [&] { return op(this) != 0; });
}

bool Image::BlendColourUnder(std::uint32_t colour) {
    auto op = BoundLibraryOp<WholeBitmapColourOp>(kWordBlendColorUnderRect);
    if (Ready32(*this, op != nullptr) >= 0) return false;
    return Library(*this, [&] { return op(this, colour) != 0; });
}

bool Image::KeyColourToAlpha(std::uint32_t key) {
    auto op = BoundLibraryOp<WholeBitmapColourOp>(kWordKeyColorToAlphaRect);
    if (Ready32(*this, op != nullptr) >= 0) return false;
    return Library(*this, [&] { return op(this, key) != 0; });
}

std::int32_t Image::Crossfade(Surface* source1, Surface* source2, std::uint32_t ratio,
                              std::uint32_t method, std::int32_t x, std::int32_t y,
                              std::int32_t width, std::int32_t height, std::int32_t s1x,
                              std::int32_t s1y, std::int32_t s2x, std::int32_t s2y) {
    auto op = BoundLibraryOp<CrossfadeRectOp>(kWordCrossfadeRect);
    if (!m_bits || !source1 || !source1->Bits() || !source2 || !source2->Bits()) return 1;
    if (m_depth != 32 || !Source32(source1) || !Source32(source2) || !op) return 2;
    Image copy;
    Surface* from1 = LibrarySource(*this, source1, copy);
    Surface* from2 = LibrarySource(*this, source2, copy);
    if (!from1 || !from2) return 2;
    return Library(*this, [&] {
               return op(this, from1, from2, ratio, method, x, y, width, height, s1x, s1y,
                         s2x, s2y) == 0;
           })
               ? 0
               : 3;
}

std::int32_t Image::RuleTransition(Surface* source1, Surface* source2, Surface* rule,
                                   std::uint32_t ratio, std::int32_t vagueness,
                                   std::uint32_t method, std::int32_t x, std::int32_t y,
                                   std::int32_t width, std::int32_t height, std::int32_t s1x,
                                   std::int32_t s1y, std::int32_t s2x, std::int32_t s2y,
                                   std::int32_t rx, std::int32_t ry) {
    auto op = BoundLibraryOp<RuleTransitionRectOp>(kWordRuleTransitionRect);
    if (!m_bits || !source1 || !source1->Bits() || !source2 || !source2->Bits()) return 1;
    if (m_depth != 32 || !Source32(source1) || !Source32(source2) || !op) return 2;
    Image copy;
    Surface* from1 = LibrarySource(*this, source1, copy);
    Surface* from2 = LibrarySource(*this, source2, copy);
    Surface* fromRule = LibrarySource(*this, rule, copy);
    if (!from1 || !from2 || (rule && !fromRule)) return 2;
    return Library(*this, [&] {
               return op(this, from1, from2, fromRule, ratio, vagueness, method, x, y, width,
                         height, s1x, s1y, s2x, s2y, rx, ry) == 0;
           })
               ? 0
               : 3;
}
