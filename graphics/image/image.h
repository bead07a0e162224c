// Image: the software image of the graphics core, built on PixelBuffer. To the storage it adds
// an optional dirty region that collects every changed rectangle, a has-alpha flag, a modified
// flag, a table of row pointers for the quadrilateral blits and the extra data an image file may
// carry.
#pragma once

#include <cstdint>

#include "graphics/compose/dirty_region.h"
#include "graphics/image/bilinear_step.h"
#include "graphics/image/pixel_buffer.h"
#include "graphics/image/stretch_step.h"

namespace pixelops {
struct AffineBlendPoints;
}

// Flags of Image::Create.
constexpr std::uint8_t kImageDibSection = 1;
constexpr std::uint8_t kImageDirtyRegion = 2;
// Image::CopyFrom with this flags value takes the source's storage kind.
constexpr std::uint8_t kImageLikeSource = 2;

class Font;

class Image final : public WithDeletingDestructor<Image, PixelBuffer> {
public:
    Image();
    ~Image();

    // As PixelBuffer::Resize; the row table follows the new rows.
    std::int32_t XM_METHOD Resize(std::int32_t width, std::int32_t height) override;

    // flags: kImageDibSection, kImageDirtyRegion. 0 ok; 1 depth not 8 or 32, or a bad size;
    // 2 no storage; 3 the dirty region cannot be created (the image is then empty).
    std::int32_t Create(std::int32_t width, std::int32_t height, std::uint8_t depth,
                        std::uint8_t flags);
    // Frees everything the image owns and clears hasAlpha and modified.
    void Free();
    // A new copy of source's pixels, palette, colour key, origin and hasAlpha; flags
    // kImageLikeSource takes the source's storage kind, any other value: bit 0 = DIB section,
    // no dirty region. The copy starts unmodified. Copying an image onto itself changes nothing.
    // 0 ok; 1 no source or the source has no pixels; 2 no storage; 3 the palette cannot be copied.
    std::int32_t CopyFrom(const Image* source, std::uint8_t flags);

    // The PixelBuffer forms; on success they mark the whole image changed (the entry forms only
    // with update).
    std::int32_t SetPalette(const std::uint32_t* entries, std::int32_t count, std::int32_t first);
    bool SetPaletteEntry(std::uint8_t index, std::uint32_t entry, bool update);
    bool FillPalette(std::uint32_t entry, bool update);
    // False for a null source, a source or image deeper than 8 bits, or no memory; true without
    // change when the source has no palette.
    bool CopyPalette(const Image* source);
    bool SetPixel(std::int32_t x, std::int32_t y, std::uint32_t value);
    // 0 ok; 1 no pixels; 2 no memory.
    std::int32_t BuildRowTable();
    // Converts the pixels in place to 8 (grey) or 32 bits. 0 ok; 1 no pixels; 2 same depth or a
    // depth other than 8 and 32; 3 no storage (the image is unchanged).
    std::int32_t ConvertDepth(std::uint8_t depth);

    // Clipping of the bilinear blits (this image is the destination): dest is exclusive, src
    // names its last pixels on the right and bottom (inclusive, for the interpolated pair).
    // Both are cut to srcClip and to this image's clip rectangle, and step receives the 32.32
    // walk. False when nothing is left. Defined with the bilinear kernels.
    bool ClipBlitBilinear(RECT& dest, RECT& src, const RECT& srcClip, BilinearStep& step) const;

    // Adds rect to the dirty region, if any, and sets modified.
    void MarkChanged(const RECT& rect);

    // --- Copy blits (image_blit.cpp, clipping in image_blit_clip.cpp) ---
    // Every blit answers 0 done (also when nothing is left after clipping), 1 no pixels here, no
    // source or a source without pixels, 2 an unsupported depth pair (8-bit here from 32 bits),
    // no memory for a palette or a working copy, or the pixel-operation library failed. What
    // was drawn goes to the dirty region as one rectangle and sets modified.
    //
    // Which source pixel destination pixel (x + i, y + j) shows: column i of w counts from the
    // source rectangle's left edge (from its right edge leftwards when mirrored) by
    // max(0, ceil(i * srcW / w) - 1), rows alike (from the bottom upwards when flipped); it is
    // drawn when it lies in the clip rectangle and that source pixel in the source's clip
    // rectangle. A source cut by its clip rectangle therefore keeps its place and scale.

