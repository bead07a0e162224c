#include "graphics/surfaces/direct_draw_image.h"

#include <cstring>
#include <new>

#include "framework/files/file_stream.h"
#include "framework/files/path_utilities.h"
#include "framework/files/virtual_file_system.h"
#include "framework/images/decoded_image.h"
#include "framework/images/dib_conversion.h"
#include "framework/images/elg_decoder.h"
#include "framework/images/image_loader_host.h"
#include "graphics/compose/pixel_format.h"
#include "graphics/compose/surface_transfer.h"
#include "graphics/device/direct_draw_device.h"
#include "graphics/image/image.h"
#include "graphics/surfaces/dib_surface_conversion.h"

namespace {

// The type under which start-up registers the built-in ELG loader.
constexpr std::int32_t kElgLoaderType = 2;
constexpr std::uint32_t kPaletteBytes = 256 * 4;

bool IsElg(const std::uint8_t* data, std::uint32_t size) {
    return size >= 3 && data[0] == 'E' && data[1] == 'L' && data[2] == 'G';
}

std::int32_t PackRgb(std::int32_t red, std::int32_t green, std::int32_t blue) {
    return ((red & 0xFF) << 16) | ((green & 0xFF) << 8) | (blue & 0xFF);
}

// Unlocks a locked surface on every way out.
struct SurfaceUnlock {
    IDirectDrawSurface7* surface;
    ~SurfaceUnlock() { surface->Unlock(nullptr); }
};

}  // namespace

DirectDrawImage::DirectDrawImage(DirectDrawDevice* device) {
    if (device) CurrentDirectDrawDevice = device;
}

DirectDrawImage::~DirectDrawImage() { Free(); }

void DirectDrawImage::Free() {
    if (m_surface) m_surface->Release();
    m_surface = nullptr;
    delete[] m_fileName;
    m_fileName = nullptr;
    m_formatCode = 0;
    m_colourKey = -1;
    m_keyPixelX = -1;
    m_keyPixelY = -1;
    m_keyValue = -1;
    m_fillColour = -1;
    m_inVideoMemory = 0;
    m_width = 0;
    m_height = 0;
    m_pitch = 0;
    m_clipRect = RECT{0, 0, 0, 0};
}

bool DirectDrawImage::LockWaiting(DDSURFACEDESC2* locked, DWORD flags) {
    std::memset(locked, 0, sizeof(*locked));
    locked->dwSize = sizeof(*locked);
    return SUCCEEDED(m_surface->Lock(nullptr, locked, flags | DDLOCK_WAIT, nullptr)) &&
           locked->lpSurface;
}

bool DirectDrawImage::KeepFileName(const char* name) {
    const std::size_t length = std::strlen(name);
    char* copy = new (std::nothrow) char[length + 1];
    if (!copy) return false;
    std::memcpy(copy, name, length + 1);
    delete[] m_fileName;
    m_fileName = copy;
    return true;
}

std::int32_t DirectDrawImage::Create(std::int32_t width, std::int32_t height, bool systemMemory,
                                     bool texture, const DDPIXELFORMAT* pixelFormat) {
    Free();
    DirectDrawDevice* device = CurrentDirectDrawDevice;
    if (!device || width <= 0 || height <= 0 || (texture && !pixelFormat)) return 1;
    IDirectDraw7* directDraw = device->DirectDraw();
    if (!directDraw) return 2;

    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    if (texture) {
        desc.dwFlags |= DDSD_TEXTURESTAGE;
        desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    } else {
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    }
    if (pixelFormat) {
        desc.dwFlags |= DDSD_PIXELFORMAT;
        desc.ddpfPixelFormat = *pixelFormat;
    }
    desc.dwWidth = static_cast<DWORD>(width);
    desc.dwHeight = static_cast<DWORD>(height);
    // Odd rows of three-byte pixels would not end on a word.
    if (!texture && (width & 1) && device->m_displayDepth == 24) desc.dwWidth += 1;
    if (systemMemory) {
        desc.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
    } else if (texture) {
        if (device->ManagesTextures()) {
            desc.ddsCaps.dwCaps2 = DDSCAPS2_TEXTUREMANAGE;
        } else {
            desc.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
        }
    }

    IDirectDrawSurface7* surface = nullptr;
    if (FAILED(directDraw->CreateSurface(&desc, &surface, nullptr)) || !surface) return 3;
    m_surface = surface;
    DDSURFACEDESC2 made = {};
    made.dwSize = sizeof(made);
    if (FAILED(m_surface->GetSurfaceDesc(&made))) {
        Free();
        return 4;
    }
    m_width = width;
    m_height = height;
    m_pitch = made.lPitch;
    m_inVideoMemory = (made.ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY) ? 1 : 0;
    m_formatCode = ClassifyPixelFormat(nullptr, nullptr, &made.ddpfPixelFormat);
    if (!texture) {
        if (m_formatCode == kPixelFormatArgb1555) m_formatCode = kPixelFormatRgb555;
        if (m_formatCode == kPixelFormatArgb32) m_formatCode = kPixelFormatXrgb32;
    }
    m_systemMemory = systemMemory ? 1 : 0;
    m_clipRect = RECT{0, 0, width, height};
    return 0;
}

