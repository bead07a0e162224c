#include "effects/objects/bg_layer_cache.h"

#include <gtest/gtest.h>

#include "graphics/image/image.h"
#include "graphics/sprites/canvas.h"

namespace {

class BgLayerCacheTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(0, m_target.Create(8, 4, 32, 0));
        ASSERT_EQ(0, m_source.Create(12, 6, 32, 0));
        ASSERT_EQ(0, m_canvas.SetTarget(&m_target, false));
        ASSERT_TRUE(m_canvas.SetSource(&m_source, 0, 0, false));
        m_canvas.ResetDirty();
    }

    Image m_target;
    Image m_source;
    Canvas m_canvas;
};

TEST_F(BgLayerCacheTest, TakesAFreeCacheInTheTargetsSizeAndASecondHolderIsRefused) {
    BgLayerCache first;
    BgLayerCache second;
    ASSERT_EQ(0, first.Take(&m_canvas, 3, 4));
    ASSERT_NE(nullptr, first.Get());
    EXPECT_EQ(8, first.Get()->Width());
    EXPECT_EQ(4, first.Get()->Height());
    EXPECT_TRUE(BgLayerCache::InUse(&m_canvas));
    EXPECT_EQ(3, second.Take(&m_canvas, 3, 4));
    EXPECT_FALSE(second.Made());
    // A refused holder's release leaves the other's cache alone.
    second.Release(true);
    EXPECT_EQ(first.Get(), m_canvas.MutableScaled());
    EXPECT_EQ(0, m_canvas.Dirty().Count());
    first.Release(true);
    EXPECT_FALSE(BgLayerCache::InUse(&m_canvas));
    EXPECT_NE(0, m_canvas.Dirty().Count());
    EXPECT_EQ(nullptr, first.Get());
}

TEST_F(BgLayerCacheTest, ACacheTheCanvasDroppedIsGoneEvenWhenAnotherTakesOneInItsPlace) {
    BgLayerCache first;
    BgLayerCache second;
    ASSERT_EQ(0, first.Take(&m_canvas, 3, 4));
    ASSERT_TRUE(m_canvas.SetSource(&m_source, 1, 1, false));
    EXPECT_EQ(nullptr, first.Get());
    // The new copy may well sit where the old one was: it is still not the first holder's.
    ASSERT_EQ(0, second.Take(&m_canvas, 3, 4));
    EXPECT_EQ(nullptr, first.Get());
    first.Release(true);
    EXPECT_NE(nullptr, second.Get());
    EXPECT_TRUE(BgLayerCache::InUse(&m_canvas));
}

TEST_F(BgLayerCacheTest, NoCanvasOrNoTargetGivesTheCreateCode) {
    BgLayerCache cache;
    EXPECT_EQ(4, cache.Take(nullptr, 3, 4));
    Canvas bare;
    EXPECT_EQ(4, cache.Take(&bare, 3, 4));
    EXPECT_FALSE(cache.Made());
    cache.Release(true);
}

}  // namespace
