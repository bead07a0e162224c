#include "graphics/surfaces/texture_image.h"

#include <cstring>
#include <new>

#include "framework/images/decoded_image.h"
#include "framework/images/elg_decoder.h"
#include "framework/images/image_loader_host.h"
#include "graphics/compose/pixel_format.h"
#include "graphics/device/direct3d_device.h"

namespace {

std::int64_t PowerOfTwoAtLeast(std::int64_t v) {
    std::int64_t p = 1;
    while (p < v) p <<= 1;
    return p;
}

// One side against the device's limits.
std::int32_t Limit(std::int64_t side, std::uint32_t minimum, std::uint32_t maximum, bool* tooLarge) {
    if (maximum != 0 && side > maximum) {
        *tooLarge = true;
        return static_cast<std::int32_t>(maximum);
    }
    if (side < minimum) side = minimum;
    return side > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<std::int32_t>(side);
}

struct SurfaceUnlock {
    IDirectDrawSurface7* surface;
    ~SurfaceUnlock() { surface->Unlock(nullptr); }
};

}  // namespace

TextureSize TextureSizeFor(std::int32_t width, std::int32_t height, std::uint32_t textureCaps,
                           std::uint32_t minWidth, std::uint32_t minHeight,
                           std::uint32_t maxWidth, std::uint32_t maxHeight) {
    std::int64_t w = width, h = height;
    if ((textureCaps & D3DPTEXTURECAPS_POW2) && !(textureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL)) {
        w = PowerOfTwoAtLeast(w);
        h = PowerOfTwoAtLeast(h);
    }
    if (textureCaps & D3DPTEXTURECAPS_SQUAREONLY) w = h = w > h ? w : h;
    TextureSize size = {0, 0, false};
    size.width = Limit(w, minWidth, maxWidth, &size.tooLarge);
    size.height = Limit(h, minHeight, maxHeight, &size.tooLarge);
    return size;
}

TextureSize TextureSizeFor(std::int32_t width, std::int32_t height, const Direct3DDevice& device) {
    return TextureSizeFor(width, height, device.m_textureCaps, device.m_minTextureWidth,
                          device.m_minTextureHeight, device.m_maxTextureWidth,
                          device.m_maxTextureHeight);
}

float TextureCoordinate(std::int32_t x, std::int32_t texture, std::int32_t picture) {
    if (texture <= 0) return 0.0f;
    const float t = static_cast<float>(texture);
    if (texture >= picture) return (static_cast<float>(x) + 0.5f) / t;
    const float scaled = static_cast<float>(x) * t;
    return (scaled / static_cast<float>(picture) + 0.5f) / t;
}

TextureImage::TextureImage(Direct3DDevice* device) {
    if (device) CurrentDirect3DDevice = device;
}

TextureImage::~TextureImage() { FreeTexture(); }

void* TextureImage::DeletingDestructor(std::uint32_t flags) {
    this->~TextureImage();
    if (flags & xm::kDeleteMemory) ::operator delete(this);
    return this;
}

void TextureImage::FreeTexture() {
    m_pictureWidth = 0;
    m_pictureHeight = 0;
    Free();
}

std::int32_t TextureImage::Load(std::int32_t formatCode, const char* fileName,
                                const std::uint8_t* data, std::uint32_t size, bool systemMemory) {
    std::int32_t result;
    try {
        result = LoadUnguarded(formatCode, LoadSource{fileName, data, size, systemMemory ? std::uint8_t{1} : std::uint8_t{0}});
    } catch (...) {
        result = 10;
    }
    if (result != 0) FreeTexture();
    return result;
}

