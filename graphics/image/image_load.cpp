// Image files into images, through the image-loader host and its cache, and images into files
// through the host's encoders. Decode also has a direct path for ELG files that fill the image
// from its top-left corner, which needs neither a loader nor the cache.
#include <cstdlib>
#include <cstring>
#include <new>

#include "framework/images/elg_decoder.h"
#include "framework/files/file_stream.h"
#include "framework/images/image_loader_host.h"
#include "framework/files/path_utilities.h"
#include "framework/files/virtual_file_system.h"
#include "framework/images/dib_conversion.h"
#include "graphics/image/image.h"

namespace {

constexpr std::uint32_t kPaletteBytes = 256 * 4;

// What the allocation and release callbacks of a load work on.
struct ImageLoadContext {
    Image* image;
    std::uint8_t flags;
    std::uint32_t* palette;
};

void* XM_CDECL ImageAllocCallback(std::int32_t width, std::int32_t height,
                                  std::int32_t bitsPerPixel, std::int32_t hasAlpha,
                                  std::int32_t* outPitch, std::uint32_t** outPalette,
                                  void* argument) {
    auto* context = static_cast<ImageLoadContext*>(argument);
    Image* image = context->image;
    if (bitsPerPixel < 0 || bitsPerPixel > 255 ||
        image->Create(width, height, static_cast<std::uint8_t>(bitsPerPixel), context->flags) !=
            0) {
        return nullptr;
    }
    image->SetHasAlpha(hasAlpha != 0);
    if (outPalette) {
        context->palette = new (std::nothrow) std::uint32_t[256]();
        if (!context->palette) return nullptr;
        *outPalette = context->palette;
    }
    *outPitch = image->Pitch();
    return image->Bits();
}

void XM_CDECL ImageFreeCallback(void* argument) {
    auto* context = static_cast<ImageLoadContext*>(argument);
    context->image->Free();
    delete[] context->palette;
    context->palette = nullptr;
}

// The host's extra-data block (GlobalAlloc) as a block of the image's own.
void AdoptGlobalExtra(Image& image, void* block, std::uint32_t size) {
    if (!block) return;
    void* copy = size ? std::malloc(size) : nullptr;
    if (copy) std::memcpy(copy, block, size);
    GlobalFree(block);
    image.AdoptExtraData(copy, copy ? static_cast<std::int32_t>(size) : 0);
}

// The picture's full path for the cache: 0, or 2 without a file system or when it is missing.
std::int32_t CachePath(const char* name, char* path) {
    if (!g_virtualFileSystem || g_virtualFileSystem->LocateFile(path, name, nullptr) > 0) return 2;
    return 0;
}

bool IsElg(const std::uint8_t* data, std::int32_t size) {
    return size >= 3 && data[0] == 'E' && data[1] == 'L' && data[2] == 'G';
}

POINT TopLeft(const RECT& r) { return POINT{r.left, r.top}; }

// Releases a decoded picture on every way out.
struct DecodedReference {
    DecodedImage* image = nullptr;
    ~DecodedReference() { ReleaseObject(image); }
};

}  // namespace

std::int32_t Image::Load(const char* name, const std::uint8_t* data, std::int32_t size,
                         std::uint8_t flags) {
    return LoadThroughHost(name, data, size, flags, false);
}

std::int32_t Image::LoadIndexed(const char* name, const std::uint8_t* data, std::int32_t size,
                                std::uint8_t flags) {
    return LoadThroughHost(name, data, size, flags, true);
}

