#include "graphics/text/glyph_draw.h"

#include <algorithm>

#include "graphics/compose/blend_tables.h"
#include "graphics/image/copy_kernels.h"
#include "graphics/image/effect_kernels.h"
#include "graphics/image/gradient_kernels.h"
#include "graphics/image/kernel_form.h"
#include "graphics/image/pixel_buffer.h"

namespace {

// The part of a glyph at (x, y) inside the target, and where it starts in the glyph.
struct GlyphClip {
    RECT rect;
    std::int32_t srcX;
    std::int32_t srcY;
    std::int32_t Width() const { return rect.right - rect.left; }
    std::int32_t Height() const { return rect.bottom - rect.top; }
};

bool Clip(PixelBuffer& target, std::int32_t x, std::int32_t y, const Glyph& glyph,
          GlyphClip* clip) {
    clip->rect = {x, y, x, y};
    if (glyph.bits == nullptr || target.Bits() == nullptr) {
        return false;
    }
    const std::int32_t left = std::max(x, 0);
    const std::int32_t top = std::max(y, 0);
    const std::int32_t right = std::min(x + glyph.width, target.Width());
    const std::int32_t bottom = std::min(y + glyph.height, target.Height());
    if (left >= right || top >= bottom) {
        return false;
    }
    clip->rect = {left, top, right, bottom};
    clip->srcX = left - x;
    clip->srcY = top - y;
    return true;
}

const std::uint8_t* Coverage(const Glyph& glyph, const GlyphClip& clip) {
    return glyph.bits + clip.srcY * glyph.pitch + clip.srcX;
}

std::uint32_t* Pixels(PixelBuffer& target, const GlyphClip& clip) {
    return reinterpret_cast<std::uint32_t*>(target.Row(clip.rect.top)) + clip.rect.left;
}

// Runs f(pixel, coverage) over the clipped box of a 32-bit target.
template <typename F>
RECT Each32(PixelBuffer& target, std::int32_t x, std::int32_t y, const Glyph& glyph, F f) {
    GlyphClip clip;
    if (!Clip(target, x, y, glyph, &clip) || target.Depth() != 32) {
        return {x, y, x, y};
    }
    for (std::int32_t r = 0; r < clip.Height(); ++r) {
        std::uint32_t* d = reinterpret_cast<std::uint32_t*>(target.Row(clip.rect.top + r)) +
                           clip.rect.left;
        const std::uint8_t* c = Coverage(glyph, clip) + r * glyph.pitch;
        for (std::int32_t i = 0; i < clip.Width(); ++i) {
            f(d[i], c[i], clip.srcY + r, clip.srcX + i);
        }
    }
    return clip.rect;
}

const std::uint8_t* IdentityRow() {
    // M[255][c] = c: the multiply row of full opacity.
    return g_blendTables.multiply[255];
}

// The first entry and the number of glyph rows (columns) the gradient covers.
bool GradientSpan(const GradientSource& g, const Glyph& glyph, std::int32_t* start,
                  std::int32_t* span) {
    if (g.entries == nullptr || g.count <= 0) {
        return false;
    }
    const std::int32_t extent = g.mode == GradientMode::Rows ? glyph.height : glyph.width;
    const std::int32_t origin = g.mode == GradientMode::Rows
                                    ? std::abs(glyph.y)
                                    : std::abs(-g.cellHeight - glyph.x);
    *span = std::min(extent, g.count);
    *start = std::min(origin, g.count - *span);
    return true;
}

}  // namespace

void UniteRect(RECT* total, const RECT& part) {
    if (part.left >= part.right || part.top >= part.bottom) {
        return;
    }
    if (total->left >= total->right || total->top >= total->bottom) {
        *total = part;
        return;
    }
    total->left = std::min(total->left, part.left);
    total->top = std::min(total->top, part.top);
    total->right = std::max(total->right, part.right);
    total->bottom = std::max(total->bottom, part.bottom);
}

