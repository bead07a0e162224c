// A started game whose MAIN records commands frame by frame: each frame the test posts window
// messages (keys, buttons, wheel) and moves the fake clocks, the application's frame function
// pumps and polls, and one script step runs that frame's command calls up to its `stop`. The
// results go to words of the module image, read back as one row per frame.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/interfaces/settings_files.h"
#include "tests/game/app/game_app_fixture.h"
#include "tests/game/commands/script_call_program.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_direct_sound.h"
#include "tests/support/fake_input_platform.h"
#include "tests/support/fake_winmm_joystick.h"

namespace inputtest {

// One recorded command: its opcode and argument words (assembler operands; "out" is a fresh
// word of the image that the command may write, read back with Out).
struct Column {
    int opcode;
    std::vector<std::string> words;
};
using FrameCalls = std::vector<Column>;

// The same calls in each of `frames` frames.
inline std::vector<FrameCalls> Repeat(const FrameCalls& calls, int frames) {
    return std::vector<FrameCalls>(static_cast<std::size_t>(frames), calls);
}

class InputGame {
public:
    // One frame of calls per entry; `prepare` changes the files and parts before the start.
    InputGame(const std::string& title, const std::vector<FrameCalls>& frames,
              const std::function<void(gameapptest::GameFolder&, gameapptest::GameApp&)>& prepare = nullptr)
        : game(title) {
        game.appSys[18] = 0;
        sound.Install();
        testsupport::TheFakeWinmm().Reset();
        commandtest::CallProgram program;
        for (const FrameCalls& calls : frames) {
            std::vector<std::string> row;
            std::vector<std::string> outs;
            for (const Column& column : calls) {
                const std::string result = program.Word("0x5A5A5A5A");
                row.push_back(result);
                std::vector<std::string> words = column.words;
                for (std::string& word : words) {
                    if (word != "out") continue;
                    word = program.Word("0x5A5A5A5A");
                    outs.push_back(word);
                }
                program.Call(column.opcode, words, result);
            }
            m_labels.push_back(row);
            m_outs.push_back(outs);
            program.Line("stop");
        }
        m_module = testsupport::AssembleSob(program.Source());
        testsupport::WriteFile(game.Game() + "SCRIPT\\MAIN.SOB", m_module.Sob0());
        app = std::make_unique<gameapptest::GameApp>(game, &frameClock);
        app->sources.framework.input = &input;
        app->sources.framework.winmm = &testsupport::FakeWinmmApi();
        if (prepare) prepare(game, *app);
        app->Remake();
        game.WriteFiles();
        start = App().Initialize();
        EXPECT_EQ(0, start);
        if (start != 0) return;
        // The pointer inside the client area, so that the mouse reports its buttons.
        POINT inside = {5, 5};
        ClientToScreen(Window(), &inside);
        app->parts.platform.cursor = inside;
        namespace B3 = SettingsFiles::Block3;
        App().UserCfg().block3[B3::kFrameSkip] = 1;
        App().UserCfg().block3[B3::kPreciseWait] = 0;
        App().ApplyFrameTiming(100);
        EXPECT_EQ(0, App().StartScripts());
        App().active = 1;
        m_image = App().Engine()->CurrentCode();
    }
    ~InputGame() {
        if (app) {
            App().Exit(start);
            app.reset();
        }
        testsupport::FakeDirectSound::Uninstall();
    }

    Application& App() { return *app->app; }
    HWND Window() { return App().MainWindow().Handle(); }

    void Post(UINT message, WPARAM wParam, LPARAM lParam) { PostMessageA(Window(), message, wParam, lParam); }
    // A key with its scan code in lParam; `repeat` sets the previous-state bit of auto-repeat.
    void KeyDown(WPARAM key, bool repeat = false) {
        const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(key), 0)) << 16;
        Post(WM_KEYDOWN, key, scan | 1 | (repeat ? (1 << 30) : 0));
    }
    void KeyUp(WPARAM key) {
        const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(key), 0)) << 16;
        Post(WM_KEYUP, key, scan | 1 | (1 << 30) | (1u << 31));
    }

    // One frame: the frame function (messages, cursor tracking, the poll), then the script step
    // that runs the frame's calls. False when the frame or the step did not run as a frame.
    bool Frame() {
        frameClock.AdvanceMs(10);
        if (App().RunFrame() == 0) return false;
        return App().Engine()->Step() == kStepYielded;
    }

    // The result of column `column` in frame `frame` (0x5A5A5A5A: the call did not run).
    std::uint32_t At(int frame, int column) const { return WordAt(m_labels[frame][column]); }
    // The `index`-th "out" word of frame `frame`.
    std::uint32_t Out(int frame, int index) const { return WordAt(m_outs[frame][index]); }
    // Column `column` over the frames run so far.
    std::vector<std::uint32_t> Series(int column, int frames) const {
        std::vector<std::uint32_t> values;
        for (int frame = 0; frame < frames; ++frame) values.push_back(At(frame, column));
        return values;
    }

    gameapptest::GameFolder game;
    testsupport::FakeDirectSound sound;
    testsupport::FakeClock frameClock{1000};
    testsupport::FakeInputPlatform input;
    std::unique_ptr<gameapptest::GameApp> app;
    std::int32_t start = -1;

private:
    std::uint32_t WordAt(const std::string& label) const {
        std::uint32_t word;
        std::memcpy(&word, m_image + m_module.Label(label), sizeof word);
        return word;
    }

    std::vector<std::vector<std::string>> m_labels;
    std::vector<std::vector<std::string>> m_outs;
    testsupport::SobModule m_module;
    const std::uint8_t* m_image = nullptr;
};

}  // namespace inputtest