    // sourceRect null: the source's clip rectangle.
    std::int32_t Blit(Surface* source, std::int32_t x, std::int32_t y, const RECT* sourceRect,
                      bool flip);
    // size null: this image's width and height. Zero or negative sizes draw nothing.
    std::int32_t StretchBlit(Surface* source, const SIZE* size, std::int32_t x, std::int32_t y,
                             const RECT* sourceRect, bool flip);
    // mode 1 flips upside down; 0 mirrors left-right; 2 and any higher mode do both.
    std::int32_t BlitMirrored(Surface* source, std::uint8_t mode, std::int32_t x, std::int32_t y,
                              const RECT* sourceRect);
    std::int32_t StretchBlitMirrored(Surface* source, std::uint8_t mode, const SIZE* size,
                                     std::int32_t x, std::int32_t y, const RECT* sourceRect);
    // Bilinear when enlarging, or shrinking by less than half, in both directions; otherwise
    // a StretchBlit. The source's colour key plays no part. sourceRect null: the whole source.
    std::int32_t StretchBlitSmooth(Surface* source, const SIZE* size, std::int32_t x,
                                   std::int32_t y, const RECT* sourceRect);
    // A stretched copy that converts between depths (image_depth_copy.cpp): an 8-bit source
    // reaches a 32-bit image through its palette (StretchBlit's own path), a 32-bit source
    // reaches an 8-bit image as grey levels (29 blue + 150 green + 77 red) >> 8, written as
    // palette indices; equal depths copy. option bit 0 turns the copy upside down, the other
    // bits are unused. Results as the copy blits; 2 also when no working copy can be made.
    std::int32_t CopyConvertDepth(Image* source, std::uint32_t option, const SIZE* size,
                                  std::int32_t x, std::int32_t y, const RECT* sourceRect);
    // StretchBlit limited to this image's dirty rectangles: only pixels inside a rectangle the
    // dirty region held when the call began change. Without a dirty region, or with an empty
    // one, nothing is drawn (0). Results as the copy blits.
    std::int32_t DrawWithDirtyRects(Surface* source, const SIZE* size, std::int32_t x,
                                    std::int32_t y, const RECT* sourceRect);

    // The clipping step of the blits. sourceRect null: the source's clip rectangle (then a
    // source is needed: 1 without). size null: unstretched; with a size, step receives the
    // walk of the first drawn pixel (2 without step). clip null: this image's clip rectangle;
    // a given one is first narrowed, in place, to it. Fills blitSourceRect (the source pixels
    // the drawn area shows) and blitDestRect. 0 something to draw; -1 nothing.
    std::int32_t ClipBlit(Surface* source, std::int32_t x, std::int32_t y, const RECT* sourceRect,
                          const SIZE* size, StretchStep* step, RECT* clip);
    // Columns read from the source rectangle's right edge leftwards.
    std::int32_t ClipBlitMirrored(Surface* source, std::int32_t x, std::int32_t y,
                                  const RECT* sourceRect, const SIZE* size, StretchStep* step,
                                  RECT* clip);
    // Either or both directions reversed.
    std::int32_t ClipBlitOriented(Surface* source, std::int32_t x, std::int32_t y,
                                  const RECT* sourceRect, const SIZE* size, StretchStep* step,
                                  RECT* clip, bool mirror, bool flip);
    const RECT& BlitSourceRect() const { return m_blitSourceRect; }
    const RECT& BlitDestRect() const { return m_blitDestRect; }

