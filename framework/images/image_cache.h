// ImageCache: recently decoded pictures by lower-cased name, bounded in bytes, evicting the
// least recently used. 64 buckets each hold one entry in place and chain the others; a list
// orders every entry by use. The cache holds one reference on each image it keeps.
// Used by one thread at a time (the image-loader host's).
#pragma once

#include <cstdint>
#include <string>

#include "framework/images/decoded_image.h"

// The hash of a cache key: every byte taken as a signed value.
std::uint32_t NameHash(const char* key);

class ImageCache {
public:
    static constexpr std::uint32_t kBuckets = 64;

    ImageCache();
    ~ImageCache();
    ImageCache(const ImageCache&) = delete;
    ImageCache& operator=(const ImageCache&) = delete;

    bool Enabled() const { return m_limit != 0; }
    std::uint64_t Limit() const { return m_limit; }
    std::uint64_t TotalBytes() const { return m_total; }
    std::uint32_t Count() const { return m_count; }

    // 0 empties the cache; a lower limit evicts until the total fits.
    void SetLimit(std::uint64_t bytes);
    // 0 stored (the cache takes a reference); -1 the key is present (that entry becomes the
    // most recent, the image is not stored); 1 no image or name; 2 the cache is off.
    std::int32_t Insert(DecodedImage* image, const char* name);
    // The image with one more reference for the caller, or null; a hit becomes the most recent.
    DecodedImage* Lookup(const char* name);
    // Releases every image.
    void Clear();

private:
    struct Entry {
        std::uint32_t hash = 0;
        bool occupied = false;
        std::string key;
        DecodedImage* image = nullptr;
        Entry* chain = nullptr;     // further entries of the same bucket
        Entry* newer = nullptr;     // towards the front of the use list
        Entry* older = nullptr;
    };

    Entry* Find(const std::string& key, std::uint32_t hash);
    void Unlink(Entry* entry);
    void PushFront(Entry* entry);
    void EvictOldest();

    Entry m_buckets[kBuckets];
    Entry* m_front = nullptr;  // most recently used
    Entry* m_back = nullptr;   // least recently used
    std::uint32_t m_count = 0;
    std::uint64_t m_limit = 0;
    std::uint64_t m_total = 0;
};
