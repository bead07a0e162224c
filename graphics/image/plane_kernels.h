// Row kernels over planes of bytes: the 8-bit forms of the image blits, the 8-bit blur and
// mosaic, the 4 x 4 reduction of glyph masks, the alpha-plane writer of text textures.
//
// Width and height are at least 1. Skips are bytes from the end of one row to the start of
// the next; stretched kernels take the source pitch and a StretchStep (column error restarted
// every row, row error carried).
#pragma once

#include <cstdint>

#include "graphics/image/bilinear_step.h"
#include "graphics/image/stretch_step.h"

// pixelStep is +1, or -1 to read each source row right to left from its start pointer (the
// rightmost pixel); the source skip then leads from one row's left end to the next row's
// rightmost pixel.
void KernelPlaneCopy(std::uint8_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                     std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                     std::int32_t pixelStep);
// As KernelPlaneCopy; a source byte equal to the key's low byte leaves the destination.
void KernelPlaneCopyKeyed(std::uint8_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                          std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                          std::int32_t pixelStep, std::uint32_t key);
void KernelPlaneStretch(std::uint8_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                        std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                        const StretchStep& step);
void KernelPlaneStretchKeyed(std::uint8_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                             std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                             const StretchStep& step, std::uint32_t key);
// The source pointer is just after the rightmost source byte; each destination byte takes the
// byte left of the position, which moves leftwards.
void KernelPlaneStretchMirrored(std::uint8_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                                std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                                const StretchStep& step);
void KernelPlaneStretchMirroredKeyed(std::uint8_t* dst, const std::uint8_t* src,
                                     std::int32_t dstSkip, std::int32_t srcPitch,
                                     std::int32_t width, std::int32_t height,
                                     const StretchStep& step, std::uint32_t key);

// Bilinear interpolation of the four source bytes around each position (the source must hold
// the column right of and the row below the last position).
void KernelPlaneBilinear(std::uint8_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                         std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                         const BilinearStep& step);

// 3 x 3 blur in place, all new values from the old ones. 0 done; 1 width or height below 4;
// 2 no memory for the row buffers (nothing changed then).
std::int32_t KernelPlaneBlur3x3(std::uint8_t* plane, std::int32_t pitch, std::int32_t width,
                                std::int32_t height);

// Cells of cellSize pixels take the value of their top-left pixel; alignment (MosaicAnchor)
// 1 top-left, 2 right, 3 bottom, 4 bottom-right, anything else centred. Nothing happens for an
// area below 3 x 3 or a cell below 2.
void KernelPlaneMosaic(std::uint8_t* plane, std::int32_t pitch, std::int32_t width,
                       std::int32_t height, std::int32_t cellSize, std::int32_t alignment);

// Output (x, y), written in place over the same plane, is v OR ((v >> 3) AND 7), where v is
// the sum modulo 256 of the 4 x 4 block at (4x, 4y).
void ReducePlane4x4(std::uint8_t* plane, std::int32_t pitch, std::int32_t width,
                    std::int32_t height);

// Writes plane bytes into the alpha bits of locked surface pixels: format 64 (ARGB 1-5-5-5)
// bit 15, 128 (ARGB 4-4-4-4) bits 12 to 15, 256 (ARGB 8-8-8-8) the alpha byte; other formats
// are left alone.
void WriteAlphaPlane(std::uint32_t formatCode, std::uint8_t* surfaceBits, std::int32_t x,
                     std::int32_t y, std::int32_t width, std::int32_t height,
                     std::int32_t surfacePitch, const std::uint8_t* plane, std::int32_t planeX,
                     std::int32_t planeY, std::int32_t planePitch);