std::int32_t Image::LoadThroughHost(const char* name, const std::uint8_t* data,
                                    std::int32_t size, std::uint8_t flags, bool indexed) {
    ImageLoaderHost* host = g_imageLoaderHost;
    if (!host) return 1;
    std::int32_t originX = 0, originY = 0;
    std::int32_t result;
    if (!name || !host->Cache().Enabled()) {
        ImageLoadContext context = {this, flags, nullptr};
        void* extra = nullptr;
        std::uint32_t extraSize = 0;
        if (!name) {
            if (!data || size <= 0) return 1;
            result = host->DecodeWithCallbacks(data, static_cast<std::uint32_t>(size),
                                               ImageAllocCallback, ImageFreeCallback, &context,
                                               indexed, nullptr, nullptr, nullptr, &originX,
                                               &originY, &extra, &extraSize);
        } else {
            result = host->DecodeByName(name, ImageAllocCallback, ImageFreeCallback, &context,
                                        indexed, nullptr, nullptr, &originX, &originY, &extra,
                                        &extraSize);
        }
        if (result == 0) {
            if (context.palette && m_depth == 8) SetPalette(context.palette, 256, 0);
            AdoptGlobalExtra(*this, extra, extraSize);
        } else if (extra) {
            GlobalFree(extra);
        }
        delete[] context.palette;
    } else {
        char path[kPathCapacity] = "";
        if (CachePath(name, path) != 0) return 4;
        // A picture not yet cached is decoded into the cache first, so the next load of the
        // same file is a hit.
        DecodedReference decoded;
        decoded.image = host->DecodeByNameCached(name);
        if (!decoded.image) return 1;
        const DecodedImage& dib = *decoded.image;
        const RECT whole = {0, 0, dib.Width(), dib.Height()};
        if (Create(dib.Width(), dib.Height(), indexed ? 8 : 32, flags) != 0) return 6;
        std::int32_t converted;
        if (indexed) {
            // The count the decoded picture reports: a header's 0 means a full table.
            const std::uint32_t colours = dib.Colours() < 256 ? dib.Colours() : 256;
            if (colours > 0 &&
                SetPalette(reinterpret_cast<const std::uint32_t*>(dib.Info()->bmiColors),
                           static_cast<std::int32_t>(colours), 0) != 0) {
                return 6;
            }
            converted = ConvertDibTo8(m_bits, whole, m_pitch, dib.Info(), dib.Bits(),
                                      dib.Stride(), POINT{0, 0});
        } else if (dib.BitCount() == 32) {
            converted = ConvertDibToArgb(reinterpret_cast<std::uint32_t*>(m_bits), whole, m_pitch,
                                         dib.Info(), dib.Bits(), dib.Stride(), POINT{0, 0});
            m_hasAlpha = 1;
        } else {
            converted = ConvertDibTo32(reinterpret_cast<std::uint32_t*>(m_bits), whole, m_pitch,
                                       dib.Info(), dib.Bits(), dib.Stride(), POINT{0, 0});
        }
        if (!converted) return 9;
        originX = dib.OriginX();
        originY = dib.OriginY();
        if (dib.ExtraDataSize() != 0) {
            void* copy = std::malloc(dib.ExtraDataSize());
            if (!copy) return 6;
            std::memcpy(copy, decoded.image->TakeExtraData(false), dib.ExtraDataSize());
            AdoptExtraData(copy, static_cast<std::int32_t>(dib.ExtraDataSize()));
        }
        result = 0;
    }
    if (result == 0) {
        m_originX = originX;
        m_originY = originY;
        MarkChanged(RECT{0, 0, m_width, m_height});
    }
    return result;
}

