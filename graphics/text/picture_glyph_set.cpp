#include "graphics/text/picture_glyph_set.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

#include "graphics/text/font.h"
#include "graphics/text/glyph_maths.h"

namespace {

std::int64_t CellPitch(std::int32_t cellWidth) {
    return (static_cast<std::int64_t>(cellWidth) + 3) & ~std::int64_t{3};
}

// The bytes of a cell, or 0 when no address range could hold them.
std::size_t CellBytes(std::int32_t cellWidth, std::int32_t cellHeight) {
    const std::int64_t bytes = CellPitch(cellWidth) * cellHeight;
    return bytes > PTRDIFF_MAX ? 0 : static_cast<std::size_t>(bytes);
}

}  // namespace

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
    if (count <= 0 || cellWidth <= 0 || cellHeight <= 0) {
        return -1;
    }
    if (width < cellWidth || height < cellHeight) {
        return 2;
    }
    // Every cell must fit before anything is allocated: the mono cells start on a fresh row.
    const std::int64_t perRow = width / cellWidth;
    const std::int64_t greySlots = (flags & 1) ? count : 0;
    std::int64_t slots = greySlots;
    if (flags & 2) {
        slots = (greySlots + perRow - 1) / perRow * perRow + count;
    }
    if (slots > 0 && ((slots - 1) / perRow + 1) * cellHeight > height) {
        return 2;
    }
    const std::size_t cellBytes = CellBytes(cellWidth, cellHeight);
    if (cellBytes == 0) {
        return 3;
    }
    const auto cellPitch = static_cast<std::int32_t>(CellPitch(cellWidth));
    m_count = count;
    m_cellWidth = cellWidth;
    m_cellHeight = cellHeight;
    std::int64_t next = 0;
    for (int set = 0; set < 2; ++set) {
        if (!(flags & (1 << set))) {
            continue;
        }
        if (set == 1) {
            next = (next + perRow - 1) / perRow * perRow;
        }
        std::vector<Glyph>& cells = set == 0 ? m_grey : m_mono;
        try {
            cells.resize(count);
            (set == 0 ? m_greyOutlines : m_monoOutlines).assign(count, nullptr);
        } catch (const std::bad_alloc&) {
            FreeCells();
            return 3;
        } catch (const std::length_error&) {
            FreeCells();
            return 3;
        }
        for (std::int32_t i = 0; i < count; ++i, ++next) {
            const std::ptrdiff_t top = static_cast<std::ptrdiff_t>(next / perRow) * cellHeight;
            const std::ptrdiff_t left = static_cast<std::ptrdiff_t>(next % perRow) * cellWidth;
            Glyph& cell = cells[i];
            cell.bits = new (std::nothrow) std::uint8_t[cellBytes]();
            if (cell.bits == nullptr) {
                FreeCells();
                return 3;
            }
            cell.width = cellWidth;
            cell.height = cellHeight;
            cell.pitch = cellPitch;
            for (std::int32_t r = 0; r < cellHeight; ++r) {
                std::memcpy(cell.bits + static_cast<std::ptrdiff_t>(r) * cellPitch,
                            plane + (top + r) * pitch + left, cellWidth);
            }
            SetPlacement(cell);
        }
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
        auto* g = new (std::nothrow) Glyph(cell);
        if (g == nullptr) {
            return nullptr;
        }
        g->extraRefs = 0;
        const std::size_t bytes = CellBytes(cell.width, cell.height);
        g->bits = new (std::nothrow) std::uint8_t[bytes];
        if (g->bits == nullptr) {
            delete g;
            return nullptr;
        }
        std::memcpy(g->bits, cell.bits, bytes);
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
