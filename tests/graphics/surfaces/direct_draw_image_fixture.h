// What the DirectDraw image tests share: Wine's DirectDraw at the normal level as the current
// device (32-bit display), the image-loader host with the built-in ELG (type 2) and BMP (type 1)
// loaders on a game folder, displays of other formats through the display shim, and fake surfaces
// handed out by the shim in place of Wine's.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/images/bmp_image_loader.h"
#include "framework/images/elg_image_loader.h"
#include "framework/images/image_loader_host.h"
#include "graphics/compose/pixel_format.h"
#include "graphics/device/direct_draw_device.h"
#include "graphics/surfaces/direct_draw_image.h"
#include "tests/framework/vfs_test_fixture.h"
#include "tests/support/dib_writer.h"
#include "tests/support/display_shim.h"
#include "tools/content/elg_writer.h"
#include "tests/support/fake_dd_surface.h"

namespace ddimage {

using Bytes = std::vector<std::uint8_t>;
using Units = std::vector<std::uint32_t>;

inline DDPIXELFORMAT Xrgb32() { return testsupport::RgbFormat(32, 0xFF0000, 0x00FF00, 0x0000FF, 0); }
inline DDPIXELFORMAT Argb32() { return testsupport::RgbFormat(32, 0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000); }
inline DDPIXELFORMAT Rgb24() { return testsupport::RgbFormat(24, 0xFF0000, 0x00FF00, 0x0000FF, 0); }
inline DDPIXELFORMAT Rgb555() { return testsupport::RgbFormat(16, 0x7C00, 0x03E0, 0x001F, 0); }
inline DDPIXELFORMAT Rgb565() { return testsupport::RgbFormat(16, 0xF800, 0x07E0, 0x001F, 0); }
inline DDPIXELFORMAT Argb1555() { return testsupport::RgbFormat(16, 0x7C00, 0x03E0, 0x001F, 0x8000); }
inline DDPIXELFORMAT Palette8() {
    DDPIXELFORMAT f = {};
    f.dwSize = sizeof(f);
    f.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
    f.dwRGBBitCount = 8;
    return f;
}

// A picture whose colour bytes code the position: 0x00RRGGBB top row first, alpha on top.
inline Units Picture(std::int32_t w, std::int32_t h, std::uint32_t alpha = 0) {
    Units out;
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x)
            out.push_back((alpha << 24) | (static_cast<std::uint32_t>(0x20 + 9 * y) << 16) |
                          (static_cast<std::uint32_t>(0x10 + 7 * x) << 8) |
                          static_cast<std::uint32_t>((x * 31 + y * 17) & 0xFF));
    return out;
}

inline Units Palette() {
    Units palette(256);
    for (std::uint32_t i = 0; i < 256; ++i) palette[i] = (i << 16) | ((255 - i) << 8) | ((i * 5) & 0xFF);
    return palette;
}

inline std::vector<std::uint8_t> Indices(std::int32_t w, std::int32_t h) {
    std::vector<std::uint8_t> out;
    for (std::int32_t i = 0; i < w * h; ++i) out.push_back(static_cast<std::uint8_t>(i * 11 + 3));
    return out;
}

inline Bytes ElgOf(std::uint8_t depth, std::int32_t w, std::int32_t h) {
    const auto width = static_cast<std::uint16_t>(w);
    const auto height = static_cast<std::uint16_t>(h);
    if (depth == 8) return testsupport::EncodeElgPicture(8, width, height, {}, Palette(), Indices(w, h));
    return testsupport::EncodeElgPicture(depth, width, height, Picture(w, h, depth == 32 ? 0x9A : 0));
}

inline Bytes BmpOf(std::int32_t w, std::int32_t h) {
    testsupport::DibLayout layout;
    layout.bitCount = 24;
    layout.width = w;
    const Units pixels = Picture(w, h);
    for (std::int32_t y = 0; y < h; ++y)
        layout.rows.emplace_back(pixels.begin() + y * w, pixels.begin() + (y + 1) * w);
    return testsupport::BmpFile(layout);
}

// Every pixel of the image, top row first, as GetPixel answers.
inline Units PixelsOf(DirectDrawImage& image) {
    Units out;
    for (std::int32_t y = 0; y < image.Height(); ++y)
        for (std::int32_t x = 0; x < image.Width(); ++x)
            out.push_back(static_cast<std::uint32_t>(image.GetPixel(x, y)));
    return out;
}

// Writes one raw pixel value of a surface.
inline bool PokePixel(IDirectDrawSurface7* surface, std::int32_t x, std::int32_t y, std::uint32_t value) {
    DDSURFACEDESC2 locked = {};
    locked.dwSize = sizeof(locked);
    if (surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr) != DD_OK) return false;
    const DWORD bytes = (locked.ddpfPixelFormat.dwRGBBitCount + 7) / 8;
    auto* p = static_cast<std::uint8_t*>(locked.lpSurface) + y * locked.lPitch + x * bytes;
    for (DWORD i = 0; i < bytes; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
    surface->Unlock(nullptr);
    return true;
}

