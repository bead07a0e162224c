// The save-file and choice-snapshot commands as SOB programs: the save folder lies in the test
// game's temporary folder, the thumbnail comes from a software image behind the graphics-object
// double, and the history and message text from the save tests' services.
#include "game/commands/save_commands.h"

#include <windows.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "game/app/settings_records.h"
#include "game/commands/app_routines.h"
#include "game/script/command_table.h"
#include "game/script/script_memory.h"
#include "graphics/image/image.h"
#include "graphics/sprites/canvas.h"
#include "tests/game/commands/command_program.h"
#include "tests/game/save/save_test_services.h"
#include "tests/support/command_doubles.h"
#include "tools/content/content_files.h"
#include "tools/content/save_file_builder.h"

#include <gtest/gtest.h>

namespace {

using cmdtest::CommandProgram;
using cmdtest::Num;
using cmdtest::ProgramRun;
using cmdtest::Var;
namespace S = testsupport::SaveLayout;

std::string FieldText(const std::vector<std::uint8_t>& file, std::uint32_t at, std::uint32_t size) {
    if (file.size() < at + size) return "<short>";
    const char* text = reinterpret_cast<const char*>(file.data() + at);
    return std::string(text, strnlen(text, size));
}

// Pixel (x, y) of the test pictures.
std::uint32_t PatternPixel(std::int32_t x, std::int32_t y, std::uint32_t seed) {
    return 0xFF000000u | (static_cast<std::uint32_t>(y & 0xFF) << 16) | (static_cast<std::uint32_t>(x & 0xFF) << 8) | seed;
}

void FillPattern(Image& image, std::uint32_t seed) {
    for (std::int32_t y = 0; y < image.Height(); ++y) {
        for (std::int32_t x = 0; x < image.Width(); ++x) image.SetPixel(x, y, PatternPixel(x, y, seed));
    }
}

// Sets a file's last-write time (UTC; the tests run in UTC).
void SetWriteTime(const std::string& path, WORD year, WORD month, WORD day, WORD hour, WORD minute) {
    SYSTEMTIME when = {year, month, 0, day, hour, minute, 0, 0};
    FILETIME time;
    ASSERT_TRUE(SystemTimeToFileTime(&when, &time));
    HANDLE handle = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, handle);
    ASSERT_TRUE(SetFileTime(handle, nullptr, nullptr, &time));
    CloseHandle(handle);
}

// The names of the files matching a pattern in a folder.
std::vector<std::string> FilesIn(const std::string& folder, const char* pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + pattern).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        names.push_back(found.cFileName);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return names;
}

class SaveCommandPrograms : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(0, m_screen.Create(240, 136, 32, 0));
        FillPattern(m_screen, 0x5A);
        m_graphics.AddImage(m_screen);
        SetPendingLoadFile(nullptr);
    }
    void TearDown() override { SetPendingLoadFile(nullptr); }

    // The program's run with the save folder, the services and the APP_CFG block of the test.
    ProgramRun& Start(const CommandProgram& program) {
        m_run = std::make_unique<ProgramRun>(program);
        CreateDirectoryA(m_run->Game().Folder().File("SAVE").c_str(), nullptr);
        m_run->Engine().SetSaveFolder(SaveFolder().c_str());
        m_run->Engine().SetSaveServices(&m_services);
        m_run->Engine().SetAppCfg(m_appCfg.bytes);
        return *m_run;
    }
    std::string SaveFolder() const { return m_run->Game().Folder().File("SAVE\\"); }
    std::string SavePath(int bank, int slot) const {
        char name[48];
        wsprintfA(name, "DATA%02d%02d.SAV", bank, slot);
        return SaveFolder() + name;
    }
    std::string ScreenWord() const { return Num(testsupport::WordOf(&m_screen)); }

    gametest::TestSaveServices m_services;
    AppCfgBlock m_appCfg;
    Image m_screen;
    testsupport::FakeGraphicsObjects m_graphics;
    testsupport::ServicesScope m_scope{&m_graphics, nullptr, nullptr, nullptr};
    std::unique_ptr<ProgramRun> m_run;
};

