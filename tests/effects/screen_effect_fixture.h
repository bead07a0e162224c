// What the screen-effect tests share: two linked 32 x 24 memory screens with canvases whose
// backgrounds are numbered pictures, the real qmxgl.dll on its portable kernels, published math
// tables, a game folder whose pictures are read through the file system and the ELG loader, a
// seeded shared generator with a twin that tells what the effects draw, the busy-counter hooks,
// and the second scheduler on a fake clock.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "effects/objects/effect_base.h"
#include "effects/objects/subtractive_random.h"
#include "framework/images/elg_image_loader.h"
#include "framework/images/image_loader_host.h"
#include "framework/interfaces/task_scheduling.h"
#include "graphics/compose/math_tables.h"
#include "graphics/image/image.h"
#include "graphics/sprites/canvas.h"
#include "graphics/surfaces/gdi_screen.h"
#include "tests/effects/busy_hooks.h"
#include "tests/framework/vfs_test_fixture.h"
#include "tests/graphics/pixel_configs.h"
#include "tools/content/elg_writer.h"
#include "tests/support/fake_clock.h"
#include "tools/content/content_files.h"

namespace effecttest {

constexpr std::int32_t kWidth = 32;
constexpr std::int32_t kHeight = 24;
constexpr std::uint32_t kSeed = 20261211;

// Pixel (x, y) of screen n's background picture.
inline std::uint32_t BackgroundPixel(int n, std::int32_t x, std::int32_t y) {
    return 0xFF000000u | (static_cast<std::uint32_t>(n + 1) << 16) |
           (static_cast<std::uint32_t>(y) << 8) | static_cast<std::uint32_t>(x);
}

// A parameter word carrying the address of a text.
inline std::int32_t TextWord(const char* text) {
    return static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(text));
}

class ScreenEffectTest : public VfsTestBase {
protected:
    void SetUp() override {
        // The library is found beside the program first; then the game folder becomes the
        // base directory.
        m_scope = std::make_unique<testsupport::PixelConfigScope>(
            testsupport::PixelConfig::LibraryPortable);
        ASSERT_TRUE(m_scope->Ready()) << "qmxgl.dll did not load";
        VfsTestBase::SetUp();
        g_mathTables = &m_tables;
        ASSERT_EQ(0, m_host.RegisterBuiltin(new ElgImageLoader, ElgImageLoader::kExtensions,
                                            ElgImageLoader::kTypeString, 1, nullptr, nullptr,
                                            nullptr));
        g_imageLoaderHost = &m_host;
        for (int n = 0; n < 2; ++n) {
            ASSERT_EQ(0, m_screen[n].CreateSimple(kWidth, kHeight, 32, true));
            ASSERT_EQ(0, m_background[n].Create(kWidth + 100, kHeight + 60, 32, 0));
            for (std::int32_t y = 0; y < m_background[n].Height(); ++y)
                for (std::int32_t x = 0; x < m_background[n].Width(); ++x)
                    m_background[n].SetPixel(x, y, BackgroundPixel(n, x, y));
            Canvas* canvas = m_screen[n].GetCanvas();
            canvas->SetBackgroundColour(kFill[n], false);
            ASSERT_TRUE(canvas->SetSource(&m_background[n], 50, 30, true));
        }
        ASSERT_EQ(0, m_screen[0].SetAlternate(&m_screen[1]));
        m_random.Seed(kSeed);
        m_twin.Seed(kSeed);
        SetEffectRandom(&m_random);
    }
    void TearDown() override {
        // Effects hold raw pointers into the screens: the scheduler goes first.
        m_scheduler.Clear();
        SetEffectRandom(nullptr);
        g_imageLoaderHost = nullptr;
        m_host.UnloadAll();
        m_scope.reset();
        g_mathTables = nullptr;
        VfsTestBase::TearDown();
    }

    Canvas* CanvasOf(int n) { return m_screen[n].GetCanvas(); }
    POINT SourcePosition(int n) {
        POINT p = {0, 0};
        std::int32_t x = 0;
        std::int32_t y = 0;
        CanvasOf(n)->GetBackground(nullptr, &x, &y, nullptr, nullptr, nullptr);
        p.x = x;
        p.y = y;
        return p;
    }
    // The whole canvas drawn into a new picture.
    std::vector<std::uint32_t> Rendered(int n) {
        Image out;
        EXPECT_EQ(0, out.Create(kWidth, kHeight, 32, 0));
        EXPECT_EQ(0, CanvasOf(n)->Render(&out, 0, 0, true));
        std::vector<std::uint32_t> pixels;
        for (std::int32_t y = 0; y < kHeight; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(out.Row(y));
            pixels.insert(pixels.end(), row, row + kWidth);
        }
        return pixels;
    }
    // What canvas n shows with its background's source position at (sx, sy).
    static std::vector<std::uint32_t> Shifted(int n, std::int32_t sx, std::int32_t sy) {
        std::vector<std::uint32_t> pixels;
        for (std::int32_t y = 0; y < kHeight; ++y)
            for (std::int32_t x = 0; x < kWidth; ++x)
                pixels.push_back(BackgroundPixel(n, x + sx, y + sy));
        return pixels;
    }
    // A picture of the game folder, as an ELG file.
    void WritePicture(const std::string& name, std::uint16_t width, std::uint16_t height,
                      const std::vector<std::uint32_t>& pixels) {
        ASSERT_TRUE(CreateDirectoryA(Game("SYS").c_str(), nullptr) ||
                    GetLastError() == ERROR_ALREADY_EXISTS);
        ASSERT_TRUE(testsupport::WriteFile(
            Game(name), testsupport::EncodeElgPicture(32, width, height, pixels)));
    }

    static constexpr std::uint32_t kFill[2] = {0xFF102030u, 0xFF405060u};
    BusyHooks m_hooks;
    MathTables m_tables;
    std::unique_ptr<testsupport::PixelConfigScope> m_scope;
    ImageLoaderHost m_host;
    Image m_background[2];
    MemoryScreen m_screen[2];
    SubtractiveRandom m_random;
    SubtractiveRandom m_twin;
    testsupport::FakeClock m_clock{0};
    TaskScheduler m_scheduler{m_clock};
};

}  // namespace effecttest
