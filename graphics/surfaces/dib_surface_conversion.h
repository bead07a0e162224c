// Conversion of a rectangle of a device-independent bitmap into locked DirectDraw surface memory
// of the 16- and 24-bit formats: RGB 5-5-5, RGB 5-6-5, RGB 24-bit (blue, green, red bytes), ARGB
// 1-5-5-5 and ARGB 4-4-4-4. They take the arguments of the 32-bit converters
// (framework/images/dib_conversion.h): dst is the first byte of the surface memory, dstRect where
// the pixels go (its size is the size converted), srcPoint the source pixel counted from the
// picture's top row. Bottom-up and top-down DIBs are both read. 1 converted; 0 nothing written:
// a bit count other than 1, 4, 8, 16, 24 or 32, a compressed source, or a rectangle that does
// not lie inside the source.
//
// Colours from a colour table, from 16-bit (read as 5-5-5) and from 24-bit sources are opaque in
// the alpha formats; a 32-bit source keeps the top bits of its fourth byte. A colour table gives
// at most 2^bits entries; an index without an entry writes 0.
#pragma once

#include <windows.h>

#include <cstdint>

std::int32_t ConvertDibTo555(std::uint8_t* dst, const RECT& dstRect, std::int32_t dstPitch,
                             const BITMAPINFO* info, const std::uint8_t* bits,
                             std::int32_t srcPitch, POINT srcPoint);
std::int32_t ConvertDibTo565(std::uint8_t* dst, const RECT& dstRect, std::int32_t dstPitch,
                             const BITMAPINFO* info, const std::uint8_t* bits,
                             std::int32_t srcPitch, POINT srcPoint);
std::int32_t ConvertDibTo24(std::uint8_t* dst, const RECT& dstRect, std::int32_t dstPitch,
                            const BITMAPINFO* info, const std::uint8_t* bits,
                            std::int32_t srcPitch, POINT srcPoint);
std::int32_t ConvertDibTo1555(std::uint8_t* dst, const RECT& dstRect, std::int32_t dstPitch,
                              const BITMAPINFO* info, const std::uint8_t* bits,
                              std::int32_t srcPitch, POINT srcPoint);
std::int32_t ConvertDibTo4444(std::uint8_t* dst, const RECT& dstRect, std::int32_t dstPitch,
                              const BITMAPINFO* info, const std::uint8_t* bits,
                              std::int32_t srcPitch, POINT srcPoint);