std::int32_t Image::Decode(const char* name, const std::uint8_t* data, std::int32_t size,
                           std::int32_t x, std::int32_t y, bool keepPalette) {
    if (!m_bits) return 1;
    ImageLoaderHost* host = g_imageLoaderHost;
    if (!host) return 3;
    DecodedReference decoded;
    FileStream file;
    char path[kPathCapacity] = "";
    if (name) {
        if (host->Cache().Enabled()) {
            if (CachePath(name, path) != 0) return 2;
            decoded.image = host->CacheLookup(path);
        }
        if (!decoded.image) {
            if (file.LoadFile(name) != 0 || !file.Data()) return 2;
            data = static_cast<const std::uint8_t*>(file.Data());
            size = static_cast<std::int32_t>(file.Size());
        }
    } else if (!data || size <= 0) {
        return 2;
    }

    ElgHeader header;
    if (!decoded.image && x == 0 && y == 0 && IsElg(data, size)) {
        const std::int32_t code = ElgReadHeader(data, static_cast<std::uint32_t>(size), &header);
        if (code != 0) return 5;
        if (header.width == static_cast<std::uint32_t>(m_width) &&
            header.height <= static_cast<std::uint32_t>(m_height)) {
            const std::uint8_t* stream = data + header.streamOffset;
            const std::uint8_t* end = data + size;
            const std::uint32_t count = header.width * header.height;
            if (m_depth == 32) {
                auto* pixels = reinterpret_cast<std::uint32_t*>(m_bits);
                if (header.depth == 8) {
                    std::uint32_t table[256];
                    stream = ElgDecode(stream, end, reinterpret_cast<std::uint8_t*>(table),
                                       kPaletteBytes);
                    stream = ElgDecodeIndexed32(stream, end, pixels, count, table, 0);
                } else if (header.depth == 24 || header.depth == 32) {
                    stream = ElgDecodeRgb32(stream, end, m_bits, header.width, header.height,
                                            m_pitch);
                    if (header.depth == 32) stream = ElgDecodeAlpha(stream, end, pixels, count);
                } else {
                    return 3;
                }
            } else if (header.depth == 8) {
                std::uint32_t local[256];
                std::uint32_t* table = local;
                if (keepPalette) {
                    if (!AllocatePalette()) return 4;
                    table = m_palette;
                }
                stream = ElgDecode(stream, end, reinterpret_cast<std::uint8_t*>(table),
                                   kPaletteBytes);
                stream = header.width == static_cast<std::uint32_t>(m_pitch)
                             ? ElgDecode(stream, end, m_bits, count)
                             : ElgDecodeRows(stream, end, m_bits, header.width, header.height,
                                             m_pitch);
                if (keepPalette) {
                    DropSavedPalette();
                    WriteColourTable();
                }
            } else if (header.depth == 24 || header.depth == 32) {
                stream = header.width == static_cast<std::uint32_t>(m_pitch)
                             ? ElgDecodeGray(stream, end, m_bits, header.width, header.height)
                             : ElgDecodeGrayRows(stream, end, m_bits, header.width,
                                                 header.height, m_pitch);
            } else {
                return 3;
            }
            // A broken stream has written part of the picture: that part is shown too.
            MarkChanged(RECT{0, 0, static_cast<LONG>(header.width),
                             static_cast<LONG>(header.height)});
            return stream ? 0 : 5;
        }
    }

    if (!decoded.image) {
        ImageLoadObject* loader = name ? host->FindByExtension(name, false) : nullptr;
        decoded.image =
            host->DecodeFromMemory(data, static_cast<std::uint32_t>(size), loader, name);
        if (!decoded.image && loader) {
            decoded.image =
                host->DecodeFromMemory(data, static_cast<std::uint32_t>(size), nullptr, name);
        }
        if (!decoded.image) return 3;
        if (name) host->CacheInsert(decoded.image, path[0] ? path : name);
    }
    const DecodedImage& dib = *decoded.image;
    const RECT picture = {0, 0, dib.Width(), dib.Height()};
    if (ClipBlit(nullptr, x, y, &picture, nullptr, nullptr, nullptr) != 0) return -1;
    const RECT& to = m_blitDestRect;
    const POINT from = TopLeft(m_blitSourceRect);
    std::int32_t converted;
    if (m_depth == 32) {
        converted =
            dib.BitCount() == 32
                ? ConvertDibToArgb(reinterpret_cast<std::uint32_t*>(m_bits), to, m_pitch,
                                   dib.Info(), dib.Bits(), dib.Stride(), from)
                : ConvertDibTo32(reinterpret_cast<std::uint32_t*>(m_bits), to, m_pitch,
                                 dib.Info(), dib.Bits(), dib.Stride(), from);
    } else {
        if (keepPalette && dib.Colours() > 0) {
            DropSavedPalette();
            if (!AllocatePalette()) return 3;
            const std::uint32_t colours = dib.Colours() < 256 ? dib.Colours() : 256;
            std::memcpy(m_palette, dib.Info()->bmiColors, colours * 4);
            WriteColourTable();
        }
        converted = ConvertDibTo8(m_bits, to, m_pitch, dib.Info(), dib.Bits(), dib.Stride(), from);
    }
    if (!converted) return 4;
    MarkChanged(to);
    return 0;
}

std::int32_t Image::SaveFile(const char* fileName, std::int32_t option,
                             std::int32_t encoderType) {
    if (!m_bits) return -4;
    if (!g_imageLoaderHost) return 1;
    return g_imageLoaderHost->Encode(fileName, option, m_bits, m_width, m_height, m_depth,
                                     m_pitch, m_palette, encoderType, nullptr, nullptr);
}