std::int32_t DirectDrawImage::Load(LoadSource source) {
    std::int32_t result;
    try {
        result = LoadUnguarded(source);
    } catch (...) {
        result = 6;
    }
    if (result != 0) Free();
    return result;
}

DirectDrawImage::PictureSource::~PictureSource() {
    ReleaseObject(decoded);
    delete header;
    delete static_cast<FileStream*>(file);
}

std::int32_t DirectDrawImage::ReadPicture(const LoadSource& source, PictureSource& picture) {
    ImageLoaderHost* host = g_imageLoaderHost;
    if (!host) return 2;
    const char* name = source.fileName;
    picture.name = name;
    const bool cacheOn = host->Cache().Enabled();
    picture.data = source.data;
    picture.size = source.size;
    if (name) {
        if (cacheOn) {
            if (!g_virtualFileSystem ||
                g_virtualFileSystem->LocateFile(picture.path, name, nullptr) > 0)
                return 1;
            picture.decoded = host->CacheLookup(picture.path);
        }
        if (!picture.decoded) {
            auto* file = new FileStream;
            picture.file = file;
            if (file->LoadFile(cacheOn ? picture.path : name) != 0 || !file->Data()) return 1;
            picture.data = static_cast<const std::uint8_t*>(file->Data());
            picture.size = file->Size();
        }
    } else if (!picture.data || picture.size == 0) {
        return 1;
    }
    picture.cacheName = picture.path[0] ? picture.path : name;

    picture.elg = !picture.decoded && IsElg(picture.data, picture.size);
    if (picture.decoded) {
        picture.width = picture.decoded->Width();
        picture.height = picture.decoded->Height();
    } else if (picture.elg) {
        // The header is checked against the data, and the streams must be able to fill it
        // before a surface of its size is asked for.
        picture.header = new ElgHeader;
        if (ElgReadHeader(picture.data, picture.size, picture.header) != 0 ||
            !ElgStreamsCanFill(*picture.header, picture.size))
            return 2;
        picture.width = static_cast<std::int32_t>(picture.header->width);
        picture.height = static_cast<std::int32_t>(picture.header->height);
    } else {
        ImageLoadObject* loader = name ? host->FindByExtension(name, false) : nullptr;
        picture.decoded = host->DecodeFromMemory(picture.data, picture.size, loader, name);
        if (!picture.decoded && loader)
            picture.decoded = host->DecodeFromMemory(picture.data, picture.size, nullptr, name);
        if (!picture.decoded) return 2;
        if (name) host->CacheInsert(picture.decoded, picture.cacheName);
        picture.width = picture.decoded->Width();
        picture.height = picture.decoded->Height();
    }
    return 0;
}

std::int32_t DirectDrawImage::DecodeElgByHost(PictureSource& picture) {
    ImageLoaderHost* host = g_imageLoaderHost;
    ImageLoadObject* loader = host ? host->FindByType(kElgLoaderType) : nullptr;
    if (!loader) return 2;
    picture.decoded = host->DecodeFromMemory(picture.data, picture.size, loader, picture.name);
    if (!picture.decoded) return 2;
    if (picture.name) host->CacheInsert(picture.decoded, picture.cacheName);
    return 0;
}

