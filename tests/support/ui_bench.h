// The UI bench: the game's part group over the real program pieces, for the tests of the UI
// parts. A 1024 x 576 32-bit target image under a Canvas with a plain background colour; the
// framework application (not started) on fake machine sources with its input manager making
// window-message keyboard and mouse, the game's default action bindings (arrows 200/208/203/205,
// Return 28 and 156, Escape 1), the pointer as the application's game point, and its text
// capture on a test window; the group bound to the canvas, sending the cursor message 0x9000 to
// that window. Pictures load from the game folder through the BMP loader; sprites draw through
// the real qmxgl.dll. On request the sound manager plays channels 5, 6 and 7 (a short TSND sound
// each) on the in-memory DirectSound (Wine's own DirectSound runs a mixer thread, which the
// i386 emulation does not bear), and the group's default sounds are those channels.
//
// One turn: the pointer moves, keys and buttons are fed, the devices polled, the group processes
// the turn at the given time (which updates the parts), and the canvas is redrawn into the
// target, which the tests read back.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/app/framework_app.h"
#include "framework/images/bmp_image_loader.h"
#include "framework/images/image_loader_host.h"
#include "framework/input/action_map.h"
#include "framework/runtime/com_init.h"
#include "framework/sound/sound_decoder_host.h"
#include "framework/sound/sound_device.h"
#include "framework/sound/sound_manager.h"
#include "graphics/compose/blend_tables.h"
#include "graphics/compose/math_tables.h"
#include "graphics/image/image.h"
#include "graphics/sprites/canvas.h"
#include "scenario/text/game_part_group.h"
#include "tests/framework/plugin_test_files.h"
#include "tests/framework/vfs_test_fixture.h"
#include "tests/graphics/pixel_configs.h"
#include "tests/support/dib_writer.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_direct_sound.h"
#include "tests/support/fake_display_source.h"
#include "tests/support/fake_input_platform.h"
#include "tests/support/fake_system_source.h"
#include "tests/support/input_test_window.h"
#include "tests/support/tsnd_writer.h"
#include "tools/content/content_files.h"

namespace testsupport {

// The desktop calls of the application: the pointer moves it makes are recorded, nothing else
// reaches the machine.
class BenchAppPlatform : public AppPlatform {
public:
    int MessageBox(HWND, const char*, const char*, UINT) override { return IDOK; }
    BOOL SystemParameters(UINT, UINT, void*, UINT) override { return FALSE; }
    EXECUTION_STATE SetExecutionState(EXECUTION_STATE state) override { return state; }
    BOOL GetCursor(POINT& point) override {
        point = cursor;
        return TRUE;
    }
    BOOL SetCursor(int x, int y) override {
        cursor = {x, y};
        moves.push_back(cursor);
        return TRUE;
    }
    DWORD TickCount() override { return 0; }

    POINT cursor = {0, 0};
    std::vector<POINT> moves;
};

// Keys and the pointer as the fake says, cursors as Windows loads them: the shown cursor is the
// real system or resource cursor.
class BenchInputPlatform : public FakeInputPlatform {
public:
    HCURSOR LoadCursor(HINSTANCE instance, LPCSTR name) override { return ::LoadCursorA(instance, name); }
};

// The IMM: open and close requests are recorded; the conversion and sentence modes and the
// composition (its text, cursor, first clause end and delta start) are what the test sets.
class BenchImm : public ImmApi {
public:
    HIMC GetContext(HWND) override { return reinterpret_cast<HIMC>(0x1234); }
    BOOL ReleaseContext(HWND, HIMC) override { return TRUE; }
    LONG GetCompositionString(HIMC, DWORD index, void* buffer, DWORD size) override {
        switch (index) {
        case GCS_COMPSTR:
            if (buffer && size >= composition.size()) std::memcpy(buffer, composition.data(), composition.size());
            return static_cast<LONG>(composition.size());
        case GCS_CURSORPOS: return cursorPos;
        case GCS_DELTASTART: return deltaStart;
        case GCS_COMPCLAUSE: {
            const DWORD clauses[2] = {0, static_cast<DWORD>(firstClauseEnd)};
            if (firstClauseEnd < 0) return 0;
            if (buffer && size >= sizeof clauses) std::memcpy(buffer, clauses, sizeof clauses);
            return sizeof clauses;
        }
        default: return 0;
        }
    }
    BOOL GetConversionStatus(HIMC, DWORD* conversion, DWORD* sentence) override {
        *conversion = conversionMode;
        *sentence = sentenceMode;
        return TRUE;
    }
    BOOL SetOpenStatus(HIMC, BOOL open) override {
        openCalls.push_back(open);
        return TRUE;
    }
    BOOL GetOpenStatus(HIMC) override { return openCalls.empty() ? FALSE : openCalls.back(); }
    int AssociateContextEx(HWND, HIMC, DWORD) override { return 1; }
    HIMC AssociateContext(HWND, HIMC) override { return reinterpret_cast<HIMC>(0x1234); }
    BOOL SetCandidateWindow(HIMC, CANDIDATEFORM*) override { return TRUE; }
    void ControlStatusWindow(HWND, bool) override {}

