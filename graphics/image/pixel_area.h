// A clipped rectangle of a 32-bit picture as the rectangle kernels take it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "graphics/interfaces/surface.h"

struct PixelArea32 {
    std::uint32_t* first;
    std::int32_t width;
    std::int32_t height;
    std::int32_t pitch;
    std::int32_t skip;  // from the end of one row to the start of the next

    PixelArea32(Surface& surface, const RECT& area)
        : first(reinterpret_cast<std::uint32_t*>(surface.Row(area.top)) + area.left),
          width(area.right - area.left),
          height(area.bottom - area.top),
          pitch(surface.Pitch()),
          skip(pitch - width * 4) {}
};
