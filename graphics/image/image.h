// Image: the software image of the graphics core, built on PixelBuffer. To the storage it adds
// an optional dirty region that collects every changed rectangle, a has-alpha flag, a modified
// flag, a table of row pointers for the quadrilateral blits and the extra data an image file may
// carry.
#pragma once

#include <cstdint>

#include "graphics/compose/dirty_region.h"
#include "graphics/image/bilinear_step.h"
#include "graphics/image/pixel_buffer.h"

// Flags of Image::Create.
constexpr std::uint8_t kImageDibSection = 1;
constexpr std::uint8_t kImageDirtyRegion = 2;
// Image::CopyFrom with this flags value takes the source's storage kind.
constexpr std::uint8_t kImageLikeSource = 2;

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

    DirtyRegion* GetDirtyRegion() const { return m_dirtyRegion; }
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

    std::uint8_t m_hasAlpha = 0;
    std::uint8_t m_modified = 0;
    DirtyRegion* m_ownedDirtyRegion = nullptr;
    DirtyRegion* m_dirtyRegion = nullptr;
    std::uint8_t** m_rowTable = nullptr;
    void* m_extraData = nullptr;
    std::int32_t m_extraDataSize = 0;
};
