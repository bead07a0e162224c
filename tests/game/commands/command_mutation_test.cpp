// Fixed-seed blocks of hostile words for every handler of the application, window, string,
// memory and number families (3, 13, 24, 73 and 94 drive the window or the process and stay
// out): each call gives a value or the script fault mark, never a crash, and the guard bytes
// around every region stay intact.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "game/commands/command_services.h"
#include "game/script/command_table.h"
#include "game/script/script_address.h"
#include "game/script/script_fault.h"
#include "game/script/script_memory.h"
#include "tests/game/app/game_app_fixture.h"
#include "tests/game/commands/command_program.h"
#include "tests/support/command_harness.h"

namespace {

constexpr std::size_t kGuard = 32;
constexpr unsigned char kGuardByte = 0xEE;

// Memory registered as script memory with guard bytes on both sides.
class GuardedRegion {
public:
    GuardedRegion(std::size_t size, bool writable, unsigned char fill)
        : m_bytes(size + 2 * kGuard, kGuardByte), m_size(size) {
        std::memset(Data(), fill, size);
        m_registration.Reset(Data(), size, writable);
    }
    unsigned char* Data() { return m_bytes.data() + kGuard; }
    std::uint32_t Start() { return AddressOf(Data()); }
    std::uint32_t End() { return Start() + static_cast<std::uint32_t>(m_size); }
    bool GuardsIntact() const {
        for (std::size_t i = 0; i < kGuard; ++i) {
            if (m_bytes[i] != kGuardByte || m_bytes[kGuard + m_size + i] != kGuardByte) return false;
        }
        return true;
    }

private:
    std::vector<unsigned char> m_bytes;
    std::size_t m_size;
    ScriptMemoryRegistration m_registration;
};

class CommandMutation : public ::testing::Test {
protected:
    CommandMutation()
        : m_game("CommandMutation"),
          m_app(m_game),
          m_writable(64, true, 'a'),
          m_readOnly(32, false, 'b'),
          m_terminated(16, false, 0) {
        std::memcpy(m_terminated.Data(), "name.txt", 9);
        m_noAccess = static_cast<unsigned char*>(VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_NOACCESS));
        testsupport::ArgBlock allocate;
        allocate.Int(32);
        m_freed = testsupport::CallCommand(75, allocate);
        testsupport::ArgBlock release;
        release.Word(m_freed);
        testsupport::CallCommand(77, release);
        // The engine the variable and voice commands serve, with variables of every kind.
        cmdtest::CommandProgram program;
        program.Variable(1, 1, "text", 16);
        program.Variable(2, 2, "area", 16);
        m_run = std::make_unique<cmdtest::ProgramRun>(program);
        m_run->Engine().SetSaveFolder(m_run->Game().Folder().File("").c_str());
    }
    ~CommandMutation() override { VirtualFree(m_noAccess, 0, MEM_RELEASE); }

    std::vector<std::uint32_t> Pool() {
        return {0,
                0xFFFFFFFFu,
                65535,
                0x80000000u,
                1,
                7,
                m_writable.Start(),
                m_writable.End(),
                m_writable.End() - 1,
                m_writable.End() - 4,
                m_readOnly.Start(),
                m_readOnly.End(),
                m_readOnly.End() - 1,
                m_terminated.Start(),
                m_terminated.End() - 4,
                m_freed,
                AddressOf(m_noAccess),
                AddressOf(m_noAccess) + 4095};
    }
    bool Intact() { return m_writable.GuardsIntact() && m_readOnly.GuardsIntact() && m_terminated.GuardsIntact(); }

    gameapptest::GameFolder m_game;
    gameapptest::GameApp m_app;
    GuardedRegion m_writable;
    GuardedRegion m_readOnly;
    GuardedRegion m_terminated;
    unsigned char* m_noAccess = nullptr;
    std::uint32_t m_freed = 0;
    std::unique_ptr<cmdtest::ProgramRun> m_run;
};

TEST_F(CommandMutation, HostileWordsGiveAValueOrTheFaultMark) {
    std::vector<int> opcodes;
    for (int op = 4; op <= 38; ++op) {
        if (op != 13 && op != 24 && op != 37) opcodes.push_back(op);
    }
    for (int op = 59; op <= 95; ++op) {
        if (op != 73 && op != 94) opcodes.push_back(op);
    }
    const std::vector<std::uint32_t> pool = Pool();
    std::mt19937 random(20261211);
    std::vector<std::uint32_t> allocated;
    for (int op : opcodes) {
        SCOPED_TRACE(op);
        for (int block = 0; block < 60; ++block) {
            // Words beyond the block are out of the block's region: it is registered on its own.
            std::vector<std::uint32_t> words(8);
            for (std::uint32_t& word : words) {
                word = random() % 3 == 0 ? static_cast<std::uint32_t>(random()) : pool[random() % pool.size()];
            }
            ScriptMemoryRegistration blockRegion(words.data(), words.size() * 4, false);
            TakeScriptFault();
            const std::uint32_t result = kCommandTable[op].handler(words.data());
            TakeScriptFault();
            if ((op == 75 || op == 76) && result != 0) allocated.push_back(result);
            ASSERT_TRUE(Intact()) << "block " << block;
            ASSERT_EQ(std::memcmp(m_terminated.Data(), "name.txt", 9), 0) << "a read-only text was written";
        }
    }
    for (std::uint32_t address : allocated) {
        testsupport::ArgBlock release;
        release.Word(address);
        EXPECT_EQ(testsupport::CallCommand(77, release), 1u);
    }
    EXPECT_TRUE(std::all_of(m_readOnly.Data(), m_readOnly.Data() + 32, [](unsigned char c) { return c == 'b'; }));
}

// A sample through modules: the string family's calls with words that reach past the variable
// area and the module end give the fault or a value, never a crash, and the variables around
// the buffer keep their guard values.
TEST_F(CommandMutation, StringCallsThroughModules) {
    std::mt19937 random(7);
    for (int op : {59, 60, 61, 62, 66, 67, 70, 78, 79, 80}) {
        SCOPED_TRACE(op);
        cmdtest::CommandProgram program;
        const std::uint32_t before = program.Number(0x5A5A5A5A);
        const std::uint32_t buffer = program.Buffer(12, "abc");
        const std::string text = program.Text("xyz");
        std::vector<std::string> words;
        for (int i = 0; i < 5; ++i) {
            switch (random() % 5) {
            case 0: words.push_back(cmdtest::Var(buffer)); break;
            case 1: words.push_back(text); break;
            case 2: words.push_back(cmdtest::Num(static_cast<std::int32_t>(random() % 64) - 8)); break;
            case 3: words.push_back("0xFFFFFFFF"); break;
            default: words.push_back(cmdtest::Num(random())); break;
            }
        }
        program.Call(op, words);
        cmdtest::ProgramRun run(program);
        const int step = run.Run();
        EXPECT_TRUE(step == kStepEnded || step == kStepInvalidScript) << step;
        EXPECT_EQ(run.Number(before), 0x5A5A5A5A);
    }
}

}  // namespace