    // --- Blends (image_blend.cpp) ---
    // Results as the copy blits; in addition an opacity or source weight of 0 answers 0 with
    // nothing drawn or recorded. With the pixel-operation library bound, the unflipped alpha
    // blends and the unkeyed constant-opacity blends draw through it (its arithmetic is its
    // own: the alpha byte becomes 0 where the own kernels keep the destination's), clipped here
    // first, so coverage, result and dirty rectangle do not depend on the library.

    // Colour by the source alpha, the alpha byte 0. Plain kernels: source weight A (256 for
    // 255) and destination weight 255 - A; MMX kernels: destination weight 256 - a.
    std::int32_t AlphaBlend(Surface* source, std::int32_t x, std::int32_t y,
                            const RECT* sourceRect, bool flip);
    std::int32_t StretchAlphaBlend(Surface* source, const SIZE* size, std::int32_t x,
                                   std::int32_t y, const RECT* sourceRect, bool flip);
    // mode as BlitMirrored's.
    std::int32_t AlphaBlendMirrored(Surface* source, std::uint8_t mode, std::int32_t x,
                                    std::int32_t y, const RECT* sourceRect);
    std::int32_t StretchAlphaBlendMirrored(Surface* source, std::uint8_t mode, const SIZE* size,
                                           std::int32_t x, std::int32_t y,
                                           const RECT* sourceRect);
    // 32-bit here from an 8-bit mask: the mask becomes the alpha bytes; 8-bit here from 32
    // bits: the alpha bytes become the mask. Any other pair: 2.
    std::int32_t CopyAlphaChannel(Surface* source, std::int32_t x, std::int32_t y,
                                  const RECT* sourceRect, bool flip);
    std::int32_t StretchCopyAlphaChannel(Surface* source, const SIZE* size, std::int32_t x,
                                         std::int32_t y, const RECT* sourceRect, bool flip);
    std::int32_t CopyAlphaChannelMirrored(Surface* source, std::uint8_t mode, std::int32_t x,
                                          std::int32_t y, const RECT* sourceRect);
    std::int32_t StretchCopyAlphaChannelMirrored(Surface* source, std::uint8_t mode,
                                                 const SIZE* size, std::int32_t x,
                                                 std::int32_t y, const RECT* sourceRect);
    // The colour bytes (the source's key skipped) or the alpha byte alone.
    std::int32_t CopyColour(Surface* source, std::int32_t x, std::int32_t y,
                            const RECT* sourceRect);
    std::int32_t StretchCopyColour(Surface* source, const SIZE* size, std::int32_t x,
                                   std::int32_t y, const RECT* sourceRect);
    std::int32_t CopyAlpha(Surface* source, std::int32_t x, std::int32_t y,
                           const RECT* sourceRect);
    std::int32_t StretchCopyAlpha(Surface* source, const SIZE* size, std::int32_t x,
                                  std::int32_t y, const RECT* sourceRect);
    // Constant opacity, the alpha byte kept; plain kernels weigh 255 - o and o, MMX kernels
    // blend by o + 1.
    std::int32_t BlendWeighted(Surface* source, std::uint8_t opacity, std::int32_t x,
                               std::int32_t y, const RECT* sourceRect);
    std::int32_t StretchBlendWeighted(Surface* source, std::uint8_t opacity, const SIZE* size,
                                      std::int32_t x, std::int32_t y, const RECT* sourceRect);
    // Packed per-channel weights (byte 0 blue .. byte 2 red). The stretched form raises the
    // smaller weight of each channel by one before an MMX kernel.
    std::int32_t BlendChannelWeights(Surface* source, std::uint32_t destWeights,
                                     std::uint32_t sourceWeights, std::int32_t x, std::int32_t y,
                                     const RECT* sourceRect);
    std::int32_t StretchBlendChannelWeights(Surface* source, std::uint32_t destWeights,
                                            std::uint32_t sourceWeights, const SIZE* size,
                                            std::int32_t x, std::int32_t y,
                                            const RECT* sourceRect);
    // type 0 average, 1 saturating add, 2 saturating subtract; other types draw nothing but
    // mark the clipped area.
    std::int32_t BlendMode(std::uint8_t type, Surface* source, std::int32_t x, std::int32_t y,
                           const RECT* sourceRect);
    std::int32_t StretchBlendMode(std::uint8_t type, Surface* source, const SIZE* size,
                                  std::int32_t x, std::int32_t y, const RECT* sourceRect);
    // One crossfade step; 255 is Blit with the key honoured.
    std::int32_t CrossfadeOver(Surface* source, std::uint8_t opacity, std::int32_t x,
                               std::int32_t y, const RECT* sourceRect);

