// The application, settings, voice-entry and variable commands (4-11, 14, 23, 25-36, 38) as SOB
// programs against an Application made for the test (no window: the window features are not
// touched here) and the engine that runs the program.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "framework/system/cpu_info.h"
#include "game/commands/app_option_commands.h"
#include "game/commands/window_commands.h"
#include "game/interfaces/settings_files.h"
#include "game/script/script_address.h"
#include "game/script/script_files.h"
#include "tests/game/app/game_app_fixture.h"
#include "tests/game/commands/command_program.h"
#include "tests/support/command_harness.h"
#include "tools/content/voice_table_writer.h"

namespace {

using cmdtest::CommandProgram;
using cmdtest::Num;
using cmdtest::ProgramRun;
using cmdtest::Var;

class AppCommands : public ::testing::Test {
protected:
    AppCommands() : m_game("AppCommands"), m_app(m_game) {}
    Application& App() { return *m_app.app; }
    void SetPolicy(std::uint8_t policy) { App().AppSys().bytes[SettingsFiles::AppSys::kScreenModePolicy] = policy; }

    gameapptest::GameFolder m_game;
    gameapptest::GameApp m_app;
};

TEST_F(AppCommands, OptionsRoundTripWithTheirCuts) {
    std::vector<std::uint32_t> glyphDefaults;
    GlyphCacheDefaultSink() = [&glyphDefaults](std::uint32_t n) { glyphDefaults.push_back(n); };
    const std::uint8_t block3Byte14 = App().UserCfg().block3[14];
    struct Row {
        std::uint32_t index;
        std::uint32_t value;
        std::int32_t readBack;
    } rows[] = {
        {0, 0x1234, 0x34}, {1, 0x1201, 0x01}, {2, 0x1234, 0x34}, {3, 0x12345, 0x2345}, {4, 0x1234, 0x34},
        {5, 0x1234, 0x34}, {6, 0x12345, 0x2345}, {7, 0, 0}, {8, 0x100, 0}, {9, 1, 1}, {10, 0, 0}, {11, 1, 1},
        {12, 0x1234, 0x34}, {13, 0x55, block3Byte14}, {14, 7, 0}, {0xFFFFFFFF, 7, 0},
    };
    SetPolicy(2);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.index);
        CommandProgram program;
        const std::uint32_t set = program.Number(-1);
        program.Call(4, {Num(row.index), Num(row.value)}, set);
        program.Call(5, {Num(row.index)});
        ProgramRun run(program);
        ASSERT_EQ(kStepEnded, run.Run());
        EXPECT_EQ(run.Number(set), 0);
        EXPECT_EQ(run.Number(0), row.readBack);
    }
    const UserCfgRecords& cfg = App().UserCfg();
    EXPECT_EQ(cfg.block2[10], 0x34);
    EXPECT_EQ(App().Settings().placeCursorAfterSwitch, 0x34);
    EXPECT_EQ(cfg.block3[5], 1);
    EXPECT_TRUE(App().FrameRate().SkipEnabled());
    EXPECT_EQ(cfg.block2[11] | (cfg.block2[12] << 8), 0x2345);
    EXPECT_EQ(App().Settings().menuRevealDelay, 0x2345);
    EXPECT_EQ(cfg.block3[11] | (cfg.block3[12] << 8), 0x2345);
    EXPECT_EQ(glyphDefaults, std::vector<std::uint32_t>{0x2345});
    EXPECT_EQ(cfg.block3[14], block3Byte14);
    EXPECT_EQ(App().Feature(kFeatureSave), 0);
    EXPECT_EQ(App().Feature(kFeatureReturnToTitle), 0);
    EXPECT_EQ(App().Feature(kFeatureScreenMode), 1);
    // Option 11 reads 0 under the window-only policy.
    SetPolicy(0);
    testsupport::ArgBlock get11;
    get11.Word(11);
    EXPECT_EQ(testsupport::CallCommand(5, get11), 0u);
    GlyphCacheDefaultSink() = nullptr;
}

