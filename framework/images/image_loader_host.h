// ImageLoaderHost: turns image files into pixels through an ordered list of image loaders (the
// built-in ELG and BMP loaders, *.GLL plug-ins and the SPI adapter), found by extension or by
// content, and keeps recently decoded pictures in its ImageCache.
//
// Decoding either fills a buffer that the caller's allocator makes (DecodeWithCallbacks,
// DecodeByName) or yields a DecodedImage (DecodeFromMemory, DecodeByNameCached). Results are
// 0 or an EGllErrorCode; host-level failures are 1 (no loader, or the decode failed) and -3 (the
// file cannot be loaded or created). A failed decode leaves nothing allocated: the caller's
// release callback has been called for any allocation.
// The host is used by one thread at a time; the program has one, published as
// g_imageLoaderHost.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/images/decoded_image.h"
#include "framework/images/image_cache.h"
#include "framework/interfaces/image_plugin.h"

struct ImageLoaderRecord {
    std::int32_t type;
    std::string typeString;
    std::vector<std::string> extensions;  // upper-case, without dots
    ImageLoadObject* loader;              // one reference
    HMODULE library;                      // null for a built-in loader
    GllAssistFuncPtr assist;
    GllAssistFunc2Ptr assist2;
    GllConfigDlgFunc configDlg;           // null when the plug-in has none
};

class ImageLoaderHost {
public:
    ImageLoaderHost() = default;
    ~ImageLoaderHost();
    ImageLoaderHost(const ImageLoaderHost&) = delete;
    ImageLoaderHost& operator=(const ImageLoaderHost&) = delete;

    // Removes every record of the type, or every record; each loader is released before its
    // library is freed.
    void Unload(std::int32_t type);
    void UnloadAll();
    // Appends a built-in loader, whose reference the host takes over (also on failure):
    // 0; 1 null loader; 2 failure.
    std::int32_t RegisterBuiltin(ImageLoadObject* loader, const char* extensions,
                                 const char* typeString, std::int32_t type, GllAssistFuncPtr assist,
                                 GllAssistFunc2Ptr assist2, GllConfigDlgFunc configDlg);
    // 0; 1 bad path; 2 LoadLibraryA failed; 3 a required export is missing; 4 null load
    // object; 5 other failure. A failure leaves nothing loaded.
    std::int32_t LoadPlugin(const char* path);
    // Loads every *.GLL of the folder: the number that failed, or -1 for a bad folder.
    std::int32_t ScanFolder(const char* folder);

    // The first loader in registration order that accepts the data.
    ImageLoadObject* FindByContent(const void* data, std::uint32_t size, const char* name);
    // The first loader that lists the path's extension (and, when asked, can encode).
    ImageLoadObject* FindByExtension(const char* path, bool mustEncode);
    ImageLoadObject* FindByType(std::int32_t type);

    // Decodes data found by content into the allocator's buffer; with a cache name and the
    // cache on, a picture decoded through a DecodedImage is also cached under that name. The
    // outs may be null; the extra data handed out belongs to the caller (GlobalFree).
    std::int32_t DecodeWithCallbacks(const void* data, std::uint32_t size, GllAllocator allocator,
                                     GllRelease release, void* argument, bool want8Bit,
                                     GllProgress progress, void* progressArgument,
                                     const char* cacheName, std::int32_t* outOriginX,
                                     std::int32_t* outOriginY, void** outExtra,
                                     std::uint32_t* outExtraSize);
    // Loads the file through the file system, tries the loader of its extension, then any
    // loader by content: 0, -3 the file cannot be loaded, or a code.
    std::int32_t DecodeByName(const char* name, GllAllocator allocator, GllRelease release,
                              void* argument, bool want8Bit, GllProgress progress,
                              void* progressArgument, std::int32_t* outOriginX,
                              std::int32_t* outOriginY, void** outExtra,
                              std::uint32_t* outExtraSize);
    // A new DecodedImage (one reference for the caller) from the given loader or the one found
    // by content, or null.
    DecodedImage* DecodeFromMemory(const void* data, std::uint32_t size, ImageLoadObject* loader,
                                   const char* name);
    // The picture of a file, from the cache when it holds it; one reference for the caller.
    DecodedImage* DecodeByNameCached(const char* name);
    // Writes a picture through the loader of `type` (0: the target's extension): 0; 1 no
    // loader; -3 the file cannot be created; or the loader's code (the file is then deleted).
    std::int32_t Encode(const char* target, std::int32_t mode, const void* pixels,
                        std::int32_t width, std::int32_t height, std::int32_t bitDepth,
                        std::int32_t sourceStride, const std::uint32_t* palette, std::int32_t type,
                        GllProgress progress, void* progressArgument);

    // Megabytes of cache; a negative value chooses by the machine's memory.
    void SetCacheLimit(std::int32_t megabytes);
    // The limit in bytes for `megabytes` on a machine with `ram` bytes of memory.
    static std::uint64_t ChooseCacheLimit(std::int32_t megabytes, std::uint64_t ram);
    std::int32_t CacheInsert(DecodedImage* image, const char* name);
    DecodedImage* CacheLookup(const char* name);
    // Decodes a file into the cache only: 0; 1 the cache is off; 2 the decode failed.
    std::int32_t Preload(const char* name);
    const ImageCache& Cache() const { return m_cache; }

    const std::vector<ImageLoaderRecord>& Records() const { return m_records; }

private:
    std::int32_t DecodeViaBuffers(const void* data, std::uint32_t size, ImageLoadObject* loader,
                                  GllAllocator allocator, GllRelease release, void* argument,
                                  bool want8Bit, const char* cacheName, std::int32_t* outOriginX,
                                  std::int32_t* outOriginY, void** outExtra,
                                  std::uint32_t* outExtraSize);
    // Decodes with the loader's own callback path, falling back to the buffer path when the
    // loader does not offer it: 0, or 1 after release has been called.
    std::int32_t DecodeWithLoader(ImageLoadObject* loader, const void* data, std::uint32_t size,
                                  GllAllocator allocator, GllRelease release, void* argument,
                                  bool want8Bit, GllProgress progress, void* progressArgument,
                                  const char* cacheName, std::int32_t* outOriginX,
                                  std::int32_t* outOriginY, void** outExtra,
                                  std::uint32_t* outExtraSize);
    void RemoveWhere(bool all, std::int32_t type);

    std::vector<ImageLoaderRecord> m_records;
    ImageCache m_cache;
};

// The program's one image-loader host (null until the application makes it).
extern ImageLoaderHost* g_imageLoaderHost;
