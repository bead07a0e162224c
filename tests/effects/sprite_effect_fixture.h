// What the sprite fade and change tests share: a 64 x 48 memory screen with its canvas (the
// effects' target), the real qmxgl.dll on its portable kernels with its blend and math tables,
// the real scheduler on a fake clock, coordinate-coded pictures with alpha, and sprites and
// pictures that log their deletion for the ownership checks.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/interfaces/task_scheduling.h"
#include "graphics/compose/blend_tables.h"
#include "graphics/compose/math_tables.h"
#include "graphics/image/image.h"
#include "graphics/image/pixel_buffer.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite.h"
#include "graphics/surfaces/gdi_screen.h"
#include "tests/graphics/pixel_configs.h"
#include "tests/support/fake_clock.h"

namespace effecttest {

inline std::int32_t Word(const void* p) {
    return static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(p));
}

// Pixel (x, y) of picture `tag`: the alpha varies over the picture, the colour names the place.
inline std::uint32_t Coded(std::uint32_t tag, std::int32_t x, std::int32_t y) {
    const auto alpha = static_cast<std::uint32_t>(40 + 7 * x + 11 * y) & 0xFF;
    return (alpha << 24) | (tag << 16) | (static_cast<std::uint32_t>(y) << 8) |
           static_cast<std::uint32_t>(x);
}

template <class Picture>
void FillCoded(Picture& picture, std::uint32_t tag) {
    for (std::int32_t y = 0; y < picture.Height(); ++y)
        for (std::int32_t x = 0; x < picture.Width(); ++x)
            reinterpret_cast<std::uint32_t*>(picture.Row(y))[x] = Coded(tag, x, y);
}

// Deletions land in one log, in order.
struct DeletionLog {
    std::vector<std::string> entries;
};

class CountedPicture final : public WithDeletingDestructor<CountedPicture, PixelBuffer> {
public:
    explicit CountedPicture(DeletionLog& log) : m_log(log) {}
    ~CountedPicture() { m_log.entries.push_back("image"); }

private:
    DeletionLog& m_log;
};

class CountedSprite final : public Sprite {
public:
    explicit CountedSprite(DeletionLog& log) : m_log(log) {}
    ~CountedSprite() override { m_log.entries.push_back("sprite"); }

private:
    DeletionLog& m_log;
};

class SpriteFadeTestBase : public ::testing::Test {
protected:
    static constexpr std::uint32_t kStart = 9000;

    void SetUp() override {
        m_scope = std::make_unique<testsupport::PixelConfigScope>(
            testsupport::PixelConfig::LibraryPortable);
        ASSERT_TRUE(m_scope->Ready()) << "qmxgl.dll did not load";
        InitBlendTables();
        g_mathTables = &m_tables;
        ASSERT_EQ(0, m_screen.CreateSimple(64, 48, 32, true));
        m_clock.SetMs(kStart);
    }
    void TearDown() override {
        m_scheduler.Clear();
        g_mathTables = nullptr;
    }
    void At(std::uint32_t ms) {
        m_clock.SetMs(kStart + ms);
        m_scheduler.RunDue(kStart + ms);
    }
    SpriteList& List() { return m_screen.GetCanvas()->Sprites(); }
    // A coded 32-bit picture with alpha.
    static std::unique_ptr<Image> Picture(std::uint32_t tag, std::int32_t w, std::int32_t h) {
        auto image = std::make_unique<Image>();
        EXPECT_EQ(0, image->Create(w, h, 32, 0));
        FillCoded(*image, tag);
        image->SetHasAlpha(true);
        return image;
    }

    std::unique_ptr<testsupport::PixelConfigScope> m_scope;
    MathTables m_tables;
    testsupport::FakeClock m_clock;
    TaskScheduler m_scheduler{m_clock};
    MemoryScreen m_screen;
};

}  // namespace effecttest