// ---- 39, 41, 43 ----

TEST_F(SaveCommandPrograms, ParametersAndThumbnailSourceReachTheWrittenFile) {
    m_appCfg.bytes[180] = 1;
    m_services.hasMessageText = true;
    m_services.messageText = "the last line";
    CommandProgram p;
    const std::uint32_t commentOn = p.Number(1);
    const std::uint32_t r[6] = {p.Number(9), p.Number(9), p.Number(9), p.Number(9), p.Number(9), p.Number(9)};
    p.Call(39, {Num(0x10000), p.Text("not stored"), Var(commentOn)}, r[0]);
    p.Call(39, {Num(0x30002), p.Text("Chapter \x88\x9F"), Var(commentOn)}, r[1]);
    p.Call(41, {ScreenWord(), p.Text("frames\\FRAME01")}, r[2]);
    p.Call(43, {"1", "2"}, r[3]);
    p.Call(43, {"10", "-1"}, r[4]);
    p.Call(43, {"10", "-1"}, r[5]);
    ProgramRun& run = Start(p);
    ASSERT_EQ(kStepEnded, run.Run());
    EXPECT_EQ(0, run.Number(r[0])) << "the stored boot number (w0's low 16 bits) would be 0";
    EXPECT_EQ(1, run.Number(r[1]));
    EXPECT_EQ(2, run.Engine().BootNumber());
    EXPECT_EQ(1, run.Number(r[2]));
    EXPECT_EQ(0, run.Number(r[3]));
    EXPECT_EQ(0, run.Number(r[4]));
    EXPECT_EQ(0, run.Number(r[5]));

    const std::vector<std::uint8_t> file = testsupport::ReadFile(SavePath(1, 2));
    ASSERT_GT(file.size(), S::kData);
    EXPECT_EQ("HNQ0", std::string(file.begin(), file.begin() + 4));
    EXPECT_EQ("Chapter \x88\x9F", FieldText(file, S::kTitle, 44));
    EXPECT_EQ("the last line", FieldText(file, S::kComment, 144));
    // The 240 x 136 screen point-sampled: thumbnail pixel (x, y) is screen pixel (2x, 2y).
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{0, 0}, {3, 5}, {119, 67}}) {
        const std::uint8_t* pixel = file.data() + S::kThumbnail + (y * 120 + x) * 3;
        const std::uint32_t expected = PatternPixel(2 * x, 2 * y, 0x5A);
        EXPECT_EQ(expected & 0xFFFFFFu, pixel[0] | pixel[1] << 8 | pixel[2] << 16) << x << "," << y;
    }
    EXPECT_EQ(std::vector<std::string>{"SYS_FRAME01"}, std::vector<std::string>(m_services.sysImagesAsked.begin(),
                                                                                 m_services.sysImagesAsked.begin() + 1));
    EXPECT_TRUE(testsupport::FileExists(SavePath(10, 0)));
    EXPECT_TRUE(testsupport::FileExists(SavePath(10, 1))) << "the quick-save bank rotates";
}

TEST_F(SaveCommandPrograms, WordsThatNoLongerResolveAreAbsentWhenTheSaveIsWritten) {
    m_appCfg.bytes[180] = 1;
    m_services.hasMessageText = true;
    m_services.messageText = "comment";
    CommandProgram p;
    const std::uint32_t off = p.Number(0);
    const std::uint32_t on = p.Number(1);
    const std::uint32_t r[4] = {p.Number(9), p.Number(9), p.Number(9), p.Number(9)};
    p.Call(41, {ScreenWord(), "0"});
    p.Call(39, {"1", "0x10", Var(off)});  // a title in no memory, the switch off
    p.Call(43, {"1", "3"}, r[0]);
    p.Call(39, {"1", p.Text("Title"), "0"});  // no switch
    p.Call(43, {"1", "4"}, r[1]);
    p.Call(39, {"1", p.Text("Title"), "0x10"});  // a switch in no memory
    p.Call(43, {"1", "5"}, r[2]);
    p.Call(39, {"1", p.Text("Title"), Var(on)});
    p.Call(41, {"0x1234", "0"});  // no live surface: no screen
    p.Call(43, {"1", "6"}, r[3]);
    ProgramRun& run = Start(p);
    ASSERT_EQ(kStepEnded, run.Run());
    const struct {
        int slot;
        std::int32_t result;
        const char* title;
        const char* comment;
    } rows[] = {{3, 0, "", ""}, {4, 0, "Title", ""}, {5, 0, "Title", ""}, {6, 1, nullptr, nullptr}};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(rows[i].slot);
        EXPECT_EQ(rows[i].result, run.Number(r[i]));
        if (!rows[i].title) {
            EXPECT_FALSE(testsupport::FileExists(SavePath(1, rows[i].slot)));
            continue;
        }
        const std::vector<std::uint8_t> file = testsupport::ReadFile(SavePath(1, rows[i].slot));
        EXPECT_EQ(rows[i].title, FieldText(file, S::kTitle, 44));
        EXPECT_EQ(rows[i].comment, FieldText(file, S::kComment, 144));
    }
}

