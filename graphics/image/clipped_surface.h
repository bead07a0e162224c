// ClippedSurface: the common base of every concrete surface. It answers the field accessors and
// the two clip-rectangle operations of Surface; the storage-dependent operations (Kind, Bits,
// Row, the colour key, Restore) and the deleting destructor stay with the concrete classes.
#pragma once

#include "graphics/interfaces/surface.h"

class ClippedSurface : public Surface {
public:
    std::int32_t XM_METHOD Width() override;
    std::int32_t XM_METHOD Height() override;
    std::int32_t XM_METHOD Pitch() override;
    RECT* XM_METHOD GetRect(RECT* out) override;
    std::int32_t XM_METHOD ColourKey() override;
    bool XM_METHOD SetClipRect(const RECT* rect) override;
    RECT* XM_METHOD GetClipRect(RECT* out) override;
    const RECT* XM_METHOD ClipRectPtr() override;
    bool XM_METHOD ClipToClipRect(RECT* rect) override;
    std::int32_t XM_METHOD OriginX() override;
    std::int32_t XM_METHOD OriginY() override;
    void XM_METHOD SetOriginX(std::int32_t x) override;
    void XM_METHOD SetOriginY(std::int32_t y) override;
    void XM_METHOD SetOwnerKey(std::uint32_t key) override;
    std::uint32_t XM_METHOD OwnerKey() override;

protected:
    ClippedSurface() = default;
    ~ClippedSurface() = default;
};
