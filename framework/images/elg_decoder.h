// The ELG format's header and its two stream codes, decoded straight into each output layout
// the program needs (flat bytes, strided rows, bottom-up DIBs, 32-bit pixels, grey).
//
// Every decoder takes the stream's first code byte and the end of the data it may read, and
// produces exactly the number of units its output holds. It returns the position after the
// stream's end code, or null when the stream is broken: it runs past the data, ends before the
// output is full, would produce more units than the output holds, copies from before the first
// unit, or refers to the pixel left of the first column or right of the last one. After a
// failure the output holds whatever was decoded so far; nothing outside it was touched.
// Distances always count units in stream order, whatever the output layout.
#pragma once

#include <cstdint>

// Byte code: flat bytes.
const std::uint8_t* ElgDecode(const std::uint8_t* stream, const std::uint8_t* end,
                              std::uint8_t* destination, std::uint32_t count);
// Byte code: top-down rows of `width` bytes, `stride` bytes apart.
const std::uint8_t* ElgDecodeRows(const std::uint8_t* stream, const std::uint8_t* end,
                                  std::uint8_t* destination, std::uint32_t width,
                                  std::uint32_t height, std::int32_t stride);
// Byte code: an 8-bit bottom-up DIB (stream row 0 goes to the last buffer row).
const std::uint8_t* ElgDecodeIndexedDib(const std::uint8_t* stream, const std::uint8_t* end,
                                        std::uint8_t* bits, std::uint32_t width,
                                        std::uint32_t height, std::int32_t stride);
// Byte code: flat 32-bit pixels, the low 24 bits of palette[index] under `alpha`.
const std::uint8_t* ElgDecodeIndexed32(const std::uint8_t* stream, const std::uint8_t* end,
                                       std::uint32_t* destination, std::uint32_t count,
                                       const std::uint32_t* palette, std::uint8_t alpha);
// Byte code: the alpha bytes of flat 32-bit pixels.
const std::uint8_t* ElgDecodeAlpha(const std::uint8_t* stream, const std::uint8_t* end,
                                   std::uint32_t* destination, std::uint32_t count);
// Byte code: the alpha bytes of a bottom-up 32-bit DIB (rows of width × 4 bytes).
const std::uint8_t* ElgDecodeAlphaDib(const std::uint8_t* stream, const std::uint8_t* end,
                                      std::uint32_t* bits, std::uint32_t width,
                                      std::uint32_t height);
// Pixel code: 32-bit pixels blue, green, red, alpha 0, in top-down rows `stride` bytes apart.
const std::uint8_t* ElgDecodeRgb32(const std::uint8_t* stream, const std::uint8_t* end,
                                   std::uint8_t* destination, std::uint32_t width,
                                   std::uint32_t height, std::int32_t stride);
// Pixel code: a 24-bit bottom-up DIB.
const std::uint8_t* ElgDecodeRgb24Dib(const std::uint8_t* stream, const std::uint8_t* end,
                                      std::uint8_t* bits, std::uint32_t width,
                                      std::uint32_t height, std::int32_t stride);
// Pixel code: the colour bytes of a bottom-up 32-bit DIB (its alpha bytes are left alone).
const std::uint8_t* ElgDecodeRgb32Dib(const std::uint8_t* stream, const std::uint8_t* end,
                                      std::uint32_t* bits, std::uint32_t width,
                                      std::uint32_t height);
// Pixel code: flat grey (77 × red + 150 × green + 29 × blue) >> 8.
const std::uint8_t* ElgDecodeGray(const std::uint8_t* stream, const std::uint8_t* end,
                                  std::uint8_t* destination, std::uint32_t width,
                                  std::uint32_t height);
// Pixel code: the same grey in top-down rows.
const std::uint8_t* ElgDecodeGrayRows(const std::uint8_t* stream, const std::uint8_t* end,
                                      std::uint8_t* destination, std::uint32_t width,
                                      std::uint32_t height, std::int32_t stride);

// The header of an ELG file.
struct ElgHeader {
    std::uint32_t depth = 0;   // 8, 24 or 32
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::int32_t originX = 0;
    std::int32_t originY = 0;
    // The extra-block list without its final 0 marker (depth code 2 only), inside the data.
    const std::uint8_t* extraData = nullptr;
    std::uint32_t extraSize = 0;
    // Offset of the first stream.
    std::uint32_t streamOffset = 0;
};

// Reads the header: 0; 1 not an ELG file; 3 the header or its extra-block list does not fit
// in the data, a block is shorter than its own length word, or the depth is not 8, 24 or 32.
std::int32_t ElgReadHeader(const std::uint8_t* data, std::uint32_t size, ElgHeader* header);
// False when the streams after a header read from `size` bytes of data are too short to fill
// the picture even as the longest fills: such a file is refused before a buffer or surface of
// the size its header claims is made.
bool ElgStreamsCanFill(const ElgHeader& header, std::uint32_t size);
