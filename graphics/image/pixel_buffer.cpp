#include "graphics/image/pixel_buffer.h"

#include <cstdlib>
#include <new>

PixelBuffer::PixelBuffer() = default;

PixelBuffer::~PixelBuffer() { Free(); }

SurfaceKind PixelBuffer::Kind() { return kSurfacePixelBuffer; }

std::uint8_t* PixelBuffer::Bits() { return m_bits; }

std::uint8_t* PixelBuffer::Row(std::int32_t y) {
    if (!m_bits || static_cast<std::uint32_t>(y) >= static_cast<std::uint32_t>(m_height))
        return nullptr;
    return m_bits + y * m_pitch;
}

std::int32_t PixelBuffer::SetColourKeyRgb(std::int32_t r, std::int32_t g, std::int32_t b) {
    m_colourKey = m_depth == 8 ? FindPaletteIndex(r, g, b) : (r << 16) | (g << 8) | b;
    return m_colourKey == -1 ? 1 : 0;
}

std::int32_t PixelBuffer::SetColourKeyFromPixel(std::int32_t x, std::int32_t y) {
    m_colourKey = static_cast<std::int32_t>(GetPixel(x, y));
    return m_colourKey == -1 ? 1 : 0;
}

std::int32_t PixelBuffer::ClearColourKey() {
    m_colourKey = -1;
    return 0;
}

std::int32_t PixelBuffer::Restore(bool) { return 0; }

std::int32_t PixelBuffer::PitchFor(std::int32_t width, std::int32_t height, std::uint8_t depth) {
    const std::int64_t pitch =
        (static_cast<std::int64_t>(depth / 8) * width + 3) & ~std::int64_t{3};
    if (pitch * height > kMaxPixelBytes) return -1;
    return static_cast<std::int32_t>(pitch);
}

bool PixelBuffer::CreateDib(std::int32_t width, std::int32_t height, std::uint8_t depth, HDC* dc,
                            HBITMAP* bitmap, std::uint8_t** bits) {
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } info = {};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = -height;  // top-down
    info.header.biPlanes = 1;
    info.header.biBitCount = depth;
    info.header.biCompression = BI_RGB;
    if (depth == 8) {
        info.header.biClrUsed = 256;
        for (int i = 0; i < 256; ++i) {
            const BYTE v = static_cast<BYTE>(i);
            info.colours[i] = RGBQUAD{v, v, v, 0};
        }
    }
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* pixels = nullptr;
    HBITMAP dib = memory ? CreateDIBSection(memory, reinterpret_cast<BITMAPINFO*>(&info),
                                            DIB_RGB_COLORS, &pixels, nullptr, 0)
                         : nullptr;
    ReleaseDC(nullptr, screen);
    if (!dib) {
        if (memory) DeleteDC(memory);
        return false;
    }
    SelectObject(memory, dib);
    *dc = memory;
    *bitmap = dib;
    *bits = static_cast<std::uint8_t*>(pixels);
    return true;
}

bool PixelBuffer::CreateBlock(std::int32_t pitch, std::int32_t height, void** block,
                              std::uint8_t** bits, std::int32_t* blockSize) {
    const std::int32_t size = pitch * height + 7;
    void* memory = std::malloc(size);
    if (!memory) return false;
    *block = memory;
    *bits = reinterpret_cast<std::uint8_t*>((reinterpret_cast<std::uintptr_t>(memory) + 7) &
                                            ~std::uintptr_t{7});
    *blockSize = size;
    return true;
}

std::int32_t PixelBuffer::Create(std::int32_t width, std::int32_t height, std::uint8_t depth,
                                 bool useDibSection) {
    Free();
    if (width <= 0 || height <= 0 || depth < 8) return 1;
    const std::int32_t pitch = PitchFor(width, height, depth);
    if (pitch < 0) return 1;
    if (useDibSection) {
        if (!CreateDib(width, height, depth, &m_memoryDc, &m_dibSection, &m_bits)) return 2;
    } else if (!CreateBlock(pitch, height, &m_block, &m_bits, &m_blockSize)) {
        return 2;
    }
    m_depth = depth;
    m_width = width;
    m_height = height;
    m_pitch = pitch;
    GetRect(&m_clipRect);
    return 0;
}