// The APP_CFG.DAT fields by (group, item), spelled out here apart from the program's table.
struct Field {
    std::uint32_t group;
    std::uint32_t item;
    std::uint32_t offset;
    char kind;  // 'b' byte, 'i' int32, 's' face
};

std::vector<Field> SettingsTable() {
    std::vector<Field> fields;
    auto bytes = [&fields](std::uint32_t group, std::uint32_t item, std::uint32_t offset, std::uint32_t count) {
        for (std::uint32_t i = 0; i < count; ++i) fields.push_back({group, item + i, offset + i, 'b'});
    };
    bytes(0, 0, 3, 7);
    bytes(0, 8, 10, 7);
    fields.push_back({0, 15, 20, 'i'});
    bytes(1, 0, 24, 7);
    fields.push_back({1, 7, 32, 'i'});
    fields.push_back({1, 8, 31, 'b'});
    fields.push_back({2, 0, 36, 's'});
    bytes(2, 1, 68, 7);
    fields.push_back({2, 8, 76, 'i'});
    fields.push_back({3, 0, 81, 'b'});
    bytes(3, 1, 83, 4);
    for (std::uint32_t i = 0; i < 4; ++i) fields.push_back({3, 5 + i, 92 + 4 * i, 'i'});
    bytes(3, 9, 108, 6);
    fields.push_back({3, 15, 87, 'b'});
    fields.push_back({3, 16, 82, 'b'});
    fields.push_back({3, 17, 88, 'i'});
    bytes(4, 0, 130, 2);
    bytes(4, 2, 114, 16);
    fields.push_back({5, 0, 132, 'b'});
    bytes(5, 1, 149, 5);
    bytes(5, 6, 133, 16);
    fields.push_back({6, 0, 172, 'b'});
    fields.push_back({6, 1, 173, 'b'});
    fields.push_back({6, 2, 158, 'b'});
    fields.push_back({6, 3, 159, 'b'});
    fields.push_back({6, 4, 166, 'b'});
    fields.push_back({6, 5, 168, 'i'});
    fields.push_back({6, 6, 167, 'b'});
    fields.push_back({7, 0, 186, 'b'});
    bytes(8, 0, 187, 5);
    return fields;
}

TEST_F(AppCommands, SettingsFieldsByGroupAndItem) {
    const std::vector<Field> table = SettingsTable();
    auto find = [&table](std::uint32_t group, std::uint32_t item) -> const Field* {
        for (const Field& field : table) {
            if (field.group == group && field.item == item) return &field;
        }
        return nullptr;
    };
    const std::string longFace = "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234567";  // 34 characters
    for (std::uint32_t group = 0; group <= 9; ++group) {
        for (std::uint32_t item = 0; item < 24; ++item) {
            SCOPED_TRACE(std::to_string(group) + "," + std::to_string(item));
            const Field* field = find(group, item);
            const std::uint32_t value = field && field->kind == 'i' ? 0x81000000u + group * 256 + item : 0x40 + item;
            CommandProgram program;
            const std::uint32_t set = program.Number(99);
            const std::string face = program.Text(longFace);
            program.Call(8, {Num(group), Num(0x300 + item), field && field->kind == 's' ? face : Num(value)}, set);
            program.Call(9, {Num(group), Num(item)});
            std::uint8_t before[SettingsFiles::kAppCfgBlockSize];
            std::memcpy(before, App().AppCfg().bytes, sizeof(before));
            ProgramRun run(program);
            ASSERT_EQ(kStepEnded, run.Run());
            std::uint8_t expected[SettingsFiles::kAppCfgBlockSize];
            std::memcpy(expected, before, sizeof(expected));
            std::int32_t expectedSet = group > 8 ? 0 : group <= 5 ? -1 : 0;
            if (group == 0 && item == 7) expectedSet = 1;
            if (field) {
                expectedSet = 0;
                if (field->kind == 'b') expected[field->offset] = static_cast<std::uint8_t>(value);
                if (field->kind == 'i') std::memcpy(expected + field->offset, &value, 4);
                if (field->kind == 's') {
                    std::memcpy(expected + field->offset, longFace.c_str(), 31);
                    expected[field->offset + 31] = 0;
                }
            }
            EXPECT_EQ(run.Number(set), expectedSet);
            EXPECT_EQ(std::memcmp(expected, App().AppCfg().bytes, sizeof(expected)), 0);
            const std::uint32_t got = static_cast<std::uint32_t>(run.Number(0));
            if (!field) {
                EXPECT_EQ(got, 0u);
            } else if (field->kind == 's') {
                EXPECT_EQ(got, AddressOf(App().AppCfg().bytes + 36));
            } else {
                EXPECT_EQ(got, field->kind == 'b' ? (value & 0xFF) : value);
            }
        }
    }
}

