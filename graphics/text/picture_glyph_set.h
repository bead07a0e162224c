// PictureGlyphSet: the inline pictures of a font ("@12" in the text), cut as cells from an
// 8-bit picture whose values are used as coverage: grey cells for the anti-aliased levels, mono
// cells for level 0, and outline glyphs made from them on demand.
#pragma once

#include <cstdint>
#include <vector>

#include "graphics/text/glyph.h"

class PictureGlyphSet {
public:
    PictureGlyphSet() = default;
    ~PictureGlyphSet();

    PictureGlyphSet(const PictureGlyphSet&) = delete;
    PictureGlyphSet& operator=(const PictureGlyphSet&) = delete;

    // Cuts count cells of cellWidth x cellHeight from an 8-bit plane (flags bit 0 grey, bit 1
    // mono, the mono cells following the grey ones). 0; 2 the plane is too small; 3 no memory;
    // -1 a count or cell size <= 0. Every failure leaves no cells.
    std::int32_t Load(const std::uint8_t* plane, std::int32_t pitch, std::int32_t width,
                      std::int32_t height, std::int32_t count, std::int32_t cellWidth,
                      std::int32_t cellHeight, std::uint8_t flags);
    void FreeCells();
    void FreeOutlines();
    // The cell for this level, or its outline glyph; null beyond the count or without cells.
    Glyph* Get(std::uint32_t number, std::int32_t level, bool outline);
    void SetOutline(std::int32_t strength, std::int32_t width, std::int32_t normaliser);
    void Reorient(std::int32_t escapement);

    std::int32_t Count() const { return m_count; }
    std::int32_t CellWidth() const { return m_cellWidth; }
    std::int32_t escapement = 0;

private:
    void SetPlacement(Glyph& cell) const;

    std::vector<Glyph> m_grey;
    std::vector<Glyph> m_mono;
    std::vector<Glyph*> m_greyOutlines;
    std::vector<Glyph*> m_monoOutlines;
    std::int32_t m_count = 0;
    std::int32_t m_cellWidth = 0;
    std::int32_t m_cellHeight = 0;
    std::int32_t m_strength = 1024;
    std::int32_t m_width = 2;
    std::int32_t m_normaliser = 1872;
};