    // --- Blend dispatchers (image_blend_dispatch.cpp) ---
    // 0 done (also for opacity 0 or nothing left after clipping); 1 no pixels or source;
    // 2 wrong depths (RuleBlend: also a missing, empty or not 8-bit rule) or the library
    // failed; 3 progress or vagueness out of range; 4 a rule smaller than the drawn area.
    // Unknown types mark the clipped area without drawing. w(a) = a + 1 (0 for 0); M the
    // multiply table.

    // An 8-bit mask m weighs the colour by w(M[opacity][m]): type 0 blend, 1 add, 2 subtract.
    std::int32_t BlitFromIndexed(std::uint8_t type, Surface* source, std::uint8_t opacity,
                                 std::uint8_t r, std::uint8_t g, std::uint8_t b, std::int32_t x,
                                 std::int32_t y, const RECT* sourceRect);
    // Saturating add (A) or subtract (B) of the source weighed by w(opacity).
    std::int32_t BlitOpacityA(Surface* source, std::uint8_t opacity, std::int32_t x,
                              std::int32_t y, const RECT* sourceRect);
    std::int32_t BlitOpacityB(Surface* source, std::uint8_t opacity, std::int32_t x,
                              std::int32_t y, const RECT* sourceRect);
    // By w(M[opacity][source alpha]): type 0 blend, 1 add, 2 subtract.
    std::int32_t BlendTable(std::uint8_t type, Surface* source, std::uint8_t opacity,
                            std::int32_t x, std::int32_t y, const RECT* sourceRect);
    std::int32_t StretchBlendTable(std::uint8_t type, Surface* source, std::uint8_t opacity,
                                   const SIZE* size, std::int32_t x, std::int32_t y,
                                   const RECT* sourceRect);
    // The source over a destination with alpha.
    std::int32_t BlendOpacity(Surface* source, std::uint8_t opacity, std::int32_t x,
                              std::int32_t y, const RECT* sourceRect);
    std::int32_t StretchBlendOpacity(Surface* source, std::uint8_t opacity, const SIZE* size,
                                     std::int32_t x, std::int32_t y, const RECT* sourceRect);
    // Rule transitions: progress 0..512, vagueness 1..511; the rule's pixels at the source
    // coordinates choose each pixel's weight. The plane form takes the source's alpha as the
    // rule when rule is null and does not multiply the source alpha in.
    std::int32_t RuleBlend(Surface* source, Image* rule, std::uint8_t opacity,
                           std::int32_t progress, std::int32_t vagueness, std::int32_t x,
                           std::int32_t y, const RECT* sourceRect);
    std::int32_t RuleBlendPlane(Surface* source, Image* rule, std::uint8_t opacity,
                                std::int32_t progress, std::int32_t vagueness, std::int32_t x,
                                std::int32_t y, const RECT* sourceRect);
    // Horizontal box blur of radius (at most 127) along the source rows, edge pixels repeated:
    // C blends by the opacity (all four bytes at 255), D by w(M[opacity][averaged alpha]).
    std::int32_t BlitOpacityC(Surface* source, std::uint8_t radius, std::uint8_t opacity,
                              std::int32_t x, std::int32_t y, const RECT* sourceRect);
    std::int32_t BlitOpacityD(Surface* source, std::uint8_t radius, std::uint8_t opacity,
                              std::int32_t x, std::int32_t y, const RECT* sourceRect);

