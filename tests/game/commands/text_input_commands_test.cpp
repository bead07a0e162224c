// The text-input commands (73, 74) as SOB programs against an Application whose text-input
// dialog is a recording stand-in; the window's messages reach the application directly.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/commands/command_services.h"
#include "tests/game/app/game_app_fixture.h"
#include "tests/game/commands/command_program.h"

namespace {

using cmdtest::CommandProgram;
using cmdtest::Num;
using cmdtest::ProgramRun;
using cmdtest::Var;

// Delivers the commands' window messages to the application at once, as the window thread would.
class DirectWindow final : public AppWindowPort {
public:
    explicit DirectWindow(Application& app) : m_app(app) {}
    bool MenuEntryEnabled(std::uint32_t) override { return true; }
    bool ModeChangeAllowed() override { return true; }
    void SendToMainWindow(UINT message, WPARAM wParam, LPARAM lParam) override {
        WindowMessage m = {&m_app.MainWindow(), message, static_cast<std::uint32_t>(wParam),
                           static_cast<std::uint32_t>(lParam), 0};
        if (message == WM_COMMAND) m_app.OnCommand(m);
    }
    void PostToMainWindow(UINT message, WPARAM wParam, LPARAM lParam) override {
        SendToMainWindow(message, wParam, lParam);
    }
    HWND MainWindow() override { return nullptr; }

private:
    Application& m_app;
};

class TextInputCommands : public ::testing::Test {
protected:
    TextInputCommands() : m_game("TextInputCommands"), m_app(m_game), m_window(*m_app.app) {
        m_saved = Services().window;
        Services().window = &m_window;
        m_app.app->Dialogs().textInput = [this](HWND, TextInputRequest& request, const char* initial) {
            shown.push_back(initial);
            request.result = answer;
        };
    }
    ~TextInputCommands() override { Services().window = m_saved; }

    gameapptest::GameFolder m_game;
    gameapptest::GameApp m_app;
    DirectWindow m_window;
    AppWindowPort* m_saved = nullptr;
    std::vector<std::string> shown;
    std::string answer;
};

TEST_F(TextInputCommands, AskText) {
    struct Row {
        const char* name;
        std::string answer;
        bool nullBuffer;
        std::int32_t result;
        std::string buffer;
    } rows[] = {
        {"an answer replaces the text", "hello", false, 0, "hello"},
        {"an empty answer keeps the text", "", false, 1, "init"},
        {"a long answer is cut at the buffer's room", "abcdefghijkl", false, 0, "abcdefg"},
        {"a null buffer: 2, the dialog still ran", "hello", true, 2, "init"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        shown.clear();
        answer = row.answer;
        CommandProgram program;
        const std::uint32_t buffer = program.Buffer(8, "init");
        program.Call(73, {row.nullBuffer ? "0" : Var(buffer)});
        ProgramRun run(program);
        ASSERT_EQ(kStepEnded, run.Run());
        EXPECT_EQ(run.Number(0), row.result);
        EXPECT_EQ(run.Text(buffer), row.buffer);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0], row.nullBuffer ? "" : "init");
    }
}

TEST_F(TextInputCommands, SetUpFillsTheRequest) {
    CommandProgram program;
    const std::string title = program.Text("Name");
    const std::string prompt = program.Text("Your name?");
    program.Call(74, {title, prompt, "0x101", "0x220", "1", "300", "-1", "40"});
    ProgramRun run(program);
    ASSERT_EQ(kStepEnded, run.Run());
    const TextInputRequest& request = m_app.app->TextInput();
    EXPECT_EQ(request.title, "Name");
    EXPECT_EQ(request.prompt, "Your name?");
    EXPECT_EQ(request.doubleByteOnly, 1);
    EXPECT_EQ(request.maxLength, 0x20);
    EXPECT_EQ(request.openIme, 1);
    EXPECT_EQ(request.width, 300);
    EXPECT_EQ(request.x, -1);
    EXPECT_EQ(request.y, 40);
}

}  // namespace
