// What the sprite and canvas tests share: the real qmxgl.dll on its portable kernels (exact
// pixels) and published math tables, and a drawable that counts its calls and can change its
// list from inside them.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "graphics/compose/math_tables.h"
#include "graphics/image/image.h"
#include "graphics/sprites/drawable.h"
#include "tests/graphics/pixel_configs.h"

namespace spritetest {

class LibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_mathTables = &m_tables;
        m_scope = std::make_unique<testsupport::PixelConfigScope>(m_config);
        ASSERT_TRUE(m_scope->Ready()) << "qmxgl.dll did not load";
    }
    void TearDown() override {
        m_scope.reset();
        g_mathTables = nullptr;
    }
    // Unbinds the library for the rest of the test.
    void UnloadLibrary() { m_scope.reset(); }

    // The portable record's kernels give the exact pixels the tests compare against; tests
    // that compare two drawings of the same state may run on the detected one as well.
    testsupport::PixelConfig m_config = testsupport::PixelConfig::LibraryPortable;
    MathTables m_tables;
    std::unique_ptr<testsupport::PixelConfigScope> m_scope;
};

// A rectangle of one opaque colour that records each call; the hooks run inside the calls.
class ProbeDrawable : public Drawable {
public:
    ProbeDrawable(RECT bounds, std::uint32_t colour) : m_colour(colour) {
        m_x = bounds.left;
        m_y = bounds.top;
        m_bounds = bounds;
    }

    std::int32_t Width() const override { return m_bounds.right - m_bounds.left; }
    std::int32_t Height() const override { return m_bounds.bottom - m_bounds.top; }
    std::int32_t Kind() const override { return 2; }
    std::int32_t SetBlendMode(std::uint8_t) override { return 0; }
    bool SetSize(std::int32_t, std::int32_t) override { return false; }
    bool InvalidateArea(const RECT&) override { return false; }
    bool HitTest(std::int32_t, std::int32_t, bool) override { return false; }
    void GetBounds(RECT* out) override {
        ++getBounds;
        *out = m_bounds;
        RunHook(onGetBounds);
    }
    void SetDirty(std::uint8_t dirty) override {
        Drawable::SetDirty(dirty);
        RunHook(onSetDirty);
    }
    std::int32_t Render(Image* target, RECT* outRect) override {
        ++renders;
        target->FillValue(m_colour, &m_bounds);
        ReportDrawn(target, outRect);
        return 0;
    }
    void RenderClipped(Image* target, const RECT& clip) override {
        ++renderClipped;
        clips.push_back(clip);
        RECT area = {std::max(clip.left, m_bounds.left), std::max(clip.top, m_bounds.top),
                     std::min(clip.right, m_bounds.right), std::min(clip.bottom, m_bounds.bottom)};
        if (area.left < area.right && area.top < area.bottom) target->FillValue(m_colour, &area);
        RunHook(onRenderClipped);
    }
    void Reset() override {}

    int getBounds = 0;
    int renders = 0;
    int renderClipped = 0;
    std::vector<RECT> clips;
    std::function<void()> onGetBounds;
    std::function<void()> onSetDirty;
    std::function<void()> onRenderClipped;

protected:
    void UpdateBounds() override {
        m_bounds = RECT{m_x, m_y, m_x + Width(), m_y + Height()};
        SetDirty(1);
    }
    bool ShowsSomething() const override { return true; }

private:
    // Runs a copy: the hook may delete this drawable, and with it the member it was read from.
    static void RunHook(const std::function<void()>& hook) {
        if (!hook) return;
        const std::function<void()> copy = hook;
        copy();
    }

    std::uint32_t m_colour;
};

}  // namespace spritetest
