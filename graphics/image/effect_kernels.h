// Row kernels behind the image fills, colour operations and effects, the blend dispatchers,
// the smooth zoom and the glyph drawing.
//
// Rectangle kernels take (destination, skip, width, height, ...), a few the row pitch instead
// of the skip (said below); two-image kernels take (destination, source, destination skip,
// source skip, width, height, ...). Width and height are at least 1. Keyed forms skip
// destination pixels whose whole 32-bit value equals the key.
//
// Weights: w(a) is 0 for a = 0 and a + 1 otherwise. To blend d towards s by w means
// d + floor((s - d) * w / 256) for blue, green and red; the alpha byte stays unless a kernel
// says otherwise. A "row R" is a 256-byte level table, usually the multiply row of an opacity.
//
// Every Mmx kernel gives the pixels of its plain twin.
#pragma once

#include <cstdint>

#include "graphics/image/bilinear_step.h"
#include "graphics/image/stretch_step.h"

// Colour and effect kernels (32-bit rectangles).
void KernelAddColour(std::uint32_t* dst, std::int32_t skip, std::int32_t width, std::int32_t height,
                     std::uint32_t colour);
void KernelAddColourMmx(std::uint32_t* dst, std::int32_t skip, std::int32_t width,
                        std::int32_t height, std::uint32_t colour);
void KernelAddColourKeyed(std::uint32_t* dst, std::int32_t skip, std::int32_t width,
                          std::int32_t height, std::uint32_t colour, std::uint32_t key);
void KernelAddColourKeyedMmx(std::uint32_t* dst, std::int32_t skip, std::int32_t width,
                             std::int32_t height, std::uint32_t colour, std::uint32_t key);
void KernelSubColour(std::uint32_t* dst, std::int32_t skip, std::int32_t width, std::int32_t height,
                     std::uint32_t colour);
void KernelSubColourMmx(std::uint32_t* dst, std::int32_t skip, std::int32_t width,
                        std::int32_t height, std::uint32_t colour);
void KernelSubColourKeyed(std::uint32_t* dst, std::int32_t skip, std::int32_t width,
                          std::int32_t height, std::uint32_t colour, std::uint32_t key);
void KernelSubColourKeyedMmx(std::uint32_t* dst, std::int32_t skip, std::int32_t width,
                             std::int32_t height, std::uint32_t colour, std::uint32_t key);
// Grey (77 red + 150 green + 29 blue) >> 8 into the three colour bytes; alpha kept.
void KernelGreyscale(std::uint32_t* dst, std::int32_t skip, std::int32_t width,
                     std::int32_t height);
void KernelGreyscaleMmx(std::uint32_t* dst, std::int32_t skip, std::int32_t width,
                        std::int32_t height);
void KernelGreyscaleKeyed(std::uint32_t* dst, std::int32_t skip, std::int32_t width,
                          std::int32_t height, std::uint32_t key);
// Each channel becomes ((factor * channel) >> 7) + offset, clamped to 0..255; alpha kept.
void KernelColourBalance(std::uint32_t* dst, std::int32_t skip, std::int32_t width,
                         std::int32_t height, std::int32_t rFactor, std::int32_t gFactor,
                         std::int32_t bFactor, std::int32_t rOffset, std::int32_t gOffset,
                         std::int32_t bOffset);
void KernelColourBalanceMmx(std::uint32_t* dst, std::int32_t skip, std::int32_t width,
                            std::int32_t height, std::int32_t rFactor, std::int32_t gFactor,
                            std::int32_t bFactor, std::int32_t rOffset, std::int32_t gOffset,
                            std::int32_t bOffset);
void KernelColourBalanceKeyed(std::uint32_t* dst, std::int32_t skip, std::int32_t width,
                              std::int32_t height, std::int32_t rFactor, std::int32_t gFactor,
                              std::int32_t bFactor, std::int32_t rOffset, std::int32_t gOffset,
                              std::int32_t bOffset, std::uint32_t key);
// XOR with 0x00FFFFFF (mode 0), 0xFFFFFFFF (mode 1) or 0xFF000000 (any other mode).
void KernelInvert(std::uint32_t* dst, std::int32_t skip, std::int32_t width, std::int32_t height,
                  std::int32_t mode);
void KernelInvertMmx(std::uint32_t* dst, std::int32_t skip, std::int32_t width, std::int32_t height,
                     std::int32_t mode);
void KernelInvertKeyed(std::uint32_t* dst, std::int32_t skip, std::int32_t width,
                       std::int32_t height, std::int32_t mode, std::uint32_t key);
// 3 x 3 blur in place; mode 0 and 1 add the channels with their low three bits cleared (mode 1
// then adds 7 to each), any other mode is exact; the alpha byte becomes 0. 0 done; 1 an area
// below 4 x 4 or a skip or pitch that is not a multiple of 4; 2 no memory.
std::int32_t KernelBlur3x3(std::uint32_t* dst, std::int32_t skip, std::int32_t pitch,
                           std::int32_t width, std::int32_t height, std::int32_t mode);
