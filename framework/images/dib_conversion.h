// Conversion of a rectangle of a device-independent bitmap (header, colour table, bits, as
// decoders, plug-ins and GDI hand them over) into the software image's pixel storage.
//
// The destination pointer addresses the top row of the destination; dstRect selects where the
// pixels go. srcPoint is the top-left source pixel, counted from the top row of the picture;
// srcPitch is the DIB's row length in bytes. Bottom-up DIBs (positive biHeight) and top-down
// ones (negative biHeight) are both read. The answer is 1 when converted and 0 when nothing was
// written: a bit count other than 1, 4, 8, 16, 24 or 32, a compressed source, or a rectangle
// that does not lie inside the source.
//
// 16-bit pixels are read as 5-5-5 whatever the header says. Colour tables may be shorter than
// the bit count allows (biClrUsed); missing entries read as zero, and so does any index past
// the table.
#pragma once

#include <windows.h>

#include <cstdint>

// 32-bit ARGB with opaque alpha (a 32-bit source keeps its fourth byte).
std::int32_t ConvertDibToArgb(std::uint32_t* dst, const RECT& dstRect, std::int32_t dstPitch,
                              const BITMAPINFO* info, const std::uint8_t* bits,
                              std::int32_t srcPitch, POINT srcPoint);
// 32-bit RGB with alpha 0 (palette entries are copied whole, their reserved byte included).
std::int32_t ConvertDibTo32(std::uint32_t* dst, const RECT& dstRect, std::int32_t dstPitch,
                            const BITMAPINFO* info, const std::uint8_t* bits, std::int32_t srcPitch,
                            POINT srcPoint);
// 8-bit: indices of palettised sources, grey of the others.
std::int32_t ConvertDibTo8(std::uint8_t* dst, const RECT& dstRect, std::int32_t dstPitch,
                           const BITMAPINFO* info, const std::uint8_t* bits, std::int32_t srcPitch,
                           POINT srcPoint);