// A screen that composites through a canvas: the thumbnail shows the canvas rendered (here its
// background), not the back buffer's image as it was last drawn.
TEST_F(SaveCommandPrograms, AScreenWithACanvasGivesItsRenderedPicture) {
    Image target;
    Image background;
    ASSERT_EQ(0, target.Create(240, 136, 32, 0));
    // New pixels are not cleared: without this the check below reads whatever the heap held.
    target.FillValue(0, nullptr);
    ASSERT_EQ(0, background.Create(240, 136, 32, 0));
    FillPattern(background, 0x77);
    Canvas canvas;
    ASSERT_EQ(0, canvas.SetTarget(&target, false));
    ASSERT_TRUE(canvas.SetSource(&background, 0, 0, false));
    testsupport::FakeScreen screen(kSurfaceGdiScreen, &target, &canvas, nullptr);
    m_graphics.AddScreen(screen);
    CommandProgram p;
    const std::uint32_t r = p.Number(9);
    p.Call(41, {Num(testsupport::WordOf(static_cast<testsupport::FakeSurface*>(&screen))), "0"});
    p.Call(43, {"1", "2"}, r);
    ProgramRun& run = Start(p);
    ASSERT_EQ(kStepEnded, run.Run());
    ASSERT_EQ(0, run.Number(r));
    const std::vector<std::uint8_t> file = testsupport::ReadFile(SavePath(1, 2));
    ASSERT_GT(file.size(), S::kData);
    const std::uint8_t* pixel = file.data() + S::kThumbnail + (5 * 120 + 3) * 3;
    EXPECT_EQ(PatternPixel(6, 10, 0x77) & 0xFFFFFFu, pixel[0] | pixel[1] << 8 | pixel[2] << 16);
    EXPECT_EQ(0u, target.GetPixel(6, 10)) << "the back buffer is not drawn into";
}

// 39 and 41 keep words that 43 reads later: after the module that held the title and the frame
// name is gone, and the surface released, they name nothing.
TEST_F(SaveCommandPrograms, WordsOfAnUnloadedModuleOrAReleasedSurfaceAreNotRead) {
    CommandProgram p;
    const std::uint32_t titled = p.Number(9);
    p.Text(std::string(3000, 'p'));  // the title lies far into MAIN's image, past SUB's
    const std::string title = p.Text("Title of MAIN");
    const std::string frame = p.Text("FRAME02");
    p.Call(39, {"1", title, "0"});
    p.Call(41, {ScreenWord(), frame});
    p.Call(43, {"1", "1"}, titled);
    const std::uint32_t afterUnload = p.Number(9);
    p.Code(gametest::ModuleCommand(1, "SUB"));
    // SUB runs over MAIN's variables.
    CommandProgram sub;
    sub.Call(43, {"1", "2"}, afterUnload);
    ProgramRun& run = Start(p);
    run.Game().WriteModule("SUB", sub.Source());
    ASSERT_EQ(kStepEnded, run.Run());
    EXPECT_EQ(0, run.Number(titled));
    EXPECT_EQ(0, run.Number(afterUnload));
    EXPECT_EQ("Title of MAIN", FieldText(testsupport::ReadFile(SavePath(1, 1)), S::kTitle, 44));
    EXPECT_EQ("", FieldText(testsupport::ReadFile(SavePath(1, 2)), S::kTitle, 44));
    EXPECT_EQ((std::vector<std::string>{"SYS_FRAME02"}), m_services.sysImagesAsked) << "no frame name after the unload";

    // The surface released between 41 and 43: no screen.
    std::uint32_t source[2] = {testsupport::WordOf(&m_screen), 0};
    EXPECT_EQ(1u, CmdSetSaveThumbnailSource(source));
    m_graphics.Remove(testsupport::WordOf(&m_screen));
    std::uint32_t slot[2] = {1, 7};
    EXPECT_EQ(1u, CmdWriteSave(slot));
    EXPECT_FALSE(testsupport::FileExists(SavePath(1, 7)));
}

