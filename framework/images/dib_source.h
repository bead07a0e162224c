// The checked view of a device-independent bitmap that the DIB converters share: the rows in
// picture order whichever way the DIB stores them, and its colour table padded with zeros.
#pragma once

#include <windows.h>

#include <cstdint>

struct DibSource {
    std::int32_t bitCount;
    const std::uint8_t* topRow;  // the picture's top row
    std::int32_t rowStep;        // bytes from one picture row to the one below
    std::uint32_t tableSize;     // entries the DIB gives (at most 2^bitCount), 0 above 8 bits
    std::uint32_t table[256];    // the colour table, padded with zeros

    const std::uint8_t* Row(std::int32_t y) const { return topRow + rowStep * y; }
};

// Checks a width x height rectangle of the DIB from srcPoint (counted from the picture's top
// row) and fills source: false for a bit count other than 1, 4, 8, 16, 24 or 32, a compressed
// source, rows shorter than srcPitch allows, or a rectangle that does not lie inside the
// picture.
bool OpenDibSource(const BITMAPINFO* info, const std::uint8_t* bits, std::int32_t srcPitch,
                   POINT srcPoint, std::int32_t width, std::int32_t height, DibSource& source);
