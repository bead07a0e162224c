// A Surface over a heap buffer for the rectangle-operation tests: 32-bit or 8-bit pixels, rows
// top-down (positive pitch) or bottom-up (negative pitch), with padding after each row so that
// writes past a row's end show up.
#pragma once

#include <cstdint>
#include <vector>

#include "graphics/interfaces/surface.h"
#include "pixelops/interfaces/pixel_op_library.h"

namespace pixelopstest {

class TestSurface final : public Surface {
public:
    TestSurface(std::int32_t width, std::int32_t height, int pixelSize = 4, bool bottomUp = false);

    void* XM_METHOD DeletingDestructor(std::uint32_t flags) override;
    SurfaceKind XM_METHOD Kind() override { return kSurfacePixelBuffer; }
    std::int32_t XM_METHOD Width() override { return m_width; }
    std::int32_t XM_METHOD Height() override { return m_height; }
    std::int32_t XM_METHOD Pitch() override { return m_pitch; }
    RECT* XM_METHOD GetRect(RECT* out) override;
    std::uint8_t* XM_METHOD Bits() override { return m_bits; }
    std::uint8_t* XM_METHOD Row(std::int32_t y) override { return m_bits + y * m_pitch; }
    std::int32_t XM_METHOD SetColourKeyRgb(std::int32_t, std::int32_t, std::int32_t) override {
        return 0;
    }
    std::int32_t XM_METHOD SetColourKeyFromPixel(std::int32_t, std::int32_t) override { return 0; }
    std::int32_t XM_METHOD ColourKey() override { return m_colourKey; }
    std::int32_t XM_METHOD ClearColourKey() override { return 0; }
    std::int32_t XM_METHOD Restore(bool) override { return 0; }
    bool XM_METHOD SetClipRect(const RECT* rect) override;
    RECT* XM_METHOD GetClipRect(RECT* out) override;
    const RECT* XM_METHOD ClipRectPtr() override { return &m_clipRect; }
    bool XM_METHOD ClipToClipRect(RECT* rect) override;
    std::int32_t XM_METHOD OriginX() override { return m_originX; }
    std::int32_t XM_METHOD OriginY() override { return m_originY; }
    void XM_METHOD SetOriginX(std::int32_t x) override { m_originX = x; }
    void XM_METHOD SetOriginY(std::int32_t y) override { m_originY = y; }
    void XM_METHOD SetOwnerKey(std::uint32_t key) override { m_ownerKey = key; }
    std::uint32_t XM_METHOD OwnerKey() override { return m_ownerKey; }

    pixelops::Pixel& At(std::int32_t x, std::int32_t y) {
        return reinterpret_cast<pixelops::Pixel*>(Row(y))[x];
    }
    std::uint8_t& ByteAt(std::int32_t x, std::int32_t y) { return Row(y)[x]; }
    // Every pixel (or byte) in row order.
    std::vector<pixelops::Pixel> Pixels();
    std::vector<std::uint8_t> Bytes();
    void SetPixels(const std::vector<pixelops::Pixel>& pixels);
    // Fills with pseudo-random pixels (or bytes) from `seed`.
    void Randomise(std::uint32_t seed);
    void Fill(pixelops::Pixel value);
    // True when no byte of the row padding changed.
    bool PaddingIntact() const;

private:
    static constexpr std::uint8_t kPadding = 0xA5;
    static constexpr int kPadBytes = 12;

    int m_pixelSize;
    std::int32_t m_stride;
    std::vector<std::uint8_t> m_buffer;
    std::uint8_t* m_bits;
};

}  // namespace pixelopstest
