// DecodedImage: a decoded picture as a device-independent bitmap in two GlobalAlloc blocks (the
// BITMAPINFOHEADER with its colour table, and the bits), with the picture's origin and the
// format's extra data. The image-loader host makes them and its cache shares them: each holder
// releases its reference with ReleaseObject, and the last one frees the blocks.
// Blocks from a plug-in are checked on the way in, so the header always describes what the
// bits block holds.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/interfaces/holder_count.h"

class DecodedImage : public HolderCount {
public:
    // Takes over both blocks: a new image holding them, or null (the blocks freed) when the
    // header is not a 40-byte uncompressed 1-, 4-, 8-, 16-, 24- or 32-bit header with its colour
    // table right after it, or the blocks are too small for what it describes.
    static DecodedImage* Create(HGLOBAL info, HGLOBAL bits);

    DecodedImage(const DecodedImage&) = delete;
    DecodedImage& operator=(const DecodedImage&) = delete;

    const BITMAPINFO* Info() const { return static_cast<const BITMAPINFO*>(m_info); }
    const std::uint8_t* Bits() const { return static_cast<const std::uint8_t*>(m_bits); }
    std::int32_t Width() const { return Info()->bmiHeader.biWidth; }
    // Rows, whatever the direction the header gives.
    std::int32_t Height() const;
    std::int32_t BitCount() const { return Info()->bmiHeader.biBitCount; }
    // Entries of the colour table (0 above 8 bits).
    std::uint32_t Colours() const { return m_colours; }
    std::int32_t Stride() const { return m_stride; }
    // Both blocks together, in bytes: what the picture costs in the cache.
    std::uint32_t TotalSize() const { return m_totalSize; }

    void SetOrigin(std::int32_t x, std::int32_t y) {
        m_originX = x;
        m_originY = y;
    }
    std::int32_t OriginX() const { return m_originX; }
    std::int32_t OriginY() const { return m_originY; }
    // Takes over a GlobalAlloc block of extra data (freeing the one held before).
    void SetExtraData(void* data, std::uint32_t size);
    // The extra data or null; with `release` set the caller owns it from now on.
    void* TakeExtraData(bool release);
    std::uint32_t ExtraDataSize() const { return m_extraSize; }

private:
    friend void ReleaseObject(DecodedImage* image);
    DecodedImage() = default;
    ~DecodedImage();

    HGLOBAL m_info = nullptr;
    HGLOBAL m_bits = nullptr;
    std::uint32_t m_totalSize = 0;
    std::int32_t m_stride = 0;
    std::uint32_t m_colours = 0;
    std::int32_t m_originX = 0;
    std::int32_t m_originY = 0;
    void* m_extraData = nullptr;
    std::uint32_t m_extraSize = 0;
};

// Releases one holder of a decoded image (null is allowed).
void ReleaseObject(DecodedImage* image);
