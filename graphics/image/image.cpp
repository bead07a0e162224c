#include "graphics/image/image.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "graphics/image/pixel_math.h"

Image::Image() = default;

Image::~Image() { Free(); }

std::int32_t Image::Resize(std::int32_t width, std::int32_t height) {
    const std::int32_t result = PixelBuffer::Resize(width, height);
    // Rows may have moved to a new block or to a new pitch: the table must not keep the old
    // addresses.
    if (m_rowTable) {
        if (m_bits) {
            BuildRowTable();
        } else {
            delete[] m_rowTable;
            m_rowTable = nullptr;
        }
    }
    return result;
}

std::int32_t Image::Create(std::int32_t width, std::int32_t height, std::uint8_t depth,
                           std::uint8_t flags) {
    Free();
    if (depth != 8 && depth != 32) return 1;
    const std::int32_t result =
        PixelBuffer::Create(width, height, depth, (flags & kImageDibSection) != 0);
    if (result != 0) return result == 1 ? 1 : 2;
    if (flags & kImageDirtyRegion) {
        m_ownedDirtyRegion = new (std::nothrow) DirtyRegion();
        if (!m_ownedDirtyRegion) {
            Free();
            return 3;
        }
        m_dirtyRegion = m_ownedDirtyRegion;
    }
    return 0;
}

void Image::Free() {
    DropSavedPalette();
    delete m_ownedDirtyRegion;
    m_ownedDirtyRegion = nullptr;
    m_dirtyRegion = nullptr;
    delete[] m_rowTable;
    m_rowTable = nullptr;
    std::free(m_extraData);
    m_extraData = nullptr;
    m_extraDataSize = 0;
    PixelBuffer::Free();
    m_hasAlpha = 0;
    m_modified = 0;
}

std::int32_t Image::CopyFrom(const Image* source, std::uint8_t flags) {
    if (!source || !source->m_bits) return 1;
    // Creating the new storage would free the source.
    if (source == this) return 0;
    const std::uint8_t storage =
        flags == kImageLikeSource
            ? static_cast<std::uint8_t>((source->m_dirtyRegion ? kImageDirtyRegion : 0) |
                                        (source->m_memoryDc ? kImageDibSection : 0))
            : static_cast<std::uint8_t>(flags & kImageDibSection);
    if (Create(source->m_width, source->m_height, source->m_depth, storage) != 0) return 2;
    if (m_depth == 8 && !TakePalette(source)) {
        Free();
        return 3;
    }
    std::memcpy(m_bits, source->m_bits, static_cast<std::size_t>(m_pitch) * m_height);
    m_colourKey = source->m_colourKey;
    m_originX = source->m_originX;
    m_originY = source->m_originY;
    m_hasAlpha = source->m_hasAlpha;
    return 0;
}

bool Image::TakePalette(const Image* source) {
    if (!source->m_palette) return true;
    if (!m_palette) {
        m_palette = new (std::nothrow) std::uint32_t[256];
        if (!m_palette) return false;
    }
    std::memcpy(m_palette, source->m_palette, 256 * sizeof(std::uint32_t));
    WriteColourTable();
    return true;
}

void Image::DropSavedPalette() {
    delete[] m_savedPalette;
    m_savedPalette = nullptr;
}

void Image::MarkChanged(const RECT& rect) {
    if (m_dirtyRegion) m_dirtyRegion->Add(rect);
    m_modified = 1;
}

std::int32_t Image::SetPalette(const std::uint32_t* entries, std::int32_t count,
                               std::int32_t first) {
    const std::int32_t result = PixelBuffer::SetPalette(entries, count, first);
    if (result == 0) MarkChanged(RECT{0, 0, m_width, m_height});
    return result;
}

bool Image::SetPaletteEntry(std::uint8_t index, std::uint32_t entry, bool update) {
    if (!PixelBuffer::SetPaletteEntry(index, entry, update)) return false;
    if (update) MarkChanged(RECT{0, 0, m_width, m_height});
    return true;
}

bool Image::FillPalette(std::uint32_t entry, bool update) {
    if (!PixelBuffer::FillPalette(entry, update)) return false;
    if (update) MarkChanged(RECT{0, 0, m_width, m_height});
    return true;
}

