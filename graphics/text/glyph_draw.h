// The per-glyph primitives of the fonts: each clips the glyph box at (x, y) against the
// target's size (the glyph source moving with the clipped edges), draws, and answers the
// clipped rectangle (empty when nothing was drawn). Colours are 0x00RRGGBB.
#pragma once

#include <windows.h>

#include <cstdint>

#include "graphics/text/glyph.h"

class PixelBuffer;

// Which way a gradient runs across the glyphs: none, one entry per row, one per column.
enum class GradientMode : std::uint8_t { None, Rows, Columns };

struct GradientSource {
    GradientMode mode;
    const std::uint32_t* entries;
    std::int32_t count;
    std::int32_t cellHeight;  // |lfHeight|, for the column start
};

// level 0: pixel (or byte) = colour where coverage >= 128.
RECT DrawGlyphThreshold(PixelBuffer& target, std::int32_t x, std::int32_t y, const Glyph& glyph,
                        std::uint32_t colour);
// Coverage blend of R, G, B towards the colour; alpha kept. 8-bit targets blend index values.
RECT DrawGlyphCoverage(PixelBuffer& target, std::int32_t x, std::int32_t y, const Glyph& glyph,
                       std::uint32_t colour);
// Composited over the pixel's own alpha (32-bit only).
RECT DrawGlyphOver(PixelBuffer& target, std::int32_t x, std::int32_t y, const Glyph& glyph,
                   std::uint32_t colour);
// The gradient forms (32-bit only): threshold, blend, or over.
enum class GradientDraw : std::uint8_t { Threshold, Blend, Over };
RECT DrawGlyphGradient(PixelBuffer& target, std::int32_t x, std::int32_t y, const Glyph& glyph,
                       const GradientSource& gradient, GradientDraw how);
// The whole box set to gradient entries (coverage ignored), or to one colour.
RECT FillGlyphBoxGradient(PixelBuffer& target, std::int32_t x, std::int32_t y, const Glyph& glyph,
                          const GradientSource& gradient);
RECT FillGlyphBox(PixelBuffer& target, std::int32_t x, std::int32_t y, const Glyph& glyph,
                  std::uint32_t colour);
// R, G, B = colour where the coverage is nonzero; alpha kept.
RECT PaintGlyphColour(PixelBuffer& target, std::int32_t x, std::int32_t y, const Glyph& glyph,
                      std::uint32_t colour);
// Coverage into the alpha byte: copied, or screened over the alpha there.
RECT GlyphToAlpha(PixelBuffer& target, std::int32_t x, std::int32_t y, const Glyph& glyph,
                  bool screen);

void UniteRect(RECT* total, const RECT& part);