    std::vector<BOOL> openCalls;
    DWORD conversionMode = 0;
    DWORD sentenceMode = 0;
    std::string composition;
    LONG cursorPos = 0;
    LONG deltaStart = 0;
    // Negative: no clause information.
    LONG firstClauseEnd = -1;
};

// The application's sources: everything fake except the cursors.
struct BenchSources {
    BenchAppPlatform platform;
    FakeClock clock{1000};
    FakeSystemSource system;
    FakeDisplaySource display;
    BenchInputPlatform input;
    BenchImm imm;
    BenchSources() { display.AddMonitor({0, 0, 1024, 768}); }
    FrameworkAppSources Sources() {
        FrameworkAppSources sources;
        sources.platform = &platform;
        sources.clock = &clock;
        sources.system = &system;
        sources.display = &display;
        sources.input = &input;
        sources.imm = &imm;
        return sources;
    }
};

// Whether each colour channel of two 0xRRGGBB values differs by at most `tolerance`.
inline bool Near(std::uint32_t a, std::uint32_t b, std::int32_t tolerance) {
    for (int shift = 0; shift < 24; shift += 8) {
        const std::int32_t d = static_cast<std::int32_t>((a >> shift) & 0xFF) - static_cast<std::int32_t>((b >> shift) & 0xFF);
        if (d > tolerance || d < -tolerance) return false;
    }
    return true;
}

class UiBench : public VfsTestBase {
public:
    static constexpr std::int32_t kWidth = 1024;
    static constexpr std::int32_t kHeight = 576;
    static constexpr std::uint32_t kBackground = 0x203040;

protected:
    void SetUp() override {
        m_pixels = std::make_unique<PixelConfigScope>(PixelConfig::LibraryPortable);
        ASSERT_TRUE(m_pixels->Ready()) << "qmxgl.dll did not load";
        VfsTestBase::SetUp();
        g_mathTables = &m_tables;
        InitBlendTables();
        ASSERT_EQ(0, m_images.RegisterBuiltin(new BmpImageLoader, BmpImageLoader::kExtensions,
                                              BmpImageLoader::kTypeString, 1, nullptr, nullptr, nullptr));
        g_imageLoaderHost = &m_images;

        ASSERT_EQ(0, target.Create(kWidth, kHeight, 32, 0));
        ASSERT_EQ(0, canvas.SetTarget(&target, false));
        canvas.SetBackgroundColour(kBackground, true);

        app.gameWidth = kWidth;
        app.gameHeight = kHeight;
        InputManager& input = app.Input();
        ASSERT_EQ(0, input.CreateDevices(nullptr, 2, 2));
        input.Mouse()->SetGamePoint(&app.gameCursor);
        input.AcquireAll();
        ASSERT_EQ(0, input.CreateActionMap(20, &actions));
        const struct {
            std::int32_t action;
            std::uint8_t key;
        } bindings[] = {{0, 200}, {1, 208}, {2, 203}, {3, 205}, {4, 28}, {4, 156}, {5, 1}};
        for (const auto& binding : bindings) ASSERT_EQ(0, actions->AddBinding(binding.action, 0, binding.key));

        window.OnMessage(kMsgShowCursor, [this](WPARAM wParam, LPARAM) {
            cursorMessages.push_back(wParam);
            return LRESULT{0};
        });
        ASSERT_EQ(0, app.AttachTextCapture(window.Handle()));
        group.SetActionMap(actions);
        group.SetCursorWindow(window.Handle());
        group.BindCanvas(&canvas);
        Redraw();
    }

    void TearDown() override {
        group.Clear();
        group.BindCanvas(nullptr);
        group.SetSoundManager(nullptr);
        app.AttachTextCapture(nullptr);
        if (m_soundOn) {
            sound.reset();
            m_soundDevice.DestroyAllBuffers();
            m_soundDevice.ReleasePrimary();
            m_soundDevice.Release();
            g_currentSoundDevice = nullptr;
            FakeDirectSound::Uninstall();
            g_soundDecoderHost = nullptr;
            m_soundHost.UnloadAll();
        }
        g_imageLoaderHost = nullptr;
        m_images.UnloadAll();
        g_mathTables = nullptr;
        VfsTestBase::TearDown();
        m_pixels.reset();
    }