// The face field whose address 9 hands out is script memory: 59 may write it, within its 32 bytes.
TEST_F(AppCommands, TheFaceFieldIsWritableScriptMemory) {
    CommandProgram program;
    const std::uint32_t address = program.Number();
    const std::string text = program.Text(std::string(40, 'x'));
    program.Call(9, {"2", "0"}, address);
    program.Code("copy " + Var(address) + ", copyargs\ncmd cmd:59, copyargs, " + Var(0) +
                 "\n.tail\ncopyargs: .word 0, " + text + "\n.endtail\n");
    const std::uint8_t after = App().AppCfg().bytes[68];
    ProgramRun run(program);
    ASSERT_EQ(kStepEnded, run.Run());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(App().AppCfg().bytes + 36)), std::string(31, 'x'));
    EXPECT_EQ(App().AppCfg().bytes[68], after);
}

TEST_F(AppCommands, AppStrings) {
    struct Row {
        const char* name;
        std::uint32_t which;
        std::uint32_t size;
        std::int32_t result;
        std::string buffer;
    } rows[] = {
        {"identifier, size 0: length + 1", 0, 0, static_cast<std::int32_t>(std::strlen(kGameIdentifier)) + 1, "keep"},
        {"identifier copied", 0, 64, 0, kGameIdentifier},
        {"identifier cut to size - 1", 0, 4, 0, std::string(kGameIdentifier, 3)},
        {"no string, size 0", 3, 0, 0, "keep"},
        {"no string: empty", 3, 64, 0, ""},
        {"which 4", 4, 64, -1, "keep"},
        {"which -1", 0xFFFFFFFF, 0, -1, "keep"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CommandProgram program;
        const std::uint32_t buffer = program.Buffer(64, "keep");
        program.Call(7, {Num(row.which), Var(buffer), Num(row.size)});
        ProgramRun run(program);
        ASSERT_EQ(kStepEnded, run.Run());
        EXPECT_EQ(run.Number(0), row.result);
        EXPECT_EQ(run.Text(buffer), row.buffer);
    }
    // A size larger than the buffer's room is cut at the room; a buffer that is no script memory
    // is the script fault.
    CommandProgram program;
    const std::uint32_t buffer = program.Buffer(4, "keep");
    program.Call(7, {"0", Var(buffer), "1000"});
    ProgramRun run(program);
    ASSERT_EQ(kStepEnded, run.Run());
    EXPECT_EQ(run.Text(buffer), std::string(kGameIdentifier, 3));
    CommandProgram faulting;
    faulting.Call(7, {"0", "16", "1000"});
    ProgramRun faultRun(faulting);
    EXPECT_EQ(kStepInvalidScript, faultRun.Run());
}

TEST_F(AppCommands, VoiceEntries) {
    testsupport::VoiceInf inf;
    inf.folder = "VOICE";
    testsupport::VoiceInfVoice alice;
    alice.fileName = "a01";
    alice.secondLength = 0;
    alice.names = {"Alice", "Ali"};
    testsupport::VoiceInfVoice bob;
    bob.fileName = "b01";
    bob.secondText = "Bob";
    bob.names = {"Robert"};
    inf.voices = {alice, bob};
    CommandProgram program;
    struct Read {
        std::uint32_t index;
        std::uint32_t field;
        std::uint32_t entry;
    };
    std::vector<Read> reads;
    auto read = [&](std::uint32_t index, std::uint32_t field) {
        reads.push_back({index, field, program.Number(-7)});
        program.Call(11, {Num(index), Num(field)}, reads.back().entry);
    };
    const std::uint32_t setVolume = program.Number(-7);
    const std::uint32_t setBadField = program.Number(-7);
    const std::uint32_t setBadIndex = program.Number(-7);
    read(0, 5);  // Alice, marker clear: the name
    program.Call(10, {"0", "0", "77"}, setVolume);
    program.Call(10, {"0", "2", "1"});
    program.Call(10, {"0", "3", "1"}, setBadField);
    program.Call(10, {"2", "0", "1"}, setBadIndex);
    for (std::uint32_t field = 0; field <= 7; ++field) read(0, field);
    for (std::uint32_t field : {4u, 5u, 6u}) read(1, field);
    read(0xFFFFFFFF, 0);
    read(2, 0);
    ProgramRun run(program);
    run.Game().Write("VOICEINF.DAT", inf.Bytes());
    ASSERT_EQ(0, run.Engine().LoadVoiceTable("SCRIPT\\VOICEINF.DAT"));
    ASSERT_EQ(kStepEnded, run.Run());
    auto text = [&run](std::uint32_t entry) {
        const std::uint32_t word = static_cast<std::uint32_t>(run.Number(entry));
        return word == 0 ? std::string("(null)") : std::string(PointerAt<const char>(word));
    };
    EXPECT_EQ(run.Number(setVolume), 0);
    EXPECT_EQ(run.Number(setBadField), -1);
    EXPECT_EQ(run.Number(setBadIndex), -1);
    EXPECT_EQ(text(reads[0].entry), "a01");
    EXPECT_EQ(run.Number(reads[1].entry), 77);
    EXPECT_EQ(run.Number(reads[2].entry), 1);
    EXPECT_EQ(run.Number(reads[3].entry), 1);
    EXPECT_EQ(text(reads[4].entry), "a01");
    EXPECT_EQ(text(reads[5].entry), "(null)");
    EXPECT_EQ(text(reads[6].entry), "\x81\x48\x81\x48\x81\x48") << "marker set, no second text";
    EXPECT_EQ(text(reads[7].entry), "Alice");
    EXPECT_EQ(run.Number(reads[8].entry), 0);
    EXPECT_EQ(text(reads[9].entry), "Bob");
    EXPECT_EQ(text(reads[10].entry), "Bob");
    EXPECT_EQ(text(reads[11].entry), "Robert");
    EXPECT_EQ(run.Number(reads[12].entry), 2) << "a negative index gives the count";
    EXPECT_EQ(run.Number(reads[13].entry), 2);
}

TEST_F(AppCommands, FrameFlagsDialogKindAndTheSwitchedBit) {
    CommandProgram program;
    const std::uint32_t kind = program.Number(-1);
    const std::uint32_t first = program.Number(-1);
    const std::uint32_t second = program.Number(-1);
    program.Call(14, {"3"});
    program.Call(23, {"2"});
    program.Call(25, {}, kind);
    program.Call(38, {}, first);
    program.Call(38, {}, second);
    App().FrameRate().SetSkipEnabled(true);
    App().modalState = kModalVersion;
    App().windowFlags |= 0x08;
    ProgramRun run(program);
    ASSERT_EQ(kStepEnded, run.Run());
    EXPECT_EQ(App().shortVSyncSleep, 1);
    EXPECT_FALSE(App().FrameRate().SkipEnabled());
    EXPECT_EQ(run.Number(kind), kModalVersion);
    EXPECT_EQ(run.Number(first), 1);
    EXPECT_EQ(run.Number(second), 0);
}

TEST_F(AppCommands, ScreenModeSwitchRefusedWhereNotAllowed) {
    struct Row {
        const char* name;
        std::uint8_t policy;
        bool switching;
        std::int32_t mode;
    } rows[] = {
        {"window-only policy", 0, true, 0},
        {"switching bit clear", 2, false, 0},
        {"window under the full-screen-only policy", 1, true, 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetPolicy(row.policy);
        App().windowFlags = row.switching ? (App().windowFlags | 4) : (App().windowFlags & ~4);
        const std::uint8_t mode = App().Settings().screenMode;
        testsupport::ArgBlock call;
        call.Int(row.mode);
        EXPECT_EQ(testsupport::CallCommand(13, call), 1u);
        EXPECT_EQ(App().Settings().screenMode, mode);
        EXPECT_EQ(App().fatalError, 0);
    }
}

TEST_F(AppCommands, SystemInfoFromTheDeviceAndTheRecords) {
    std::vector<std::uint32_t> asked;
    WindowCommandSourcesRef().deviceValue = [&asked](std::uint32_t index) {
        asked.push_back(index);
        return 1000 + index;
    };
    App().Settings().block1[kInputMethod] = 2;
    App().Settings().screenMode = 2;
    App().Settings().colourDepth = 32;
    const SystemInfo& system = App().System();
    struct Row {
        std::uint32_t index;
        std::uint32_t value;
    } rows[] = {
        {0, 1000}, {1, 1001}, {2, 1002}, {3, 1003}, {4, 2}, {5, 0}, {6, 0}, {7, g_cpuInfo.mmx}, {8, g_cpuInfo.mmxExt},
        {9, 1}, {10, 32}, {11, system.IsNtFamily() ? 0u : 1u}, {12, system.IsNtFamily() ? 1u : 0u},
        {13, system.IsXpOrLater() ? 1u : 0u}, {14, 1014}, {15, 1015}, {16, 1016}, {17, 1017}, {18, 1018},
        {19, 1019}, {20, 1020}, {21, 0}, {22, 1022}, {23, 0}, {0xFFFFFFFF, 0},
    };
    CommandProgram program;
    std::vector<std::uint32_t> entries;
    for (const Row& row : rows) {
        entries.push_back(program.Number(-7));
        program.Call(6, {Num(row.index)}, entries.back());
    }
    ProgramRun run(program);
    ASSERT_EQ(kStepEnded, run.Run());
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(static_cast<std::uint32_t>(run.Number(entries[i])), rows[i].value) << rows[i].index;
    }
    EXPECT_EQ(asked, (std::vector<std::uint32_t>{0, 1, 2, 3, 14, 15, 16, 17, 18, 19, 20, 22}));
    WindowCommandSourcesRef().deviceValue = nullptr;
}

// 8 copies the face from a script text: a word that is no readable text is the script fault and
// the field keeps its bytes.
TEST_F(AppCommands, AFaceWordThatIsNoTextIsTheScriptFault) {
    std::memcpy(App().AppCfg().bytes + 36, "Old Face", 9);
    CommandProgram program;
    program.Call(8, {"2", "0", "16"});
    ProgramRun run(program);
    EXPECT_EQ(kStepInvalidScript, run.Run());
    EXPECT_STREQ(reinterpret_cast<const char*>(App().AppCfg().bytes + 36), "Old Face");
}

// 12 hands the engine the parts and font its words name; a window word of -1 names none and is
// not looked up.
TEST_F(AppCommands, TextSettingsLookUpTheirTargets) {
    std::vector<std::uint32_t> parts;
    std::vector<std::uint32_t> fonts;
    WindowCommandSourcesRef().textPart = [&parts](std::uint32_t word) -> SettingsTextPart* {
        parts.push_back(word);
        return nullptr;
    };
    WindowCommandSourcesRef().font = [&fonts](std::uint32_t word) -> SettingsFont* {
        fonts.push_back(word);
        return nullptr;
    };
    CommandProgram program;
    program.Call(12, {"1", "0", "-1", "77", "88", "1", "0"});
    ProgramRun run(program);
    ASSERT_EQ(kStepEnded, run.Run());
    EXPECT_EQ(run.Number(0), 0) << "only after the sheet, and the sheet's mark is clear";
    EXPECT_EQ(parts, std::vector<std::uint32_t>{77});
    EXPECT_EQ(fonts, std::vector<std::uint32_t>{88});
    WindowCommandSourcesRef().textPart = nullptr;
    WindowCommandSourcesRef().font = nullptr;
}

}  // namespace