// ---- 42, 44 and the name failures ----

TEST_F(SaveCommandPrograms, LoadsRestoreTheVariablesFromTheSlotOrThePendingFile) {
    CommandProgram p;
    const std::uint32_t value = p.Variable(0, 1, std::string(4, '\0'), 4);
    std::vector<std::uint32_t> r;
    for (int i = 0; i < 9; ++i) r.push_back(p.Number(99));
    p.Call(41, {ScreenWord(), "0"});
    p.Code("mov 5, " + Var(value) + "\n");
    p.Call(43, {"1", "2"}, r[0]);
    p.Code("mov 7, " + Var(value) + "\n");
    p.Call(42, {"1", "2"}, r[1]);
    p.Call(44, {"-1", "0"}, r[2]);
    p.Code("copy " + Var(value) + ", " + Var(r[3]) + "\n");
    p.Code("mov 8, " + Var(value) + "\n");
    p.Call(44, {"1", "2"}, r[4]);
    p.Code("copy " + Var(value) + ", " + Var(r[5]) + "\n");
    p.Call(42, {"1", "9"}, r[6]);  // no such file
    p.Call(44, {"1", "9"}, r[7]);
    p.Call(44, {"-1", "0"}, r[8]);  // the pending file is still the one 42 set last with success
    ProgramRun& run = Start(p);
    ASSERT_EQ(kStepEnded, run.Run());
    EXPECT_EQ(0, run.Number(r[0]));
    EXPECT_EQ(0, run.Number(r[1]));
    EXPECT_EQ(0, run.Number(r[2]));
    EXPECT_EQ(5, run.Number(r[3]));
    EXPECT_EQ(0, run.Number(r[4]));
    EXPECT_EQ(5, run.Number(r[5]));
    EXPECT_EQ(1, run.Number(r[6]));
    EXPECT_EQ(-1, run.Number(r[7]));
    EXPECT_EQ(0, run.Number(r[8]));
}

TEST_F(SaveCommandPrograms, FilesThatAreNoSaveAndMissingPendingFiles) {
    CommandProgram p;
    const std::uint32_t buffer = p.Buffer(64);
    std::vector<std::uint32_t> r;
    for (int i = 0; i < 7; ++i) r.push_back(p.Number(99));
    p.Call(44, {"-1", "0"}, r[0]);  // no pending file: an empty name, the reader's "missing"
    p.Call(42, {"1", "6"}, r[1]);
    p.Call(44, {"-1", "0"}, r[2]);
    p.Call(44, {"1", "6"}, r[3]);
    p.Call(45, {Var(buffer), "1", "6", "0"}, r[4]);
    p.Call(46, {"1", "6", "0", "0", "0", "0", "0"}, r[5]);
    p.Call(47, {"1", "6", p.Text("x")}, r[6]);
    ProgramRun& run = Start(p);
    testsupport::SaveFileContent notSave;
    notSave.magic = "HNQ1";
    const std::vector<std::uint8_t> bytes = notSave.Bytes();
    ASSERT_TRUE(testsupport::WriteFile(SavePath(1, 6), bytes));
    ASSERT_EQ(kStepEnded, run.Run());
    const std::int32_t expected[] = {1, 0, 3, 3, 3, 3, 2};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(expected[i], run.Number(r[i])) << i;
    EXPECT_EQ(bytes, testsupport::ReadFile(SavePath(1, 6))) << "47 changed nothing";
}

