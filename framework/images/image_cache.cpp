#include "framework/images/image_cache.h"

#include <algorithm>

#include "framework/files/path_utilities.h"

std::uint32_t NameHash(const char* key) {
    std::uint32_t h = 0;
    for (const char* p = key; *p; ++p) {
        h += static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(*p)));
        h += h << 10;
        h ^= h >> 6;
    }
    h += h << 3;
    h ^= h >> 11;
    h += h << 15;
    return h == 0 ? 0xFFFFFFFFu : h;
}

ImageCache::ImageCache() = default;

ImageCache::~ImageCache() { Clear(); }

ImageCache::Entry* ImageCache::Find(const std::string& key, std::uint32_t hash) {
    for (Entry* e = &m_buckets[hash & (kBuckets - 1)]; e; e = e->chain) {
        if (e->occupied && e->hash == hash && e->key == key) return e;
    }
    return nullptr;
}

void ImageCache::Unlink(Entry* entry) {
    (entry->newer ? entry->newer->older : m_front) = entry->older;
    (entry->older ? entry->older->newer : m_back) = entry->newer;
    entry->newer = entry->older = nullptr;
}

void ImageCache::PushFront(Entry* entry) {
    entry->older = m_front;
    entry->newer = nullptr;
    (m_front ? m_front->newer : m_back) = entry;
    m_front = entry;
}

void ImageCache::EvictOldest() {
    Entry* victim = m_back;
    Unlink(victim);
    m_total -= victim->image->TotalSize();
    ReleaseObject(victim->image);
    --m_count;
    Entry* head = &m_buckets[victim->hash & (kBuckets - 1)];
    if (victim == head) {
        victim->occupied = false;
        victim->image = nullptr;
        victim->key.clear();
        return;
    }
    for (Entry* e = head; e; e = e->chain) {
        if (e->chain == victim) {
            e->chain = victim->chain;
            break;
        }
    }
    delete victim;
}

void ImageCache::SetLimit(std::uint64_t bytes) {
    m_limit = bytes;
    if (bytes == 0) {
        Clear();
        return;
    }
    while (m_back && m_total > m_limit) EvictOldest();
}

std::int32_t ImageCache::Insert(DecodedImage* image, const char* name) {
    if (!image || !name) return 1;
    if (!Enabled()) return 2;
    std::string key = LowerCopy(name);
    const std::uint32_t hash = NameHash(key.c_str());
    if (Entry* present = Find(key, hash)) {
        Unlink(present);
        PushFront(present);
        return -1;
    }
    Entry* head = &m_buckets[hash & (kBuckets - 1)];
    Entry* entry = head;
    if (head->occupied) {
        entry = new Entry;
        entry->chain = head->chain;
        head->chain = entry;
    }
    entry->occupied = true;
    entry->hash = hash;
    entry->key = std::move(key);
    entry->image = image;
    PushFront(entry);
    ++m_count;
    m_total += image->TotalSize();
    // A picture larger than the limit stays alone rather than not at all.
    const std::uint64_t bound = std::max<std::uint64_t>(m_limit, image->TotalSize());
    while (m_total > bound && m_back != entry) EvictOldest();
    image->AddHolder();
    return 0;
}

DecodedImage* ImageCache::Lookup(const char* name) {
    if (!Enabled() || !name) return nullptr;
    const std::string key = LowerCopy(name);
    Entry* entry = Find(key, NameHash(key.c_str()));
    if (!entry) return nullptr;
    Unlink(entry);
    PushFront(entry);
    entry->image->AddHolder();
    return entry->image;
}

void ImageCache::Clear() {
    while (m_back) EvictOldest();
    m_total = 0;
}