RECT DrawGlyphThreshold(PixelBuffer& target, std::int32_t x, std::int32_t y, const Glyph& glyph,
                        std::uint32_t colour) {
    GlyphClip clip;
    if (!Clip(target, x, y, glyph, &clip)) {
        return clip.rect;
    }
    for (std::int32_t r = 0; r < clip.Height(); ++r) {
        const std::uint8_t* c = Coverage(glyph, clip) + r * glyph.pitch;
        std::uint8_t* row = target.Row(clip.rect.top + r);
        for (std::int32_t i = 0; i < clip.Width(); ++i) {
            if (c[i] < 128) {
                continue;
            }
            if (target.Depth() == 32) {
                reinterpret_cast<std::uint32_t*>(row)[clip.rect.left + i] = colour & 0xFFFFFF;
            } else {
                row[clip.rect.left + i] = static_cast<std::uint8_t>(colour >> 16);
            }
        }
    }
    return clip.rect;
}

RECT DrawGlyphCoverage(PixelBuffer& target, std::int32_t x, std::int32_t y, const Glyph& glyph,
                       std::uint32_t colour) {
    GlyphClip clip;
    if (!Clip(target, x, y, glyph, &clip)) {
        return clip.rect;
    }
    if (target.Depth() != 32) {
        const std::uint32_t red = (colour >> 16) & 0xFF;
        for (std::int32_t r = 0; r < clip.Height(); ++r) {
            const std::uint8_t* c = Coverage(glyph, clip) + r * glyph.pitch;
            std::uint8_t* d = target.Row(clip.rect.top + r) + clip.rect.left;
            for (std::int32_t i = 0; i < clip.Width(); ++i) {
                d[i] = static_cast<std::uint8_t>((d[i] * (255 - c[i]) + 127) / 255 +
                                                 (red * c[i] + 127) / 255);
            }
        }
        return clip.rect;
    }
    const std::int32_t dstSkip = target.Pitch() - 4 * clip.Width();
    const std::int32_t maskSkip = glyph.pitch - clip.Width();
    (UseMmxKernels() ? KernelMaskBlendColourMmx : KernelMaskBlendColour)(
        Pixels(target, clip), Coverage(glyph, clip), dstSkip, maskSkip, clip.Width(),
        clip.Height(), colour & 0xFFFFFF, IdentityRow());
    return clip.rect;
}

RECT DrawGlyphOver(PixelBuffer& target, std::int32_t x, std::int32_t y, const Glyph& glyph,
                   std::uint32_t colour) {
    GlyphClip clip;
    if (target.Depth() != 32 || !Clip(target, x, y, glyph, &clip)) {
        return {x, y, x, y};
    }
    const std::int32_t dstSkip = target.Pitch() - 4 * clip.Width();
    const std::int32_t maskSkip = glyph.pitch - clip.Width();
    (UseMmxKernels() ? KernelMaskColourOverAlphaMmx : KernelMaskColourOverAlpha)(
        Pixels(target, clip), Coverage(glyph, clip), dstSkip, maskSkip, clip.Width(),
        clip.Height(), colour & 0xFFFFFF, IdentityRow());
    return clip.rect;
}

