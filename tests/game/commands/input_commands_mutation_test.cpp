// The time, input, pointer and file-copy commands fed fixed-seed blocks of hostile words on a
// started game: values at and past the edges of script memory, a freed block, a page that
// faults, names inside the test's folder and a text that runs to its region's end
// unterminated. A command answers one of its listed values or raises the script fault; it
// never crashes or writes outside script memory, which guard bytes around every region show.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <vector>

#include "game/commands/desktop_commands.h"
#include "game/script/command_table.h"
#include "game/script/script_fault.h"
#include "game/script/script_memory.h"
#include "tests/game/commands/guarded_script_region.h"
#include "tests/game/commands/input_commands_game.h"
#include "tests/support/command_doubles.h"

namespace {

using inputtest::InputGame;

constexpr std::size_t kRegion = commandtest::GuardedRegion::kSize;

std::uint32_t WordOf(const void* address) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address)); }

using commandtest::GuardedRegion;

std::set<std::int32_t> Range(std::int32_t first, std::int32_t last) {
    std::set<std::int32_t> values;
    for (std::int32_t v = first; v <= last; ++v) values.insert(v);
    return values;
}

TEST(InputCommandMutation, HostileWordsNeverCrashOrWriteOutsideScriptMemory) {
    InputGame g("InputMutation", {{}});
    const DesktopPort savedPort = DesktopOfCommands();
    DesktopOfCommands().folder = [](std::int32_t, char* out) {
        std::strcpy(out, "C:\\folder");
        return true;
    };
    GuardedRegion region;
    testsupport::NoAccessPage noAccess;
    noAccess.Revoke();
    std::uint32_t freedWord = 0;
    {
        std::vector<std::uint8_t> freed(64, 0);
        ScriptMemoryRegistration freedRegion(freed.data(), freed.size(), true);
        freedWord = WordOf(freed.data());
    }
    testsupport::WriteFile(g.game.Game() + "m.txt", std::vector<std::uint8_t>{'m'});

    std::map<int, std::set<std::int32_t>> listed = {
        {542, {0}}, {543, {0, 1, 2}}, {544, {0, 1}}, {546, {0}}, {547, {0}}, {548, {0}}, {549, {0}}, {550, {0}},
        {553, Range(-1, 19)}, {554, Range(-1, 19)}, {555, {0, 1, 2}}, {556, {0, 1, 2, 3}}, {557, {0, 1, 2, 3}},
        {577, {0}}, {579, {0}}, {580, {0, 1, 2, 3}}, {581, {0}}, {582, {0}}, {583, {0}}, {584, Range(0, 9)}, {803, {0, 1}},
        {805, {0, 1, 2}},
    };
    for (int opcode : {551, 552, 558, 559, 560, 561, 562, 563, 564, 565, 566, 567, 568, 569, 570, 571, 572, 573,
                       574, 575, 576, 578, 585, 586, 587, 588, 589, 590, 591, 592, 594, 595}) {
        listed[opcode] = {0, 1};
    }

    std::uint8_t* const base = region.Bytes();
    const std::uint32_t blockWords = 8;
    auto writeNames = [&]() {
        std::vector<std::uint32_t> names;
        std::uint8_t* texts = base + blockWords * 4;
        for (const char* name : {"m.txt", "copy.out", "sub\\x.out", "", "missing.txt"}) {
            std::strcpy(reinterpret_cast<char*>(texts), name);
            names.push_back(WordOf(texts));
            texts += std::strlen(name) + 1;
        }
        std::memset(base + kRegion - 16, 'u', 16);
        return names;
    };
    const std::vector<std::uint32_t> names = writeNames();
    const std::uint32_t start = WordOf(base);
    const std::uint32_t end = start + kRegion;
    const std::vector<std::uint32_t> edges = {0u, 0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 65535u, 0x10001u, 256u + 28,
                                              start + 256, end, end - 1, end - 4, end - 259, freedWord,
                                              noAccess.Word(), noAccess.Word(100), end - 16, 1, 2, 4, 13, 16, 17, 20};
    std::mt19937 random(20261211);
    auto pick = [&]() -> std::uint32_t {
        switch (random() % 4) {
            case 0: return names[random() % names.size()];
            case 1: return 0x10u + static_cast<std::uint32_t>(random() % 0xFFF0u);
            default: return edges[random() % edges.size()];
        }
    };
    std::vector<int> opcodes;
    for (int opcode = 541; opcode <= 595; ++opcode) opcodes.push_back(opcode);
    opcodes.push_back(803);
    opcodes.push_back(805);
    for (int opcode : opcodes) {
        for (int round = 0; round < 40; ++round) {
            std::uint32_t* const block = reinterpret_cast<std::uint32_t*>(base);
            for (std::uint32_t i = 0; i < blockWords; ++i) block[i] = pick();
            const std::uint32_t result = kCommandTable[opcode].handler(block);
            const bool faulted = TakeScriptFault();
            const auto values = listed.find(opcode);
            if (!faulted && values != listed.end()) {
                ASSERT_TRUE(values->second.count(static_cast<std::int32_t>(result)))
                    << "opcode " << opcode << " answered " << static_cast<std::int32_t>(result);
            }
            ASSERT_TRUE(region.GuardsIntact()) << "opcode " << opcode << " round " << round;
            writeNames();
        }
    }
    DesktopOfCommands() = savedPort;
    g.app->parts.screen.fullScreen = false;
    // Files go only into the game's own folder.
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((g.game.Game() + "*.out").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        EXPECT_STREQ("copy.out", found.cFileName);
        FindClose(find);
    }
}

}  // namespace