// Banks and slots at the edges name files in the save folder, or fail as names.
TEST_F(SaveCommandPrograms, EdgeBanksAndSlotsStayInTheSaveFolder) {
    CommandProgram p;
    const struct {
        std::int64_t bank;
        std::int64_t slot;
        std::int32_t written;
    } rows[] = {{INT_MIN, 0, 0}, {-2, 3, 0}, {100, 100, 0}, {INT_MAX, INT_MAX, 0}, {1, -2, -1}, {1, INT_MIN, -1},
                {9, -1, -1}};
    std::vector<std::uint32_t> r;
    p.Call(41, {ScreenWord(), "0"});
    for (const auto& row : rows) {
        const std::string bank = Num(row.bank), slot = Num(row.slot);
        for (int opcode : {43, 42, 44, 46, 47, 49}) {
            r.push_back(p.Number(99));
            if (opcode == 46) {
                p.Call(opcode, {bank, slot, "0", "0", "0", "0", "0"}, r.back());
            } else if (opcode == 47) {
                p.Call(opcode, {bank, slot, p.Text("c")}, r.back());
            } else {
                p.Call(opcode, {bank, slot}, r.back());
            }
        }
        r.push_back(p.Number(99));
        p.Call(48, {"1", "1", bank, slot}, r.back());
    }
    ProgramRun& run = Start(p);
    ASSERT_EQ(kStepEnded, run.Run());
    std::size_t i = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.bank) + "/" + std::to_string(row.slot));
        const bool made = row.written == 0;
        EXPECT_EQ(row.written, run.Number(r[i++])) << "43";
        EXPECT_EQ(made ? 0 : 1, run.Number(r[i++])) << "42";
        EXPECT_EQ(made ? 0 : -1, run.Number(r[i++])) << "44";
        EXPECT_EQ(made ? 0 : -1, run.Number(r[i++])) << "46";
        EXPECT_EQ(made ? 0 : -1, run.Number(r[i++])) << "47";
        EXPECT_EQ(made ? 0 : 1, run.Number(r[i++])) << "49";
        EXPECT_EQ(1, run.Number(r[i++])) << "48 from a slot that does not exist";
    }
    EXPECT_EQ(std::vector<std::string>{}, FilesIn(SaveFolder(), "*.SAV")) << "49 deleted each";
    EXPECT_EQ(std::vector<std::string>{}, FilesIn(run.Game().Folder().Path(), "*.SAV")) << "nothing beside it";
    EXPECT_EQ(std::vector<std::string>{}, FilesIn(run.Game().Folder().File("game\\"), "*.SAV"));
}

// ---- 45, 46 ----

class SaveHeaderPrograms : public SaveCommandPrograms {
protected:
    // A save with a title, a comment and a thumbnail of pattern pixels, written at 2024-01-07
    // (a Sunday) 12:34.
    void WriteSave(int bank, int slot, const std::string& comment) {
        testsupport::SaveFileContent save;
        save.title = "A title";
        save.comment = comment;
        for (int y = 0; y < 68; ++y) {
            for (int x = 0; x < 120; ++x) {
                const std::uint32_t pixel = PatternPixel(x, y, 0x33);
                save.thumbnail.insert(save.thumbnail.end(), {static_cast<std::uint8_t>(pixel),
                                                             static_cast<std::uint8_t>(pixel >> 8),
                                                             static_cast<std::uint8_t>(pixel >> 16)});
            }
        }
        ASSERT_TRUE(testsupport::WriteFile(SavePath(bank, slot), save.Bytes()));
        SetWriteTime(SavePath(bank, slot), 2024, 1, 7, 12, 34);
    }
};

