// The file commands fed fixed-seed blocks of hostile words: each handler is called directly with
// words mixed from values at and past the edges of script memory, a freed block, a page that
// faults, live and stale file handles, names inside the test's folder and a text that runs to
// its region's end unterminated. A command may answer anything or raise the script fault; it
// must not crash or write outside script memory, which guard bytes around every region show.
#include "game/commands/file_commands.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <random>
#include <vector>

#include "framework/archive/qpk_archive_format.h"
#include "game/commands/script_object_lists.h"
#include "game/script/command_table.h"
#include "game/script/script_fault.h"
#include "game/script/script_memory.h"
#include "tests/game/commands/script_call_program.h"
#include "tests/game/script/script_game.h"
#include "tests/support/command_doubles.h"

#include <gtest/gtest.h>

namespace {

constexpr std::size_t kGuard = 64;
constexpr std::size_t kRegion = 512;
constexpr std::uint8_t kGuardByte = 0xCD;

// Two script regions (one writable, one read-only) with guard bytes before, between and after.
class GuardedArena {
public:
    GuardedArena() : m_bytes(3 * kGuard + 2 * kRegion, kGuardByte) {
        std::memset(Writable(), 0, kRegion);
        std::memset(ReadOnly(), 'r', kRegion - 1);
        ReadOnly()[kRegion - 1] = 0;
        m_writable.Reset(Writable(), kRegion, true);
        m_readOnly.Reset(ReadOnly(), kRegion, false);
    }

    std::uint8_t* Writable() { return m_bytes.data() + kGuard; }
    std::uint8_t* ReadOnly() { return m_bytes.data() + 2 * kGuard + kRegion; }
    bool GuardsIntact() const {
        for (std::size_t i = 0; i < m_bytes.size(); ++i) {
            const bool inRegion = (i >= kGuard && i < kGuard + kRegion) || (i >= 2 * kGuard + kRegion && i < 2 * kGuard + 2 * kRegion);
            if (!inRegion && m_bytes[i] != kGuardByte) return false;
        }
        return true;
    }
    bool ReadOnlyIntact() const {
        const std::uint8_t* region = m_bytes.data() + 2 * kGuard + kRegion;
        for (std::size_t i = 0; i + 1 < kRegion; ++i) {
            if (region[i] != 'r') return false;
        }
        return region[kRegion - 1] == 0;
    }

private:
    std::vector<std::uint8_t> m_bytes;
    ScriptMemoryRegistration m_writable;
    ScriptMemoryRegistration m_readOnly;
};

// The results the commands with a short list may give (the others pass on a callee's codes).
const std::map<int, std::set<std::int32_t>> kListedResults = {
    {99, {0}},        {102, {0, 1}},    {105, {0}},          {108, {0}},       {110, {0}},
    {113, {0, 1, 2}}, {118, {0, 1}},    {119, {0}},          {120, {0}},       {121, {0}},
    {122, {0}},       {125, {0, 1, 2}}, {126, {0}},          {132, {0}},       {153, {0, 1}},
    {154, {0}},       {155, {0}},       {157, {0}},          {162, {0, 1, 2}}, {163, {0, 1, 2, 3}},
    {164, {-1, 0, 1, 2}},
};

std::uint32_t WordOf(const void* address) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address)); }

