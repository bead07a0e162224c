#include <gtest/gtest.h>

#include <algorithm>
#include <list>
#include <map>
#include <random>
#include <set>

#include "graphics/text/glyph_cache.h"

namespace {

TEST(GlyphCache, KeyAndHashExamples) {
    struct Case {
        GlyphKey key;
        std::uint32_t expectedKey;
        std::uint8_t expectedHash;
    } const cases[] = {
        {{'A', 16, 0, 0, 0}, 0x00100041, 0x41 ^ 16},
        {{0x82A0, 16, 0, 0, 0}, 0x001082A0, 0x82 ^ 0xA0 ^ 16},
        {{0x82A0, 24, 1, 1, 1}, 0xE01882A0, static_cast<std::uint8_t>(0x90 ^ 1 ^ 0x82 ^ 0xA0 ^ 24)},
        {{'A', 1040, 0, 1, 0}, 0x40100041, static_cast<std::uint8_t>(0x80 ^ 0x41 ^ 4 ^ 0x10)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GlyphCacheKey(c.key), c.expectedKey) << std::hex << c.key.code;
        EXPECT_EQ(GlyphCacheHash(c.key), c.expectedHash) << std::hex << c.key.code;
    }
}

Glyph* NewGlyph(std::int32_t tag) {
    auto* g = new Glyph;
    g->advanceX = tag;
    return g;
}

TEST(GlyphCache, WholeSizeTellsGlyphsApart) {
    // 16 and 1040 share their low ten bits and the key, but are different glyphs.
    GlyphCache cache;
    cache.SetCapacity(8);
    cache.Insert({'A', 16, 0, 0, 0}, NewGlyph(16));
    EXPECT_EQ(cache.Lookup({'A', 1040, 0, 0, 0}), nullptr);
    cache.Insert({'A', 1040, 0, 0, 0}, NewGlyph(1040));
    EXPECT_EQ(cache.Lookup({'A', 1040, 0, 0, 0})->advanceX, 1040);
    EXPECT_EQ(cache.Lookup({'A', 16, 0, 0, 0})->advanceX, 16);
}

TEST(GlyphCache, HeldGlyphSurvivesEviction) {
    GlyphCache cache;
    cache.SetCapacity(1);
    Glyph* held = NewGlyph(1);
    cache.Insert({'A', 16, 0, 0, 0}, held);
    AddGlyphRef(held);
    cache.Insert({'B', 16, 0, 0, 0}, NewGlyph(2));
    EXPECT_EQ(cache.Lookup({'A', 16, 0, 0, 0}), nullptr);
    EXPECT_EQ(held->advanceX, 1);
    EXPECT_EQ(held->extraRefs, 0);
    ReleaseGlyph(held);
}

// The model: most recently used first.
void ExpectMatchesModel(const GlyphCache& cache, const std::list<std::uint32_t>& model,
                        const std::map<std::uint32_t, Glyph*>& glyphs, int step) {
    ASSERT_LE(cache.Count(), cache.Capacity()) << step;
    ASSERT_EQ(cache.Count(), model.size()) << step;
    // The list runs newest to oldest exactly through the occupied entries.
    std::set<const GlyphCacheEntry*> listed;
    auto expected = model.begin();
    const GlyphCacheEntry* previous = nullptr;
    for (const GlyphCacheEntry* e = cache.Newest(); e != nullptr; e = e->older) {
        ASSERT_NE(expected, model.end()) << step;
        EXPECT_EQ(e->newer, previous) << step;
        EXPECT_TRUE(e->flags & kEntryOccupied) << step;
        EXPECT_EQ(e->glyph, glyphs.at(*expected)) << step;
        listed.insert(e);
        previous = e;
        ++expected;
    }
    EXPECT_EQ(expected, model.end()) << step;
    EXPECT_EQ(cache.Oldest(), previous) << step;
    std::size_t occupied = 0;
    for (int b = 0; b < 256; ++b) {
        for (const GlyphCacheEntry* e = &cache.Bucket(b); e != nullptr; e = e->chainNext) {
            if (e->flags & kEntryOccupied) {
                ++occupied;
                EXPECT_TRUE(listed.count(e)) << step;
                EXPECT_EQ(e->hash, b) << step;
            }
        }
    }
    EXPECT_EQ(occupied, model.size()) << step;
}

TEST(GlyphCache, RandomFetchesKeepCountListAndOrder) {
    std::mt19937 random(7);
    GlyphCache cache;
    cache.SetCapacity(12);
    std::list<std::uint32_t> model;
    std::map<std::uint32_t, Glyph*> glyphs;
    // Codes chosen so several share a bucket (the hash folds the code's two bytes).
    auto keyOf = [](std::uint32_t id) {
        return GlyphKey{0x8200u + (id % 24) * 0x101u, 16 + static_cast<std::int32_t>(id / 24), 0,
                        0, 0};
    };
    for (int step = 0; step < 3000; ++step) {
        const int action = static_cast<int>(random() % 100);
        if (action < 85) {
            const std::uint32_t id = random() % 48;
            Glyph* hit = cache.Lookup(keyOf(id));
            auto it = std::find(model.begin(), model.end(), id);
            ASSERT_EQ(hit != nullptr, it != model.end()) << step;
            if (hit != nullptr) {
                model.erase(it);
            } else {
                hit = NewGlyph(static_cast<std::int32_t>(id));
                cache.Insert(keyOf(id), hit);
                glyphs[id] = hit;
            }
            model.push_front(id);
            while (model.size() > cache.Capacity()) {
                model.pop_back();
            }
        } else if (action < 95) {
            cache.SetCapacity(1 + random() % 20);
            while (model.size() > cache.Capacity()) {
                model.pop_back();
            }
        } else {
            cache.Flush();
            model.clear();
        }
        ExpectMatchesModel(cache, model, glyphs, step);
        if (HasFailure()) {
            return;
        }
    }
}

}  // namespace
