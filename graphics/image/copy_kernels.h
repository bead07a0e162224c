// Copy, key, palette, alpha-blend, mask and fill row kernels of the software images.
//
// Each kernel works on a rectangle the caller has already clipped and checks nothing; width
// and height are at least 1. Pointers address the first pixel of the first row; a skip is the
// number of bytes from the end of one row to the start of the next. Stretched kernels take the
// source pitch (negative reads upside down) and a StretchStep; mirrored kernels take a source
// pointer just after the rightmost pixel of the first row and a skip from the left end of one
// row to the end of the next.
//
// The Mmx kernels give exactly the pixels of their plain twins, except the alpha blends: their
// destination weight is 256 - a where the plain form uses 255 - A (see KernelAlphaBlend).
// KernelCopy, KernelCopyColour and KernelCopyAlpha (and their Mmx forms) have the shape of the
// pixel-operation library's host copy routines.
#pragma once

#include <cstdint>

#include "graphics/image/stretch_step.h"

// Whole-pixel copies.
void KernelCopy(void* dst, const void* src, std::int32_t dstSkip, std::int32_t srcSkip,
                std::int32_t width, std::int32_t height);
void KernelCopyMmx(void* dst, const void* src, std::int32_t dstSkip, std::int32_t srcSkip,
                   std::int32_t width, std::int32_t height);
void KernelStretchCopy(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                       std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                       const StretchStep& step);
void KernelStretchCopyMmx(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                          std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                          const StretchStep& step);
void KernelCopyMirrored(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                        std::int32_t srcSkip, std::int32_t width, std::int32_t height);
void KernelCopyMirroredMmx(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                           std::int32_t srcSkip, std::int32_t width, std::int32_t height);
void KernelStretchCopyMirrored(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                               std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                               const StretchStep& step);
void KernelStretchCopyMirroredMmx(std::uint32_t* dst, const std::uint32_t* src,
                                  std::int32_t dstSkip, std::int32_t srcPitch, std::int32_t width,
                                  std::int32_t height, const StretchStep& step);

// Keyed copies: a source pixel equal to the key in all 32 bits leaves the destination alone.
void KernelCopyKeyed(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                     std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                     std::uint32_t key);
void KernelStretchCopyKeyed(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                            std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                            const StretchStep& step, std::uint32_t key);
void KernelCopyMirroredKeyed(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                             std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                             std::uint32_t key);
void KernelStretchCopyMirroredKeyed(std::uint32_t* dst, const std::uint32_t* src,
                                    std::int32_t dstSkip, std::int32_t srcPitch, std::int32_t width,
                                    std::int32_t height, const StretchStep& step,
                                    std::uint32_t key);

// 8-bit sources through a palette of 256 whole 32-bit entries (the reserved byte becomes
// alpha). Keyed forms skip the index equal to the low byte of transparentIndex.
void KernelCopyPalette(std::uint32_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                       std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                       const std::uint32_t* palette);
void KernelStretchCopyPalette(std::uint32_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                              std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                              const StretchStep& step, const std::uint32_t* palette);
void KernelCopyPaletteMirrored(std::uint32_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                               std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                               const std::uint32_t* palette);
void KernelStretchCopyPaletteMirrored(std::uint32_t* dst, const std::uint8_t* src,
                                      std::int32_t dstSkip, std::int32_t srcPitch,
                                      std::int32_t width, std::int32_t height,
                                      const StretchStep& step, const std::uint32_t* palette);
void KernelCopyPaletteKeyed(std::uint32_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                            std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                            const std::uint32_t* palette, std::uint32_t transparentIndex);
void KernelStretchCopyPaletteKeyed(std::uint32_t* dst, const std::uint8_t* src,
                                   std::int32_t dstSkip, std::int32_t srcPitch, std::int32_t width,
                                   std::int32_t height, const StretchStep& step,
                                   const std::uint32_t* palette, std::uint32_t transparentIndex);
void KernelCopyPaletteMirroredKeyed(std::uint32_t* dst, const std::uint8_t* src,
                                    std::int32_t dstSkip, std::int32_t srcSkip, std::int32_t width,
                                    std::int32_t height, const std::uint32_t* palette,
                                    std::uint32_t transparentIndex);
void KernelStretchCopyPaletteMirroredKeyed(std::uint32_t* dst, const std::uint8_t* src,
                                           std::int32_t dstSkip, std::int32_t srcPitch,
                                           std::int32_t width, std::int32_t height,
                                           const StretchStep& step, const std::uint32_t* palette,
                                           std::uint32_t transparentIndex);

// Alpha blend by the source alpha A. Plain: source weight A (256 for 255), destination weight
// 255 - A (256 for 0); Mmx: destination weight 256 - source weight. Each channel is
// (s * a) / 256 + (d * b) / 256, alpha 0.
void KernelAlphaBlend(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                      std::int32_t srcSkip, std::int32_t width, std::int32_t height);
void KernelAlphaBlendMmx(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                         std::int32_t srcSkip, std::int32_t width, std::int32_t height);
void KernelStretchAlphaBlend(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                             std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                             const StretchStep& step);
void KernelStretchAlphaBlendMmx(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                                std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                                const StretchStep& step);
void KernelAlphaBlendMirrored(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                              std::int32_t srcSkip, std::int32_t width, std::int32_t height);
void KernelAlphaBlendMirroredMmx(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                                 std::int32_t srcSkip, std::int32_t width, std::int32_t height);
void KernelStretchAlphaBlendMirrored(std::uint32_t* dst, const std::uint32_t* src,
                                     std::int32_t dstSkip, std::int32_t srcPitch,
                                     std::int32_t width, std::int32_t height,
                                     const StretchStep& step);