TEST(FileCommandMutation, HostileWordsNeverCrashOrWriteOutsideScriptMemory) {
    gametest::ScriptGame game;
    char savedDirectory[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, savedDirectory);
    GuardedArena arena;
    testsupport::NoAccessPage noAccess;
    noAccess.Revoke();
    std::uint32_t freedWord = 0;
    {
        std::vector<std::uint8_t> freed(64, 0);
        ScriptMemoryRegistration region(freed.data(), freed.size(), true);
        freedWord = WordOf(freed.data());
    }
    std::uint32_t live = 0;
    std::uint32_t stale = 0;
    ASSERT_EQ(0, AddFileStream(&live));
    ASSERT_EQ(0, AddFileStream(&stale));
    FileStreamList().Remove(stale);

    // Names inside the writable region, after the block: only names of the test's folder.
    std::uint8_t* const base = arena.Writable();
    const std::uint32_t blockWords = 12;
    std::uint8_t* texts = base + blockWords * 4;
    std::vector<std::uint32_t> names;
    for (const char* name : {"m.txt", "sub", "*.txt", "PACK.QPK", "sub\\n.dat", ""}) {
        std::strcpy(reinterpret_cast<char*>(texts), name);
        names.push_back(WordOf(texts));
        texts += std::strlen(name) + 1;
    }
    // A text that runs to the region's end without a terminator.
    std::memset(base + kRegion - 16, 'u', 16);
    const std::uint32_t unterminated = WordOf(base + kRegion - 16);
    const std::uint32_t start = WordOf(base);
    const std::uint32_t end = start + kRegion;
    const std::uint32_t readOnly = WordOf(arena.ReadOnly());
    const std::vector<std::uint32_t> edges = {0u, 0xFFFFFFFFu, 65535u, 0x80000000u, start, end, end - 1, end - 4,
                                              readOnly, readOnly + kRegion - 1, readOnly + kRegion, freedWord,
                                              noAccess.Word(), noAccess.Word(100), live, stale, unterminated,
                                              1, 2, 3, 7, 300};

    std::mt19937 random(20261211);
    auto pick = [&]() -> std::uint32_t {
        switch (random() % 4) {
            case 0: return names[random() % names.size()];
            // Inside the first 64 KiB, which is never committed: a bad pointer that cannot turn
            // out to name a file somewhere.
            case 1: return 0x10u + static_cast<std::uint32_t>(random() % 0xFFF0u);
            default: return edges[random() % edges.size()];
        }
    };
    for (std::size_t opcode = 96; opcode <= 165; ++opcode) {
        // Not here: the preloader's queue starts a thread; dialogs and programs are the window's
        // and the system's.
        if (opcode == 144 || (opcode >= 158 && opcode <= 161)) continue;
        for (int round = 0; round < 40; ++round) {
            std::uint32_t* const block = reinterpret_cast<std::uint32_t*>(base);
            for (std::uint32_t i = 0; i < blockWords; ++i) block[i] = pick();
            const std::uint32_t result = kCommandTable[opcode].handler(block);
            const bool faulted = TakeScriptFault();
            const auto listed = kListedResults.find(static_cast<int>(opcode));
            if (!faulted && listed != kListedResults.end()) {
                ASSERT_TRUE(listed->second.count(static_cast<std::int32_t>(result)))
                    << "opcode " << opcode << " answered " << static_cast<std::int32_t>(result);
            }
            ASSERT_TRUE(arena.GuardsIntact()) << "opcode " << opcode << " round " << round;
            ASSERT_TRUE(arena.ReadOnlyIntact()) << "opcode " << opcode << " round " << round;
            // Names may have been cut in place by the path commands: put them back.
            texts = base + blockWords * 4;
            for (const char* name : {"m.txt", "sub", "*.txt", "PACK.QPK", "sub\\n.dat", ""}) {
                std::strcpy(reinterpret_cast<char*>(texts), name);
                texts += std::strlen(name) + 1;
            }
            std::memset(base + kRegion - 16, 'u', 16);
        }
    }
    SetCurrentDirectoryA(savedDirectory);
    // The QPK options are process-wide: back to their defaults.
    const std::uint32_t loadNames[2] = {0, 0};
    const std::uint32_t hostWords[3] = {1, 0, 0};
    QpkSetOption(loadNames);
    QpkSetOption(hostWords);
    FileStreamList().Clear();
    if (g_virtualFileSystem) g_virtualFileSystem->ClearSearchDirs();
}

// A sample through modules: programs of random file commands whose words are the image's own
// texts and buffers, its last bytes, variables and edge values. Each run ends, or ends with the
// invalid-script result after a script fault; nothing crashes.
TEST(FileCommandMutation, ProgramsOfHostileCallsEndOrFault) {
    std::mt19937 random(77);
    int ended = 0;
    const int opcodes[] = {96, 97, 98, 100, 102, 106, 107, 111, 112, 113, 114, 115, 118, 119, 120, 121, 122,
                           124, 125, 127, 128, 129, 130, 133, 135, 136, 137, 139, 140, 141, 142, 149, 150, 153,
                           162, 163, 164, 165};
    for (int program = 0; program < 40; ++program) {
        SCOPED_TRACE(program);
        commandtest::ProgramRun run;
        commandtest::CallProgram p;
        const std::vector<std::string> words = {
            "0", "-1", "65535", "0x80000000", p.Text("m.txt"), p.Text("sub\\"), p.Text("*.txt"),
            p.Text("%d %s %x"), p.Buffer(16), p.Buffer(300), "Lend", "Lend+3", "Lend+4", "var:0", "var:1",
            "var:23", "1", "2", "7"};
        p.Last("Lend: .word 0\n");
        for (int call = 0; call < 5; ++call) {
            const int opcode = opcodes[random() % (sizeof opcodes / sizeof opcodes[0])];
            std::vector<std::string> block;
            for (int i = 0; i < 8; ++i) block.push_back(words[random() % words.size()]);
            if (opcode >= 125 && opcode <= 142 && random() % 2) block[0] = "@var:2";
            p.Call(opcode, block, "var:" + std::to_string(random() % 3));
            if (call == 0) p.Call(124, {}, "var:2");
        }
        const int step = run.Run(p);
        EXPECT_TRUE(step == kStepEnded || step == kStepInvalidScript) << step;
        ended += step == kStepEnded;
        FileStreamList().Clear();
    }
    EXPECT_GT(ended, 5) << "some programs run through all their calls";
}

}  // namespace