// Cells take the colour of their top-left pixel; alignment as KernelPlaneMosaic.
void KernelMosaic(std::uint32_t* dst, std::int32_t skip, std::int32_t pitch, std::int32_t width,
                  std::int32_t height, std::int32_t cellSize, std::int32_t alignment);

// Each colour byte c becomes M[level][c] (M the multiply blend table); takes the pitch.
void KernelScaleColour(std::uint32_t* dst, std::int32_t pitch, std::int32_t width,
                       std::int32_t height, std::uint8_t level);
// Each colour byte c becomes M[255 - a][c] + M[colour byte][a]; takes the pitch.
void KernelBlendColour(std::uint32_t* dst, std::int32_t pitch, std::int32_t width,
                       std::int32_t height, std::uint8_t a, std::uint8_t r, std::uint8_t g,
                       std::uint8_t b);
void KernelBlendColourKeyed(std::uint32_t* dst, std::int32_t pitch, std::int32_t width,
                            std::int32_t height, std::uint8_t a, std::uint8_t r, std::uint8_t g,
                            std::uint8_t b, std::uint32_t key);

// Mask and blend kernels. Mask kernels read an 8-bit mask m and weigh by w(R[m]).
void KernelMaskBlendColour(std::uint32_t* dst, const std::uint8_t* mask, std::int32_t dstSkip,
                           std::int32_t maskSkip, std::int32_t width, std::int32_t height,
                           std::uint32_t colour, const std::uint8_t* row);
void KernelMaskBlendColourMmx(std::uint32_t* dst, const std::uint8_t* mask, std::int32_t dstSkip,
                              std::int32_t maskSkip, std::int32_t width, std::int32_t height,
                              std::uint32_t colour, const std::uint8_t* row);
void KernelMaskAddColour(std::uint32_t* dst, const std::uint8_t* mask, std::int32_t dstSkip,
                         std::int32_t maskSkip, std::int32_t width, std::int32_t height,
                         std::uint32_t colour, const std::uint8_t* row);
void KernelMaskAddColourMmx(std::uint32_t* dst, const std::uint8_t* mask, std::int32_t dstSkip,
                            std::int32_t maskSkip, std::int32_t width, std::int32_t height,
                            std::uint32_t colour, const std::uint8_t* row);
void KernelMaskSubColour(std::uint32_t* dst, const std::uint8_t* mask, std::int32_t dstSkip,
                         std::int32_t maskSkip, std::int32_t width, std::int32_t height,
                         std::uint32_t colour, const std::uint8_t* row);
void KernelMaskSubColourMmx(std::uint32_t* dst, const std::uint8_t* mask, std::int32_t dstSkip,
                            std::int32_t maskSkip, std::int32_t width, std::int32_t height,
                            std::uint32_t colour, const std::uint8_t* row);
// d + floor(s * w(opacity) / 256) per colour byte, saturating; and the subtracting twin.
void KernelAddOpacity(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                      std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                      std::uint8_t opacity);
void KernelAddOpacityMmx(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                         std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                         std::uint8_t opacity);
void KernelSubOpacity(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                      std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                      std::uint8_t opacity);
void KernelSubOpacityMmx(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                         std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                         std::uint8_t opacity);

// Source-alpha blends through a row R: blend towards s by w(R[source alpha]); add or subtract
// floor(s * w(R[source alpha]) / 256), saturating.
#define EFFECT_TABLE_KERNEL(name)                                                                \
    void Kernel##name(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,        \
                      std::int32_t srcSkip, std::int32_t width, std::int32_t height,             \
                      const std::uint8_t* row);                                                  \
    void KernelStretch##name(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip, \
                             std::int32_t srcPitch, std::int32_t width, std::int32_t height,     \
                             const StretchStep& step, const std::uint8_t* row);
// KernelAlphaBlendTable, KernelStretchAlphaBlendTable and their Mmx forms; the same for
// AddBlendTable and SubBlendTable.
EFFECT_TABLE_KERNEL(AlphaBlendTable)
EFFECT_TABLE_KERNEL(AlphaBlendTableMmx)
EFFECT_TABLE_KERNEL(AddBlendTable)
EFFECT_TABLE_KERNEL(AddBlendTableMmx)
EFFECT_TABLE_KERNEL(SubBlendTable)
EFFECT_TABLE_KERNEL(SubBlendTableMmx)
#undef EFFECT_TABLE_KERNEL

// Source over a destination with alpha: with a = R[source alpha] and the destination alpha
// da, blend towards s by w(sourceWeight[da][a]); the alpha becomes screen[da][a]. (Not the
// constant-opacity KernelBlendOpacityMmx of the mix kernels.)
void KernelBlendOpacityOverAlpha(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                                 std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                                 const std::uint8_t* row);
void KernelBlendOpacityOverAlphaMmx(std::uint32_t* dst, const std::uint32_t* src,
                                    std::int32_t dstSkip, std::int32_t srcSkip, std::int32_t width,
                                    std::int32_t height, const std::uint8_t* row);
void KernelStretchBlendOpacityOverAlpha(std::uint32_t* dst, const std::uint32_t* src,
                                        std::int32_t dstSkip, std::int32_t srcPitch,
                                        std::int32_t width, std::int32_t height,
                                        const StretchStep& step, const std::uint8_t* row);
