// Every routine of the command base that takes a handle, given words that name no live object
// of its family: 0, a forged word into a no-access page, a stale word (the object released and
// its page then made no-access) and another family's live object. Each must give its null-handle
// result without calling anything on any double (a touch of a no-access page would crash).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "game/commands/sprite_placement.h"
#include "game/commands/surface_resolution.h"
#include "game/commands/ui_part_routines.h"
#include "tests/support/command_doubles.h"

namespace {

using namespace testsupport;

struct Probe {
    const char* name;
    // True when the routine gave its null-handle result for the word.
    std::function<bool(std::uint32_t)> refuses;
    // The word of a live object of another family.
    std::uint32_t otherFamily;
};

class HandleCheck : public ::testing::Test {
protected:
    HandleCheck()
        : m_screen(kSurfaceDirectDrawScreen, &m_screenImage, &m_canvas, &m_overlay),
          m_part(kUiTextWindow),
          m_scope(&m_objects, &m_parts, &m_operations, nullptr) {
        m_objects.AddImage(m_image);
        m_objects.AddScreen(m_screen);
        m_objects.sprites.Add(&m_sprite);
        m_objects.gameScreen = static_cast<FakeBackBuffer*>(&m_screen);
        m_parts.parts.Add(&m_part);
        m_forged.Revoke();
    }

    // A word whose object was entered, then released by its owner, its page made no-access.
    template <class T, class Table, class... Args>
    std::uint32_t StaleWord(NoAccessPage& page, Table& table, Args&&... args) {
        T* const object = page.Make<T>(static_cast<Args&&>(args)...);
        table.Add(object);
        const std::uint32_t word = WordOf(object);
        table.Remove(word);
        object->~T();
        page.Revoke();
        return word;
    }

    void CheckEveryBadWord(const std::vector<Probe>& probes, std::uint32_t stale) {
        for (const Probe& probe : probes) {
            SCOPED_TRACE(probe.name);
            const std::pair<const char*, std::uint32_t> words[] = {
                {"0", 0}, {"forged", m_forged.Word(64)}, {"stale", stale}, {"other family", probe.otherFamily}};
            for (const auto& word : words) {
                SCOPED_TRACE(word.first);
                FakeCalls() = 0;
                EXPECT_TRUE(probe.refuses(word.second));
                EXPECT_EQ(0, FakeCalls());
                EXPECT_TRUE(m_operations.loads.empty());
                EXPECT_TRUE(m_operations.placed.empty());
                EXPECT_TRUE(m_operations.listed.empty());
            }
        }
    }

    std::uint32_t ScreenWord() { return WordOf(static_cast<FakeSurface*>(&m_screen)); }

    FakeGraphicsObjects m_objects;
    FakeUiParts m_parts;
    RecordingSpriteOperations m_operations;
    Image m_image;
    Image m_screenImage;
    Canvas m_canvas;
    SpriteList m_overlay;
    Sprite m_sprite;
    FakeScreen m_screen;
    FakeUiPart m_part;
    NoAccessPage m_forged;
    NoAccessPage m_stalePage;
    ServicesScope m_scope;
};

TEST_F(HandleCheck, SurfaceResolvers) {
    const std::uint32_t part = WordOf(&m_part);
    const std::vector<Probe> probes = {
        {"ImageOfSurface", [](std::uint32_t w) { return ImageOfSurface(w) == nullptr; }, part},
        {"BackBufferOfScreen", [](std::uint32_t w) { return BackBufferOfScreen(w) == nullptr; }, part},
        {"CanvasOfScreen", [](std::uint32_t w) { return CanvasOfScreen(w) == nullptr; }, part},
        {"CanvasAndBackBufferOfScreen",
         [](std::uint32_t w) {
             Canvas* out = reinterpret_cast<Canvas*>(0x40);
             return CanvasAndBackBufferOfScreen(w, &out) == nullptr && out == reinterpret_cast<Canvas*>(0x40);
         },
         WordOf(&m_sprite)},
    };
    CheckEveryBadWord(probes, StaleWord<FakeScreen>(m_stalePage, m_objects.surfaces, kSurfaceGdiScreen,
                                                    &m_screenImage, &m_canvas, nullptr));
}

TEST_F(HandleCheck, SpritePlacementSprite) {
    SpritePlacement placement;
    placement.priority = 0;
    const std::uint32_t image = WordOf(&m_image);
    const std::vector<Probe> probes = {
        {"file form",
         [&](std::uint32_t w) { return SetSpriteImageFromFile(w, image, "a", 0, 0, placement) == 1; }, image},
        {"image form", [&](std::uint32_t w) { return SetSpriteImage(w, image, 2, 9, placement) == 1; },
         WordOf(&m_part)},
    };
    CheckEveryBadWord(probes, StaleWord<Sprite>(m_stalePage, m_objects.sprites));
}

TEST_F(HandleCheck, SpritePlacementImage) {
    SpritePlacement placement;
    placement.priority = 0;
    const std::uint32_t sprite = WordOf(&m_sprite);
    const std::vector<Probe> probes = {
        {"file form",
         [&](std::uint32_t w) { return SetSpriteImageFromFile(sprite, w, "a", 0, 0, placement) == 1; },
         ScreenWord()},  // a live surface, but not an image
        {"image form", [&](std::uint32_t w) { return SetSpriteImage(sprite, w, 2, 9, placement) == 1; },
         sprite},
    };
    CheckEveryBadWord(probes, StaleWord<Image>(m_stalePage, m_objects.images));
}

TEST_F(HandleCheck, SpritePlacementBackBuffer) {
    const std::uint32_t sprite = WordOf(&m_sprite);
    const std::uint32_t image = WordOf(&m_image);
    const auto placed = [](std::uint32_t backBuffer) {
        SpritePlacement placement;
        placement.priority = 0;
        placement.backBuffer = backBuffer;
        return placement;
    };
    // 0 is the game screen, a live back buffer: only the bad nonzero words are refused.
    const std::vector<Probe> probes = {
        {"file form",
         [&](std::uint32_t w) { return w == 0 || SetSpriteImageFromFile(sprite, image, "a", 0, 0, placed(w)) == 1; },
         image},  // a live image is no screen
        {"image form", [&](std::uint32_t w) { return w == 0 || SetSpriteImage(sprite, image, 2, 9, placed(w)) == 1; },
         sprite},
    };
    CheckEveryBadWord(probes, StaleWord<FakeScreen>(m_stalePage, m_objects.surfaces, kSurfaceGdiScreen,
                                                    &m_screenImage, &m_canvas, nullptr));
}

TEST_F(HandleCheck, UiPartRoutines) {
    const std::uint32_t surface = ScreenWord();
    const std::uint32_t sprite = WordOf(&m_sprite);
    const std::vector<Probe> probes = {
        {"GetPartSprite", [](std::uint32_t w) { return GetPartSprite(w, 0) == nullptr; }, surface},
        {"GetPartText", [](std::uint32_t w) { return GetPartText(w, 0) == nullptr; }, sprite},
        {"SetPartContent", [](std::uint32_t w) { return SetPartContent(w, WordOf("x")) == -1; }, surface},
        {"GetPartState", [](std::uint32_t w) { return GetPartState(w) == -1; }, sprite},
        {"SetPartFlag", [](std::uint32_t w) { return SetPartFlag(w, 1) == -1; }, surface},
        {"SetPartInputLock", [](std::uint32_t w) { return SetPartInputLock(w, 1) == -1; }, sprite},
    };
    CheckEveryBadWord(probes, StaleWord<FakeUiPart>(m_stalePage, m_parts.parts, kUiTextWindow));
}

}  // namespace
