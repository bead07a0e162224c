// The built-in loader of Windows bitmap files ("BM" with a 40-byte BITMAPINFOHEADER: 1, 4, 8,
// 16, 24 and 32 bits, uncompressed, RLE8, RLE4 and bit fields) and the program's BMP writer.
//
// The loader checks the file against its headers before it reads: a colour table longer than
// the depth allows, pixel data or RLE codes running past the end of the file, RLE runs leaving
// their row's padded bytes or the picture, and pictures too large for a 32-bit buffer are
// refused with a code.
// Top-down files (negative height) are read and delivered bottom-up like the others.
#pragma once

#include <cstdint>

#include "framework/interfaces/deleting_destructor.h"
#include "framework/interfaces/image_plugin.h"

class BmpImageLoader final : public WithDeletingDestructor<BmpImageLoader, ImageLoadObject> {
public:
    // What the application registers it under.
    static constexpr const char* kTypeString = "Bitmap format";
    static constexpr const char* kExtensions = "BMP\0";

    BmpImageLoader() = default;
    ~BmpImageLoader();
    BmpImageLoader(const BmpImageLoader&) = delete;
    BmpImageLoader& operator=(const BmpImageLoader&) = delete;

    bool XM_METHOD IsSupported(const void* data, std::uint32_t size, const char* name) override;
    std::int32_t XM_METHOD DecodeWithCallbacks(const void* data, std::uint32_t size,
                                               GllAllocator allocator, void* argument,
                                               std::uint8_t want8Bit, GllProgress progress,
                                               void* progressArgument) override;
    std::int32_t XM_METHOD DecodeToBuffers(const void* data, std::uint32_t size, HGLOBAL* outInfo,
                                           HGLOBAL* outBits, GllProgress progress,
                                           void* progressArgument) override;
    // Mode 0: an 8-bit source as 8 bits with a colour table (the palette given, or a grey
    // ramp), a 24-bit source as 24 bits, a 32-bit source as 24 bits. Mode 1: a 32-bit source
    // as 32 bits. Mode 2: the alpha bytes of a 32-bit source as a grey 8-bit picture. A
    // positive height reads the source top-down, a negative one bottom-up; the source stride
    // must hold a row's pixels.
    std::int32_t XM_METHOD Encode(std::int32_t mode, const void* pixels, std::int32_t width,
                                  std::int32_t height, std::int32_t bitDepth,
                                  std::int32_t sourceStride, GllWriter write, void* writeArgument,
                                  const std::uint32_t* palette, GllProgress progress,
                                  void* progressArgument) override;
    bool XM_METHOD CanEncode() override { return true; }

    // Expand RLE8 and RLE4 data into `height` bottom-up rows `stride` bytes apart: 0 at the
    // end-of-bitmap code; 2 at a delta code; 3 when the data ends first or a run goes beyond
    // its row's padded bytes or the last row.
    static std::int32_t DecodeRle8(std::uint8_t* bits, std::int32_t stride, std::int32_t height,
                                   const std::uint8_t* data, const std::uint8_t* end);
    static std::int32_t DecodeRle4(std::uint8_t* bits, std::int32_t stride, std::int32_t height,
                                   const std::uint8_t* data, const std::uint8_t* end);

private:
    // Decodes into new info and bits blocks held by the caller.
    std::int32_t Expand(const std::uint8_t* data, std::uint32_t size, HGLOBAL* outInfo,
                        HGLOBAL* outBits, std::uint32_t* outTotal, std::int32_t* outStride);
};