RECT DrawGlyphGradient(PixelBuffer& target, std::int32_t x, std::int32_t y, const Glyph& glyph,
                       const GradientSource& gradient, GradientDraw how) {
    std::int32_t start = 0;
    std::int32_t span = 0;
    if (target.Depth() != 32 || !GradientSpan(gradient, glyph, &start, &span)) {
        return {x, y, x, y};
    }
    // Rows or columns beyond the table are not drawn.
    Glyph limited = glyph;
    if (gradient.mode == GradientMode::Rows) {
        limited.height = span;
    } else {
        limited.width = span;
    }
    GlyphClip clip;
    if (!Clip(target, x, y, limited, &clip)) {
        return clip.rect;
    }
    const bool rows = gradient.mode == GradientMode::Rows;
    const std::uint32_t* first = gradient.entries + start + (rows ? clip.srcY : clip.srcX);
    if (how == GradientDraw::Threshold) {
        return Each32(target, x, y, limited,
                      [&](std::uint32_t& d, std::uint8_t c, std::int32_t r, std::int32_t col) {
                          if (c >= 128) {
                              d = gradient.entries[start + (rows ? r : col)];
                          }
                      });
    }
    const bool mmx = UseMmxKernels();
    const std::int32_t w = clip.Width();
    const std::int32_t dstStep = mmx ? target.Pitch() - 4 * w : target.Pitch();
    const std::int32_t covStep = mmx ? glyph.pitch - w : glyph.pitch;
    using Kernel = void (*)(std::uint32_t*, const std::uint8_t*, std::int32_t, std::int32_t,
                            std::int32_t, std::int32_t, const std::uint32_t*,
                            const std::uint8_t*);
    static const Kernel kernels[2][2][2] = {
        {{KernelGradientBlendColumns, KernelGradientBlendColumnsMmx},
         {KernelGradientBlendRows, KernelGradientBlendRowsMmx}},
        {{KernelGradientOverColumns, KernelGradientOverColumnsMmx},
         {KernelGradientOverRows, KernelGradientOverRowsMmx}}};
    kernels[how == GradientDraw::Over][rows][mmx](Pixels(target, clip), Coverage(glyph, clip),
                                                   dstStep, covStep, w, clip.Height(), first,
                                                   IdentityRow());
    return clip.rect;
}

RECT FillGlyphBoxGradient(PixelBuffer& target, std::int32_t x, std::int32_t y, const Glyph& glyph,
                          const GradientSource& gradient) {
    std::int32_t start = 0;
    std::int32_t span = 0;
    if (!GradientSpan(gradient, glyph, &start, &span)) {
        return {x, y, x, y};
    }
    const bool rows = gradient.mode == GradientMode::Rows;
    Glyph limited = glyph;
    (rows ? limited.height : limited.width) = span;
    return Each32(target, x, y, limited,
                  [&](std::uint32_t& d, std::uint8_t, std::int32_t r, std::int32_t c) {
                      d = gradient.entries[start + (rows ? r : c)];
                  });
}

RECT FillGlyphBox(PixelBuffer& target, std::int32_t x, std::int32_t y, const Glyph& glyph,
                  std::uint32_t colour) {
    return Each32(target, x, y, glyph,
                  [&](std::uint32_t& d, std::uint8_t, std::int32_t, std::int32_t) {
                      d = colour & 0xFFFFFF;
                  });
}

RECT PaintGlyphColour(PixelBuffer& target, std::int32_t x, std::int32_t y, const Glyph& glyph,
                      std::uint32_t colour) {
    return Each32(target, x, y, glyph,
                  [&](std::uint32_t& d, std::uint8_t c, std::int32_t, std::int32_t) {
                      if (c != 0) {
                          d = (d & 0xFF000000u) | (colour & 0xFFFFFF);
                      }
                  });
}

RECT GlyphToAlpha(PixelBuffer& target, std::int32_t x, std::int32_t y, const Glyph& glyph,
                  bool screen) {
    GlyphClip clip;
    if (target.Depth() != 32 || !Clip(target, x, y, glyph, &clip)) {
        return {x, y, x, y};
    }
    const std::int32_t dstSkip = target.Pitch() - 4 * clip.Width();
    const std::int32_t maskSkip = glyph.pitch - clip.Width();
    (screen ? KernelMaskToAlphaScreen : KernelMaskToAlpha)(Pixels(target, clip),
                                                           Coverage(glyph, clip), dstSkip,
                                                           maskSkip, clip.Width(), clip.Height());
    return clip.rect;
}
