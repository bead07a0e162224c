// What the text window tests share: the real qmxgl.dll on its portable kernels, published math
// tables, a game folder whose BMP pictures load through the image host, a sprite list, a group
// that records what the window asks of it, and the Japanese faces as Wine resolves them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/images/bmp_image_loader.h"
#include "framework/images/image_loader_host.h"
#include "graphics/compose/blend_tables.h"
#include "graphics/compose/math_tables.h"
#include "graphics/image/image.h"
#include "graphics/sprites/sprite_list.h"
#include "graphics/text/antialias_font.h"
#include "framework/input/input_manager.h"
#include "scenario/ui/ui_part_group.h"
#include "scenario/text/text_window_part.h"
#include "tests/framework/vfs_test_fixture.h"
#include "tests/graphics/pixel_configs.h"
#include "tests/support/dib_writer.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_input_platform.h"
#include "tests/support/fake_winmm_joystick.h"
#include "tools/content/content_files.h"

namespace texttest {

inline const char kGothic[] = "ＭＳ ゴシック";
inline const char kMincho[] = "ＭＳ 明朝";

// A group over the real message devices, recording what the window asks of it.
class RecordingGroup : public UiPartGroup {
public:
    explicit RecordingGroup(InputManager& manager, ActionMap*& actions)
        : m_manager(manager), m_actions(actions) {}
    ~RecordingGroup() override { Close(); }

    void GetCursorPos(std::int32_t* x, std::int32_t* y) override {
        *x = pointerX;
        *y = pointerY;
    }
    void SetCursorPos(std::int32_t x, std::int32_t y) override {
        log.push_back("cursor " + std::to_string(x) + "," + std::to_string(y));
    }
    bool SetCursorKind(std::int32_t kind) override {
        cursorKind = kind;
        return true;
    }
    std::int32_t GetCursorKind() override { return cursorKind; }
    std::int32_t GetFocusPointerMode() override { return pointerMode; }
    std::int32_t PlaySound(const char* name, std::int32_t id, std::int32_t, std::int32_t) override {
        log.push_back(name != nullptr ? std::string("sound ") + name
                                      : "sound " + std::to_string(id));
        return 0;
    }
    void RunAction(const char* text, const char* name, std::int32_t value) override {
        log.push_back(std::string("action ") + (text ? text : "-") + " " + (name ? name : "-") +
                      " " + std::to_string(value));
    }
    void NotifyActivated(std::int32_t id) override { result = id; }
    ActionMap* GetActionMap() override { return m_actions; }
    KeyboardDevice* GetKeyboard() override { return m_manager.Keyboard(); }
    MouseDevice* GetMouse() override { return m_manager.Mouse(); }

    std::int32_t pointerX = 0;
    std::int32_t pointerY = 0;
    std::int32_t cursorKind = 0;
    std::int32_t result = -100;
    std::int32_t pointerMode = 0;
    std::vector<std::string> log;

private:
    InputManager& m_manager;
    ActionMap*& m_actions;
};

class TextWindowTest : public VfsTestBase {
protected:
    void SetUp() override {
        m_scope = std::make_unique<testsupport::PixelConfigScope>(
            testsupport::PixelConfig::LibraryPortable);
        ASSERT_TRUE(m_scope->Ready()) << "qmxgl.dll did not load";
        VfsTestBase::SetUp();
        g_mathTables = &m_tables;
        InitBlendTables();
        ASSERT_EQ(0, m_host.RegisterBuiltin(new BmpImageLoader, BmpImageLoader::kExtensions,
                                            BmpImageLoader::kTypeString, 1, nullptr, nullptr,
                                            nullptr));
        g_imageLoaderHost = &m_host;
        ASSERT_EQ(0, font.SetFont(16, false, 0, kGothic));
        // The game's devices: window-message keyboard and mouse, actions 0-5 bound as the game
        // binds them.
        ASSERT_EQ(0, manager.CreateDevices(nullptr, 2, 2));
        ASSERT_EQ(0, manager.CreateActionMap(6, &actions));
        const int bindings[][2] = {{0, DIK_UP},    {1, DIK_DOWN},   {2, DIK_LEFT},
                                   {3, DIK_RIGHT}, {4, DIK_RETURN}, {5, DIK_ESCAPE}};
        for (const auto& b : bindings) {
            ASSERT_EQ(0, actions->AddBinding(b[0], 0, static_cast<std::uint8_t>(b[1])));
        }
        manager.AcquireAll();
    }
    // One turn of the devices with a key (virtual-key code, 0 none) and the first button.
    void Turn(int virtualKey, bool button) {
        if (virtualKey != 0) manager.OnKeyDown(virtualKey, 0);
        if (button) manager.OnLeftButtonDown();
        manager.Poll();
        if (virtualKey != 0) manager.OnKeyUp(virtualKey, 0);
        if (button) manager.OnLeftButtonUp();
    }
    void TearDown() override {
        window.Release();
        window.ReleaseSkinImages(false);
        g_imageLoaderHost = nullptr;
        m_host.UnloadAll();
        g_mathTables = nullptr;
        VfsTestBase::TearDown();
        m_scope.reset();
    }

    // A window of width x height at (0, 0), margins 8, two-byte characters in 16-pixel cells.
    void MakeWindow(std::int32_t width, std::int32_t height, Font* rubyFont = nullptr) {
        window.centreDoubleByte = 1;
        ASSERT_EQ(0, window.Create(&list, 10, width, height, 0, 0, &font, rubyFont, 0));
    }
    // Puts every character of text; the last PutChar result.
    std::int32_t Put(const char* text) {
        std::int32_t result = 0;
        while (*text != 0 && result != 1) {
            result = window.PutChar(&text);
        }
        return result;
    }
    // Width of text as GDI measures it in the face at size 16.
    static std::int32_t Measure(const char* face, std::int32_t size, const char* text) {
        LOGFONTA lf{};
        lf.lfHeight = -size;
        lf.lfCharSet = SHIFTJIS_CHARSET;
        lstrcpyA(lf.lfFaceName, face);
        HFONT f = CreateFontIndirectA(&lf);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, f);
        SIZE s{0, 0};
        GetTextExtentPoint32A(dc, text, lstrlenA(text), &s);
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(f);
        return s.cx;
    }
    // A picture file in the game folder.
    void WriteBmp(const std::string& name, const testsupport::DibLayout& layout) {
        ASSERT_TRUE(testsupport::WriteFile(Game(name), testsupport::BmpFile(layout)));
    }
    // A blank picture of the window's size and background, for drawing the expected glyphs.
    void Blank(Image* image, std::uint32_t pixel = 0x80000000u) {
        ASSERT_EQ(0, image->Create(window.Width(), window.Height(), 32, 0));
        image->FillValue(pixel, nullptr);
    }
    static std::int32_t Differences(Image& a, Image& b) {
        std::int32_t n = 0;
        for (std::int32_t y = 0; y < a.Height(); ++y)
            for (std::int32_t x = 0; x < a.Width(); ++x)
                n += a.GetPixel(x, y) != b.GetPixel(x, y);
        return n;
    }

    std::unique_ptr<testsupport::PixelConfigScope> m_scope;
    MathTables m_tables;
    ImageLoaderHost m_host;
    SpriteList list;
    AntialiasFont font;
    testsupport::FakeInputPlatform platform;
    testsupport::FakeClock clock;
    InputManager manager{platform, clock, testsupport::FakeWinmmApi()};
    ActionMap* actions = nullptr;
    RecordingGroup group{manager, actions};
    TextWindowPart window;
};

}  // namespace texttest
