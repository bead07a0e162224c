// The save commands fed fixed-seed blocks of hostile words: banks and slots at the edges, words
// at and past the edges of script memory, a freed block, a page that faults, live and released
// images, texts that run to their region's end unterminated. A command answers one of its listed
// values; it never crashes, never writes outside script memory (guard bytes around every region
// show it) and makes no file outside the temporary save folder.
#include "game/commands/save_commands.h"

#include <windows.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "game/app/settings_records.h"
#include "game/commands/app_routines.h"
#include "game/script/command_table.h"
#include "game/script/script_engine.h"
#include "game/script/script_fault.h"
#include "game/script/script_memory.h"
#include "graphics/image/image.h"
#include "tests/game/commands/guarded_script_region.h"
#include "tests/game/commands/command_program.h"
#include "tests/game/save/save_test_services.h"
#include "tests/support/command_doubles.h"

#include <gtest/gtest.h>

namespace {

constexpr std::size_t kRegion = commandtest::GuardedRegion::kSize;

using commandtest::GuardedRegion;

const std::map<int, std::set<std::int32_t>> kListedResults = {
    {39, {0, 1}},          {40, {0, 1}},           {41, {1}},
    {42, {0, 1}},          {43, {-1, 0, 1, 2, 3, 5, 6}}, {44, {-1, 0, 1, 2, 3, 4, 5}},
    {45, {-1, 0, 1, 2, 3}}, {46, {-1, 0, 1, 2, 3}}, {47, {-1, 0, 1, 2}},
    {48, {0, 1, 3}},       {49, {0, 1, 2}},        {50, {0, 1}},
    {51, {-1, 0, 1, 2, 3}}, {52, {0, 1}},          {53, {0}},
};

std::vector<std::string> FilesIn(const std::string& folder, const char* pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + pattern).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.push_back(name);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return names;
}

class SaveCommandMutation : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(0, m_screen.Create(160, 90, 32, 0));
        ASSERT_EQ(0, m_thumb.Create(120, 68, 32, 0));
        ASSERT_EQ(0, m_grey.Create(120, 68, 8, 0));
        m_graphics.AddImage(m_screen);
        m_graphics.AddImage(m_thumb);
        m_graphics.AddImage(m_grey);
        GetCurrentDirectoryA(MAX_PATH, m_savedDirectory);
        SetPendingLoadFile(nullptr);
    }
    void TearDown() override {
        SetCurrentDirectoryA(m_savedDirectory);
        SetPendingLoadFile(nullptr);
    }

    // The run's engine keeps its saves in SAVE\ of the game's folder; the current directory is
    // an empty folder of its own, which must stay empty.
    cmdtest::ProgramRun& Start(const cmdtest::CommandProgram& program) {
        m_run = std::make_unique<cmdtest::ProgramRun>(program);
        CreateDirectoryA(m_run->Game().Folder().File("SAVE").c_str(), nullptr);
        SetCurrentDirectoryA(m_current.Path().c_str());
        ScriptEngine& engine = m_run->Engine();
        engine.SetSaveFolder(SaveFolder().c_str());
        engine.SetSaveServices(&m_services);
        engine.SetAppCfg(m_appCfg.bytes);
        return *m_run;
    }
    std::string SaveFolder() const { return m_run->Game().Folder().File("SAVE\\"); }
    // No file beside the save folder: none in the current directory, none in the game's
    // folders.
    void ExpectNoStrayFiles() {
        EXPECT_EQ(std::vector<std::string>{}, FilesIn(m_current.Path(), "*"));
        EXPECT_EQ(std::vector<std::string>{}, FilesIn(m_run->Game().Folder().Path(), "*.*"));
        EXPECT_EQ(std::vector<std::string>{}, FilesIn(m_run->Game().Folder().File("game\\"), "*.*"));
    }

    testsupport::TempFolder m_current;
    std::unique_ptr<cmdtest::ProgramRun> m_run;
    gametest::TestSaveServices m_services;
    AppCfgBlock m_appCfg;
    Image m_screen;
    Image m_thumb;
    Image m_grey;
    testsupport::FakeGraphicsObjects m_graphics;
    testsupport::ServicesScope m_scope{&m_graphics, nullptr, nullptr, nullptr};
    char m_savedDirectory[MAX_PATH] = "";
};

std::uint32_t WordOf(const void* address) { return testsupport::WordOf(address); }

