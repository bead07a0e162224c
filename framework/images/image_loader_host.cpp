#include "framework/images/image_loader_host.h"

#include <cstring>
#include <exception>

#include "framework/images/dib_to_allocator.h"
#include "framework/files/file_stream.h"
#include "framework/files/path_utilities.h"
#include "framework/plugins/plugin_folder_scan.h"
#include "framework/plugins/plugin_module.h"
#include "framework/files/virtual_file_system.h"

ImageLoaderHost* g_imageLoaderHost = nullptr;

namespace {

constexpr std::uint64_t kMegabyte = 1024 * 1024;

void InitOuts(std::int32_t* outOriginX, std::int32_t* outOriginY, void** outExtra,
              std::uint32_t* outExtraSize) {
    if (outOriginX) *outOriginX = 0;
    if (outOriginY) *outOriginY = 0;
    if (outExtra) *outExtra = nullptr;
    if (outExtraSize) *outExtraSize = 0;
}

std::uint32_t XM_CDECL WriteToFile(const void* bytes, std::uint32_t count, void* argument) {
    return static_cast<FileStream*>(argument)->Write(bytes, count);
}

}  // namespace

ImageLoaderHost::~ImageLoaderHost() {
    m_cache.Clear();
    UnloadAll();
}

void ImageLoaderHost::RemoveWhere(bool all, std::int32_t type) {
    for (std::size_t i = 0; i < m_records.size();) {
        if (!all && m_records[i].type != type) {
            ++i;
            continue;
        }
        const ImageLoaderRecord record = m_records[i];
        m_records.erase(m_records.begin() + static_cast<std::ptrdiff_t>(i));
        ReleaseObject(record.loader);
        if (record.library) FreeLibrary(record.library);
    }
}

void ImageLoaderHost::Unload(std::int32_t type) { RemoveWhere(false, type); }

void ImageLoaderHost::UnloadAll() { RemoveWhere(true, 0); }

std::int32_t ImageLoaderHost::RegisterBuiltin(ImageLoadObject* loader, const char* extensions,
                                              const char* typeString, std::int32_t type,
                                              GllAssistFuncPtr assist, GllAssistFunc2Ptr assist2,
                                              GllConfigDlgFunc configDlg) {
    if (!loader) return 1;
    try {
        m_records.push_back({type, typeString ? typeString : "", ReadExtensionList(extensions),
                             loader, nullptr, assist, assist2, configDlg});
    } catch (const std::exception&) {
        ReleaseObject(loader);
        return 2;
    }
    return 0;
}

std::int32_t ImageLoaderHost::LoadPlugin(const char* path) {
    static const FormatPluginNames kNames = {"GetGllType", "GetGllTypeString", "GetGllSupportExt",
                                             "GllAssistFunc", "GllAssistFunc2", "GetGllLoadObject",
                                             "GllConfigDlg"};
    return LoadFormatPlugin<ImageLoadObject>(
        path, kNames,
        [this](const FormatPluginEntry<ImageLoadObject>& entry) {
            m_records.push_back({entry.type, entry.typeString ? entry.typeString : "",
                                 entry.extensions, entry.object, entry.library,
                                 ExportAs<GllAssistFuncPtr>(entry.assist),
                                 ExportAs<GllAssistFunc2Ptr>(entry.assist2),
                                 ExportAs<GllConfigDlgFunc>(entry.configDlg)});
        },
        [](ImageLoadObject* loader) { ReleaseObject(loader); });
}

std::int32_t ImageLoaderHost::ScanFolder(const char* folder) {
    return ScanPluginFolder(folder, "*.GLL", [this](const char* path) { return LoadPlugin(path); });
}

ImageLoadObject* ImageLoaderHost::FindByContent(const void* data, std::uint32_t size,
                                                const char* name) {
    for (const auto& record : m_records) {
        if (record.loader->IsSupported(data, size, name)) return record.loader;
    }
    return nullptr;
}

ImageLoadObject* ImageLoaderHost::FindByExtension(const char* path, bool mustEncode) {
    char extension[kPathCapacity];
    GetExtensionPart(path, extension);
    CharUpperA(extension);
    for (const auto& record : m_records) {
        for (const auto& listed : record.extensions) {
            if (listed != extension) continue;
            if (mustEncode && !record.loader->CanEncode()) break;
            return record.loader;
        }
    }
    return nullptr;
}

ImageLoadObject* ImageLoaderHost::FindByType(std::int32_t type) {
    for (const auto& record : m_records) {
        if (record.type == type) return record.loader;
    }
    return nullptr;
}