void KernelStretchBlendOpacityOverAlphaMmx(std::uint32_t* dst, const std::uint32_t* src,
                                           std::int32_t dstSkip, std::int32_t srcPitch,
                                           std::int32_t width, std::int32_t height,
                                           const StretchStep& step, const std::uint8_t* row);
// A colour through an 8-bit mask over a destination with alpha: a = R[mask byte], then as
// KernelBlendOpacityOverAlpha with the colour as the source.
void KernelMaskColourOverAlpha(std::uint32_t* dst, const std::uint8_t* mask, std::int32_t dstSkip,
                               std::int32_t maskSkip, std::int32_t width, std::int32_t height,
                               std::uint32_t colour, const std::uint8_t* row);
void KernelMaskColourOverAlphaMmx(std::uint32_t* dst, const std::uint8_t* mask,
                                  std::int32_t dstSkip, std::int32_t maskSkip, std::int32_t width,
                                  std::int32_t height, std::uint32_t colour,
                                  const std::uint8_t* row);

// Rule blends: v is the rule byte (without a rule plane, the source's alpha); blend towards s
// by w(table[v]). The rule plane advances by rulePitch a row.
void KernelRuleBlendPlane(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                          std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                          const std::uint8_t* rule, std::int32_t rulePitch,
                          const std::uint8_t* table);
void KernelRuleBlendPlaneMmx(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                             std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                             const std::uint8_t* rule, std::int32_t rulePitch,
                             const std::uint8_t* table);

// a = M[table[rule byte]][source alpha]; blend towards s by w(a).
void KernelRuleBlend(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                     std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                     const std::uint8_t* rule, std::int32_t rulePitch, const std::uint8_t* table);
void KernelRuleBlendMmx(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                        std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                        const std::uint8_t* rule, std::int32_t rulePitch,
                        const std::uint8_t* table);

// Horizontal box averages of radius r along each source row (the destination pixel's own
// source pixel in the middle); left and right tell how many source pixels exist before the
// row's first and after its last pixel, and positions beyond them read the nearest edge pixel.
// Each channel's average is (sum * floor(65536 / (2r + 1)) + 32768) >> 16.
void KernelBoxAverageRows(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                          std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                          std::int32_t left, std::int32_t right, std::int32_t radius);
// Blend towards the average by w(opacity), alpha kept.
void KernelBoxAverageRowsOpacity(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                                 std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                                 std::int32_t left, std::int32_t right, std::int32_t radius,
                                 std::uint8_t opacity);
// Blend towards the average by w(R[averaged alpha]), alpha kept.
void KernelBoxAverageRowsAlpha(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                               std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                               std::int32_t left, std::int32_t right, std::int32_t radius,
                               const std::uint8_t* row);

// Bilinear interpolation of all four bytes; the source must hold the column right of and the
// row below the last position.
void KernelBilinear(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                    std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                    const BilinearStep& step);
void KernelBilinearMmx(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                       std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                       const BilinearStep& step);
void KernelBilinearPalette(std::uint32_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                           std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                           const std::uint32_t* palette, const BilinearStep& step);
void KernelBilinearPaletteMmx(std::uint32_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                              std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                              const std::uint32_t* palette, const BilinearStep& step);

// Draws a glyph mask at (x, y): every pixel under a nonzero mask byte takes the colour (alpha
// kept). False when the mask lies wholly outside the destination.
bool DrawGlyphMask(std::int32_t x, std::int32_t y, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                   std::uint8_t* dstBits, std::int32_t dstWidth, std::int32_t dstHeight,
                   std::int32_t dstPitch, const std::uint8_t* maskBits, std::int32_t maskWidth,
                   std::int32_t maskHeight, std::int32_t maskPitch);

// As DrawGlyphMask, but each colour byte blends towards the colour by the mask byte m: with the
// MMX form, d + floor((colour - d) * w(m) / 256); without it, M[colour][m] + M[255 - m][d]
// (M the rounded product of two bytes). The two can differ by one in a channel.
bool DrawGlyphMaskAntialiased(std::int32_t x, std::int32_t y, std::uint8_t r, std::uint8_t g,
                              std::uint8_t b, std::uint8_t* dstBits, std::int32_t dstWidth,
                              std::int32_t dstHeight, std::int32_t dstPitch,
                              const std::uint8_t* maskBits, std::int32_t maskWidth,
                              std::int32_t maskHeight, std::int32_t maskPitch);

// Rendered text into the 16-bit alpha texture formats: 64 (ARGB 1-5-5-5), 128 (ARGB 4-4-4-4)
// or 256 (rows copied unchanged). 0 for a known format; nonzero, writing nothing, otherwise.
std::int32_t ConvertArgbToFormat(std::uint32_t format, std::uint8_t* dstBits, std::int32_t x,
                                 std::int32_t y, std::int32_t width, std::int32_t height,
                                 std::int32_t dstPitch, const std::uint8_t* srcBits,
                                 std::int32_t srcX, std::int32_t srcY, std::int32_t srcPitch);