TEST_F(SaveHeaderPrograms, CaptionsWithEachSeparator) {
    CommandProgram p;
    std::vector<std::uint32_t> out, r;
    for (int separator : {0, 1, 2, 0x102}) {
        out.push_back(p.Buffer(128));
        r.push_back(p.Number(99));
        p.Call(45, {Var(out.back()), "2", "3", Num(separator)}, r.back());
    }
    for (int i = 0; i < 3; ++i) r.push_back(p.Number(99));
    // The caption has no stated size: it is cut to the room its region leaves.
    const std::uint32_t last = p.Buffer(8);
    p.Call(45, {Var(last), "2", "3", "0"}, r[4]);
    p.Call(45, {"0", "2", "3", "0"}, r[5]);
    p.Call(45, {Var(out[0]), "2", "4", "0"}, r[6]);
    ProgramRun& run = Start(p);
    WriteSave(2, 3, "");
    ASSERT_EQ(kStepEnded, run.Run());
    const char* separators[] = {" ", "\n", "\r\n", "\r\n"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(0, run.Number(r[i]));
        EXPECT_EQ("『A title』" + std::string(separators[i]) + "【記録日時 2024/01/07(日) 12:34】", run.Text(out[i])) << i;
    }
    ScriptMemoryRegion region;
    ASSERT_TRUE(script_memory::Lookup(testsupport::WordOf(run.Data(last)), &region));
    ASSERT_EQ(testsupport::WordOf(run.Data(last)) + 8, region.end) << "the buffer ends the variable area";
    EXPECT_EQ(0, run.Number(r[4]));
    EXPECT_NE(nullptr, std::memchr(run.Data(last), 0, 8)) << "terminated inside its room";
    EXPECT_EQ(1, run.Number(r[5])) << "null out";
    EXPECT_EQ(-1, run.Number(r[6])) << "no such slot";
}

TEST_F(SaveHeaderPrograms, HeaderFieldsRawAndLaidOut) {
    // Wider and taller than the thumbnail: rows go by the image's pitch, and the pixels beyond
    // 120 x 68 keep theirs.
    Image thumb;
    ASSERT_EQ(0, thumb.Create(131, 70, 32, 0));
    FillPattern(thumb, 0x01);
    m_graphics.AddImage(thumb);
    CommandProgram p;
    const std::uint32_t title = p.Buffer(44);
    const std::uint32_t raw = p.Buffer(144);
    const std::uint32_t date = p.Buffer(32);
    const std::uint32_t laidOut = p.Buffer(144);
    const std::uint32_t r[2] = {p.Number(9), p.Number(9)};
    const std::string thumbWord = Num(testsupport::WordOf(&thumb));
    p.Call(46, {"2", "3", thumbWord, Var(title), Var(raw), Var(date), "0"}, r[0]);
    p.Call(46, {"2", "3", "0", "0", Var(laidOut), "0", "1"}, r[1]);
    ProgramRun& run = Start(p);
    WriteSave(2, 3, std::string(40, 'w'));
    ASSERT_EQ(kStepEnded, run.Run());
    EXPECT_EQ(0, run.Number(r[0]));
    EXPECT_EQ(0, run.Number(r[1]));
    EXPECT_EQ("A title", run.Text(title));
    EXPECT_EQ(std::string(40, 'w'), run.Text(raw));
    EXPECT_EQ(std::string(34, 'w') + "\r\n" + std::string(6, 'w'), run.Text(laidOut));
    EXPECT_EQ("2024/01/07(日) 12:34", run.Text(date));
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{0, 0}, {7, 9}, {119, 67}}) {
        EXPECT_EQ(PatternPixel(x, y, 0x33), thumb.GetPixel(x, y)) << x << "," << y;
    }
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{120, 0}, {130, 67}, {0, 68}, {130, 69}}) {
        EXPECT_EQ(PatternPixel(x, y, 0x01), thumb.GetPixel(x, y)) << x << "," << y;
    }
}