bool Image::CopyPalette(const Image* source) {
    if (!source || source->m_depth > 8 || m_depth > 8) return false;
    if (!source->m_palette) return true;
    if (!TakePalette(source)) return false;
    MarkChanged(RECT{0, 0, m_width, m_height});
    return true;
}

bool Image::SetPixel(std::int32_t x, std::int32_t y, std::uint32_t value) {
    if (!m_bits || static_cast<std::uint32_t>(x) >= static_cast<std::uint32_t>(m_width) ||
        static_cast<std::uint32_t>(y) >= static_cast<std::uint32_t>(m_height)) {
        return false;
    }
    std::uint8_t* row = m_bits + y * m_pitch;
    if (m_depth == 8) {
        row[x] = static_cast<std::uint8_t>(value);
    } else if (m_depth == 32) {
        reinterpret_cast<std::uint32_t*>(row)[x] = value;
    } else {
        return false;
    }
    MarkChanged(RECT{x, y, x + 1, y + 1});
    return true;
}

std::int32_t Image::BuildRowTable() {
    if (!m_bits) return 1;
    delete[] m_rowTable;
    m_rowTable = new (std::nothrow) std::uint8_t*[m_height];
    if (!m_rowTable) return 2;
    for (std::int32_t y = 0; y < m_height; ++y) m_rowTable[y] = m_bits + y * m_pitch;
    return 0;
}

void Image::AdoptExtraData(void* data, std::int32_t size) {
    std::free(m_extraData);
    m_extraData = data;
    m_extraDataSize = data ? size : 0;
}

std::int32_t Image::ConvertDepth(std::uint8_t depth) {
    if (!m_bits) return 1;
    if (depth == m_depth || (depth != 8 && depth != 32)) return 2;
    const std::int32_t width = m_width;
    const std::int32_t height = m_height;
    const std::int32_t pitch = PitchFor(width, height, depth);
    if (pitch < 0) return 3;

    HDC dc = nullptr;
    HBITMAP dib = nullptr;
    void* block = nullptr;
    std::uint8_t* bits = nullptr;
    std::int32_t blockSize = 0;
    if (m_memoryDc) {
        if (!CreateDib(width, height, depth, &dc, &dib, &bits)) return 3;
    } else if (!CreateBlock(pitch, height, &block, &bits, &blockSize)) {
        return 3;
    }

    std::int32_t colourKey = -1;
    if (depth == 32) {
        std::uint32_t table[256];
        for (std::uint32_t i = 0; i < 256; ++i)
            table[i] = m_palette ? m_palette[i] & 0x00FFFFFFu : GreyEntry(i);
        for (std::int32_t y = 0; y < height; ++y) {
            const std::uint8_t* from = m_bits + y * m_pitch;
            std::uint32_t* to = reinterpret_cast<std::uint32_t*>(bits + y * pitch);
            for (std::int32_t x = 0; x < width; ++x) to[x] = table[from[x]];
        }
        if (m_colourKey >= 0 && m_colourKey < 256)
            colourKey = static_cast<std::int32_t>(table[m_colourKey]);
    } else {
        for (std::int32_t y = 0; y < height; ++y) {
            const std::uint32_t* from =
                reinterpret_cast<const std::uint32_t*>(m_bits + y * m_pitch);
            std::uint8_t* to = bits + y * pitch;
            for (std::int32_t x = 0; x < width; ++x) {
                const std::uint32_t p = from[x];
                to[x] = static_cast<std::uint8_t>(
                    pixel_math::Grey((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
            }
        }
    }

    DirtyRegion* owned = m_ownedDirtyRegion;
    DirtyRegion* dirty = m_dirtyRegion;
    m_ownedDirtyRegion = nullptr;
    m_dirtyRegion = nullptr;
    Free();
    m_memoryDc = dc;
    m_dibSection = dib;
    m_block = block;
    m_bits = bits;
    m_blockSize = blockSize;
    m_pitch = pitch;
    m_depth = depth;
    m_colourKey = colourKey;
    m_width = width;
    m_height = height;
    m_ownedDirtyRegion = owned;
    m_dirtyRegion = dirty;
    MarkChanged(RECT{0, 0, width, height});
    return 0;
}
