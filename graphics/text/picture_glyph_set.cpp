#include "graphics/text/picture_glyph_set.h"

#include <cstdlib>
#include <cstring>

#include "graphics/text/font.h"
#include "graphics/text/glyph_maths.h"

PictureGlyphSet::~PictureGlyphSet() {
    FreeCells();
}

void PictureGlyphSet::FreeOutlines() {
    for (auto* list : {&m_greyOutlines, &m_monoOutlines}) {
        for (Glyph*& g : *list) {
            if (g != nullptr) {
                g->extraRefs = 0;
                ReleaseGlyph(g);
            }
            g = nullptr;
        }
    }
}

void PictureGlyphSet::FreeCells() {
    FreeOutlines();
    for (auto* cells : {&m_grey, &m_mono}) {
        for (Glyph& g : *cells) {
            delete[] g.bits;
        }
        cells->clear();
    }
    m_greyOutlines.clear();
    m_monoOutlines.clear();
    m_count = 0;
}

void PictureGlyphSet::SetPlacement(Glyph& cell) const {
    cell.x = escapement == 2700 ? -m_cellWidth : 0;
    cell.y = 0;
    std::int32_t c = 0;
    std::int32_t s = 0;
    if (escapement == 0) {
        cell.advanceX = m_cellWidth;
        cell.advanceY = 0;
    } else if (escapement == 2700) {
        cell.advanceX = 0;
        cell.advanceY = m_cellHeight;
    } else if (TableCos(AngleIndex(escapement), &c)) {
        // Every angle gets the turned advance, on loading and on turning alike.
        TableCos(AngleIndex(escapement) - 128, &s);
        cell.advanceX = static_cast<std::int32_t>((static_cast<std::int64_t>(m_cellWidth) * c) >> 16);
        cell.advanceY = static_cast<std::int32_t>(-(static_cast<std::int64_t>(m_cellHeight) * s) >> 16);
    } else {
        cell.advanceX = m_cellWidth;
        cell.advanceY = 0;
    }
}

std::int32_t PictureGlyphSet::Load(const std::uint8_t* plane, std::int32_t pitch,
                                   std::int32_t width, std::int32_t height, std::int32_t count,
                                   std::int32_t cellWidth, std::int32_t cellHeight,
                                   std::uint8_t flags) {
    FreeCells();
    if (width < cellWidth || height < cellHeight) {
        return 2;
    }
    m_count = count;
    m_cellWidth = cellWidth;
    m_cellHeight = cellHeight;
    const std::int32_t perRow = width / cellWidth;
    std::int32_t next = 0;
    for (int set = 0; set < 2; ++set) {
        if (!(flags & (1 << set))) {
            continue;
        }
        if (set == 1 && next % perRow != 0) {
            next += perRow - next % perRow;
        }
        std::vector<Glyph>& cells = set == 0 ? m_grey : m_mono;
        cells.resize(count);
        for (std::int32_t i = 0; i < count; ++i, ++next) {
            const std::int32_t top = (next / perRow) * cellHeight;
            const std::int32_t left = (next % perRow) * cellWidth;
            if (top + cellHeight > height) {
                FreeCells();
                return 2;
            }
            Glyph& cell = cells[i];
            cell.width = cellWidth;
            cell.height = cellHeight;
            cell.pitch = (cellWidth + 3) & ~3;
            cell.bits = new std::uint8_t[cell.pitch * cellHeight]();
            for (std::int32_t r = 0; r < cellHeight; ++r) {
                std::memcpy(cell.bits + r * cell.pitch, plane + (top + r) * pitch + left, cellWidth);
            }
            SetPlacement(cell);
        }
        (set == 0 ? m_greyOutlines : m_monoOutlines).assign(count, nullptr);
    }
    return 0;
}

Glyph* PictureGlyphSet::Get(std::uint32_t number, std::int32_t level, bool outline) {
    if (number >= static_cast<std::uint32_t>(m_count)) {
        return nullptr;
    }
    const bool mono = level == 0 ? !m_mono.empty() : m_grey.empty();
    std::vector<Glyph>& cells = mono ? m_mono : m_grey;
    if (cells.empty()) {
        return nullptr;
    }
    if (!outline) {
        return &cells[number];
    }
    Glyph*& made = (mono ? m_monoOutlines : m_greyOutlines)[number];
    if (made == nullptr) {
        const Glyph& cell = cells[number];
        auto* g = new Glyph(cell);
        g->bits = new std::uint8_t[cell.pitch * cell.height];
        std::memcpy(g->bits, cell.bits, cell.pitch * cell.height);
        if (!SoftOutline(*g, m_strength, m_width, m_normaliser)) {
            ReleaseGlyph(g);
            return nullptr;
        }
        made = g;
    }
    return made;
}

void PictureGlyphSet::SetOutline(std::int32_t strength, std::int32_t width,
                                 std::int32_t normaliser) {
    m_strength = strength;
    m_width = width;
    m_normaliser = normaliser;
    FreeOutlines();
}

void PictureGlyphSet::Reorient(std::int32_t angle) {
    if (angle == escapement) {
        return;
    }
    escapement = angle;
    for (auto* cells : {&m_grey, &m_mono}) {
        for (Glyph& g : *cells) {
            SetPlacement(g);
        }
    }
    // Outline glyphs follow their cells when next made.
    FreeOutlines();
}