    // --- Operations of the library alone (image_library_wrappers.cpp) ---
    // 0 done; 1 no pixels (or no source pixels); 2 wrong depth or no library; 3 the library
    // refused. A null rectangle is this image's clip rectangle.
    std::int32_t FillColourWithAlpha(std::uint32_t colour, std::uint8_t opacity,
                                     std::uint32_t additiveAlpha, const RECT* rect);
    std::int32_t SetAlpha(std::uint8_t alpha, const RECT* rect);
    // Clipped here to both clip rectangles first; 3 also when nothing is left. A null source
    // rectangle is the source's clip rectangle; a source that is this image is read from a copy.
    std::int32_t BlendRect(Surface* source, std::int32_t mode, std::uint8_t opacity,
                           std::uint32_t holdAlpha, std::int32_t x, std::int32_t y,
                           const RECT* sourceRect);
    // size null: this image's size. Equal sizes are BlendRect; an unmirrored stretch of a source
    // beyond the source's clip rectangle gives 3.
    std::int32_t StretchBlendRect(Surface* source, std::int32_t mode, std::int32_t stretchType,
                                  std::uint8_t opacity, std::uint32_t holdAlpha, const SIZE* size,
                                  std::int32_t x, std::int32_t y, const RECT* sourceRect);
    std::int32_t AffineBlendRect(Surface* source, const pixelops::AffineBlendPoints* points,
                                 const RECT* sourceRect, std::int32_t mode,
                                 std::int32_t stretchType, std::uint8_t opacity,
                                 std::uint32_t holdAlpha, std::uint32_t fill,
                                 std::uint32_t fillValue, const RECT* clip);
    std::int32_t AffineBlendRectMatrix(Surface* source, const double* matrix,
                                       const RECT* sourceRect, std::int32_t mode,
                                       std::int32_t stretchType, std::uint8_t opacity,
                                       std::uint32_t holdAlpha, std::uint32_t fill,
                                       std::uint32_t fillValue, const RECT* clip);
    std::int32_t BoxBlur(std::int32_t radiusX, std::int32_t radiusY, const RECT* rect,
                         std::uint32_t withAlpha);
    // Any depth (the 8-bit forms for 8-bit images): 1 no pixels or no library, 2 refused.
    std::int32_t FlipVertical(const RECT* rect);
    std::int32_t FlipHorizontal(const RECT* rect);
    // False when refused or not possible.
    bool ConvertAdditiveAlpha(bool toAdditive);
    bool BlendColourUnder(std::uint32_t colour);
    bool KeyColourToAlpha(std::uint32_t key);
    std::int32_t Crossfade(Surface* source1, Surface* source2, std::uint32_t ratio,
                           std::uint32_t method, std::int32_t x, std::int32_t y,
                           std::int32_t width, std::int32_t height, std::int32_t s1x,
                           std::int32_t s1y, std::int32_t s2x, std::int32_t s2y);
    std::int32_t RuleTransition(Surface* source1, Surface* source2, Surface* rule,
                                std::uint32_t ratio, std::int32_t vagueness, std::uint32_t method,
                                std::int32_t x, std::int32_t y, std::int32_t width,
                                std::int32_t height, std::int32_t s1x, std::int32_t s1y,
                                std::int32_t s2x, std::int32_t s2y, std::int32_t rx,
                                std::int32_t ry);

