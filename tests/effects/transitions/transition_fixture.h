// What the built-in transition tests share: a 32-bit memory screen as the Setup target, a from
// and a to picture of coordinate-coded pixels, a sentinel-filled target, the real qmxgl.dll on
// its portable kernels, published math tables, and drawing whole or in strips.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "effects/transitions/builtin_transitions.h"
#include "graphics/compose/math_tables.h"
#include "graphics/image/image.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite_list.h"
#include "graphics/surfaces/gdi_screen.h"
#include "tests/graphics/pixel_configs.h"
#include "tests/support/coded_picture.h"

namespace transtest {

constexpr std::uint32_t kSentinel = 0x5EC0FFEE;
constexpr std::uint8_t kFromTop = 0xFF;
constexpr std::uint8_t kToTop = 0xEE;

using Pixels = std::vector<std::uint32_t>;

inline Pixels PixelsOf(Image& image) {
    Pixels out;
    for (std::int32_t y = 0; y < image.Height(); ++y)
        for (std::int32_t x = 0; x < image.Width(); ++x)
            out.push_back(testsupport::PixelAt(image, x, y));
    return out;
}

// Holds a callback made by its factory and releases it.
struct Held {
    explicit Held(TransCallback* c) : callback(c) {}
    Held(Held&& other) noexcept : callback(other.callback) { other.callback = nullptr; }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    ~Held() { ReleaseObject(callback); }
    TransCallback* operator->() const { return callback; }
    TransCallback& operator*() const { return *callback; }
    TransCallback* callback;
};

class TransitionFixture : public ::testing::Test {
protected:
    void SetUp() override { Make(16, 8); }
    void TearDown() override {
        g_mathTables = nullptr;
        m_config.reset();
    }

    void Make(std::int32_t width, std::int32_t height) {
        m_width = width;
        m_height = height;
        m_config.reset();  // one library at a time
        m_config = std::make_unique<testsupport::PixelConfigScope>(
            testsupport::PixelConfig::LibraryPortable);
        ASSERT_TRUE(m_config->Ready());
        g_mathTables = &m_tables;
        ASSERT_EQ(m_screen.CreateSimple(width, height, 32, false), 0);
        ASSERT_TRUE(testsupport::CodedPicture(m_from, width, height, kFromTop));
        ASSERT_TRUE(testsupport::CodedPicture(m_to, width, height, kToTop));
        ResetTarget();
    }
    void ResetTarget() {
        ASSERT_TRUE(testsupport::FilledPicture(m_target, m_width, m_height, kSentinel));
    }
    void UnloadLibrary() { m_config.reset(); }

    // The record of the present for rows [top, top + rows).
    TransitionBlit Blit(TransCallback& callback, std::int32_t top, std::int32_t rows) {
        Image* to = callback.Kind() >= 2 ? nullptr : &m_to;
        return TransitionBlit{0,   top,     m_width, rows, &m_target, 0, top,
                              &m_from, 0, top, to,      0,    to ? top : 0};
    }
    std::int32_t DrawWhole(TransCallback& callback) {
        const TransitionBlit b = Blit(callback, 0, m_height);
        return callback.Draw(&b);
    }
    // Strips of these heights from the top, the last one taking the rest.
    void DrawStrips(TransCallback& callback, const std::vector<std::int32_t>& heights) {
        std::int32_t top = 0;
        for (std::int32_t h : heights) {
            if (top >= m_height) break;
            const std::int32_t rows = std::min(h, m_height - top);
            const TransitionBlit b = Blit(callback, top, rows);
            callback.Draw(&b);
            top += rows;
        }
        if (top < m_height) {
            const TransitionBlit b = Blit(callback, top, m_height - top);
            callback.Draw(&b);
        }
    }
    // Sets up with the words; false with a test failure when Setup refuses.
    template <class Callback>
    std::unique_ptr<Callback> Made(std::vector<std::int32_t> words) {
        words.resize(8, 0);
        auto callback = std::make_unique<Callback>();
        const std::int32_t code = callback->Setup(&m_screen, words.data());
        EXPECT_EQ(code, 0) << callback->Name();
        if (code != 0) return nullptr;
        return callback;
    }

    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    std::unique_ptr<testsupport::PixelConfigScope> m_config;
    MathTables m_tables;
    MemoryScreen m_screen;
    Image m_from, m_to, m_target;
};

}  // namespace transtest
