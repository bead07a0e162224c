// What the panel tests share: the real qmxgl.dll on its portable kernels, published math and
// blend tables, a game folder whose BMP pictures load through the image host, a canvas on a
// 32-bit target with an overlay list, a panel bound to it, a font, and a test group.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "framework/images/bmp_image_loader.h"
#include "framework/images/image_loader_host.h"
#include "graphics/compose/blend_tables.h"
#include "graphics/compose/math_tables.h"
#include "graphics/image/image.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite_list.h"
#include "graphics/text/antialias_font.h"
#include "scenario/ui/ui_panel.h"
#include "scenario/ui/ui_part.h"
#include "tests/framework/vfs_test_fixture.h"
#include "tests/graphics/pixel_configs.h"
#include "tests/scenario/ui/ui_scene.h"
#include "tests/support/dib_writer.h"
#include "tools/content/content_files.h"

namespace paneltest {

inline const char kGothic[] = "ＭＳ ゴシック";

// An 8 x 2 index picture: regions 0-3 two pixels wide over a row of 255.
inline testsupport::DibLayout IndexStrip() {
    testsupport::DibLayout layout;
    layout.bitCount = 8;
    layout.width = 8;
    layout.rows = {{0, 0, 1, 1, 2, 2, 3, 3}, {255, 255, 255, 255, 255, 255, 255, 255}};
    for (std::uint32_t i = 0; i < 256; ++i) layout.palette.push_back(i * 0x010101u);
    return layout;
}

class UiPanelTest : public VfsTestBase {
protected:
    void SetUp() override {
        m_scope = std::make_unique<testsupport::PixelConfigScope>(testsupport::PixelConfig::LibraryPortable);
        ASSERT_TRUE(m_scope->Ready()) << "qmxgl.dll did not load";
        VfsTestBase::SetUp();
        g_mathTables = &m_tables;
        InitBlendTables();
        ASSERT_EQ(0, m_host.RegisterBuiltin(new BmpImageLoader, BmpImageLoader::kExtensions,
                                            BmpImageLoader::kTypeString, 1, nullptr, nullptr, nullptr));
        g_imageLoaderHost = &m_host;
        ASSERT_TRUE(testsupport::WriteFile(Game("map.bmp"), testsupport::BmpFile(IndexStrip())));
        ASSERT_EQ(0, font.SetFont(16, false, 0, kGothic));
        ASSERT_EQ(0, target.Create(64, 64, 32, 0));
        ASSERT_EQ(0, canvas.SetTarget(&target, false));
        canvas.AttachOverlay(&overlay);
        panel.BindCanvas(&canvas);
    }
    void TearDown() override {
        panel.DeleteParts();
        g_imageLoaderHost = nullptr;
        m_host.UnloadAll();
        g_mathTables = nullptr;
        VfsTestBase::TearDown();
        m_scope.reset();
    }

    // A hit map with the panel's settings; null when it failed.
    UiPart* HitMap() {
        UiPart* part = nullptr;
        return panel.NewHitMapPart(&part, "map.bmp", 4, 0, 0, true) == 0 ? part : nullptr;
    }
    UiPart* TextWindow() {
        UiPart* part = nullptr;
        return panel.NewTextWindowPart(&part, 0, 0, 32, 16, &font, nullptr, nullptr, nullptr, nullptr, 3) == 0
                   ? part
                   : nullptr;
    }
    std::uint32_t Word(const void* object) { return HandleTable<UiPartContent>::WordOf(object); }

    std::unique_ptr<testsupport::PixelConfigScope> m_scope;
    MathTables m_tables;
    ImageLoaderHost m_host;
    AntialiasFont font;
    Image target;
    SpriteList overlay;
    Canvas canvas;
    testsupport::UiScene scene;
    // Last: its parts go before the canvas, the font and the group.
    UiPanel panel;
};

}  // namespace paneltest