// The source colour key a surface holds, or -1.
inline std::int64_t SurfaceKey(IDirectDrawSurface7* surface) {
    DDCOLORKEY key = {};
    if (surface->GetColorKey(DDCKEY_SRCBLT, &key) != DD_OK) return -1;
    return key.dwColorSpaceLowValue;
}

// A display of another format: the shim over Wine's object, adopted by a device of its own that
// is current while this lives.
class ShimmedDisplay {
public:
    ShimmedDisplay(IDirectDraw7* real, const DDPIXELFORMAT& format, std::uint8_t depth)
        : shim(real, format), m_previous(CurrentDirectDrawDevice) {
        device.AdoptDirectDraw(&shim, false);
        device.m_displayDepth = depth;
        CurrentDirectDrawDevice = &device;
    }
    ~ShimmedDisplay() {
        device.ReleaseDirectDraw();
        CurrentDirectDrawDevice = m_previous;
    }
    // Hands out fake surfaces of the asked size and format (rows without padding, so that
    // xRGB rows are four bytes a pixel) instead of Wine's; pictures over a million pixels are
    // refused as too large.
    void ServeFakes(int rowPadding = 0) {
        shim.makeSurface = [this, rowPadding](DDSURFACEDESC2* desc, IDirectDrawSurface7** out) -> HRESULT {
            if (std::uint64_t{desc->dwWidth} * desc->dwHeight > 1000000) return DDERR_OUTOFMEMORY;
            fakes.push_back(std::make_unique<testsupport::FakeDdSurface>(
                static_cast<int>(desc->dwWidth), static_cast<int>(desc->dwHeight), desc->ddpfPixelFormat,
                rowPadding));
            fakes.back()->acceptBlt = acceptBlt;
            fakes.back()->stillDrawing = stillDrawing;
            *out = fakes.back()->Interface();
            return DD_OK;
        };
    }
    testsupport::FakeDdSurface* LastFake() { return fakes.empty() ? nullptr : fakes.back().get(); }
    // Forgets the fakes that nothing holds any more: false when one of them was written outside
    // its pixels.
    bool DropReleased() {
        bool intact = true;
        for (auto it = fakes.begin(); it != fakes.end();) {
            if ((*it)->references == 0) {
                intact = (*it)->OnlyPixelsWritten() && intact;
                it = fakes.erase(it);
            } else {
                ++it;
            }
        }
        return intact;
    }

    testsupport::DisplayShim shim;
    DirectDrawDevice device;
    std::vector<std::unique_ptr<testsupport::FakeDdSurface>> fakes;
    // Given to each fake made from now on.
    bool acceptBlt = true;
    bool stillDrawing = false;

private:
    DirectDrawDevice* m_previous;
};

class DirectDrawImageFixture : public VfsTestBase {
protected:
    void SetUp() override {
        VfsTestBase::SetUp();
        ASSERT_EQ(0, m_device.CreateDirectDraw(false, false, nullptr, nullptr, 0, false, 0, 0, false, true, false));
        ASSERT_EQ(0, m_device.SetWindowedMode(false));
        // The screen device sets the depth; Wine's Xvfb display is 32 bits.
        m_device.m_displayDepth = 32;
        CurrentDirectDrawDevice = &m_device;
        ASSERT_EQ(0, m_host.RegisterBuiltin(new ElgImageLoader, ElgImageLoader::kExtensions,
                                            ElgImageLoader::kTypeString, 2, nullptr, nullptr, nullptr));
        ASSERT_EQ(0, m_host.RegisterBuiltin(new BmpImageLoader, BmpImageLoader::kExtensions,
                                            BmpImageLoader::kTypeString, 1, nullptr, nullptr, nullptr));
        g_imageLoaderHost = &m_host;
    }
    void TearDown() override {
        g_imageLoaderHost = nullptr;
        m_host.UnloadAll();
        CurrentDirectDrawDevice = nullptr;
        m_device.ReleaseDirectDraw();
        VfsTestBase::TearDown();
    }
    void Cache(bool on) { m_host.SetCacheLimit(on ? 16 : 0); }
    static LoadSource FromFile(const char* name) { return LoadSource{name, nullptr, 0, 0}; }
    static LoadSource FromData(const Bytes& data) {
        return LoadSource{nullptr, data.data(), static_cast<std::uint32_t>(data.size()), 0};
    }

    DirectDrawDevice m_device;
    ImageLoaderHost m_host;
};

}  // namespace ddimage