    // --- Quadrilaterals and rotate-zoom (image_quad.cpp) ---
    // Quads list the corners top-left, top-right, bottom-left, bottom-right. clip null: this
    // image's clip rectangle; a given one is kept within it. 1 no pixels or no source (or no
    // quad); 2 not 32-bit on both sides or no memory for the source's row table; else 0. The
    // clipped bounding box of the destination corners is marked. A copy of the source's rows
    // is read when an image maps onto itself.
    std::int32_t QuadMap(Surface* source, const POINT* dstQuad, const POINT* srcQuad,
                         const RECT* clip, std::uint8_t edgeMode);
    std::int32_t QuadMapBlend(Surface* source, const POINT* dstQuad, const POINT* srcQuad,
                              std::uint8_t opacity, const RECT* clip, std::uint8_t edgeMode);
    // sourceRect null: the source's clip rectangle; edge mode 0.
    std::int32_t BlitRectToQuad(Surface* source, const POINT* dstQuad, const RECT* sourceRect,
                                const RECT* clip);
    // destRect null: this image's clip rectangle; edge mode 1, so the spans end before the
    // rectangle's last column and row.
    std::int32_t BlitQuadToRect(Surface* source, const POINT* srcQuad, const RECT* destRect,
                                const RECT* clip);
    // anchor 0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right, 4 centre of the zoomed
    // picture (others: 1); angle in 512ths of a turn; zoom 16.16. 1 also without MathTables or
    // for a zoomed size or corner outside the 32-bit range; 2 not 32-bit, no float table or
    // the library failed. Without the library (or, for the blit, with a colour key) the
    // corners go to the quadrilateral kernels; with it the library maps the rectangle exactly.
    std::int32_t BlitRotateZoom(Surface* source, std::uint8_t anchor, std::int32_t x,
                                std::int32_t y, std::int32_t angle, std::int32_t zoom,
                                const RECT* sourceRect, const RECT* clip);
    std::int32_t BlendRotateZoom(Surface* source, std::uint8_t anchor, std::int32_t x,
                                 std::int32_t y, std::int32_t angle, std::int32_t zoom,
                                 std::uint8_t opacity, const RECT* sourceRect, const RECT* clip);

    // --- Text (graphics/text/text_images.cpp); a null font means DefaultFont ---
    // A new image holding text drawn with font at its measured size. 0; 1 empty text; 2 no
    // font; 3 the image cannot be made; 4 drawing failed (the image is then freed); 5 a font of
    // another kind.
    std::int32_t CreateFromText(const char* text, Font* font, std::uint8_t flags);
    // GDI draws the lines at (x, y) on the image's device context. 0; 1 no device context or
    // empty text; 2 no font or not a GdiFont; 3 drawing failed; 4 the text has no lines.
    std::int32_t DrawTextGdi(std::int32_t x, std::int32_t y, const char* text, Font* font);
    // The font's BlendString at (x, y). 0; 1 no pixels or empty text; 2 no font; else its code + 2.
    std::int32_t DrawText(std::int32_t x, std::int32_t y, const char* text, Font* font);
    // AntialiasFont::DrawText at (x, y). 0; 1 as DrawText; 2 no font or not an AntialiasFont;
    // else its code + 2.
    std::int32_t DrawTextAntialias(std::int32_t x, std::int32_t y, const char* text, Font* font);
    // Each drawing adds the changed rectangle, cut to the clip rectangle, to the dirty region.

    // --- Loading (image_load.cpp) ---
    // Through g_imageLoaderHost; flags are the Create flags of the new storage. A null name
    // decodes data and size. Results as the host gives them: 0 loaded; 1 no host; 4 cache on
    // but no file system or no such file; 6 no memory; 9 a conversion failed; 10 (Load) or 5
    // (LoadIndexed) any other failure on the cache path; otherwise the host's code.
    std::int32_t Load(const char* name, const std::uint8_t* data, std::int32_t size,
                      std::uint8_t flags);
    std::int32_t LoadIndexed(const char* name, const std::uint8_t* data, std::int32_t size,
                             std::uint8_t flags);
    // Draws a file into this image at (x, y), keeping size and depth. 0 drawn; -1 wholly
    // outside the clip rectangle; 1 no pixels; 2 no file system, no such file or nothing given;
    // 3 no host, an ELG depth the direct path cannot take, no loader or no palette memory;
    // 4 a conversion failed; 5 a broken stream or any other failure (what was written is
    // marked).
    std::int32_t Decode(const char* name, const std::uint8_t* data, std::int32_t size,
                        std::int32_t x, std::int32_t y, bool keepPalette);
    // -4 no pixels; 1 no host; otherwise the host's result of the encode.
    std::int32_t SaveFile(const char* fileName, std::int32_t option, std::int32_t encoderType);

