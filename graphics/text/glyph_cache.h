// GlyphCache: a font's finished glyphs by (character, size, outline, bold, italic), 256 hash
// buckets whose first entry lives in the bucket itself, further entries chained behind it, and
// a most-recently-used list across all occupied entries. Inserting past the capacity evicts the
// least recently used glyph at once. A glyph returned by Lookup or Insert stays valid until the
// next Insert, Flush or SetCapacity unless its user took a reference (AddGlyphRef).
#pragma once

#include <cstdint>

#include "graphics/text/glyph.h"

struct GlyphCacheEntry {
    std::int32_t hash = 0;
    std::int32_t flags = 2;  // bit 0 occupied, bit 1 inline entry of a bucket
    std::uint32_t key = 0;
    std::int32_t size = 0;  // the whole size: the key keeps only its low ten bits
    Glyph* glyph = nullptr;
    GlyphCacheEntry* chainPrev = nullptr;
    GlyphCacheEntry* chainNext = nullptr;
    GlyphCacheEntry* newer = nullptr;
    GlyphCacheEntry* older = nullptr;
};

constexpr std::int32_t kEntryOccupied = 1;
constexpr std::int32_t kEntryInline = 2;

// The capacity a new font's cache starts with; the application sets it from its settings.
extern std::uint16_t GlyphCacheDefaultCapacity;

struct GlyphKey {
    std::uint32_t code;
    std::int32_t size;
    std::uint32_t outline;
    std::uint32_t bold;
    std::uint32_t italic;
};

std::uint32_t GlyphCacheKey(const GlyphKey& k);
std::uint8_t GlyphCacheHash(const GlyphKey& k);

class GlyphCache {
public:
    GlyphCache();
    virtual ~GlyphCache();

    GlyphCache(const GlyphCache&) = delete;
    GlyphCache& operator=(const GlyphCache&) = delete;

    virtual void Assign(GlyphCacheEntry* entry, std::uint32_t key, Glyph* glyph);
    virtual void Release(GlyphCacheEntry* entry);

    // The cached glyph, made most recently used; null when absent.
    Glyph* Lookup(const GlyphKey& k);
    // Stores a glyph whose key is not cached yet, then evicts down to the capacity (which may
    // release the new glyph itself when the capacity is 0).
    void Insert(const GlyphKey& k, Glyph* glyph);
    void Flush();
    void SetCapacity(std::uint32_t n);

    std::uint32_t Capacity() const { return m_capacity; }
    std::uint32_t Count() const { return m_count; }
    const GlyphCacheEntry* Newest() const { return m_newest; }
    const GlyphCacheEntry* Oldest() const { return m_oldest; }
    const GlyphCacheEntry& Bucket(int i) const { return m_buckets[i]; }

private:
    void Unlist(GlyphCacheEntry* entry);
    void ListNewest(GlyphCacheEntry* entry);
    void EvictOldest();

    GlyphCacheEntry m_buckets[256];
    GlyphCacheEntry* m_newest = nullptr;
    GlyphCacheEntry* m_oldest = nullptr;
    std::uint32_t m_count = 0;
    std::uint32_t m_capacity = 0;
};
