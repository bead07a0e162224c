// The screen-device settings and image-loader host commands (196-210) on the real screen device
// and image-loader host with the test GLL plug-in.
#include "game/commands/device_commands.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "framework/images/elg_image_loader.h"
#include "graphics/device/state_blocks.h"
#include "graphics/interfaces/screen_buffer.h"
#include "tests/game/commands/device_command_fixture.h"

namespace devicetest {
namespace {

std::string ProgramFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string folder(path);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

using DeviceCommands = DeviceCommandTest;

TEST_F(DeviceCommands, DrawingPathClearColourAndPerFrameClearing) {
    EXPECT_EQ(0, Call(196, {0x102}));
    EXPECT_EQ(2, Call(197, {})) << "a byte";
    EXPECT_EQ(2, m_device.hardwareCanvasMode);
    EXPECT_EQ(0, Call(196, {0}));
    EXPECT_EQ(0, Call(197, {}));

    EXPECT_EQ(0, Call(198, {0x110, 0x20, 0x30}));
    EXPECT_EQ((std::vector<int>{0x10, 0x20, 0x30}),
              (std::vector<int>{m_device.backgroundColour[0], m_device.backgroundColour[1], m_device.backgroundColour[2]}));
    GdiScreen* canvas = nullptr;
    ASSERT_EQ(0, m_device.CreateGdiScreen(&canvas, 16, 8, 32, 0));
    ASSERT_EQ(0, m_device.AttachGameImage(canvas));
    Image* const image = static_cast<ScreenBuffer*>(canvas)->GetImage();
    ASSERT_TRUE(image->FillRect(1, 2, 3, nullptr));
    ClearScreenForFrame();
    EXPECT_EQ(0x010203u, static_cast<std::uint32_t>(image->GetPixel(5, 5)) & 0xFFFFFF) << "not asked";
    EXPECT_EQ(0, Call(199, {3}));
    EXPECT_TRUE(ClearEachFrame());
    ClearScreenForFrame();
    EXPECT_EQ(0x102030u, static_cast<std::uint32_t>(image->GetPixel(5, 5)) & 0xFFFFFF) << "the next frame clears";
    EXPECT_EQ(0x102030u, static_cast<std::uint32_t>(image->GetPixel(15, 7)) & 0xFFFFFF);
    EXPECT_EQ(0, Call(199, {2})) << "bit 0 only";
    EXPECT_FALSE(ClearEachFrame());
}

TEST_F(DeviceCommands, OwnerKeysStampNewObjectsAndReleaseByOwner) {
    EXPECT_EQ(0, Call(201, {7}));
    RenderStateBlock* seven = nullptr;
    ASSERT_EQ(0, m_device.CreateRenderStateBlock(&seven));
    EXPECT_EQ(7, Call(201, {9})) << "the previous key";
    RenderStateBlock* nine = nullptr;
    ASSERT_EQ(0, m_device.CreateRenderStateBlock(&nine));
    Image* image = NewImage(4, 4);

    EXPECT_EQ(0, Call(202, {7, 0}));
    EXPECT_EQ(nullptr, m_device.FindDrawable(WordOf(seven)));
    EXPECT_NE(nullptr, m_device.FindDrawable(WordOf(nine)));
    EXPECT_EQ(0, Call(202, {9, 2})) << "every one not stamped with 9";
    EXPECT_NE(nullptr, m_device.FindDrawable(WordOf(nine)));
    EXPECT_EQ(0, Call(202, {5, 3}));
    EXPECT_EQ(nullptr, m_device.FindDrawable(WordOf(nine)));
    EXPECT_EQ(image, m_device.FindImage(WordOf(image))) << "surfaces are not released";
}

TEST_F(DeviceCommands, DestroyAllLeavesOnlyThePinnedDisplayCanvas) {
    GdiScreen* canvas = nullptr;
    ASSERT_EQ(0, m_device.CreateGdiScreen(&canvas, 32, 24, 32, 1));
    ASSERT_EQ(0, m_device.AttachGameImage(canvas));
    Image* image = NewImage(4, 4);
    MemoryScreen* screen = NewScreen(8, 8);
    const std::uint32_t font = NewFont(false);
    const std::uint32_t words[] = {WordOf(image), WordOf(static_cast<Surface*>(screen))};
    EXPECT_EQ(0, Call(200, {}));
    for (const std::uint32_t word : words) EXPECT_EQ(nullptr, m_device.FindSurface(word));
    EXPECT_NE(nullptr, m_device.FindSurface(WordOf(static_cast<Surface*>(canvas))));
    EXPECT_NE(nullptr, m_device.FindFont(font)) << "fonts stay";
}

TEST_F(DeviceCommands, FullScreenFlagAndLetterboxRectangle) {
    const std::uint32_t outs = Out(16, 0xEE);
    const std::uint32_t all[] = {outs, outs + 4, outs + 8, outs + 12};
    EXPECT_EQ(0, Call(209, {})) << "window mode";
    EXPECT_EQ(0, Call(210, {all[0], all[1], all[2], all[3]}));
    EXPECT_EQ(static_cast<std::int32_t>(0xEEEEEEEE), At(outs)) << "nothing written";

    m_device.displayState = 1;
    m_device.letterboxInUse = 1;
    m_device.letterboxDest = RECT{80, 60, 640, 480};
    EXPECT_EQ(1, Call(209, {}));
    EXPECT_EQ(1, Call(210, {all[0], all[1], all[2], all[3]}));
    EXPECT_EQ((std::vector<std::int32_t>{80, 60, 720, 540}),
              (std::vector<std::int32_t>{At(all[0]), At(all[1]), At(all[2]), At(all[3])}));
    const std::uint32_t more = Out(8, 0xEE);
    EXPECT_EQ(1, Call(210, {0, more, 0, more + 4})) << "nulls are skipped";
    EXPECT_EQ(60, At(more));
    EXPECT_EQ(540, At(more + 4));
    m_device.displayState = 2;
}

TEST_F(DeviceCommands, CacheLimitFromTheScriptOrThePlayersSetting) {
    // The limit the host settles on for a value, read back through its cache.
    const auto limitFor = [&](std::int32_t megabytes) {
        ImageLoaderHost reference;
        reference.SetCacheLimit(megabytes);
        return reference.Cache().Limit();
    };
    EXPECT_EQ(0, Call(203, {static_cast<std::uint32_t>(-1)}));
    EXPECT_EQ(limitFor(-1), m_host.Cache().Limit()) << "-1 passes as automatic";
    const std::int32_t expected[] = {-1, 0, 4, 8};
    for (std::uint8_t setting = 0; setting < 4; ++setting) {
        m_settings.imageCache = setting;
        for (const std::int32_t value : {-2, INT_MIN}) {
            SCOPED_TRACE(setting);
            EXPECT_EQ(expected[setting], ImageCacheLimitFor(value, setting));
            EXPECT_EQ(0, Call(203, {static_cast<std::uint32_t>(value)}));
            EXPECT_EQ(limitFor(expected[setting]), m_host.Cache().Limit());
        }
    }
    EXPECT_EQ(0, Call(203, {12}));
    EXPECT_EQ(limitFor(12), m_host.Cache().Limit());
}

TEST_F(DeviceCommands, PluginsLoadAnswerTheirAssistAndUnload) {
    ASSERT_EQ(0, m_host.RegisterBuiltin(new ElgImageLoader, ElgImageLoader::kExtensions, ElgImageLoader::kTypeString, 1,
                                        nullptr, nullptr, nullptr));
    EXPECT_EQ(0, Call(205, {Text(ProgramFolder() + "test_image.GLL")}));
    EXPECT_EQ(1, Call(205, {0}));
    EXPECT_EQ(-1, Call(206, {0}));
    ASSERT_EQ(2u, m_host.Records().size());
    const std::uint32_t words[] = {0x7E57, 3, 10, 20, 30};
    EXPECT_EQ(0x5A + 10 + 2 * 20 + 3 * 30, Call(208, {words[0], words[1], words[2], words[3], words[4]}));
    EXPECT_EQ(-2, Call(208, {1, 3, 10, 20, 30})) << "the ELG loader has no assist function";
    EXPECT_EQ(-2, Call(208, {99}));
    EXPECT_EQ(2, Call(204, {0})) << "no name";
    EXPECT_EQ(0, Call(207, {0x7E57}));
    EXPECT_EQ(1u, m_host.Records().size());
    EXPECT_EQ(-2, Call(208, {words[0], words[1], words[2], words[3], words[4]}));
    EXPECT_EQ(0, Call(207, {static_cast<std::uint32_t>(-1)}));
    EXPECT_TRUE(m_host.Records().empty());
}

}  // namespace
}  // namespace devicetest