    // --- Fills (image_fill.cpp) ---
    // r is the palette index on an 8-bit image. False when nothing was drawn.
    bool FillRect(std::int32_t r, std::int32_t g, std::int32_t b, const RECT* rect);
    bool FillRectXywh(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                      std::int32_t r, std::int32_t g, std::int32_t b);
    bool FillValue(std::uint32_t pixel, const RECT* rect);
    bool FillValueXywh(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                       std::uint32_t pixel);
    bool FillColourKeepAlpha(std::int32_t r, std::int32_t g, std::int32_t b, const RECT* rect);
    // 0 done or nothing to do; 1 no 32-bit pixels; 2 the library refused.
    std::int32_t FillAlpha(std::int32_t r, std::int32_t g, std::int32_t b, std::uint8_t opacity,
                           const RECT* rect);
    // 0 done or nothing to do; 1 no 32-bit pixels.
    std::int32_t FillAdd(std::int32_t r, std::int32_t g, std::int32_t b, const RECT* rect);
    std::int32_t FillSubtract(std::int32_t r, std::int32_t g, std::int32_t b, const RECT* rect);
    // direction 0 across the columns, 1 down the rows. 0 done or nothing to do; 1 no pixels;
    // 2 no gradient table; 3 bad direction.
    std::int32_t FillGradient(std::uint8_t direction, std::uint32_t colourFrom,
                              std::uint32_t colourTo, const RECT* rect);

    // --- Colour operations and effects (image_colour.cpp) ---
    // level 0..510 (255 keeps). 1 done, 0 refused or nothing to do.
    std::int32_t ApplyBrightness(std::uint16_t level, const RECT* rect);
    // 0 done or nothing to do; 1 no pixels; 2 no memory; 3 8-bit with a rectangle.
    std::int32_t Greyscale(const RECT* rect);
    // Recolours a 32-bit rectangle through a 256-step ramp from colour1 to colour2 (0xRRGGBB):
    // mode 0 picks the ramp entry by each pixel's grey level (77 red + 150 green + 29 blue)
    // >> 8, mode 1 by 255 minus it. Alpha bytes and colour-key pixels are kept.
    // 0 done or nothing to do; 1 no pixels; 2 not 32-bit, or the ramp cannot be built;
    // 3 another mode.
    std::int32_t TransformBlit(std::uint8_t mode, std::uint32_t colour1, std::uint32_t colour2,
                               const RECT* rect);
    // Factors 0..256 (128 keeps), offsets -255..255. 0 done or nothing to do; 1 no pixels or
    // 8-bit without palette; 2 8-bit with a rectangle; 3 an argument out of range.
    std::int32_t ColourBalance(std::uint16_t rFactor, std::uint16_t gFactor, std::uint16_t bFactor,
                               std::int16_t rOffset, std::int16_t gOffset, std::int16_t bOffset,
                               const RECT* rect);
    // mode 0 colour, 1 everything, other alpha. 0 done or nothing to do; 1 no pixels or 8-bit
    // colour mode without palette; 2 8-bit colour mode with a rectangle.
    std::int32_t Invert(std::uint8_t mode, const RECT* rect);
    // level 0..511 on alpha bytes (32-bit) or index bytes (8-bit).
    bool AlphaLevel(std::uint16_t level, const RECT* rect);
    bool AlphaBalance(std::uint16_t factor, std::int16_t offset, const RECT* rect);
    // 0 done or nothing to do; 1 no pixels; 2 area below 4 x 4; 3 no memory.
    std::int32_t Blur(std::uint8_t mode, const RECT* rect);
    // 0 done or nothing to do; 1 no pixels.
    std::int32_t Mosaic(std::uint32_t cellSize, std::uint8_t alignment, const RECT* rect);
    // Copies from another surface through GDI (this image must be a DIB section): a picture in
    // a DirectDraw surface (DirectDraw image, text bitmap, texture) through the surface's device
    // context, a pixel buffer or the back buffer of a DirectDraw or texture screen directly.
    // 0 done or nothing to draw; 1 no DIB section, no pixels, no source or one that cannot be read;
    // 2 the source's device context cannot be had; otherwise Blit's or StretchBlit's result.
    std::int32_t BltFromSurface(Surface* source, std::int32_t x, std::int32_t y,
                                const RECT* sourceRect);
    std::int32_t StretchFromSurface(Surface* source, const SIZE* size, std::int32_t x,
                                    std::int32_t y, const RECT* sourceRect);
    // The copy of the palette that the first brightness change keeps, or null.
    const std::uint32_t* SavedPalette() const { return m_savedPalette; }

