// DeviceSurface: the base of the surfaces whose shown pixels live in a DirectDraw surface that
// the program does not address outside a lock (the DirectDraw screen, the movie frame surface):
// Bits and Row give null, ColourKey the key field; the rest of the storage-dependent operations
// and GetSurface belong to the concrete class.
#pragma once

#include "graphics/image/direct_draw_backed.h"

class DeviceSurface : public DirectDrawBacked {
public:
    std::uint8_t* XM_METHOD Bits() override { return nullptr; }
    std::uint8_t* XM_METHOD Row(std::int32_t) override { return nullptr; }
    std::int32_t XM_METHOD ColourKey() override { return m_colourKey; }

protected:
    DeviceSurface() = default;
    ~DeviceSurface() = default;
};