std::int32_t ImageLoaderHost::DecodeWithLoader(
    ImageLoadObject* loader, const void* data, std::uint32_t size, GllAllocator allocator,
    GllRelease release, void* argument, bool want8Bit, GllProgress progress,
    void* progressArgument, const char* cacheName, std::int32_t* outOriginX,
    std::int32_t* outOriginY, void** outExtra, std::uint32_t* outExtraSize) {
    const std::int32_t code = loader->DecodeWithCallbacks(data, size, allocator, argument,
                                                          want8Bit ? 1 : 0, progress,
                                                          progressArgument);
    if (code == kGllNotOffered) {
        return DecodeViaBuffers(data, size, loader, allocator, release, argument, want8Bit,
                                cacheName, outOriginX, outOriginY, outExtra, outExtraSize);
    }
    if (code != 0) {
        if (release) release(argument);
        return 1;
    }
    if (outOriginX) *outOriginX = loader->OriginX();
    if (outOriginY) *outOriginY = loader->OriginY();
    if (outExtra && outExtraSize && loader->ExtraDataSize() != 0) {
        *outExtraSize = loader->ExtraDataSize();
        *outExtra = loader->TakeExtraData(1);
    }
    return 0;
}

std::int32_t ImageLoaderHost::DecodeWithCallbacks(
    const void* data, std::uint32_t size, GllAllocator allocator, GllRelease release,
    void* argument, bool want8Bit, GllProgress progress, void* progressArgument,
    const char* cacheName, std::int32_t* outOriginX, std::int32_t* outOriginY, void** outExtra,
    std::uint32_t* outExtraSize) {
    InitOuts(outOriginX, outOriginY, outExtra, outExtraSize);
    ImageLoadObject* loader = FindByContent(data, size, cacheName);
    if (!loader) return 1;
    return DecodeWithLoader(loader, data, size, allocator, release, argument, want8Bit, progress,
                            progressArgument, cacheName, outOriginX, outOriginY, outExtra,
                            outExtraSize);
}

std::int32_t ImageLoaderHost::DecodeViaBuffers(
    const void* data, std::uint32_t size, ImageLoadObject* loader, GllAllocator allocator,
    GllRelease release, void* argument, bool want8Bit, const char* cacheName,
    std::int32_t* outOriginX, std::int32_t* outOriginY, void** outExtra,
    std::uint32_t* outExtraSize) {
    DecodedImage* image = DecodeFromMemory(data, size, loader, cacheName);
    if (!image) return 1;
    const bool cached = cacheName && m_cache.Enabled() &&
                        m_cache.Insert(image, cacheName) == 0;

    const std::int32_t code = CopyDibToAllocator(image->Info(), image->Bits(), image->Stride(),
                                                 image->Colours(), want8Bit, allocator, argument);
    if (code == 0) {
        if (outOriginX) *outOriginX = image->OriginX();
        if (outOriginY) *outOriginY = image->OriginY();
        const std::uint32_t extraSize = image->ExtraDataSize();
        if (outExtra && outExtraSize && extraSize != 0) {
            // The cache keeps its copy; the caller gets one of its own.
            void* extra = image->TakeExtraData(!cached);
            if (cached) {
                void* copy = GlobalAlloc(GMEM_FIXED, extraSize);
                if (copy) std::memcpy(copy, extra, extraSize);
                extra = copy;
            }
            if (extra) {
                *outExtra = extra;
                *outExtraSize = extraSize;
            }
        }
    }
    ReleaseObject(image);
    if (code != 0) {
        if (release) release(argument);
        return 1;
    }
    return 0;
}

std::int32_t ImageLoaderHost::DecodeByName(const char* name, GllAllocator allocator,
                                           GllRelease release, void* argument, bool want8Bit,
                                           GllProgress progress, void* progressArgument,
                                           std::int32_t* outOriginX, std::int32_t* outOriginY,
                                           void** outExtra, std::uint32_t* outExtraSize) {
    InitOuts(outOriginX, outOriginY, outExtra, outExtraSize);
    FileStream file;
    if (!name || file.LoadFile(name) != 0 || !file.Data()) return -3;
    const void* data = file.Data();
    const std::uint32_t size = file.Size();
    const std::string path = file.FileName();
    if (ImageLoadObject* loader = FindByExtension(name, false)) {
        if (DecodeWithLoader(loader, data, size, allocator, release, argument, want8Bit, progress,
                             progressArgument, path.c_str(), outOriginX, outOriginY, outExtra,
                             outExtraSize) == 0) {
            return 0;
        }
    }
    return DecodeWithCallbacks(data, size, allocator, release, argument, want8Bit, progress,
                               progressArgument, path.c_str(), outOriginX, outOriginY, outExtra,
                               outExtraSize);
}

