// The fills: solid, colour-only, blended, additive and subtractive, and gradients. The solid
// and colour fills run as library operations while the pixel-operation library is bound.
#include <cstring>

#include "graphics/compose/blit_clip.h"
#include "graphics/compose/gradient_table.h"
#include "graphics/image/copy_kernels.h"
#include "graphics/image/effect_kernels.h"
#include "graphics/image/image.h"
#include "graphics/image/kernel_form.h"
#include "graphics/image/library_calls.h"
#include "graphics/image/pixel_area.h"
#include "pixelops/interfaces/pixel_op_rect_operations.h"
#include "pixelops/interfaces/pixel_op_words.h"

namespace {

std::uint32_t ColourOf(std::int32_t r, std::int32_t g, std::int32_t b) {
    return ((static_cast<std::uint32_t>(r) & 0xFF) << 16) |
           ((static_cast<std::uint32_t>(g) & 0xFF) << 8) | (static_cast<std::uint32_t>(b) & 0xFF);
}

// {x, y, x + w, y + h} with the sums taken in 64 bits: script numbers near the ends of the
// range must give a rectangle that still lies where they point, not one that wrapped.
RECT RectOf(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
    return RECT{x, y, NarrowToLong(static_cast<std::int64_t>(x) + w),
                NarrowToLong(static_cast<std::int64_t>(y) + h)};
}

// Runs a library fill and hands on what it drew; false when it drew nothing.
template <class Call>
bool LibraryFill(Call call, RECT* changed) {
    ResetLastUpdated();
    RECT drawn;
    const bool answer = call() != 0;
    if (!LastUpdated(&drawn)) return false;
    if (changed) *changed = drawn;
    return answer;
}

}  // namespace

bool PixelBuffer::FillRect(std::uint32_t value1, std::int32_t g, std::int32_t b,
                           const RECT* rect, RECT* changed) {
    if (!m_bits || (m_depth != 8 && m_depth != 32)) return false;
    if (CurrentPixelOpLibrary()) {
        if (m_depth == 8) {
            auto fill = BoundLibraryOp<pixelops::FillRect8Op>(pixelops::kWordFillRect8);
            return LibraryFill([&] { return fill(this, value1 & 0xFF, rect); }, changed);
        }
        auto fill = BoundLibraryOp<pixelops::FillRectArgbOp>(pixelops::kWordFillRectArgb);
        const std::uint32_t colour = ColourOf(static_cast<std::int32_t>(value1), g, b);
        return LibraryFill([&] { return fill(this, colour, rect); }, changed);
    }
    RECT area = rect ? *rect : m_clipRect;
    if (!ClipToClipRect(&area)) return false;
    if (m_depth == 8) {
        for (std::int32_t y = area.top; y < area.bottom; ++y)
            std::memset(m_bits + static_cast<std::ptrdiff_t>(y) * m_pitch + area.left,
                        static_cast<int>(value1 & 0xFF), area.right - area.left);
    } else {
        const PixelArea32 a(*this, area);
        KernelFill32(a.first, a.skip, a.width, a.height,
                     ColourOf(static_cast<std::int32_t>(value1), g, b));
    }
    if (changed) *changed = area;
    return true;
}

bool PixelBuffer::FillValue(std::uint32_t pixel, const RECT* rect, RECT* changed) {
    if (!m_bits || m_depth != 32) return false;
    if (auto fill = BoundLibraryOp<pixelops::FillRectArgbOp>(pixelops::kWordFillRectArgb))
        return LibraryFill([&] { return fill(this, pixel, rect); }, changed);
    RECT area = rect ? *rect : m_clipRect;
    if (!ClipToClipRect(&area)) return false;
    const PixelArea32 a(*this, area);
    KernelFill32(a.first, a.skip, a.width, a.height, pixel);
    if (changed) *changed = area;
    return true;
}

bool Image::ClipToOperation(const RECT* rect, RECT* out) {
    *out = rect ? *rect : m_clipRect;
    return ClipToClipRect(out);
}

bool Image::FillRect(std::int32_t r, std::int32_t g, std::int32_t b, const RECT* rect) {
    RECT changed;
    if (!PixelBuffer::FillRect(static_cast<std::uint32_t>(r), g, b, rect, &changed)) return false;
    MarkChanged(changed);
    return true;
}

bool Image::FillRectXywh(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                         std::int32_t r, std::int32_t g, std::int32_t b) {
    const RECT rect = RectOf(x, y, w, h);
    return FillRect(r, g, b, &rect);
}

bool Image::FillValue(std::uint32_t pixel, const RECT* rect) {
    RECT changed;
    if (!PixelBuffer::FillValue(pixel, rect, &changed)) return false;
    MarkChanged(changed);
    return true;
}

bool Image::FillValueXywh(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                          std::uint32_t pixel) {
    const RECT rect = RectOf(x, y, w, h);
    return FillValue(pixel, &rect);
}