std::int32_t TextureImage::LoadUnguarded(std::int32_t formatCode, const LoadSource& source) {
    FreeTexture();
    Direct3DDevice* device = CurrentDirect3DDevice;
    if (!device) return 1;
    const DDPIXELFORMAT* format = device->TextureFormatFor(formatCode);
    if (!format) return 2;
    if (!g_imageLoaderHost) return 4;

    PictureSource picture;
    const std::int32_t read = ReadPicture(source, picture);
    if (read != 0) return read == 1 ? 3 : 4;
    const TextureSize size = TextureSizeFor(picture.width, picture.height, *device);
    if (Create(size.width, size.height, source.systemMemory != 0, true, format) != 0) return 5;

    if (picture.elg) {
        if (!size.tooLarge && (formatCode == kPixelFormatXrgb32 || formatCode == kPixelFormatArgb32) &&
            m_pitch == 4 * picture.width) {
            const std::int32_t code = DecodeElgIntoTexture(picture);
            if (code != 0) return code;
        } else if (DecodeElgByHost(picture) != 0) {
            return 4;
        }
    }
    if (picture.decoded) {
        if (size.tooLarge) {
            DirectDrawImage shrink;
            if (shrink.Create(picture.width, picture.height, source.systemMemory != 0, true, format) != 0)
                return 7;
            if (shrink.ConvertDecoded(picture.decoded) != 0) return 8;
            RECT into = {0, 0, size.width < picture.width ? size.width : picture.width,
                         size.height < picture.height ? size.height : picture.height};
            if (FAILED(m_surface->Blt(&into, shrink.GetSurface(), nullptr, DDBLT_WAIT, nullptr)))
                return 9;
        } else {
            const std::int32_t code = ConvertDecoded(picture.decoded);
            if (code != 0) return code == 1 ? 6 : 8;
        }
    }
    m_pictureWidth = picture.width;
    m_pictureHeight = picture.height;

    if (picture.name && !KeepFileName(picture.cacheName)) return 10;
    if (picture.decoded) {
        m_originX = picture.decoded->OriginX();
        m_originY = picture.decoded->OriginY();
    } else {
        m_originX = picture.header->originX;
        m_originY = picture.header->originY;
    }
    return 0;
}

std::int32_t TextureImage::DecodeElgIntoTexture(const PictureSource& picture) {
    DDSURFACEDESC2 locked;
    if (!LockWaiting(&locked, DDLOCK_WRITEONLY)) return 6;
    SurfaceUnlock unlock{m_surface};
    const ElgHeader& header = *picture.header;
    const std::uint8_t* stream = picture.data + header.streamOffset;
    const std::uint8_t* end = picture.data + picture.size;
    auto* pixels = static_cast<std::uint32_t*>(locked.lpSurface);
    const std::uint32_t count = header.width * header.height;
    const bool withAlpha = m_formatCode == kPixelFormatArgb32;
    if (header.depth == 8) {
        std::uint32_t palette[256];
        stream = ElgDecode(stream, end, reinterpret_cast<std::uint8_t*>(palette), sizeof(palette));
        if (stream)
            stream = ElgDecodeIndexed32(stream, end, pixels, count, palette, withAlpha ? 0xFF : 0);
    } else if (header.depth == 24 || header.depth == 32) {
        stream = ElgDecodeRgb32(stream, end, reinterpret_cast<std::uint8_t*>(pixels), header.width,
                                header.height, locked.lPitch);
        if (stream && withAlpha) {
            if (header.depth == 32) {
                stream = ElgDecodeAlpha(stream, end, pixels, count);
            } else {
                for (std::uint32_t i = 0; i < count; ++i) pixels[i] |= 0xFF000000u;
            }
        }
    } else {
        stream = nullptr;
    }
    return stream ? 0 : 4;
}

std::int32_t TextureImage::Restore(bool onlyIfLost) {
    if (!m_surface) return 0;
    if (onlyIfLost && m_surface->IsLost() == DD_OK) return 0;
    const std::int32_t colourKey = m_colourKey;
    const std::int32_t keyPixelX = m_keyPixelX;
    const std::int32_t keyPixelY = m_keyPixelY;
    if (!m_fileName) return 1;
    const std::size_t length = std::strlen(m_fileName);
    char* name = new (std::nothrow) char[length + 1];
    if (!name) return 2;
    std::memcpy(name, m_fileName, length + 1);
    const std::int32_t loaded = Load(m_formatCode, name, nullptr, 0, m_systemMemory != 0);
    delete[] name;
    if (loaded != 0) return 1;
    if (colourKey != -1) {
        if (SetColourKeyRgb((colourKey >> 16) & 0xFF, (colourKey >> 8) & 0xFF, colourKey & 0xFF) != 0)
            return 5;
    } else if (keyPixelX >= 0) {
        if (SetColourKeyFromPixel(keyPixelX, keyPixelY) != 0) return 6;
    }
    return 0;
}