DecodedImage* ImageLoaderHost::DecodeFromMemory(const void* data, std::uint32_t size,
                                                ImageLoadObject* loader, const char* name) {
    if (!loader) loader = FindByContent(data, size, name);
    if (!loader) return nullptr;
    HGLOBAL info = nullptr;
    HGLOBAL bits = nullptr;
    if (loader->DecodeToBuffers(data, size, &info, &bits, nullptr, nullptr) != 0) return nullptr;
    DecodedImage* image = DecodedImage::Create(info, bits);
    if (!image) return nullptr;
    image->SetOrigin(loader->OriginX(), loader->OriginY());
    const std::uint32_t extraSize = loader->ExtraDataSize();
    if (extraSize != 0) image->SetExtraData(loader->TakeExtraData(1), extraSize);
    return image;
}

DecodedImage* ImageLoaderHost::DecodeByNameCached(const char* name) {
    if (!name) return nullptr;
    // The cache keys a picture by the path it was found at, and that path is what gets loaded:
    // the name is resolved once, so the picture cached is the one found.
    char path[kPathCapacity] = "";
    if (m_cache.Enabled()) {
        if (!g_virtualFileSystem || g_virtualFileSystem->LocateFile(path, name, nullptr) > 0) {
            return nullptr;
        }
        if (DecodedImage* hit = m_cache.Lookup(path)) return hit;
    }
    FileStream file;
    if (file.LoadFile(m_cache.Enabled() ? path : name) != 0 || !file.Data()) return nullptr;
    DecodedImage* image = nullptr;
    if (ImageLoadObject* loader = FindByExtension(name, false)) {
        image = DecodeFromMemory(file.Data(), file.Size(), loader, name);
    }
    if (!image) image = DecodeFromMemory(file.Data(), file.Size(), nullptr, name);
    if (image && m_cache.Enabled()) m_cache.Insert(image, path);
    return image;
}

std::int32_t ImageLoaderHost::Encode(const char* target, std::int32_t mode, const void* pixels,
                                     std::int32_t width, std::int32_t height,
                                     std::int32_t bitDepth, std::int32_t sourceStride,
                                     const std::uint32_t* palette, std::int32_t type,
                                     GllProgress progress, void* progressArgument) {
    ImageLoadObject* loader = type != 0 ? FindByType(type) : FindByExtension(target, true);
    if (!loader) return 1;
    FileStream file;
    if (!target || file.Create(target, true) != 0) return -3;
    const std::string path = file.FileName();
    const std::int32_t code = loader->Encode(mode, pixels, width, height, bitDepth, sourceStride,
                                             WriteToFile, &file, palette, progress,
                                             progressArgument);
    if (code != 0) {
        file.Close();
        DeleteFileA(path.c_str());
    }
    return code;
}

std::uint64_t ImageLoaderHost::ChooseCacheLimit(std::int32_t megabytes, std::uint64_t ram) {
    if (megabytes >= 0) {
        return std::min<std::uint64_t>(static_cast<std::uint64_t>(megabytes) * kMegabyte, ram / 2);
    }
    std::uint64_t limit;
    if (ram <= 96 * kMegabyte) {
        limit = 0;
    } else if (ram <= 128 * kMegabyte) {
        limit = 10 * kMegabyte;
    } else if (ram <= 192 * kMegabyte) {
        limit = 20 * kMegabyte;
    } else if (ram <= 256 * kMegabyte) {
        limit = 30 * kMegabyte;
    } else if (ram <= 512 * kMegabyte) {
        limit = 64 * kMegabyte;
    } else {
        limit = 80 * kMegabyte;
    }
    return std::min(limit, ram);
}

void ImageLoaderHost::SetCacheLimit(std::int32_t megabytes) {
    MEMORYSTATUS status = {};
    status.dwLength = sizeof(status);
    GlobalMemoryStatus(&status);
    m_cache.SetLimit(ChooseCacheLimit(megabytes, status.dwTotalPhys));
}

std::int32_t ImageLoaderHost::CacheInsert(DecodedImage* image, const char* name) {
    return m_cache.Insert(image, name);
}

DecodedImage* ImageLoaderHost::CacheLookup(const char* name) { return m_cache.Lookup(name); }

std::int32_t ImageLoaderHost::Preload(const char* name) {
    if (!m_cache.Enabled()) return 1;
    DecodedImage* image = DecodeByNameCached(name);
    if (!image) return 2;
    ReleaseObject(image);
    return 0;
}