bool Image::FillColourKeepAlpha(std::int32_t r, std::int32_t g, std::int32_t b,
                                const RECT* rect) {
    if (!m_bits || m_depth != 32) return false;
    const std::uint32_t colour = ColourOf(r, g, b);
    RECT changed;
    if (auto fill = BoundLibraryOp<pixelops::FillRectColorOp>(pixelops::kWordFillRectColor)) {
        if (!LibraryFill([&] { return fill(this, colour, 255, rect); }, &changed)) return false;
    } else {
        if (!ClipToOperation(rect, &changed)) return false;
        const PixelArea32 a(*this, changed);
        (UseMmxKernels() ? KernelFillColourKeepAlphaMmx : KernelFillColourKeepAlpha)(
            a.first, a.skip, a.width, a.height, colour);
    }
    MarkChanged(changed);
    return true;
}

std::int32_t Image::FillAlpha(std::int32_t r, std::int32_t g, std::int32_t b,
                              std::uint8_t opacity, const RECT* rect) {
    if (!m_bits || m_depth != 32) return 1;
    if (opacity == 0) return 0;
    RECT area;
    // Clipped here for both paths: the library answers false for an empty area too, which is
    // nothing to do, not a refusal.
    if (!ClipToOperation(rect, &area)) return 0;
    if (auto fill = BoundLibraryOp<pixelops::FillRectColorOp>(pixelops::kWordFillRectColor)) {
        RECT changed;
        if (!LibraryFill([&] { return fill(this, ColourOf(r, g, b), opacity, &area); },
                         &changed)) {
            return 2;
        }
        MarkChanged(changed);
        return 0;
    }
    const PixelArea32 a(*this, area);
    const auto rr = static_cast<std::uint8_t>(r);
    const auto gg = static_cast<std::uint8_t>(g);
    const auto bb = static_cast<std::uint8_t>(b);
    if (m_colourKey != -1) {
        KernelBlendColourKeyed(a.first, a.pitch, a.width, a.height, opacity, rr, gg, bb,
                               static_cast<std::uint32_t>(m_colourKey));
    } else {
        KernelBlendColour(a.first, a.pitch, a.width, a.height, opacity, rr, gg, bb);
    }
    MarkChanged(area);
    return 0;
}

struct SaturatingKernels {
    void (*plain)(std::uint32_t*, std::int32_t, std::int32_t, std::int32_t, std::uint32_t);
    void (*mmx)(std::uint32_t*, std::int32_t, std::int32_t, std::int32_t, std::uint32_t);
    void (*keyed)(std::uint32_t*, std::int32_t, std::int32_t, std::int32_t, std::uint32_t,
                  std::uint32_t);
    void (*keyedMmx)(std::uint32_t*, std::int32_t, std::int32_t, std::int32_t, std::uint32_t,
                     std::uint32_t);
};

std::int32_t Image::FillSaturating(std::int32_t r, std::int32_t g, std::int32_t b,
                                   const RECT* rect, const SaturatingKernels& kernels) {
    if (!m_bits || m_depth != 32) return 1;
    const std::uint32_t colour = ColourOf(r, g, b);
    RECT area;
    if (colour == 0 || !ClipToOperation(rect, &area)) return 0;
    const PixelArea32 a(*this, area);
    const bool mmx = UseMmxKernels();
    if (m_colourKey != -1) {
        (mmx ? kernels.keyedMmx : kernels.keyed)(a.first, a.skip, a.width, a.height, colour,
                                                 static_cast<std::uint32_t>(m_colourKey));
    } else {
        (mmx ? kernels.mmx : kernels.plain)(a.first, a.skip, a.width, a.height, colour);
    }
    MarkChanged(area);
    return 0;
}

std::int32_t Image::FillAdd(std::int32_t r, std::int32_t g, std::int32_t b, const RECT* rect) {
    return FillSaturating(r, g, b, rect,
                          SaturatingKernels{KernelAddColour, KernelAddColourMmx,
                                            KernelAddColourKeyed, KernelAddColourKeyedMmx});
}

std::int32_t Image::FillSubtract(std::int32_t r, std::int32_t g, std::int32_t b,
                                 const RECT* rect) {
    return FillSaturating(r, g, b, rect,
                          SaturatingKernels{KernelSubColour, KernelSubColourMmx,
                                            KernelSubColourKeyed, KernelSubColourKeyedMmx});
}

std::int32_t Image::FillGradient(std::uint8_t direction, std::uint32_t colourFrom,
                                 std::uint32_t colourTo, const RECT* rect) {
    if (!m_bits) return 1;
    if (direction > 1) return 3;
    RECT area;
    if (!ClipToOperation(rect, &area)) return 0;
    const std::int32_t width = area.right - area.left;
    const std::int32_t height = area.bottom - area.top;
    GradientTable table;
    if (table.Build(direction == 1 ? height : width, static_cast<std::int32_t>(colourFrom),
                    static_cast<std::int32_t>(colourTo), m_depth) != 0) {
        return 2;
    }
    const std::int32_t bytes = m_depth / 8;
    const auto* entries = static_cast<const std::uint8_t*>(table.Entries());
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint8_t* row = Row(area.top + y) + area.left * bytes;
        if (direction == 0) {
            std::memcpy(row, entries, static_cast<std::size_t>(width) * bytes);
        } else if (m_depth == 8) {
            std::memset(row, entries[y], width);
        } else {
            std::uint32_t value;
            std::memcpy(&value, entries + y * 4, 4);
            KernelFill32(reinterpret_cast<std::uint32_t*>(row), 0, width, 1, value);
        }
    }
    m_colourKey = -1;
    MarkChanged(area);
    return 0;
}