TEST_F(SaveCommandMutation, HostileWordsGiveListedResultsAndKeepEveryGuard) {
    cmdtest::CommandProgram program;
    const std::uint32_t value = program.Variable(0, 1, std::string(4, '\0'), 4);
    program.Number(0);
    cmdtest::ProgramRun& run = Start(program);
    ASSERT_EQ(kStepEnded, run.Run());
    ScriptEngine& engine = run.Engine();
    // A few saves to find: two slots of bank 1, the quick bank, and a file that is no save.
    engine.SetSaveSource(SavePicture{m_screen.Bits(), 160, 90, m_screen.Pitch(), 32}, "", "Title");
    ASSERT_EQ(0, engine.WriteSaveFile(1, 1));
    ASSERT_EQ(0, engine.WriteSaveFile(1, 2));
    ASSERT_EQ(0, engine.WriteSaveFile(10, -1));
    engine.SetSaveSource(SavePicture(), "", "");
    {
        HANDLE file = CreateFileA((SaveFolder() + "DATA0103.SAV").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                  nullptr);
        DWORD written = 0;
        WriteFile(file, "HNQ1 not a save", 15, &written, nullptr);
        CloseHandle(file);
    }

    GuardedRegion region;
    testsupport::NoAccessPage noAccess;
    noAccess.Revoke();
    std::uint32_t freedWord = 0;
    {
        std::vector<std::uint8_t> freed(64, 0);
        ScriptMemoryRegistration registration(freed.data(), freed.size(), true);
        freedWord = WordOf(freed.data());
    }
    Image released;
    ASSERT_EQ(0, released.Create(120, 68, 32, 0));
    m_graphics.AddImage(released);
    const std::uint32_t releasedWord = WordOf(&released);
    m_graphics.Remove(releasedWord);

    std::uint8_t* const base = region.Bytes();
    const std::uint32_t blockWords = 8;
    const auto putTexts = [&]() {
        std::uint8_t* at = base + blockWords * 4;
        for (const char* text : {"Title", "FRAME01", "\x88\x9F\x88\x9F comment", ""}) {
            std::strcpy(reinterpret_cast<char*>(at), text);
            at += std::strlen(text) + 1;
        }
        std::memset(base + kRegion - 16, 'u', 16);
    };
    putTexts();
    std::vector<std::uint32_t> texts;
    for (std::uint8_t* at = base + blockWords * 4; texts.size() < 4; at += std::strlen(reinterpret_cast<char*>(at)) + 1) {
        texts.push_back(WordOf(at));
    }
    const std::uint32_t start = WordOf(base);
    const std::uint32_t end = start + kRegion;
    const std::uint32_t variable = WordOf(engine.LiveVariables().Data(value));
    const std::vector<std::uint32_t> edges = {
        0u, 1u, 2u, 3u, 10u, 11u, 100u, 0xFFFFFFFFu, 0xFFFFFFFEu, 0x80000000u, 0x7FFFFFFFu, 65535u,
        start + 256, end - 1, end - 4, end, freedWord, noAccess.Word(), noAccess.Word(100), end - 16,
        WordOf(&m_screen), WordOf(&m_thumb), WordOf(&m_grey), releasedWord, variable};

    std::mt19937 random(20261211);
    const auto pick = [&]() -> std::uint32_t {
        switch (random() % 5) {
            case 0: return texts[random() % texts.size()];
            case 1: return static_cast<std::uint32_t>(random() % 13) - 2;  // banks and slots -2..10
            case 2: return 0x10u + static_cast<std::uint32_t>(random() % 0xFFF0u);
            default: return edges[random() % edges.size()];
        }
    };
    for (int opcode = 39; opcode <= 53; ++opcode) {
        for (int round = 0; round < 40; ++round) {
            std::uint32_t* const block = reinterpret_cast<std::uint32_t*>(base);
            for (std::uint32_t i = 0; i < blockWords; ++i) block[i] = pick();
            // Write the save that later calls read, now and then.
            if (round % 10 == 0) {
                std::uint32_t source[2] = {WordOf(&m_screen), 0};
                ASSERT_EQ(1u, kCommandTable[41].handler(source));
            }
            const std::int32_t result = static_cast<std::int32_t>(kCommandTable[opcode].handler(block));
            const bool faulted = TakeScriptFault();
            EXPECT_FALSE(faulted) << "opcode " << opcode;
            ASSERT_TRUE(kListedResults.at(opcode).count(result)) << "opcode " << opcode << " answered " << result;
            ASSERT_TRUE(region.GuardsIntact()) << "opcode " << opcode << " round " << round;
            putTexts();
        }
    }
    EXPECT_GT(FilesIn(SaveFolder(), "*.SAV").size(), 0u);
    EXPECT_EQ(std::vector<std::string>{}, FilesIn(SaveFolder(), "*.tmp"));
    ExpectNoStrayFiles();
}

// Programs of random save commands whose words are the image's own texts and buffers, variables
// and edge values: each runs to its end; nothing crashes and no file lands beside the save folder.
TEST_F(SaveCommandMutation, ProgramsOfHostileCallsRunThrough) {
    std::mt19937 random(39);
    for (int index = 0; index < 12; ++index) {
        SCOPED_TRACE(index);
        cmdtest::CommandProgram p;
        const std::uint32_t value = p.Variable(0, 1, std::string(4, '\0'), 4);
        const std::uint32_t buffer = p.Buffer(48);
        const std::uint32_t result = p.Number(0);
        const std::vector<std::string> words = {
            "0", "1", "2", "10", "-1", "-2", "100", "0x80000000", "0x7FFFFFFF", "65535",
            p.Text("Title"), p.Text("FRAME01"), p.Text(std::string(300, 'n')), cmdtest::Var(value),
            cmdtest::Var(buffer), cmdtest::Num(WordOf(&m_screen)), cmdtest::Num(WordOf(&m_thumb))};
        p.Call(41, {cmdtest::Num(WordOf(&m_screen)), "0"}, result);
        p.Call(43, {"1", "1"}, result);
        for (int call = 0; call < 8; ++call) {
            const int opcode = 39 + static_cast<int>(random() % 15);
            std::vector<std::string> block;
            for (int i = 0; i < 7; ++i) block.push_back(words[random() % words.size()]);
            p.Call(opcode, block, result);
        }
        cmdtest::ProgramRun& run = Start(p);
        EXPECT_EQ(kStepEnded, run.Run());
        ExpectNoStrayFiles();
        m_run.reset();
    }
}

}  // namespace
