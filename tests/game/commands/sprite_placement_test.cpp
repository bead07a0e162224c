#include "game/commands/sprite_placement.h"

#include <gtest/gtest.h>

#include "tests/support/command_doubles.h"

namespace {

using namespace testsupport;

class SpritePlacementTest : public ::testing::Test {
protected:
    SpritePlacementTest()
        : m_screen(kSurfaceDirectDrawScreen, &m_screenImage, &m_canvas, &m_overlay),
          m_gameScreen(kSurfaceGdiScreen, &m_screenImage, &m_gameCanvas, nullptr),
          m_scope(&m_objects, nullptr, &m_operations, nullptr) {
        m_image.Create(4, 4, 32, 0);
        m_image.SetPixel(1, 2, 0x00112233u);
        m_objects.AddImage(m_image);
        m_objects.sprites.Add(&m_sprite);
        m_objects.AddScreen(m_screen);
        m_objects.gameScreen = static_cast<FakeBackBuffer*>(&m_gameScreen);
        m_objects.ownerKey = 0x77;
    }

    std::uint32_t ScreenWord() { return WordOf(static_cast<FakeSurface*>(&m_screen)); }

    FakeGraphicsObjects m_objects;
    RecordingSpriteOperations m_operations;
    Image m_image;
    Image m_screenImage;
    Canvas m_canvas;
    Canvas m_gameCanvas;
    SpriteList m_overlay;
    Sprite m_sprite;
    FakeScreen m_screen;
    FakeScreen m_gameScreen;
    ServicesScope m_scope;
};

TEST_F(SpritePlacementTest, FileFormLoadsPlacesKeysListsAndShows) {
    struct Case {
        const char* name;
        std::int32_t keyX, keyY, priority;
        bool useExtra, onScreen;
        std::int32_t colourKey;  // expected; -1 none
        std::uint8_t blendMode, alpha;
        SpriteList* list;  // expected list, null: not listed
    };
    SpriteList* const own = &m_canvas.Sprites();
    const Case cases[] = {
        {"key from a pixel, own list", 1, 2, 5, false, true, 0x00112233, 0, 255, own},
        {"-1 leaves key and alpha, extra list", -1, 9, 0, true, true, -1, 0, 255, &m_overlay},
        {"below -1 draws with alpha", -2, 80, 3, false, true, -1, 2, 80, own},
        {"no back buffer: the game screen", -1, 0, 1, false, false, -1, 0, 255, &m_gameCanvas.Sprites()},
        {"negative priority: not listed", -1, 0, -1, false, true, -1, 0, 255, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Sprite sprite;
        m_objects.sprites.Add(&sprite);
        m_image.ClearColourKey();
        m_operations.listed.clear();
        SpritePlacement placement;
        placement.x = 10;
        placement.y = 20;
        placement.priority = c.priority;
        placement.useExtraList = c.useExtra;
        placement.backBuffer = c.onScreen ? ScreenWord() : 0;
        placement.visible = true;
        EXPECT_EQ(0, SetSpriteImageFromFile(WordOf(&sprite), WordOf(&m_image), "a.bmp", c.keyX, c.keyY,
                                            placement));
        ASSERT_EQ(&m_image, m_operations.loads.back().first);
        EXPECT_EQ("a.bmp", m_operations.loads.back().second);
        EXPECT_FALSE(m_operations.placed.back().hasSource);
        EXPECT_EQ(10, m_operations.placed.back().x);
        EXPECT_EQ(20, m_operations.placed.back().y);
        EXPECT_EQ(c.colourKey, m_image.ColourKey());
        EXPECT_EQ(c.blendMode, sprite.BlendMode());
        EXPECT_EQ(c.alpha, sprite.Alpha());
        EXPECT_TRUE(sprite.IsVisible());
        if (c.list) {
            ASSERT_EQ(1u, m_operations.listed.size());
            EXPECT_EQ(c.list, m_operations.listed[0].list);
            EXPECT_EQ(static_cast<std::uint32_t>(c.priority), m_operations.listed[0].priority);
            EXPECT_EQ(0x77u, m_operations.listed[0].tag);
        } else {
            EXPECT_TRUE(m_operations.listed.empty());
        }
        m_objects.sprites.Remove(&sprite);
    }
}

TEST_F(SpritePlacementTest, ASourceRectangleIsUsedWhenItsLeftIsZeroOrMore) {
    SpritePlacement placement;
    placement.srcLeft = 0;
    placement.srcTop = 1;
    placement.srcRight = 3;
    placement.srcBottom = 4;
    placement.visible = false;
    EXPECT_EQ(0, SetSpriteImage(WordOf(&m_sprite), WordOf(&m_image), 0, 0, placement));
    ASSERT_TRUE(m_operations.placed.back().hasSource);
    EXPECT_EQ(1, m_operations.placed.back().source.top);
    EXPECT_EQ(4, m_operations.placed.back().source.bottom);
    EXPECT_FALSE(m_sprite.IsVisible());
}

TEST_F(SpritePlacementTest, ImageFormSetsBlendFromTheLowByte) {
    SpritePlacement placement;
    EXPECT_EQ(0, SetSpriteImage(WordOf(&m_sprite), WordOf(&m_image), 0x104, 0x150, placement));
    EXPECT_EQ(4, m_sprite.BlendMode());
    EXPECT_EQ(0x50, m_sprite.Alpha());
    Sprite other;
    m_objects.sprites.Add(&other);
    const std::uint8_t blend = other.BlendMode();
    EXPECT_EQ(0, SetSpriteImage(WordOf(&other), WordOf(&m_image), 0x100, 9, placement));
    EXPECT_EQ(blend, other.BlendMode());  // low byte 0: unchanged
    EXPECT_EQ(255, other.Alpha());
}

TEST_F(SpritePlacementTest, LoadFailureAndRefusalStopBeforeTheSpriteChanges) {
    SpritePlacement placement;
    placement.priority = 1;
    placement.visible = !m_sprite.IsVisible();
    const bool visible = m_sprite.IsVisible();
    m_operations.loadResult = 4;
    EXPECT_EQ(2, SetSpriteImageFromFile(WordOf(&m_sprite), WordOf(&m_image), "missing", -2, 9, placement));
    EXPECT_TRUE(m_operations.placed.empty());

    m_operations.loadResult = 0;
    m_operations.setImageResult = 1;
    EXPECT_EQ(3, SetSpriteImageFromFile(WordOf(&m_sprite), WordOf(&m_image), "a", -2, 9, placement));
    EXPECT_EQ(3, SetSpriteImage(WordOf(&m_sprite), WordOf(&m_image), 2, 9, placement));
    EXPECT_TRUE(m_operations.listed.empty());
    EXPECT_NE(2, m_sprite.BlendMode());
    EXPECT_EQ(visible, m_sprite.IsVisible());
}

}  // namespace