void KernelStretchAlphaBlendMirroredMmx(std::uint32_t* dst, const std::uint32_t* src,
                                        std::int32_t dstSkip, std::int32_t srcPitch,
                                        std::int32_t width, std::int32_t height,
                                        const StretchStep& step);

// An 8-bit mask becomes the alpha byte of 32-bit pixels; colour bytes stay.
void KernelMaskToAlpha(std::uint32_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                       std::int32_t srcSkip, std::int32_t width, std::int32_t height);
void KernelStretchMaskToAlpha(std::uint32_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                              std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                              const StretchStep& step);
void KernelMaskToAlphaMirrored(std::uint32_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                               std::int32_t srcSkip, std::int32_t width, std::int32_t height);
void KernelStretchMaskToAlphaMirrored(std::uint32_t* dst, const std::uint8_t* src,
                                      std::int32_t dstSkip, std::int32_t srcPitch,
                                      std::int32_t width, std::int32_t height,
                                      const StretchStep& step);

// Lays an 8-bit coverage mask onto alpha already present: alpha = screen[alpha][mask byte]
// (the screen blend table); colour bytes unchanged. Used to draw glyphs onto alpha.
void KernelMaskToAlphaScreen(std::uint32_t* dst, const std::uint8_t* src, std::int32_t dstSkip,
                             std::int32_t srcSkip, std::int32_t width, std::int32_t height);

// The alpha byte of 32-bit pixels becomes an 8-bit mask.
void KernelAlphaToMask(std::uint8_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                       std::int32_t srcSkip, std::int32_t width, std::int32_t height);
void KernelStretchAlphaToMask(std::uint8_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                              std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                              const StretchStep& step);
void KernelAlphaToMaskMirrored(std::uint8_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                               std::int32_t srcSkip, std::int32_t width, std::int32_t height);
void KernelStretchAlphaToMaskMirrored(std::uint8_t* dst, const std::uint32_t* src,
                                      std::int32_t dstSkip, std::int32_t srcPitch,
                                      std::int32_t width, std::int32_t height,
                                      const StretchStep& step);

// Colour copies keep the destination's alpha byte; alpha copies keep its colour bytes.
void KernelCopyColour(void* dst, const void* src, std::int32_t dstSkip, std::int32_t srcSkip,
                      std::int32_t width, std::int32_t height);
void KernelCopyColourMmx(void* dst, const void* src, std::int32_t dstSkip, std::int32_t srcSkip,
                         std::int32_t width, std::int32_t height);
void KernelStretchCopyColour(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                             std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                             const StretchStep& step);
void KernelStretchCopyColourMmx(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                                std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                                const StretchStep& step);
void KernelCopyColourKeyed(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                           std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                           std::uint32_t key);
void KernelCopyColourKeyedMmx(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                              std::int32_t srcSkip, std::int32_t width, std::int32_t height,
                              std::uint32_t key);
void KernelStretchCopyColourKeyed(std::uint32_t* dst, const std::uint32_t* src,
                                  std::int32_t dstSkip, std::int32_t srcPitch, std::int32_t width,
                                  std::int32_t height, const StretchStep& step, std::uint32_t key);
void KernelStretchCopyColourKeyedMmx(std::uint32_t* dst, const std::uint32_t* src,
                                     std::int32_t dstSkip, std::int32_t srcPitch,
                                     std::int32_t width, std::int32_t height,
                                     const StretchStep& step, std::uint32_t key);
void KernelCopyAlpha(void* dst, const void* src, std::int32_t dstSkip, std::int32_t srcSkip,
                     std::int32_t width, std::int32_t height);
void KernelCopyAlphaMmx(void* dst, const void* src, std::int32_t dstSkip, std::int32_t srcSkip,
                        std::int32_t width, std::int32_t height);
void KernelStretchCopyAlpha(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                            std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                            const StretchStep& step);
void KernelStretchCopyAlphaMmx(std::uint32_t* dst, const std::uint32_t* src, std::int32_t dstSkip,
                               std::int32_t srcPitch, std::int32_t width, std::int32_t height,
                               const StretchStep& step);

// Fills. KernelFillColourKeepAlpha expects a value whose alpha byte is 0.
void KernelFill32(std::uint32_t* dst, std::int32_t dstSkip, std::int32_t width, std::int32_t height,
                  std::uint32_t value);
void KernelFillColourKeepAlpha(std::uint32_t* dst, std::int32_t dstSkip, std::int32_t width,
                               std::int32_t height, std::uint32_t value);
void KernelFillColourKeepAlphaMmx(std::uint32_t* dst, std::int32_t dstSkip, std::int32_t width,
                                  std::int32_t height, std::uint32_t value);