TEST_F(SaveHeaderPrograms, ThumbnailOnlyIntoA32BitImageThatHoldsIt) {
    Image grey;
    Image narrow;
    ASSERT_EQ(0, grey.Create(120, 68, 8, 0));
    ASSERT_EQ(0, narrow.Create(119, 68, 32, 0));
    FillPattern(narrow, 0x02);
    m_graphics.AddImage(grey);
    m_graphics.AddImage(narrow);
    const struct {
        const char* what;
        std::uint32_t word;
    } rows[] = {{"8-bit", testsupport::WordOf(&grey)}, {"119 pixels wide", testsupport::WordOf(&narrow)},
                {"no live image", 0x1234}, {"a surface that is no software image", 0}};
    testsupport::FakeSurface screenSurface(kSurfaceGdiScreen);
    m_graphics.AddSurface(screenSurface);
    CommandProgram p;
    const std::uint32_t title = p.Buffer(44, "untouched");
    std::vector<std::uint32_t> r;
    for (const auto& row : rows) {
        r.push_back(p.Number(9));
        const std::uint32_t word = row.word ? row.word : testsupport::WordOf(&screenSurface);
        p.Call(46, {"2", "3", Num(word), Var(title), "0", "0", "0"}, r.back());
    }
    ProgramRun& run = Start(p);
    WriteSave(2, 3, "");
    ASSERT_EQ(kStepEnded, run.Run());
    for (std::size_t i = 0; i < r.size(); ++i) EXPECT_EQ(1, run.Number(r[i])) << rows[i].what;
    EXPECT_EQ("untouched", run.Text(title));
    EXPECT_EQ(PatternPixel(5, 5, 0x02), narrow.GetPixel(5, 5));
}

// The longest laid-out comment ends inside its 144 bytes, also at the end of script memory, and
// so does a damaged field without a terminator.
TEST_F(SaveHeaderPrograms, CommentsEndInsideTheirBufferAtARegionEnd) {
    CommandProgram p;
    const std::uint32_t r[2] = {p.Number(9), p.Number(9)};
    const std::uint32_t last = p.Buffer(144);
    p.Call(46, {"2", "3", "0", "0", Var(last), "0", "1"}, r[0]);
    ProgramRun& run = Start(p);
    WriteSave(2, 3, std::string(139, 'y'));
    ASSERT_EQ(kStepEnded, run.Run());
    ScriptMemoryRegion region;
    const std::uint32_t at = testsupport::WordOf(run.Data(last));
    ASSERT_TRUE(script_memory::Lookup(at, &region));
    ASSERT_EQ(at + 144, region.end) << "the buffer ends the variable area";
    EXPECT_EQ(0, run.Number(r[0]));
    const std::string line(34, 'y');
    EXPECT_EQ(line + "\r\n" + line + "\r\n" + line + "\r\n" + line, run.Text(last));
    EXPECT_EQ(143u, run.Text(last).size() + 1) << "143 of the 144 bytes";

    // A damaged comment: 144 bytes of lead bytes and CRs, no terminator.
    std::vector<std::uint8_t> file = testsupport::ReadFile(SavePath(2, 3));
    for (std::uint32_t i = 0; i < 144; ++i) file[S::kComment + i] = i % 3 == 2 ? '\r' : 0x88;
    ASSERT_TRUE(testsupport::WriteFile(SavePath(2, 3), file));
    for (std::uint32_t layout : {0u, 1u}) {
        SCOPED_TRACE(layout);
        std::memset(run.Data(last), 'z', 144);
        std::uint32_t words[7] = {2, 3, 0, 0, at, 0, layout};
        EXPECT_EQ(0u, CmdReadSaveHeader(words));
        EXPECT_NE(nullptr, std::memchr(run.Data(last), 0, 144)) << "terminated inside";
    }
}

// ---- 47, 48, 49 ----

