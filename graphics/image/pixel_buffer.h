// PixelBuffer: the pixel storage of every software picture, a width x height array of 8-bit
// palette indices or 32-bit 0xAARRGGBB pixels, rows top-down and padded to 4 bytes. It lives
// either in a DIB section selected into a memory DC of its own (so GDI can draw into and blit
// from it) or in a heap block aligned to 8 bytes (for the MMX kernels).
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/interfaces/deleting_destructor.h"
#include "graphics/image/clipped_surface.h"

// Pictures whose pixel bytes would exceed this are refused as broken: sizes come from image
// files, and nothing the program draws comes near it.
constexpr std::int64_t kMaxPixelBytes = 0x20000000;

class PixelBuffer : public WithDeletingDestructor<PixelBuffer, ClippedSurface> {
public:
    PixelBuffer();
    ~PixelBuffer();

    PixelBuffer(const PixelBuffer&) = delete;
    PixelBuffer& operator=(const PixelBuffer&) = delete;

    SurfaceKind XM_METHOD Kind() override;
    std::uint8_t* XM_METHOD Bits() override;
    std::uint8_t* XM_METHOD Row(std::int32_t y) override;
    std::int32_t XM_METHOD SetColourKeyRgb(std::int32_t r, std::int32_t g, std::int32_t b) override;
    std::int32_t XM_METHOD SetColourKeyFromPixel(std::int32_t x, std::int32_t y) override;
    std::int32_t XM_METHOD ClearColourKey() override;
    // Another surface's key, taken as it is (-1: none).
    void SetColourKeyValue(std::int32_t key) { m_colourKey = key; }
    std::int32_t XM_METHOD Restore(bool onlyIfLost) override;

    // The one operation the memory surfaces add after the Surface table. 0 ok; 1 no storage, a
    // size <= 0 or one too large; 2 no storage for a larger picture (then the buffer is empty).
    // A heap buffer that is large enough keeps its block and its bytes as they lie; otherwise the
    // contents are lost.
    virtual std::int32_t XM_METHOD Resize(std::int32_t width, std::int32_t height);

    // 0 ok; 1 bad size or depth (width or height <= 0, depth < 8, or too many bytes);
    // 2 no storage. Frees the previous storage first.
    std::int32_t Create(std::int32_t width, std::int32_t height, std::uint8_t depth,
                        bool useDibSection);
    // Releases storage and palette; height, pitch, depth, clip rectangle and origin stay.
    void Free();

    // Copies count entries from entries[first] on into the palette at first on, up to index 255;
    // null entries give the grey ramp. 0 ok; 1 not 8-bit; 2 no memory for the palette; 3 first
    // outside 0..255 or a negative count.
    std::int32_t SetPalette(const std::uint32_t* entries, std::int32_t count, std::int32_t first);
    // update writes the whole palette into the DIB's colour table; callers set several entries
    // without it and the last one with it. False when there is no palette.
    bool SetPaletteEntry(std::uint8_t index, std::uint32_t entry, bool update);
    bool FillPalette(std::uint32_t entry, bool update);
    // The byte or the 32-bit pixel; 0xFFFFFFFF without pixels, outside the picture or at a depth
    // other than 8 and 32.
    std::uint32_t GetPixel(std::int32_t x, std::int32_t y) const;
    // The first index whose entry has exactly this red, green and blue; -1 for none.
    std::int32_t FindPaletteIndex(std::int32_t r, std::int32_t g, std::int32_t b) const;

    // Fills rect (null: the clip rectangle, a given one is cut to it): 8-bit pictures with the
    // low byte of value1, 32-bit ones with (value1 << 16) | (g << 8) | b, each part a byte.
    // *changed (may be null) receives what was drawn. False when nothing was drawn.
    bool FillRect(std::uint32_t value1, std::int32_t g, std::int32_t b, const RECT* rect,
                  RECT* changed);
    // 32-bit only: the whole pixel value, alpha included.
    bool FillValue(std::uint32_t pixel, const RECT* rect, RECT* changed);

    HDC MemoryDc() const { return m_memoryDc; }
    HBITMAP DibSection() const { return m_dibSection; }
    std::uint8_t Depth() const { return m_depth; }
    // 256 entries 0x00RRGGBB (blue, green, red, reserved), or null.
    const std::uint32_t* Palette() const { return m_palette; }
    std::int32_t BlockSize() const { return m_blockSize; }

protected:
    // Entry i of the grey ramp: what a palette shows where nothing else was set.
    static std::uint32_t GreyEntry(std::uint32_t i) { return i * 0x010101u; }
    // The pitch of a row of width pixels at depth bits, or -1 when the picture is too large.
    static std::int32_t PitchFor(std::int32_t width, std::int32_t height, std::uint8_t depth);
    // A top-down DIB section on a new memory DC; 8-bit ones get the grey colour table.
    static bool CreateDib(std::int32_t width, std::int32_t height, std::uint8_t depth, HDC* dc,
                          HBITMAP* bitmap, std::uint8_t** bits);
    // A heap block of pitch x height + 7 bytes and its first 8-byte aligned address.
    static bool CreateBlock(std::int32_t pitch, std::int32_t height, void** block,
                            std::uint8_t** bits, std::int32_t* blockSize);
    void WriteColourTable();
    bool AllocatePalette();

    HDC m_memoryDc = nullptr;
    HBITMAP m_dibSection = nullptr;
    void* m_block = nullptr;
    std::uint8_t* m_bits = nullptr;
    std::uint8_t m_depth = 0;
    std::uint32_t* m_palette = nullptr;
    std::int32_t m_blockSize = 0;
};
