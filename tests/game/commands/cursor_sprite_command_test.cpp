// Opcode 580 on a started game with the screen device's own drawables: kinds the mouse does not
// take and words that name no drawable drop the pointer sprite, and nothing the command made
// is left with the mouse.
#include <gtest/gtest.h>

#include <cstdint>

#include "framework/input/mouse_device.h"
#include "game/commands/command_services.h"
#include "game/commands/device_command_services.h"
#include "graphics/device/primitive_sprites.h"
#include "graphics/device/screen_device.h"
#include "graphics/device/state_blocks.h"
#include "tests/game/commands/input_commands_game.h"
#include "tests/support/command_harness.h"
#include "tests/support/fake_pointer_sprite.h"

namespace {

std::uint32_t Call(int opcode, std::initializer_list<std::uint32_t> words) {
    testsupport::ArgBlock block;
    for (std::uint32_t word : words) block.Word(word);
    return testsupport::CallCommand(opcode, block);
}

TEST(CursorSpriteCommand, OtherKindsAndDeadWordsDropThePointer) {
    inputtest::InputGame g("PointerDrawable", {{}});
    MouseDevice* const mouse = g.App().Input().Mouse();
    ASSERT_NE(nullptr, mouse);
    ScreenDevice device;
    const CommandServices saved = Services();
    DeviceServices().screen = &device;
    ColourRectSprite* rect = nullptr;
    ASSERT_EQ(0, device.CreateColourRect(&rect, 4, 4, 0xFFFFFFFF, 0, 0));
    RenderStateBlock* block = nullptr;
    ASSERT_EQ(0, device.CreateRenderStateBlock(&block));
    RenderStateBlock* released = nullptr;
    ASSERT_EQ(0, device.CreateRenderStateBlock(&released));
    const std::uint32_t releasedWord = HandleTable<DeviceDrawable>::WordOf(released);
    ASSERT_EQ(0, device.ReleaseDrawable(released));

    struct Row {
        const char* name;
        std::uint32_t word;
        std::uint32_t result;
    };
    const Row rows[] = {
        {"colour rectangle", HandleTable<DeviceDrawable>::WordOf(rect), 3},
        {"state block", HandleTable<DeviceDrawable>::WordOf(block), 3},
        {"null", 0, 0},
        {"released", releasedWord, 0},
        {"forged", 0x5A5A5A5A, 0},
    };
    testsupport::FakePointerSprite sprite;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(0, mouse->SetCursorSprite(&sprite, 1, 100, false, 0, 0));
        EXPECT_EQ(row.result, Call(580, {row.word, 2, 50, 1, 3, 4}));
        EXPECT_EQ(nullptr, mouse->CursorSprite());
        EXPECT_FALSE(sprite.enabled) << "the old pointer was hidden";
    }
    // The rectangle the mouse refused draws as before.
    EXPECT_TRUE(rect->IsEnabled());
    device.DestroyAllObjects();
    Services() = saved;
}

}  // namespace