TEST_F(SaveCommandPrograms, CommentsCopiesAndDeletions) {
    CommandProgram p;
    std::vector<std::uint32_t> r;
    auto call = [&](int opcode, const std::vector<std::string>& words) {
        r.push_back(p.Number(99));
        p.Call(opcode, words, r.back());
    };
    p.Call(41, {ScreenWord(), "0"});
    call(43, {"1", "2"});
    call(47, {"1", "2", p.Text(std::string(150, 'c'))});
    call(47, {"1", "2", "0"});            // null text: nothing changes
    call(47, {"1", "8", p.Text("c")});    // no such slot
    call(48, {"1", "2", "3", "4"});
    call(48, {"1", "2", "1", "2"});       // onto itself
    call(48, {"1", "8", "3", "4"});
    call(49, {"3", "4"});
    call(49, {"3", "4"});
    ProgramRun& run = Start(p);
    ASSERT_EQ(kStepEnded, run.Run());
    const std::int32_t expected[] = {0, 0, 0, -1, 0, 0, 1, 0, 1};
    for (std::size_t i = 0; i < r.size(); ++i) EXPECT_EQ(expected[i], run.Number(r[i])) << i;
    const std::vector<std::uint8_t> file = testsupport::ReadFile(SavePath(1, 2));
    EXPECT_EQ(std::string(139, 'c'), FieldText(file, S::kComment, 144));
    EXPECT_FALSE(testsupport::FileExists(SavePath(3, 4)));

    // The copy is byte-identical, also onto itself.
    std::uint32_t copy[4] = {1, 2, 5, 6};
    EXPECT_EQ(0u, CmdCopySave(copy));
    EXPECT_EQ(file, testsupport::ReadFile(SavePath(5, 6)));
    std::uint32_t self[4] = {1, 2, 1, 2};
    EXPECT_EQ(0u, CmdCopySave(self));
    EXPECT_EQ(file, testsupport::ReadFile(SavePath(1, 2)));
    EXPECT_EQ(std::vector<std::string>{}, FilesIn(SaveFolder(), "*.tmp")) << "no temporary file left";
}

// ---- 39, 40, 50-53 ----

TEST_F(SaveCommandPrograms, MarkedVariables) {
    CommandProgram p;
    const std::uint32_t a = p.Number(0);
    const std::uint32_t b = p.Number(0);
    const std::uint32_t r[4] = {p.Number(9), p.Number(9), p.Number(9), p.Number(9)};
    p.Call(40, {Var(a)}, r[0]);
    p.Call(40, {p.Text("no variable")}, r[1]);
    p.Call(40, {"0"}, r[2]);
    p.Call(40, {Var(b)}, r[3]);
    p.Call(39, {"0", "0", "0"});  // keeps the list
    ProgramRun& run = Start(p);
    ASSERT_EQ(kStepEnded, run.Run());
    EXPECT_EQ(1, run.Number(r[0]));
    EXPECT_EQ(1, run.Number(r[1]));
    EXPECT_EQ(0, run.Number(r[2]));
    EXPECT_EQ(1, run.Number(r[3]));
    EXPECT_EQ((std::vector<std::uint32_t>{a, b}), run.Engine().MarkedVariables());
    std::uint32_t words[3] = {1, 0, 0};
    EXPECT_EQ(1u, CmdSetSaveParameters(words));
    EXPECT_TRUE(run.Engine().MarkedVariables().empty());
}

TEST_F(SaveCommandPrograms, ChoiceSnapshotTakeRestoreAndDrop) {
    CommandProgram p;
    const std::uint32_t value = p.Variable(0, 1, std::string(4, '\0'), 4);
    std::vector<std::uint32_t> r;
    auto call = [&](int opcode) {
        r.push_back(p.Number(99));
        p.Call(opcode, {}, r.back());
    };
    p.Code("mov 5, " + Var(value) + "\n");
    call(52);
    call(50);
    call(52);
    p.Code("mov 6, " + Var(value) + "\n");
    call(51);
    r.push_back(p.Number(99));
    p.Code("copy " + Var(value) + ", " + Var(r.back()) + "\n");
    call(52);
    call(51);
    call(50);
    call(53);
    call(52);
    call(51);
    ProgramRun& run = Start(p);
    ASSERT_EQ(kStepEnded, run.Run());
    const std::int32_t expected[] = {0, 0, 1, 0, 5, 0, -1, 0, 0, 0, -1};
    ASSERT_EQ(sizeof expected / sizeof expected[0], r.size());
    for (std::size_t i = 0; i < r.size(); ++i) EXPECT_EQ(expected[i], run.Number(r[i])) << i;
}

}  // namespace
