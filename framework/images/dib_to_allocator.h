// Hands a decoded device-independent bitmap to the allocator of a decode: what the BMP loader
// and the image host's buffer path both end with.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/interfaces/image_plugin.h"

// Asks `allocator` for a buffer of the picture's size (8-bit with the colour table when
// `want8Bit`, else 32-bit pixels; with alpha when the DIB has 32 bits) and converts the pixels
// of `info` and `bits` (rows `bitsStride` bytes apart; `colours` table entries) into it.
// 0; kGllOutOfMemory when the buffer would pass kGllMaxImageBytes or the allocator gives
// none; kGllMissingArgument when its stride cannot hold a row; kGllConversionFailed.
std::int32_t CopyDibToAllocator(const BITMAPINFO* info, const std::uint8_t* bits,
                                std::int32_t bitsStride, std::uint32_t colours, bool want8Bit,
                                GllAllocator allocator, void* argument);
