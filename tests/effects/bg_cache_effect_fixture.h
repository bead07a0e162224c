// What the tests of the layer effects that draw into the canvas cache (bg_rast, bg_haze,
// bg_loop, bg_cross) share: a linked pair of 32-bit memory screens with canvases over
// coordinate-coded backgrounds larger than the screens, shown from a source offset; the real
// qmxgl.dll on its portable kernels; published math tables; the busy-counter hooks; the
// scheduler on a fake clock.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "effects/objects/effect_base.h"
#include "framework/interfaces/task_scheduling.h"
#include "graphics/compose/math_tables.h"
#include "graphics/image/image.h"
#include "graphics/sprites/canvas.h"
#include "graphics/surfaces/gdi_screen.h"
#include "tests/effects/busy_hooks.h"
#include "tests/graphics/pixel_configs.h"
#include "tests/support/fake_clock.h"

namespace bgtest {

// Pixel (x, y) of screen n's background: x in bits 0-10, y in 11-20, n + 1 above.
inline std::uint32_t Coded(int n, std::int32_t x, std::int32_t y) {
    return 0xFF000000u | (static_cast<std::uint32_t>(n + 1) << 21) |
           (static_cast<std::uint32_t>(y) << 11) | static_cast<std::uint32_t>(x);
}

inline std::int32_t TextWord(const char* text) {
    return static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(text));
}

struct Layout {
    std::int32_t width, height;              // the screens
    std::int32_t sourceWidth, sourceHeight;  // the backgrounds
    std::int32_t offsetX, offsetY;           // the canvases' source offset
};
constexpr Layout kWide = {32, 16, 52, 26, 5, 3};
constexpr Layout kSmall = {13, 7, 20, 9, 3, 1};

class BgCacheEffectTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_scope = std::make_unique<testsupport::PixelConfigScope>(
            testsupport::PixelConfig::LibraryPortable);
        ASSERT_TRUE(m_scope->Ready()) << "qmxgl.dll did not load";
        g_mathTables = &m_tables;
        MakeScreens(kWide);
    }
    void TearDown() override {
        // Effects hold raw pointers into the screens: the scheduler goes first.
        m_scheduler.Clear();
        m_scope.reset();
        g_mathTables = nullptr;
    }

    // (Re)makes both screens and backgrounds; any running effect is deleted first.
    void MakeScreens(const Layout& layout) {
        m_scheduler.Clear();
        m_layout = layout;
        for (int n = 0; n < 2; ++n) {
            m_screen[n] = std::make_unique<MemoryScreen>();
            m_background[n] = std::make_unique<Image>();
            ASSERT_EQ(0, m_screen[n]->CreateSimple(layout.width, layout.height, 32, true));
            ASSERT_EQ(0, m_background[n]->Create(layout.sourceWidth, layout.sourceHeight, 32, 0));
            for (std::int32_t y = 0; y < layout.sourceHeight; ++y)
                for (std::int32_t x = 0; x < layout.sourceWidth; ++x)
                    m_background[n]->SetPixel(x, y, Coded(n, x, y));
            CanvasOf(n)->SetBackgroundColour(kFill[n], false);
            ASSERT_TRUE(CanvasOf(n)->SetSource(m_background[n].get(), layout.offsetX,
                                               layout.offsetY, true));
        }
        ASSERT_EQ(0, m_screen[0]->SetAlternate(m_screen[1].get()));
    }

    // Sets effect up on screen `on` with the words; on success the scheduler owns it and
    // m_handle follows it, else it is released here.
    std::int32_t Start(EffectObject* effect, const std::vector<std::int32_t>& words, int on = 0) {
        m_base = m_clock.Milliseconds() + 1000;
        const std::int32_t code = effect->Setup(&m_scheduler, m_screen[on].get(), words.data());
        if (code == 0) {
            m_handle = effect;
            effect->SetOwner(&m_handle);
        } else {
            ReleaseObject(effect);
        }
        return code;
    }
    // Runs the scheduler at `time` ms after the last Start (the first step starts the effect).
    void StepAt(std::uint32_t time) {
        m_clock.SetMs(m_base + time);
        m_scheduler.RunDue(m_base + time);
    }

    Canvas* CanvasOf(int n) { return m_screen[n]->GetCanvas(); }
    std::int32_t Width() const { return m_layout.width; }
    std::int32_t Height() const { return m_layout.height; }
    // Background pixel (x, y) of screen n, from the coding.
    static std::uint32_t Source(int n, std::int32_t x, std::int32_t y) { return Coded(n, x, y); }

    // What canvas n shows, row by row.
    std::vector<std::uint32_t> Shown(int n) {
        Image out;
        EXPECT_EQ(0, out.Create(Width(), Height(), 32, 0));
        EXPECT_EQ(0, CanvasOf(n)->Render(&out, 0, 0, true));
        std::vector<std::uint32_t> pixels;
        for (std::int32_t y = 0; y < Height(); ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(out.Row(y));
            pixels.insert(pixels.end(), row, row + Width());
        }
        return pixels;
    }
    // What canvas n shows without an effect: its background at the source offset.
    std::vector<std::uint32_t> Plain(int n) {
        std::vector<std::uint32_t> pixels;
        for (std::int32_t y = 0; y < Height(); ++y)
            for (std::int32_t x = 0; x < Width(); ++x)
                pixels.push_back(Source(n, x + m_layout.offsetX, y + m_layout.offsetY));
        return pixels;
    }
    // The picture a model gives pixel by pixel.
    template <class Model>
    std::vector<std::uint32_t> Picture(Model model) {
        std::vector<std::uint32_t> pixels;
        for (std::int32_t y = 0; y < Height(); ++y)
            for (std::int32_t x = 0; x < Width(); ++x) pixels.push_back(model(x, y));
        return pixels;
    }

    static constexpr std::uint32_t kFill[2] = {0xFF102030u, 0xFF405060u};
    effecttest::BusyHooks m_hooks;
    MathTables m_tables;
    std::unique_ptr<testsupport::PixelConfigScope> m_scope;
    Layout m_layout = kWide;
    std::unique_ptr<Image> m_background[2];
    std::unique_ptr<MemoryScreen> m_screen[2];
    testsupport::FakeClock m_clock{0};
    TaskScheduler m_scheduler{m_clock};
    EffectObject* m_handle = nullptr;
    std::uint32_t m_base = 0;
};

}  // namespace bgtest