void PixelBuffer::Free() {
    if (m_memoryDc) {
        DeleteDC(m_memoryDc);
        m_memoryDc = nullptr;
        if (m_dibSection) DeleteObject(m_dibSection);
        m_dibSection = nullptr;
    } else {
        std::free(m_block);
        m_block = nullptr;
    }
    m_bits = nullptr;
    delete[] m_palette;
    m_palette = nullptr;
    m_width = 0;
    m_blockSize = 0;
    m_colourKey = -1;
}

std::int32_t PixelBuffer::Resize(std::int32_t width, std::int32_t height) {
    if (!m_bits || width <= 0 || height <= 0) return 1;
    if (width == m_width && height == m_height) return 0;
    if (m_memoryDc) return Create(width, height, m_depth, true);
    const std::int32_t pitch = PitchFor(width, height, m_depth);
    if (pitch < 0) return 1;
    if (pitch * height + 7 > m_blockSize) return Create(width, height, m_depth, false);
    m_pitch = pitch;
    m_height = height;
    m_width = width;
    GetRect(&m_clipRect);
    return 0;
}

bool PixelBuffer::AllocatePalette() {
    if (m_palette) return true;
    m_palette = new (std::nothrow) std::uint32_t[256];
    if (!m_palette) return false;
    // A palette that is only partly set shows the same grey as a new DIB's colour table.
    for (std::uint32_t i = 0; i < 256; ++i) m_palette[i] = GreyEntry(i);
    return true;
}

void PixelBuffer::WriteColourTable() {
    if (m_memoryDc && m_palette)
        SetDIBColorTable(m_memoryDc, 0, 256, reinterpret_cast<const RGBQUAD*>(m_palette));
}

std::int32_t PixelBuffer::SetPalette(const std::uint32_t* entries, std::int32_t count,
                                     std::int32_t first) {
    if (m_depth != 8) return 1;
    if (entries && (first < 0 || first > 255 || count < 0)) return 3;
    if (!AllocatePalette()) return 2;
    if (!entries) {
        for (std::uint32_t i = 0; i < 256; ++i) m_palette[i] = GreyEntry(i);
    } else {
        const std::int32_t end = count < 256 - first ? first + count : 256;
        for (std::int32_t i = first; i < end; ++i) m_palette[i] = entries[i];
    }
    WriteColourTable();
    return 0;
}

bool PixelBuffer::SetPaletteEntry(std::uint8_t index, std::uint32_t entry, bool update) {
    if (!m_palette) return false;
    m_palette[index] = entry;
    // Written even when this entry did not change: the entries set before it without update
    // must still reach the colour table.
    if (update) WriteColourTable();
    return true;
}

bool PixelBuffer::FillPalette(std::uint32_t entry, bool update) {
    if (!m_palette) return false;
    for (int i = 0; i < 256; ++i) m_palette[i] = entry;
    if (update) WriteColourTable();
    return true;
}

std::uint32_t PixelBuffer::GetPixel(std::int32_t x, std::int32_t y) const {
    if (!m_bits || static_cast<std::uint32_t>(x) >= static_cast<std::uint32_t>(m_width) ||
        static_cast<std::uint32_t>(y) >= static_cast<std::uint32_t>(m_height)) {
        return 0xFFFFFFFFu;
    }
    const std::uint8_t* row = m_bits + y * m_pitch;
    if (m_depth == 8) return row[x];
    if (m_depth == 32) return reinterpret_cast<const std::uint32_t*>(row)[x];
    return 0xFFFFFFFFu;
}

std::int32_t PixelBuffer::FindPaletteIndex(std::int32_t r, std::int32_t g, std::int32_t b) const {
    if (!m_palette) return -1;
    if (r < 0 || r > 255 || g < 0 || g > 255 || b < 0 || b > 255) return -1;
    const std::uint32_t colour = (static_cast<std::uint32_t>(r) << 16) |
                                 (static_cast<std::uint32_t>(g) << 8) |
                                 static_cast<std::uint32_t>(b);
    for (std::int32_t i = 0; i < 256; ++i) {
        if ((m_palette[i] & 0x00FFFFFFu) == colour) return i;
    }
    return -1;
}
