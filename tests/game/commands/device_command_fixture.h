// What the font, screen-device, image-plug-in and effect-task command tests share: the program's
// pixel library (qmxgl.dll on its portable kernels), the blend tables and published math tables, a real screen device (no window) put where the commands find it, a font list, an image-loader host, the
// second task scheduler on a fake clock with the real effect registry, settings the test sets,
// and a guarded script region that holds each call's argument block, texts and out words.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "framework/images/image_loader_host.h"
#include "framework/interfaces/task_scheduling.h"
#include "framework/plugins/effect_registry.h"
#include "game/commands/command_task_table.h"
#include "game/commands/device_command_services.h"
#include "game/script/command_table.h"
#include "game/script/script_fault.h"
#include "graphics/compose/blend_tables.h"
#include "graphics/compose/math_tables.h"
#include "graphics/device/screen_device.h"
#include "graphics/image/image.h"
#include "graphics/surfaces/gdi_screen.h"
#include "graphics/text/default_font.h"
#include "graphics/text/font_list.h"
#include "tests/game/commands/guarded_script_region.h"
#include "tests/graphics/pixel_configs.h"
#include "tests/support/command_doubles.h"
#include "tests/support/fake_clock.h"

namespace devicetest {

using testsupport::WordOf;

// The IPA replacement of the Japanese gothic face.
const char kGothic[] = "ＭＳ ゴシック";

class FakeDeviceSettings final : public DeviceCommandPort {
public:
    std::uint8_t ImageCacheSetting() override { return imageCache; }
    bool ContinuousRedrawOff() override { return redrawOff; }
    HWND MainWindow() override { return nullptr; }

    std::uint8_t imageCache = 0;
    bool redrawOff = false;
};

class DeviceCommandTest : public ::testing::Test {
protected:
    // The argument block's words; texts and outs follow it.
    static constexpr std::size_t kBlockBytes = 128;

    void SetUp() override {
        InitBlendTables();
        g_mathTables = &m_tables;
        DefaultFont = nullptr;
        SetCommandScreenDevice(&m_device);
        DeviceCommandServices& services = DeviceServices();
        services.fonts = &m_fonts;
        services.images = &m_host;
        services.effectScheduler = &m_scheduler;
        services.effects = &m_effects;
        services.settings = &m_settings;
    }
    void TearDown() override {
        // Effects hold the screens' canvases: they end while the screens are whole.
        m_scheduler.Clear();
        CommandTasks().Clear();
        SetCommandScreenDevice(nullptr);
        DeviceServices() = DeviceCommandServices();
        SetClearEachFrame(false);
        DefaultFont = nullptr;
        TakeScriptFault();
        g_mathTables = nullptr;
    }

    // Runs the opcode on a block holding the words; its result.
    std::int32_t Call(int opcode, const std::vector<std::uint32_t>& words) {
        std::uint32_t* const block = Block();
        std::memset(block, 0, kBlockBytes);
        std::memcpy(block, words.data(), words.size() * sizeof(std::uint32_t));
        return static_cast<std::int32_t>(kCommandTable[opcode].handler(block));
    }
    std::uint32_t* Block() { return reinterpret_cast<std::uint32_t*>(m_region.Bytes()); }
    // A text in the region, after the block; its word.
    std::uint32_t Text(const std::string& text) {
        std::uint8_t* const at = Take(text.size() + 1);
        std::memcpy(at, text.c_str(), text.size() + 1);
        return WordOf(at);
    }
    // `size` bytes of the region set to `fill`; their word.
    std::uint32_t Out(std::size_t size, std::uint8_t fill = 0xEE) {
        std::uint8_t* const at = Take(size);
        std::memset(at, fill, size);
        return WordOf(at);
    }
    static std::int32_t At(std::uint32_t word) {
        std::int32_t value;
        std::memcpy(&value, reinterpret_cast<const void*>(static_cast<std::uintptr_t>(word)), sizeof value);
        return value;
    }
    static std::string TextAt(std::uint32_t word) { return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(word)); }

    std::uint32_t NewFont(bool antialias, std::int32_t size = 20) {
        Font* font = nullptr;
        EXPECT_EQ(0, antialias ? m_device.CreateAntialiasFont(&font, kGothic, size)
                               : m_device.CreateGdiFont(&font, kGothic, size));
        return WordOf(font);
    }
    // A 32-bit software image of the device.
    Image* NewImage(std::int32_t width, std::int32_t height) {
        Image* image = nullptr;
        EXPECT_EQ(0, m_device.CreateImage(&image, width, height, 32, 0));
        return image;
    }
    // A memory screen with a canvas.
    MemoryScreen* NewScreen(std::int32_t width, std::int32_t height) {
        MemoryScreen* screen = nullptr;
        EXPECT_EQ(0, m_device.CreateGdiScreenSimple(&screen, width, height, 32, 1));
        return screen;
    }

    MathTables m_tables;
    testsupport::PixelConfigScope m_kernels{testsupport::PixelConfig::LibraryPortable};
    commandtest::GuardedRegion m_region;
    ScreenDevice m_device;
    FontList m_fonts;
    ImageLoaderHost m_host;
    testsupport::FakeClock m_clock{1000};
    TaskScheduler m_scheduler{m_clock};
    EffectRegistry m_effects;
    FakeDeviceSettings m_settings;

private:
    std::uint8_t* Take(std::size_t size) {
        const std::size_t rounded = (size + 3) & ~std::size_t{3};
        EXPECT_LE(m_used + rounded, commandtest::GuardedRegion::kSize - kBlockBytes) << "the region is full";
        std::uint8_t* const at = m_region.Bytes() + kBlockBytes + m_used;
        m_used += rounded;
        return at;
    }
    std::size_t m_used = 0;
};

}  // namespace devicetest