std::int32_t DirectDrawImage::LoadUnguarded(const LoadSource& source) {
    PictureSource picture;
    const std::int32_t read = ReadPicture(source, picture);
    if (read != 0) return read;
    if (Create(picture.width, picture.height, source.systemMemory != 0, false, nullptr) != 0)
        return 3;

    if (picture.elg) {
        if (m_formatCode == kPixelFormatXrgb32 && m_pitch == 4 * picture.width) {
            const std::int32_t code = DecodeElgInPlace(*picture.header, picture.data, picture.size);
            if (code != 0) return code;
        } else if (DecodeElgByHost(picture) != 0) {
            return 2;
        }
    }
    if (picture.decoded) {
        const std::int32_t code = WriteDecoded(*picture.decoded);
        if (code != 0) return code;
    }

    if (picture.name && !KeepFileName(picture.cacheName)) return 6;
    if (picture.decoded) {
        m_originX = picture.decoded->OriginX();
        m_originY = picture.decoded->OriginY();
    } else {
        m_originX = picture.header->originX;
        m_originY = picture.header->originY;
    }
    return 0;
}

std::int32_t DirectDrawImage::DecodeElgInPlace(const ElgHeader& header, const std::uint8_t* data,
                                               std::uint32_t size) {
    DDSURFACEDESC2 locked;
    if (!LockWaiting(&locked, DDLOCK_WRITEONLY)) return 4;
    SurfaceUnlock unlock{m_surface};
    const std::uint8_t* stream = data + header.streamOffset;
    const std::uint8_t* end = data + size;
    auto* pixels = static_cast<std::uint8_t*>(locked.lpSurface);
    if (header.depth == 8) {
        std::uint32_t palette[256];
        stream = ElgDecode(stream, end, reinterpret_cast<std::uint8_t*>(palette), kPaletteBytes);
        if (stream) {
            stream = ElgDecodeIndexed32(stream, end, reinterpret_cast<std::uint32_t*>(pixels),
                                        header.width * header.height, palette, 0);
        }
    } else if (header.depth == 24 || header.depth == 32) {
        // Only the colour stream: the surface has no alpha to take the alpha stream.
        stream = ElgDecodeRgb32(stream, end, pixels, header.width, header.height, locked.lPitch);
    } else {
        stream = nullptr;
    }
    return stream ? 0 : 2;
}

std::int32_t DirectDrawImage::WriteDecoded(const DecodedImage& picture) {
    if (m_formatCode >= kPixelFormatRgb555) {
        const std::int32_t code = ConvertDecoded(&picture);
        return code == 0 ? 0 : code + 3;
    }
    HDC dc = nullptr;
    if (FAILED(m_surface->GetDC(&dc)) || !dc) return 4;
    const int lines = SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(m_width),
                                        static_cast<DWORD>(m_height), 0, 0, 0,
                                        static_cast<UINT>(m_height), picture.Bits(),
                                        picture.Info(), DIB_RGB_COLORS);
    m_surface->ReleaseDC(dc);
    if (lines == 0) return 5;
    ClearNonColourBits();
    return 0;
}

std::int32_t DirectDrawImage::ConvertDecoded(const DecodedImage* picture) {
    DDSURFACEDESC2 locked;
    if (!m_surface || !LockWaiting(&locked, DDLOCK_WRITEONLY)) return 1;
    SurfaceUnlock unlock{m_surface};
    auto* bits = static_cast<std::uint32_t*>(locked.lpSurface);
    // The picture is as large as the image, which the surface holds.
    const RECT area = {0, 0, picture->Width(), picture->Height()};
    if (area.right > m_width || area.bottom > m_height) return 2;
    const BITMAPINFO* info = picture->Info();
    const std::uint8_t* source = picture->Bits();
    const std::int32_t stride = picture->Stride();
    auto* bytes = static_cast<std::uint8_t*>(locked.lpSurface);
    const POINT origin = {0, 0};
    std::int32_t converted;
    switch (m_formatCode) {
    case kPixelFormatRgb555:
        converted = ConvertDibTo555(bytes, area, locked.lPitch, info, source, stride, origin);
        break;
    case kPixelFormatRgb565:
        converted = ConvertDibTo565(bytes, area, locked.lPitch, info, source, stride, origin);
        break;
    case kPixelFormatRgb24:
        converted = ConvertDibTo24(bytes, area, locked.lPitch, info, source, stride, origin);
        break;
    case kPixelFormatArgb1555:
        converted = ConvertDibTo1555(bytes, area, locked.lPitch, info, source, stride, origin);
        break;
    case kPixelFormatArgb4444:
        converted = ConvertDibTo4444(bytes, area, locked.lPitch, info, source, stride, origin);
        break;
    case kPixelFormatXrgb32:
        converted = ConvertDibTo32(bits, area, locked.lPitch, info, source, stride, origin);
        break;
    case kPixelFormatArgb32:
        converted = ConvertDibToArgb(bits, area, locked.lPitch, info, source, stride, origin);
        break;
    default:
        return 2;
    }
    return converted ? 0 : 2;
}

