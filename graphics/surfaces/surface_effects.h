// Blits between DirectDraw surfaces clipped to a rectangle, and the invert and mosaic effects on
// locked surface memory of any PixelFormatCode: what the screen transitions and the text texture
// use when they draw into DirectDraw surfaces. Rectangles have exclusive right and bottom.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstdint>

// Which bits InvertSurfaceMemory flips.
enum InvertMode : std::uint8_t {
    kInvertColour = 0,
    kInvertAll = 1,
    kInvertAlpha = 2,
};

// Where MosaicSurfaceMemory lays its grid of cells; any other value is taken as centred.
enum MosaicAnchor : std::uint8_t {
    kMosaicCentred = 0,
    kMosaicTopLeft = 1,
    kMosaicTopRight = 2,
    kMosaicBottomLeft = 3,
    kMosaicBottomRight = 4,
};

// sourceRect of source drawn with its top-left at (x, y) of destination, what leaves clipRect
// cut away. colourKey other than -1 draws with the source's own colour key (the one set on the
// source surface). 0 drawn or nothing visible; 1 a pointer argument is null; 2 DirectDraw
// refused.
std::int32_t BltFastClipped(IDirectDrawSurface7* destination, IDirectDrawSurface7* source,
                            std::int32_t x, std::int32_t y, const RECT* sourceRect,
                            const RECT* clipRect, std::int32_t colourKey);
// The same stretched to size (null: sourceRect's own size); the source is trimmed in
// proportion to what the clip cuts from the drawn rectangle.
std::int32_t BltClipped(IDirectDrawSurface7* destination, IDirectDrawSurface7* source,
                        const SIZE* size, std::int32_t x, std::int32_t y, const RECT* sourceRect,
                        const RECT* clipRect, std::int32_t colourKey);

// bits and pitch: the locked surface memory, locked and unlocked by the caller. When clip is
// given it receives its intersection with rect, and that is the area worked on.
//
// Flips the mode's bits of every pixel of the area: 0; 1 bits or rect null, the alpha mode on a
// format without alpha (codes 1 to 32), or any mode but the colour one on 5-5-5 and 5-6-5 (their
// pixels have no bits beyond the colour); -1 rect lies outside clip; 2 a format without an
// inverter (8-bit and unrecognised formats).
std::int32_t InvertSurfaceMemory(std::uint8_t mode, std::int32_t formatCode, std::uint8_t* bits,
                                 std::int32_t pitch, const RECT* rect, RECT* clip);
// Replaces every cell of cellSize x cellSize pixels of the area by the pixel at its top-left:
// 0 (also when there is nothing to do: an area 2 pixels wide or high or less, cells of 1
// pixel); 1 bits or rect null; -1 outside clip; 2 a format without a mosaic.
std::int32_t MosaicSurfaceMemory(std::int32_t formatCode, std::uint8_t* bits, std::int32_t pitch,
                                 const RECT* rect, RECT* clip, std::int32_t cellSize,
                                 std::uint8_t anchor);