    DirtyRegion* GetDirtyRegion() const { return m_dirtyRegion; }
    // Points the active region at the owned one (recording) or at nothing.
    void SetRecordingDirty(bool on) { m_dirtyRegion = on ? m_ownedDirtyRegion : nullptr; }
    bool HasAlpha() const { return m_hasAlpha != 0; }
    void SetHasAlpha(bool hasAlpha) { m_hasAlpha = hasAlpha ? 1 : 0; }
    bool Modified() const { return m_modified != 0; }
    void SetModified(bool modified) { m_modified = modified ? 1 : 0; }
    // height row pointers, or null until BuildRowTable.
    std::uint8_t* const* RowTable() const { return m_rowTable; }
    // Takes a block allocated with malloc; the image frees it.
    void AdoptExtraData(void* data, std::int32_t size);
    const void* ExtraData() const { return m_extraData; }
    std::int32_t ExtraDataSize() const { return m_extraDataSize; }

protected:
    // Copies the source's palette in without marking anything; false when there is no memory.
    bool TakePalette(const Image* source);
    void DropSavedPalette();
    // After a palette operation: the colour table written, the saved palette and the colour key
    // dropped, the area marked.
    void PaletteChanged(const RECT& marked);
    // The rectangle of an operation: rect (or the whole clip rectangle) cut to the clip
    // rectangle; false when nothing is left.
    bool ClipToOperation(const RECT* rect, RECT* out);
    // The shared steps of Blit and StretchBlit once the orientation is known.
    std::int32_t DrawCopy(Surface* source, const SIZE* size, std::int32_t x, std::int32_t y,
                          const RECT* sourceRect, bool mirror, bool flip, bool ignoreKey);
    std::int32_t LoadThroughHost(const char* name, const std::uint8_t* data, std::int32_t size,
                                 std::uint8_t flags, bool indexed);
    // FillAdd and FillSubtract, by their kernels.
    std::int32_t FillSaturating(std::int32_t r, std::int32_t g, std::int32_t b, const RECT* rect,
                                const struct SaturatingKernels& kernels);
    std::int32_t Flip(bool vertical, const RECT* rect);
    std::int32_t DrawQuad(Surface* source, const POINT* dstQuad, const POINT* srcQuad,
                          const RECT* clip, std::uint8_t edgeMode, bool blend,
                          std::uint8_t opacity);
    std::int32_t RotateZoom(Surface* source, std::uint8_t anchor, std::int32_t x, std::int32_t y,
                            std::int32_t angle, std::int32_t zoom, const RECT* sourceRect,
                            const RECT* clip, bool blend, std::uint8_t opacity);
    std::int32_t CopyFromDeviceSurface(Surface* source, const SIZE* size, std::int32_t x,
                                       std::int32_t y, const RECT* sourceRect);

    std::uint32_t* m_savedPalette = nullptr;
    std::uint8_t m_hasAlpha = 0;
    std::uint8_t m_modified = 0;
    DirtyRegion* m_ownedDirtyRegion = nullptr;
    DirtyRegion* m_dirtyRegion = nullptr;
    std::uint8_t** m_rowTable = nullptr;
    void* m_extraData = nullptr;
    std::int32_t m_extraDataSize = 0;
    RECT m_blitSourceRect = {0, 0, 0, 0};
    RECT m_blitDestRect = {0, 0, 0, 0};
};

// Sets every alpha byte of a 32-bit surface, row by row within its width; no dirty rectangle.
void SetAllAlpha(Surface* surface, std::uint8_t alpha);