std::int32_t DirectDrawImage::ClearNonColourBits() {
    if (!m_surface) return 1;
    DDSURFACEDESC2 locked;
    if (!LockWaiting(&locked, 0)) return 2;
    SurfaceUnlock unlock{m_surface};
    const DDPIXELFORMAT& format = locked.ddpfPixelFormat;
    const DWORD bits = format.dwRGBBitCount;
    const std::uint32_t colour = format.dwRBitMask | format.dwGBitMask | format.dwBBitMask;
    if (bits < 16) return 0;
    const std::uint32_t all = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
    if ((colour & all) == all) return 0;
    if (bits != 16 && bits != 32) return 3;
    for (DWORD y = 0; y < locked.dwHeight; ++y) {
        std::uint8_t* row = static_cast<std::uint8_t*>(locked.lpSurface) + y * locked.lPitch;
        if (bits == 16) {
            auto* pixels = reinterpret_cast<std::uint16_t*>(row);
            for (DWORD x = 0; x < locked.dwWidth; ++x) pixels[x] &= static_cast<std::uint16_t>(colour);
        } else {
            auto* pixels = reinterpret_cast<std::uint32_t*>(row);
            for (DWORD x = 0; x < locked.dwWidth; ++x) pixels[x] &= colour;
        }
    }
    return 0;
}

std::int32_t DirectDrawImage::GetPixel(std::int32_t x, std::int32_t y) {
    if (!m_surface || x < 0 || y < 0 || x >= m_width || y >= m_height) return -1;
    DDSURFACEDESC2 locked;
    if (!LockWaiting(&locked, DDLOCK_READONLY)) return -1;
    SurfaceUnlock unlock{m_surface};
    const DDPIXELFORMAT& format = locked.ddpfPixelFormat;
    const std::uint32_t colour = format.dwRBitMask | format.dwGBitMask | format.dwBBitMask;
    const std::uint8_t* row = static_cast<const std::uint8_t*>(locked.lpSurface) + y * locked.lPitch;
    switch (format.dwRGBBitCount) {
    case 8:
        return row[x];
    case 16:
        return reinterpret_cast<const std::uint16_t*>(row)[x] & colour;
    case 24: {
        const std::uint8_t* p = row + 3 * x;
        return static_cast<std::int32_t>((p[0] | (p[1] << 8) | (p[2] << 16)) & colour);
    }
    case 32:
        return static_cast<std::int32_t>(reinterpret_cast<const std::uint32_t*>(row)[x] & colour);
    default:
        return -1;
    }
}

std::int32_t DirectDrawImage::SetColourKeyRgb(std::int32_t red, std::int32_t green,
                                              std::int32_t blue) {
    if (!m_surface) return 1;
    m_colourKey = -1;
    m_keyValue = -1;
    m_keyPixelX = -1;
    PixelFormatInfo info;
    if (ClassifyPixelFormat(m_surface, &info, nullptr) == 0) return 2;
    std::uint32_t key = 0;
    if (info.bitCount > 8) {
        const std::int32_t channels[3] = {red & 0xFF, green & 0xFF, blue & 0xFF};
        for (int i = 0; i < 3; ++i) {
            if (info.shifts[i] >= 32) continue;
            const std::uint32_t value = info.bits[i] <= 8
                                            ? static_cast<std::uint32_t>(channels[i]) >> (8 - info.bits[i])
                                            : static_cast<std::uint32_t>(channels[i]) << (info.bits[i] - 8);
            key |= value << info.shifts[i];
        }
    } else {
        key = static_cast<std::uint32_t>(red & 0xFF);
    }
    DDCOLORKEY colourKey = {key, key};
    if (FAILED(m_surface->SetColorKey(DDCKEY_SRCBLT, &colourKey))) return 3;
    m_keyValue = static_cast<std::int32_t>(key);
    m_colourKey = PackRgb(red, green, blue);
    return 0;
}

