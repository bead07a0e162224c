// Copies of software pictures into locked DirectDraw surface memory, in any pixel format that
// PixelFormatCode names. The screens and the canvas present their back buffers with them; a
// caller that copies many rectangles locks once and passes the locked description to each call.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstdint>

class Image;

// Bytes per pixel of a format the converters write; 0 for a format they cannot write.
std::int32_t SurfaceBytesPerPixel(std::int32_t formatCode);

// Writes width x height 32-bit pixels from sourceBits into destination memory at
// (destinationX, destinationY). False, writing nothing, for a format without a converter.
bool ConvertArgbToSurface(std::int32_t formatCode, std::uint8_t* destinationBits,
                          std::int32_t destinationX, std::int32_t destinationY,
                          std::int32_t destinationPitch, const std::uint8_t* sourceBits,
                          std::int32_t sourcePitch, std::int32_t width, std::int32_t height);
// The same from palette indices through a 256-entry palette.
bool ConvertIndexedToSurface(std::int32_t formatCode, std::uint8_t* destinationBits,
                             std::int32_t destinationX, std::int32_t destinationY,
                             std::int32_t destinationPitch, const std::uint8_t* sourceBits,
                             std::int32_t sourcePitch, std::int32_t width, std::int32_t height,
                             const std::uint32_t* palette);

// Converts the part of image within the image's own clip rectangle and the locked surface's
// size into the locked memory, the image's (left, top) landing on (x + left, y + top). area is
// in image coordinates. An 8-bit image without a palette gets the grey one first. False when the
// palette cannot be made.
bool WriteImageToLockedSurface(const DDSURFACEDESC2& locked, std::int32_t formatCode, Image* image,
                               const RECT& area, std::int32_t x, std::int32_t y);

// Copies sourceRect of image (null: its clip rectangle) to (x, y) of surface, clipped to clipRect
// and to the surface. lockedDescription, when given, is the surface already locked. 0 copied or
// nothing visible; 1 no surface, no image or no pixels; 2 the surface cannot be locked or the
// palette cannot be made; 3 a format the converters cannot write (refused before locking).
std::int32_t CopyImageToSurface(IDirectDrawSurface7* surface, std::int32_t formatCode,
                                const RECT* clipRect, Image* image, std::int32_t x,
                                std::int32_t y, const RECT* sourceRect,
                                const DDSURFACEDESC2* lockedDescription);
