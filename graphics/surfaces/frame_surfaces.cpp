#include "graphics/surfaces/frame_surfaces.h"

#include "graphics/compose/pixel_format.h"
#include "graphics/device/direct_draw_device.h"

namespace {

// Bytes of a row of width pixels, rounded up to four; -1 beyond what a row may hold.
std::int64_t RowPitch(std::int32_t width, std::int32_t bitsPerPixel) {
    const std::int64_t pitch = (static_cast<std::int64_t>(width) * bitsPerPixel + 31) / 32 * 4;
    return pitch > 0x7FFFFFFF ? -1 : pitch;
}

// The block stays below 2 GiB so that every offset into it fits the int32 fields.
constexpr std::int64_t kLargestBlock = 0x7FFFFFFF;

}  // namespace

MemoryPixelSurface::~MemoryPixelSurface() { FreeBlock(); }

void MemoryPixelSurface::FreeBlock() {
    if (m_pixels) GlobalFree(m_pixels);
    m_pixels = nullptr;
    m_colourKey = -1;
    m_width = 0;
    m_allocatedSize = 0;
}

std::int32_t MemoryPixelSurface::Create(std::int32_t width, std::int32_t height,
                                        std::int32_t bitsPerPixel) {
    FreeBlock();
    if (width <= 0 || height <= 0 || bitsPerPixel < 8 || bitsPerPixel > 255) return 1;
    const std::int64_t pitch = RowPitch(width, bitsPerPixel);
    const std::int64_t size = pitch * height;
    if (pitch < 0 || size > kLargestBlock) return 2;
    m_pixels = static_cast<std::uint8_t*>(GlobalAlloc(GMEM_FIXED, static_cast<SIZE_T>(size)));
    if (!m_pixels) return 2;
    m_bitsPerPixel = static_cast<std::uint8_t>(bitsPerPixel);
    m_width = width;
    m_height = height;
    m_pitch = static_cast<std::int32_t>(pitch);
    m_allocatedSize = static_cast<std::int32_t>(size);
    m_clipRect = RECT{0, 0, width, height};
    return 0;
}

std::int32_t MemoryPixelSurface::Resize(std::int32_t width, std::int32_t height) {
    if (!m_pixels || width <= 0 || height <= 0) return 1;
    if (width == m_width && height == m_height) return 0;
    const std::int64_t pitch = RowPitch(width, m_bitsPerPixel);
    if (pitch < 0 || pitch * height > m_allocatedSize) return Create(width, height, m_bitsPerPixel);
    m_width = width;
    m_height = height;
    m_pitch = static_cast<std::int32_t>(pitch);
    m_clipRect = RECT{0, 0, width, height};
    return 0;
}

std::uint8_t* MemoryPixelSurface::Row(std::int32_t y) {
    if (!m_pixels || static_cast<std::uint32_t>(y) >= static_cast<std::uint32_t>(m_height))
        return nullptr;
    return m_pixels + static_cast<std::int64_t>(y) * m_pitch;
}

std::int32_t MemoryPixelSurface::GetPixel(std::int32_t x, std::int32_t y) {
    if (!m_pixels || x < 0 || y < 0 || x >= m_width || y >= m_height) return -1;
    const std::uint8_t* row = Row(y);
    switch (m_bitsPerPixel) {
    case 8:
        return row[x];
    case 16:
        return reinterpret_cast<const std::uint16_t*>(row)[x];
    case 32:
        return static_cast<std::int32_t>(reinterpret_cast<const std::uint32_t*>(row)[x]);
    default:
        return -1;
    }
}

std::int32_t MemoryPixelSurface::SetColourKeyRgb(std::int32_t r, std::int32_t g, std::int32_t b) {
    r &= 0xFF;
    g &= 0xFF;
    b &= 0xFF;
    switch (m_bitsPerPixel) {
    case 8:
        m_colourKey = r;
        return 0;
    case 16:
        m_colourKey = ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
        return 0;
    case 32:
        m_colourKey = (r << 16) | (g << 8) | b;
        return 0;
    default:
        return m_colourKey == -1 ? 1 : 0;
    }
}

std::int32_t MemoryPixelSurface::SetColourKeyFromPixel(std::int32_t x, std::int32_t y) {
    m_colourKey = GetPixel(x, y);
    return m_colourKey == -1 ? 1 : 0;
}

VideoFrameSurface::VideoFrameSurface(DirectDrawDevice* device) {
    if (device) CurrentDirectDrawDevice = device;
    m_device = CurrentDirectDrawDevice;
}

VideoFrameSurface::~VideoFrameSurface() { ReleaseSurface(); }

void VideoFrameSurface::ReleaseSurface() {
    if (m_surface) m_surface->Release();
    m_surface = nullptr;
    m_memory = nullptr;
    m_formatCode = 0;
}

std::int32_t VideoFrameSurface::Create(std::int32_t width, std::int32_t height) {
    ReleaseSurface();
    if (!m_device || width < 1 || height < 1) return 1;
    IDirectDraw7* directDraw = m_device->DirectDraw();
    if (!directDraw) return 2;
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    desc.dwWidth = static_cast<DWORD>(width);
    desc.dwHeight = static_cast<DWORD>(height);
    // Odd rows of three-byte pixels would not end on a word.
    if ((width & 1) && m_device->m_displayDepth == 24) desc.dwWidth += 1;
    IDirectDrawSurface7* surface = nullptr;
    if (FAILED(directDraw->CreateSurface(&desc, &surface, nullptr)) || !surface) return 3;

    DDSURFACEDESC2 locked = {};
    locked.dwSize = sizeof(locked);
    if (FAILED(surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr)) || !locked.lpSurface) {
        surface->Release();
        return 4;
    }
    m_surface = surface;
    m_pitch = locked.lPitch;
    m_memory = static_cast<std::uint8_t*>(locked.lpSurface);
    surface->Unlock(nullptr);

    m_width = width;
    m_height = height;
    m_clipRect = RECT{0, 0, width, height};
    m_formatCode = ClassifyPixelFormat(nullptr, nullptr, &locked.ddpfPixelFormat);
    if (m_formatCode == kPixelFormatArgb1555) m_formatCode = kPixelFormatRgb555;
    if (m_formatCode == kPixelFormatArgb32) m_formatCode = kPixelFormatXrgb32;
    FillSurfaceRect(m_surface, nullptr, 0, 0, 0, nullptr, 0);
    return 0;
}

std::int32_t VideoFrameSurface::Restore(bool onlyIfLost) {
    if (!m_surface) return 0;
    if (onlyIfLost && m_surface->IsLost() == DD_OK) return 0;
    ScopedLock hold(m_frameLock);
    return Create(m_width, m_height) == 0 ? 0 : 1;
}
