#include "graphics/text/glyph_cache.h"

std::uint16_t GlyphCacheDefaultCapacity = 512;

std::uint32_t GlyphCacheKey(const GlyphKey& k) {
    const std::uint32_t flags = (((k.outline << 1) | k.bold) << 1) | k.italic;
    return (flags << 29) | ((static_cast<std::uint32_t>(k.size) & 0x3FF) << 16) |
           (k.code & 0xFFFF);
}

std::uint8_t GlyphCacheHash(const GlyphKey& k) {
    const std::uint32_t size = static_cast<std::uint32_t>(k.size);
    const std::uint32_t h = (((k.bold << 3) ^ k.italic) << 4) ^ k.outline ^ (k.code >> 8) ^
                            k.code ^ (size >> 8) ^ size;
    return static_cast<std::uint8_t>(h);
}

GlyphCache::GlyphCache() : m_capacity(GlyphCacheDefaultCapacity) {
    for (int i = 0; i < 256; ++i) {
        m_buckets[i].hash = i;
    }
}

GlyphCache::~GlyphCache() {
    // Flush leaves a zero-capacity cache alone, which holds nothing anyway.
    Flush();
}

void GlyphCache::Assign(GlyphCacheEntry* entry, std::uint32_t key, Glyph* glyph) {
    entry->key = key;
    entry->glyph = glyph;
    entry->flags |= kEntryOccupied;
}

void GlyphCache::Release(GlyphCacheEntry* entry) {
    ReleaseGlyph(entry->glyph);
    entry->glyph = nullptr;
    entry->flags &= ~kEntryOccupied;
}

void GlyphCache::Unlist(GlyphCacheEntry* entry) {
    (entry->newer != nullptr ? entry->newer->older : m_newest) = entry->older;
    (entry->older != nullptr ? entry->older->newer : m_oldest) = entry->newer;
    entry->newer = entry->older = nullptr;
}

void GlyphCache::ListNewest(GlyphCacheEntry* entry) {
    entry->newer = nullptr;
    entry->older = m_newest;
    (m_newest != nullptr ? m_newest->newer : m_oldest) = entry;
    m_newest = entry;
}

Glyph* GlyphCache::Lookup(const GlyphKey& k) {
    const std::uint32_t key = GlyphCacheKey(k);
    const int hash = GlyphCacheHash(k);
    GlyphCacheEntry* entry = &m_buckets[hash];
    for (; entry != nullptr; entry = entry->chainNext) {
        if ((entry->flags & kEntryOccupied) && entry->hash == hash && entry->key == key &&
            entry->size == k.size) {
            break;
        }
    }
    if (entry == nullptr) {
        return nullptr;
    }
    Unlist(entry);
    ListNewest(entry);
    return entry->glyph;
}

void GlyphCache::Insert(const GlyphKey& k, Glyph* glyph) {
    const int hash = GlyphCacheHash(k);
    GlyphCacheEntry* bucket = &m_buckets[hash];
    GlyphCacheEntry* entry = bucket;
    if (bucket->flags & kEntryOccupied) {
        entry = new GlyphCacheEntry;
        entry->flags = 0;
        entry->chainPrev = bucket;
        entry->chainNext = bucket->chainNext;
        if (bucket->chainNext != nullptr) {
            bucket->chainNext->chainPrev = entry;
        }
        bucket->chainNext = entry;
    }
    Assign(entry, GlyphCacheKey(k), glyph);
    entry->hash = hash;
    entry->size = k.size;
    ListNewest(entry);
    ++m_count;
    while (m_count > m_capacity) {
        EvictOldest();
    }
}

void GlyphCache::EvictOldest() {
    GlyphCacheEntry* entry = m_oldest;
    Unlist(entry);
    --m_count;
    Release(entry);
    if (!(entry->flags & kEntryInline)) {
        entry->chainPrev->chainNext = entry->chainNext;
        if (entry->chainNext != nullptr) {
            entry->chainNext->chainPrev = entry->chainPrev;
        }
        delete entry;
    }
}

void GlyphCache::Flush() {
    if (m_capacity == 0) {
        return;
    }
    for (int i = 0; i < 256; ++i) {
        GlyphCacheEntry* bucket = &m_buckets[i];
        GlyphCacheEntry* next = bucket->chainNext;
        while (next != nullptr) {
            GlyphCacheEntry* entry = next;
            next = entry->chainNext;
            Release(entry);
            delete entry;
        }
        if (bucket->flags & kEntryOccupied) {
            Release(bucket);
        }
        *bucket = GlyphCacheEntry{};
        bucket->hash = i;
    }
    m_count = 0;
    m_newest = m_oldest = nullptr;
}

void GlyphCache::SetCapacity(std::uint32_t n) {
    m_capacity = n & 0xFFFF;
    while (m_count > m_capacity) {
        EvictOldest();
    }
}