std::int32_t DirectDrawImage::SetColourKeyFromPixel(std::int32_t x, std::int32_t y) {
    const std::int32_t key = GetPixel(x, y);
    if (key == -1) return 1;
    m_colourKey = -1;
    m_keyPixelX = -1;
    m_keyValue = -1;
    DDCOLORKEY colourKey = {static_cast<DWORD>(key), static_cast<DWORD>(key)};
    if (FAILED(m_surface->SetColorKey(DDCKEY_SRCBLT, &colourKey))) return 2;
    m_keyValue = key;
    m_keyPixelX = x;
    m_keyPixelY = y;
    return 0;
}

std::int32_t DirectDrawImage::ClearColourKey() {
    if (!m_surface) return 1;
    if (FAILED(m_surface->SetColorKey(DDCKEY_SRCBLT, nullptr))) return 2;
    m_colourKey = -1;
    m_keyPixelX = -1;
    m_keyPixelY = -1;
    m_keyValue = -1;
    return 0;
}

std::int32_t DirectDrawImage::FillColour(std::int32_t red, std::int32_t green,
                                         std::int32_t blue) {
    if (!m_surface) return 1;
    if (FillSurfaceRect(m_surface, nullptr, red, green, blue, nullptr, 0) != 0) return 2;
    delete[] m_fileName;
    m_fileName = nullptr;
    m_fillColour = PackRgb(red, green, blue);
    return 0;
}

std::int32_t DirectDrawImage::Restore(bool onlyIfLost) {
    if (!m_surface) return 0;
    if (onlyIfLost && SUCCEEDED(m_surface->IsLost())) return 0;
    const std::int32_t colourKey = m_colourKey;
    const std::int32_t keyPixelX = m_keyPixelX;
    const std::int32_t keyPixelY = m_keyPixelY;
    if (m_fileName) {
        const std::size_t length = std::strlen(m_fileName);
        char* name = new (std::nothrow) char[length + 1];
        if (!name) return 2;
        std::memcpy(name, m_fileName, length + 1);
        const std::int32_t loaded = Load(LoadSource{name, nullptr, 0, m_systemMemory});
        delete[] name;
        if (loaded != 0) return 1;
    } else {
        // Create forgets the fill colour with the old surface; the refill needs it.
        const std::int32_t fillColour = m_fillColour;
        if (Create(m_width, m_height, m_systemMemory != 0, false, nullptr) != 0) return 3;
        if (fillColour != -1 &&
            FillColour((fillColour >> 16) & 0xFF, (fillColour >> 8) & 0xFF, fillColour & 0xFF) != 0) {
            return 4;
        }
        m_fillColour = fillColour;
    }
    if (colourKey != -1) {
        if (SetColourKeyRgb((colourKey >> 16) & 0xFF, (colourKey >> 8) & 0xFF, colourKey & 0xFF) != 0)
            return 5;
    } else if (keyPixelX >= 0) {
        if (SetColourKeyFromPixel(keyPixelX, keyPixelY) != 0) return 6;
    }
    return 0;
}

std::int32_t DirectDrawImage::CopyFromImage(Image* image, std::int32_t x, std::int32_t y,
                                            const RECT* sourceRect,
                                            const DDSURFACEDESC2* lockedDescription) {
    if (!m_surface || !image || !image->Bits()) return 1;
    if (lockedDescription) {
        return CopyImageToSurface(m_surface, m_formatCode, &m_clipRect, image, x, y, sourceRect,
                                  lockedDescription);
    }
    DDSURFACEDESC2 locked;
    if (!LockWaiting(&locked, DDLOCK_WRITEONLY)) return 2;
    SurfaceUnlock unlock{m_surface};
    return CopyImageToSurface(m_surface, m_formatCode, &m_clipRect, image, x, y, sourceRect,
                              &locked);
}