    // The sound manager with channels 5, 6 and 7 loaded, the group's defaults (5, 6, 7).
    void EnableSound() {
        static const bool comEntered = ComInitForThread() == 0;
        (void)comEntered;
        g_soundDecoderHost = &m_soundHost;
        ASSERT_EQ(0, m_soundHost.LoadPlugin(plugintest::BinaryFile("test_sound.SLL").c_str()));
        m_fakeSound.Install();
        m_soundOn = true;
        ASSERT_EQ(0, m_soundDevice.Create(nullptr, false, false, nullptr));
        g_currentSoundDevice = &m_soundDevice;
        TsndSound tick;
        tick.frames = 2205;
        ASSERT_TRUE(WriteFile(Game("tick.tsn"), MakeTsnd(tick)));
        sound = std::make_unique<SoundManager>();
        ASSERT_EQ(0, sound->SetChannelCount(8));
        for (std::int32_t channel : {5, 6, 7}) ASSERT_EQ(0, sound->LoadChannel(channel, "tick.tsn", 0, false));
        group.SetSoundManager(sound.get());
        group.SetDefaultSounds(5, 6, 7);
    }
    // The channels of 0-7 that play, each stopped afterwards so the next read starts clean.
    std::vector<std::int32_t> TakePlaying() {
        std::vector<std::int32_t> playing;
        for (std::int32_t channel = 0; sound && channel < 8; ++channel) {
            if (sound->IsChannelPlaying(channel)) {
                playing.push_back(channel);
                sound->StopChannel(channel);
            }
        }
        return playing;
    }

    // Named inputs of a turn: "up", "down", "left", "right", "enter", "escape", "tab" are
    // pressed and let go before the poll; "shift" is held over the turn's other keys; "click"
    // presses and lets go of the first button, "press" presses it (it stays down), "release"
    // lets it go.
    void Feed(const std::string& key) {
        static const std::map<std::string, WPARAM> keys = {
            {"up", VK_UP},       {"down", VK_DOWN},     {"left", VK_LEFT}, {"right", VK_RIGHT},
            {"enter", VK_RETURN}, {"escape", VK_ESCAPE}, {"tab", VK_TAB},  {"shift", VK_SHIFT}};
        InputManager& input = app.Input();
        if (key == "click" || key == "press") input.OnLeftButtonDown();
        if (key == "click" || key == "release") input.OnLeftButtonUp();
        if (key == "click" || key == "press" || key == "release") return;
        input.OnKeyDown(keys.at(key), 0);
        if (key != "shift") input.OnKeyUp(keys.at(key), 0);
    }
    // One turn at `now` with the pointer at (x, y); ProcessPointer's answer.
    std::int32_t Turn(std::int32_t x, std::int32_t y, const std::vector<std::string>& keys = {},
                      std::uint32_t now = 0) {
        if (now != 0) clock().SetMs(now);
        app.gameCursor = {x, y};
        for (const std::string& key : keys) Feed(key);
        app.Input().Poll();
        const std::int32_t result = group.ProcessPointer(clock().Milliseconds());
        app.Input().OnKeyUp(VK_SHIFT, 0);
        Redraw();
        return result;
    }
    void Redraw() { canvas.Redraw(nullptr, nullptr, 0, 0); }
    std::uint32_t Pixel(std::int32_t x, std::int32_t y) const { return target.GetPixel(x, y) & 0xFFFFFF; }

    // Typed input as the window gets it: a key, and text byte by byte (a Shift-JIS pair comes
    // as two messages).
    void TypeKey(WPARAM virtualKey) { SendMessageA(window.Handle(), WM_KEYDOWN, virtualKey, 0); }
    void TypeText(const std::string& bytes) {
        for (unsigned char byte : bytes) SendMessageA(window.Handle(), WM_CHAR, byte, 0);
    }

    // A BMP in the game folder.
    void WriteBmp(const std::string& name, const DibLayout& layout) {
        ASSERT_TRUE(WriteFile(Game(name), BmpFile(layout)));
    }

    FakeClock& clock() { return m_sources.clock; }

    std::unique_ptr<PixelConfigScope> m_pixels;
    MathTables m_tables;
    ImageLoaderHost m_images;
    BenchSources m_sources;
    FrameworkApp app{m_sources.Sources()};
    ActionMap* actions = nullptr;
    InputTestWindow window{false};
    std::vector<WPARAM> cursorMessages;
    Image target;
    Canvas canvas;
    GamePartGroup group{app};

    SoundDecoderHost m_soundHost;
    FakeDirectSound m_fakeSound;
    SoundDevice m_soundDevice;
    bool m_soundOn = false;
    std::unique_ptr<SoundManager> sound;
};

}  // namespace testsupport
