#include "game/commands/file_commands.h"

#include <windows.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "framework/archive/qpk_archive_format.h"
#include "framework/dialogs/common_dialog_platform.h"
#include "framework/dialogs/file_dialog.h"
#include "framework/files/path_utilities.h"
#include "framework/window/dropped_file_list.h"
#include "game/app/application.h"
#include "game/commands/command_services.h"
#include "game/commands/dos_date_time.h"
#include "game/commands/script_object_lists.h"
#include "game/script/script_memory.h"
#include "game/services/file_list.h"
#include "tests/framework/plugin_test_files.h"
#include "tests/game/commands/script_call_program.h"
#include "tests/support/hdrop_builder.h"
#include "tests/support/test_archive_writer.h"
#include "tests/support/win_test_env.h"
#include "tools/content/qpk_writer.h"

#include <gtest/gtest.h>

namespace {

using commandtest::CallProgram;
using commandtest::ProgramRun;

std::string Var(int n) { return "var:" + std::to_string(n); }

std::vector<std::uint8_t> Bytes(const std::string& text) { return std::vector<std::uint8_t>(text.begin(), text.end()); }

std::string ReadFileText(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    if (!testsupport::FileExists(path)) return "<missing>";
    HANDLE file = testsupport::OpenForReading(path);
    char buffer[4096];
    DWORD read = 0;
    std::string text;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) text.append(buffer, read);
    CloseHandle(file);
    return text;
}

// Entry times are local times: the tests run in UTC.
class UtcZone {
public:
    UtcZone() {
        const char* old = std::getenv("TZ");
        m_old = old ? old : "";
        _putenv("TZ=UTC0");
        _tzset();
    }
    ~UtcZone() {
        _putenv(("TZ=" + m_old).c_str());
        _tzset();
    }

private:
    std::string m_old;
};

// ---- DOS date-time packing ----

std::tm Broken(int year, int month, int day, int hour, int minute, int second) {
    std::tm time = {};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    return time;
}

TEST(DosDateTime, PacksTheFieldsAndRefusesYearsTheLayoutCannotHold) {
    struct Row {
        const char* what;
        std::tm time;
        std::uint32_t word;
    };
    const Row rows[] = {
        {"the first day of the layout", Broken(1980, 1, 1, 0, 0, 0), 0x00210000u},
        {"odd seconds lose their last bit", Broken(2001, 9, 9, 1, 46, 41), (21u << 25) | (9u << 21) | (9u << 16) | (1u << 11) | (46u << 5) | 20u},
        {"the last day of the layout", Broken(2107, 12, 31, 23, 59, 58), (127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u},
        {"a year before 1980", Broken(1979, 12, 31, 23, 59, 59), 0},
        {"a year after 2107", Broken(2108, 1, 1, 0, 0, 0), 0},
    };
    for (const Row& row : rows) EXPECT_EQ(row.word, PackDosDateTime(&row.time)) << row.what;
    EXPECT_EQ(0u, PackDosDateTime(nullptr)) << "no local time";
}

TEST(DosDateTime, EntryTimesGoThroughLocalTime) {
    UtcZone utc;
    EXPECT_EQ(0x00210000u, DosDateTimeOfEntry(315532800));
    EXPECT_EQ(0u, DosDateTimeOfEntry(0)) << "no time";
    EXPECT_EQ(0u, DosDateTimeOfEntry(86400)) << "1970 does not fit";
    EXPECT_EQ(0u, DosDateTimeOfEntry(-86400)) << "the C library has no local time for it";
}

// ---- Archives ----

class FileCommandPrograms : public ::testing::Test {
protected:
    void TearDown() override {
        // The load-names option of QPK archives is process-wide.
        std::uint32_t option[2] = {0, 0};
        QpkSetOption(option);
        FileStreamList().Clear();
    }
    ProgramRun m_run;
};

TEST_F(FileCommandPrograms, QpkMountsRoundTrip) {
    testsupport::QpkWriter writer;
    writer.Add("a.txt", std::string("alpha"));
    writer.Add("dir\\b.txt", std::string("beta"));
    ASSERT_TRUE(writer.Write(m_run.File("PACK.QPK")));
    CallProgram p;
    const std::string name = p.Text("PACK.QPK");
    p.Call(106, {"0", "0", "1"}, Var(0));                           // QPK names are loaded from now on
    p.Call(107, {name, "5", "0", "1"}, Var(1));
    p.Call(109, {}, Var(2));
    p.Call(111, {"5"}, Var(3));
    p.Call(112, {"5", "2"}, Var(4));                                // index = count
    p.Call(112, {"5", "1"}, Var(5));
    p.Call(113, {"5", "1", Var(6), Var(7), Var(8), Var(9), Var(10)}, Var(11));
    p.Call(113, {"6", "0", "0", "0", "0", "0", "0"}, Var(12));     // no such tag
    p.Call(113, {"5", "7", "0", "0", "0", "0", "0"}, Var(13));     // no such entry
    p.Call(114, {"5", "1", "2"}, Var(14));
    p.Call(114, {"6", "1", "2"}, Var(15));
    p.Call(111, {"6"}, Var(16));
    p.Call(107, {name, "8", "0", "1"}, "0");
    p.Call(108, {"-2", "0"}, "0");                                  // removes the first mount (tag 5)
    p.Call(111, {"5"}, Var(17));
    p.Call(111, {"8"}, Var(18));
    p.Call(108, {"8", "0"}, "0");
    p.Call(109, {}, Var(19));
    p.Call(106, {"0", "9", "0"}, Var(20));                          // unknown option
    ASSERT_EQ(kStepEnded, m_run.Run(p));
    EXPECT_EQ(0, m_run.Var(0));
    EXPECT_EQ(0, m_run.Var(1));
    EXPECT_EQ(1, m_run.Var(2));
    EXPECT_EQ(2, m_run.Var(3));
    EXPECT_EQ(0, m_run.Var(4));
    ASSERT_NE(0, m_run.Var(5));
    EXPECT_STREQ("dir\\b.txt", reinterpret_cast<const char*>(static_cast<std::uintptr_t>(m_run.Var(5))));
    EXPECT_EQ(4, m_run.Var(7)) << "unpacked size";
    EXPECT_EQ(0, m_run.Var(8)) << "QPK entries have no time";
    EXPECT_EQ(8, m_run.Var(9)) << "QPK kind";
    EXPECT_EQ(0, m_run.Var(11));
    EXPECT_EQ(1, m_run.Var(12));
    EXPECT_EQ(2, m_run.Var(13));
    EXPECT_EQ(-2, m_run.Var(14)) << "QPK archives have no extra operation";
    EXPECT_EQ(-3, m_run.Var(15));
    EXPECT_EQ(0, m_run.Var(16));
    EXPECT_EQ(0, m_run.Var(17));
    EXPECT_EQ(2, m_run.Var(18));
    EXPECT_EQ(0, m_run.Var(19));
    EXPECT_EQ(5, m_run.Var(20));
}

TEST_F(FileCommandPrograms, AdlPlugInsGetTheRestOfTheBlockAndReportEntryTimes) {
    UtcZone utc;
    ASSERT_TRUE(plugintest::CopyPlugin("test_archive.ADL", m_run.File("TEST.ADL")));
    testsupport::WriteFile(m_run.File("T.TAD"), testsupport::BuildTestArchive({{"e0", "zero"},
                                                                               {"e1", "one", true},
                                                                               {"e2", "two"},
                                                                               {"e3", "three"}}));
    CallProgram p;
    p.Call(103, {p.Text("TEST.ADL")}, Var(0));
    p.Call(107, {p.Text("T.TAD"), "9", "0", "1"}, Var(1));
    p.Call(106, {"77", "7", "5"}, Var(2));
    p.Call(106, {"78", "7", "5"}, Var(3));                          // no plug-in of that type
    p.Call(114, {"9", "3", "4"}, Var(4));
    for (int i = 0; i < 4; ++i) p.Call(113, {"9", std::to_string(i), "0", "0", Var(5 + i), "0", "0"}, "0");
    p.Call(113, {"9", "1", Var(9), Var(10), "0", Var(11), Var(12)}, "0");
    p.Call(105, {"77"}, Var(13));
    p.Call(109, {}, Var(14));
    p.Call(106, {"77", "7", "5"}, Var(15));
    ASSERT_EQ(kStepEnded, m_run.Run(p));
    EXPECT_EQ(0, m_run.Var(0));
    EXPECT_EQ(0, m_run.Var(1));
    EXPECT_EQ(75, m_run.Var(2)) << "the words after the type reached the plug-in";
    EXPECT_EQ(-2, m_run.Var(3));
    EXPECT_EQ(11, m_run.Var(4)) << "3 + 2 * 4";
    EXPECT_EQ(0x00210000, m_run.Var(5)) << "1980-01-01 00:00:00";
    EXPECT_EQ(static_cast<std::int32_t>((21u << 25) | (9u << 21) | (9u << 16) | (1u << 11) | (46u << 5) | 20u),
              m_run.Var(6));
    EXPECT_EQ(0, m_run.Var(7)) << "1970 does not fit the layout";
    EXPECT_EQ(0, m_run.Var(8)) << "no local time";
    EXPECT_EQ(3, m_run.Var(9));
    EXPECT_EQ(3, m_run.Var(10));
    EXPECT_EQ(3, m_run.Var(11)) << "kind";
    EXPECT_EQ(1, m_run.Var(12)) << "entry flags";
    EXPECT_EQ(0, m_run.Var(13));
    EXPECT_EQ(0, m_run.Var(14)) << "the plug-in's mounts went with it";
    EXPECT_EQ(-2, m_run.Var(15));
}

TEST_F(FileCommandPrograms, AssistOfATypeWithoutOneAnswersMinusTwo) {
    // A format of type 5 registered without a second assist function.
    ASSERT_EQ(0, m_run.Game().FileSystem().RegisterBuiltinDecoder(new QpkArchiveFormat, "QPX\0", "no assist", 5, nullptr,
                                                                  nullptr, nullptr));
    CallProgram p;
    p.Call(106, {"5", "0", "1"}, Var(0));
    ASSERT_EQ(kStepEnded, m_run.Run(p));
    EXPECT_EQ(-2, m_run.Var(0));
}

// ---- Search folders and plain files ----

TEST_F(FileCommandPrograms, SearchFoldersFindAndLocate) {
    CreateDirectoryA(m_run.File("extra").c_str(), nullptr);
    testsupport::WriteFile(m_run.File("extra\\found.txt"), Bytes("12345"));
    testsupport::QpkWriter writer;
    writer.Add("inside.txt", std::string("x"));
    ASSERT_TRUE(writer.Write(m_run.File("PACK.QPK")));
    CallProgram p;
    const std::string found = p.Text("found.txt");
    p.Call(96, {p.Text("extra"), "1"}, Var(0));
    p.Call(98, {"-2"}, Var(1));
    p.Call(98, {"-1"}, Var(2));
    const std::string lastPart = p.Buffer(64);
    p.Call(119, {"@var:2", lastPart}, "0");                 // the program's string, read by a script
    const std::string path = p.Buffer(300);
    p.Call(100, {path, found}, Var(3));
    p.Call(102, {found, Var(4)}, Var(5));
    p.Call(100, {"Lend", found}, Var(12));                   // the path does not fit: bad path
    p.Last("Lend: .space 8\n");
    p.Call(102, {p.Text("none.txt"), Var(6)}, Var(7));
    p.Call(107, {p.Text("PACK.QPK"), "1", "0", "1"}, "0");
    p.Call(115, {p.Buffer(300), p.Text("inside.txt")}, Var(8));
    p.Call(115, {p.Buffer(300), p.Text("none.txt")}, Var(9));
    p.Call(97, {"0", "-1"}, Var(10));
    p.Call(98, {"-2"}, Var(11));
    p.Call(99, {}, "0");
    ASSERT_EQ(kStepEnded, m_run.Run(p));
    EXPECT_EQ(0, m_run.Var(0));
    EXPECT_EQ(1, m_run.Var(1));
    EXPECT_NE(0, m_run.Var(2));
    EXPECT_EQ("extra", LowerCopy(m_run.TextAt(lastPart).c_str()));
    EXPECT_EQ(0, m_run.Var(3));
    EXPECT_EQ(LowerCopy(m_run.File("extra\\found.txt").c_str()), LowerCopy(m_run.TextAt(path).c_str()));
    EXPECT_EQ(5, m_run.Var(4));
    EXPECT_EQ(1, m_run.Var(5));
    EXPECT_EQ(0, m_run.Var(6)) << "nothing written for a missing file";
    EXPECT_EQ(0, m_run.Var(7));
    EXPECT_EQ(-1, m_run.Var(8)) << "only in a mounted archive";
    EXPECT_EQ(2, m_run.Var(9));
    EXPECT_EQ(0, m_run.Var(10));
    EXPECT_EQ(0, m_run.Var(11));
    EXPECT_EQ(1, m_run.Var(12));
    EXPECT_EQ("", m_run.TextAt("Lend")) << "no cut path";
}

// ---- Paths ----

TEST_F(FileCommandPrograms, PathCommandsKeepTrailBytesThatLookLikeSeparators) {
    // 0x83 0x5C is one character whose second byte is '\'.
    const std::string so = "\x83\x5C";
    CallProgram p;
    const std::string cut = p.Text("C:\\" + so + "\\" + so + "file.txt");
    p.Call(118, {cut}, Var(0));
    const std::string top = p.Text("C:");
    p.Call(118, {top}, Var(1));
    const std::string last = p.Buffer(64);
    p.Call(119, {p.Text("C:\\a\\" + so + "\\"), last}, Var(2));
    const std::string split = p.Text("C:\\" + so + "\\name" + so + ".txt");
    const std::string splitName = p.Buffer(64);
    p.Call(120, {split, splitName}, Var(3));
    const std::string extension = p.Buffer(64);
    p.Call(121, {p.Text("C:\\dir.d\\" + so + ".e" + so), extension}, Var(4));
    const std::string strip = p.Text("C:\\a.b\\" + so + ".txt");
    const std::string stripped = p.Buffer(64);
    p.Call(122, {strip, stripped}, Var(5));
    const std::string noExtension = p.Buffer(64);
    p.Call(121, {p.Text("C:\\a.b\\" + so), noExtension}, "0");
    ASSERT_EQ(kStepEnded, m_run.Run(p));
    EXPECT_EQ(1, m_run.Var(0));
    EXPECT_EQ("C:\\" + so + "\\", m_run.TextAt(cut));
    EXPECT_EQ(0, m_run.Var(1)) << "nothing to cut";
    EXPECT_EQ("C:", m_run.TextAt(top));
    EXPECT_EQ(so, m_run.TextAt(last)) << "the last folder, its trail byte kept";
    EXPECT_EQ("C:\\" + so + "\\", m_run.TextAt(split));
    EXPECT_EQ("name" + so + ".txt", m_run.TextAt(splitName));
    EXPECT_EQ("e" + so, m_run.TextAt(extension));
    EXPECT_EQ("C:\\a.b\\" + so, m_run.TextAt(strip));
    EXPECT_EQ("txt", m_run.TextAt(stripped));
    EXPECT_EQ("", m_run.TextAt(noExtension)) << "the dot of a folder is not the file's";
    for (int i = 2; i <= 5; ++i) EXPECT_EQ(0, m_run.Var(i));
}

TEST_F(FileCommandPrograms, StringResultsStopAtTheirRegionsEnd) {
    // The destinations are the last 8 bytes of the image: 7 text bytes and the terminator. The
    // extension is cut there at a whole character; a path that does not fit is not written.
    const std::pair<std::string, std::string> rows[] = {
        {"abcde\x83\x41\x83\x42", "abcde\x83\x41"},  // the second character stays out whole
        {"abcdef\x83\x41", "abcdef"},                // a lead byte never stays without its trail
    };
    for (const auto& [extension, written] : rows) {
        ProgramRun run;
        CallProgram p;
        p.Call(121, {p.Text("a." + extension), "Lend"}, "0");
        p.Last("Lend: .space 8\n");
        ASSERT_EQ(kStepEnded, run.Run(p));
        EXPECT_EQ(written, run.TextAt("Lend"));
    }
}

// ---- File objects ----

TEST_F(FileCommandPrograms, FileObjectsLoadSeekReadAndReadLines) {
    testsupport::WriteFile(m_run.File("lines.txt"), Bytes("first\r\nsecond line\r\nz"));
    testsupport::QpkWriter writer;
    writer.Add("packed.txt", std::string("in the archive"));
    ASSERT_TRUE(writer.Write(m_run.File("PACK.QPK")));
    CallProgram p;
    const std::string f = "@var:20";
    p.Call(107, {p.Text("PACK.QPK"), "1", "0", "1"}, "0");
    p.Call(124, {}, Var(20));
    p.Call(127, {f, p.Text("lines.txt")}, Var(0));
    p.Call(134, {f}, Var(1));
    const std::string line = p.Buffer(260);
    p.Call(140, {f, line, "0"}, Var(2));                  // size 0 means 256
    p.Call(136, {f}, Var(3));
    p.Call(137, {f, "7"}, Var(4));
    const std::string four = p.Buffer(8);
    p.Call(139, {f, four, "4"}, Var(5));
    p.Call(138, {f, "-2"}, Var(6));
    p.Call(136, {f}, Var(7));
    p.Call(140, {f, "0", "0"}, Var(8));                   // the size the next line needs
    p.Call(129, {f, p.Text("missing.txt")}, Var(14));
    p.Call(135, {f}, Var(15));
    const std::string closedName = p.Buffer(64);
    p.Call(119, {"@var:15", closedName}, "0");
    p.Call(128, {f, "1", "0", "0"}, Var(13));            // by index
    p.Call(128, {f, "1", "-1", p.Text("packed.txt")}, Var(9));
    p.Call(134, {f}, Var(10));
    p.Call(133, {f}, Var(11));
    p.Call(135, {f}, Var(12));
    ASSERT_EQ(kStepEnded, m_run.Run(p));
    EXPECT_EQ(0, m_run.Var(0));
    EXPECT_EQ(21, m_run.Var(1));
    EXPECT_EQ(7, m_run.Var(2)) << "the bytes passed over, CR LF included";
    EXPECT_EQ("first", m_run.TextAt(line));
    EXPECT_EQ(7, m_run.Var(3));
    EXPECT_EQ(0, m_run.Var(4));
    EXPECT_EQ(4, m_run.Var(5));
    EXPECT_EQ("seco", m_run.TextAt(four));
    EXPECT_EQ(0, m_run.Var(6));
    EXPECT_EQ(9, m_run.Var(7));
    EXPECT_EQ(10, m_run.Var(8)) << "\"cond line\" and its terminator";
    EXPECT_EQ(0, m_run.Var(9));
    EXPECT_EQ(14, m_run.Var(10));
    ASSERT_NE(0, m_run.Var(11));
    EXPECT_EQ("in the archive",
              std::string(reinterpret_cast<const char*>(static_cast<std::uintptr_t>(m_run.Var(11))), 14));
    EXPECT_TRUE(script_memory::IsWritable(m_run.Var(11), 14)) << "loaded data is script memory";
    EXPECT_FALSE(script_memory::IsReadable(m_run.Var(11), 15));
    ASSERT_NE(0, m_run.Var(12));
    EXPECT_NE(std::string::npos, LowerCopy(reinterpret_cast<const char*>(static_cast<std::uintptr_t>(m_run.Var(12))))
                                     .find("packed.txt"));
    EXPECT_EQ(0, m_run.Var(13));
    EXPECT_EQ(3, m_run.Var(14));
    EXPECT_NE(0, m_run.Var(15));
    EXPECT_EQ("", m_run.TextAt(closedName)) << "closed, no name";
}

TEST_F(FileCommandPrograms, CreatePrintfWriteAndClose) {
    CallProgram p;
    const std::string f = "@var:20";
    p.Call(124, {}, Var(20));
    p.Call(130, {f, p.Text("out.txt"), "1"}, Var(0));
    p.Call(142, {f, p.Text("%d-%s|%04X|%-3c|%%\n"), "-12", p.Text("ab"), "171", "65"}, Var(1));
    p.Call(141, {f, p.Text("tail"), "4"}, Var(2));
    p.Call(142, {f, p.Text("%f")}, Var(3));             // refused: nothing written
    // A block at the very end of the image: the format asks for words past its region.
    p.Line("copy var:20, Lz");
    p.Line("cmd cmd:142, Lz, var:4");
    p.Last("Lfmt: .text \"%d %d\"\nLz: .word 0, Lfmt, 1\n");
    p.Call(132, {f}, Var(5));
    p.Call(130, {f, p.Text("out.txt"), "0"}, Var(6));   // exists, not replaced
    p.Call(132, {f}, "0");
    ASSERT_EQ(kStepEnded, m_run.Run(p));
    EXPECT_EQ(0, m_run.Var(0));
    EXPECT_EQ(18, m_run.Var(1));
    EXPECT_EQ(4, m_run.Var(2));
    EXPECT_EQ(0, m_run.Var(3));
    EXPECT_EQ(0, m_run.Var(4)) << "refused, nothing written";
    EXPECT_EQ(0, m_run.Var(5));
    EXPECT_EQ(3, m_run.Var(6));
    EXPECT_EQ("-12-ab|00AB|A  |%\ntail", ReadFileText(m_run.File("out.txt")));
}

TEST_F(FileCommandPrograms, PrintfCutsAt511BytesAtAWholeCharacter) {
    struct Row {
        const char* what;
        std::string text;
        std::string written;
    };
    const std::string kanji = "\x82\xA0";
    const Row rows[] = {
        {"511 bytes fit", std::string(511, 'a'), std::string(511, 'a')},
        {"512 bytes lose the last", std::string(512, 'b'), std::string(511, 'b')},
        {"1000 bytes", std::string(1000, 'c'), std::string(511, 'c')},
        {"a character across byte 511 stays out", std::string(510, 'd') + kanji, std::string(510, 'd')},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ProgramRun run;
        CallProgram p;
        p.Call(124, {}, Var(20));
        p.Call(130, {"@var:20", p.Text("long.txt"), "1"}, "0");
        p.Call(142, {"@var:20", p.Text("%s"), p.Text(row.text)}, Var(0));
        p.Call(132, {"@var:20"}, "0");
        ASSERT_EQ(kStepEnded, run.Run(p));
        EXPECT_EQ(static_cast<std::int32_t>(row.written.size()), run.Var(0));
        EXPECT_EQ(row.written, ReadFileText(run.File("long.txt")));
        FileStreamList().Clear();
    }
}

TEST_F(FileCommandPrograms, LoadedDataStopsBeingScriptMemoryWhenItGoes) {
    testsupport::WriteFile(m_run.File("data.bin"), Bytes("0123456789"));
    CallProgram p;
    const std::string name = p.Text("data.bin");
    for (int k = 0; k < 3; ++k) {
        p.Call(124, {}, Var(10 + k));
        p.Call(127, {"@var:" + std::to_string(10 + k), name}, "0");
        p.Call(133, {"@var:" + std::to_string(10 + k)}, Var(k));
    }
    p.Call(132, {"@var:10"}, "0");                      // closed
    p.Call(125, {Var(11)}, "0");                        // deleted
    p.Call(127, {"@var:12", p.Text("missing.bin")}, "0");  // a failed load closes it too
    p.Call(124, {}, Var(13));
    p.Call(127, {"@var:13", name}, "0");
    p.Call(133, {"@var:13"}, Var(3));
    p.Call(126, {}, "0");                               // all deleted
    ASSERT_EQ(kStepEnded, m_run.Run(p));
    for (int k = 0; k < 4; ++k) {
        ASSERT_NE(0, m_run.Var(k)) << k;
        EXPECT_FALSE(script_memory::IsReadable(m_run.Var(k), 1)) << k;
    }
}

TEST_F(FileCommandPrograms, StaleHandlesAndDeletion) {
    CallProgram p;
    p.Call(124, {}, Var(20));
    p.Line("copy var:20, var:21");
    p.Call(125, {Var(20)}, Var(0));                        // a member: deleted, variable 0
    p.Call(127, {"@var:21", p.Text("x.txt")}, Var(1));     // stale handle
    p.Call(134, {"@var:21"}, Var(2));
    p.Call(136, {"@var:21"}, Var(3));
    p.Call(137, {"@var:21", "0"}, Var(4));
    p.Call(139, {"@var:21", p.Buffer(8), "4"}, Var(5));
    p.Call(125, {Var(21)}, Var(6));                        // no longer a member: 2, kept
    p.Call(125, {"0"}, Var(7));
    p.Call(124, {}, Var(22));
    p.Call(126, {}, "0");
    p.Call(134, {"@var:22"}, Var(8));
    ASSERT_EQ(kStepEnded, m_run.Run(p));
    EXPECT_EQ(0, m_run.Var(0));
    EXPECT_EQ(0, m_run.Var(20));
    EXPECT_EQ(5, m_run.Var(1));
    EXPECT_EQ(0, m_run.Var(2));
    EXPECT_EQ(-1, m_run.Var(3));
    EXPECT_EQ(5, m_run.Var(4));
    EXPECT_EQ(0, m_run.Var(5));
    EXPECT_EQ(2, m_run.Var(6));
    EXPECT_NE(0, m_run.Var(21)) << "the variable is kept";
    EXPECT_EQ(1, m_run.Var(7));
    EXPECT_EQ(0, m_run.Var(8));
    EXPECT_EQ(0, FileStreamList().Count());
}

// ---- Preloader ----

TEST_F(FileCommandPrograms, PreloadCommandsWithoutABatch) {
    CallProgram p;
    const std::string name = p.Text("a.txt");
    p.Call(144, {"0", "1", name}, Var(0));                // no slots yet
    p.Call(143, {"0x10004"}, Var(1));                     // 4 slots (low 16 bits)
    p.Call(144, {"3", "2", name, name}, Var(2));          // beyond the slots
    p.Call(144, {"0", "0"}, Var(3));                      // count 0
    p.Call(147, {"0"}, Var(4));
    p.Call(148, {"9"}, Var(5));
    p.Call(146, {"0", "4"}, Var(6));                      // none busy
    p.Call(145, {}, Var(7));                              // no batch ran
    p.Call(146, {"0", "0"}, Var(8));                      // count 0: stop and free
    p.Call(146, {"0", "4"}, Var(9));                      // no slots
    // The names run past the block's memory: the block is the image's last words.
    p.Call(143, {"4"}, "0");
    p.Line("cmd cmd:144, Lq, var:10");
    p.Last("Lq: .word 0, 3, " + name + "\n");
    p.Call(146, {"0", "0"}, "0");
    ASSERT_EQ(kStepEnded, m_run.Run(p));
    EXPECT_EQ(1, m_run.Var(0));
    EXPECT_EQ(0, m_run.Var(1));
    EXPECT_EQ(1, m_run.Var(2));
    EXPECT_EQ(1, m_run.Var(3));
    EXPECT_EQ(0, m_run.Var(4));
    EXPECT_EQ(0, m_run.Var(5));
    EXPECT_EQ(0, m_run.Var(6));
    EXPECT_EQ(0, m_run.Var(7));
    EXPECT_EQ(0, m_run.Var(8));
    EXPECT_EQ(-1, m_run.Var(9));
    EXPECT_EQ(1, m_run.Var(10));
}

// Runs the preloader's thread beside the test's: left out under emulation.
TEST_F(FileCommandPrograms, PreloadCommandsLoadABatch) {
    testsupport::WriteFile(m_run.File("p0.txt"), Bytes("zero"));
    testsupport::WriteFile(m_run.File("p1.txt"), Bytes("one!!"));
    CallProgram p;
    p.Call(143, {"3"}, "0");
    p.Call(144, {"1", "2", p.Text("p0.txt"), p.Text("p1.txt")}, Var(0));
    p.Call(145, {}, Var(1));
    p.Call(148, {"1"}, Var(2));
    p.Call(148, {"2"}, Var(3));
    p.Call(147, {"2"}, Var(4));
    p.Call(146, {"1", "2"}, Var(5));
    p.Call(147, {"2"}, Var(6));
    p.Call(146, {"0", "0"}, "0");
    ASSERT_EQ(kStepEnded, m_run.Run(p));
    EXPECT_EQ(0, m_run.Var(0));
    EXPECT_EQ(1, m_run.Var(1));
    EXPECT_EQ(4, m_run.Var(2));
    EXPECT_EQ(5, m_run.Var(3));
    ASSERT_NE(0, m_run.Var(4));
    EXPECT_EQ(0, m_run.Var(5)) << "none still busy";
    EXPECT_EQ(0, m_run.Var(6)) << "counted slots are closed";
}

// ---- Folder listing ----

class ListingPrograms : public FileCommandPrograms {
protected:
    void SetUp() override {
        CreateDirectoryA(m_run.File("tree").c_str(), nullptr);
        CreateDirectoryA(m_run.File("tree\\sub").c_str(), nullptr);
        testsupport::WriteFile(m_run.File("tree\\a.txt"), Bytes("abc"));
        testsupport::WriteFile(m_run.File("tree\\b.dat"), Bytes("12345"));
        testsupport::WriteFile(m_run.File("tree\\sub\\c.txt"), Bytes("c"));
        // a.txt: 2010-06-15 12:34:56 UTC, read-only.
        SYSTEMTIME utc = {2010, 6, 2, 15, 12, 34, 56, 0};
        SystemTimeToFileTime(&utc, &m_written);
        HANDLE file = CreateFileA(m_run.File("tree\\a.txt").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0,
                                  nullptr);
        SetFileTime(file, nullptr, nullptr, &m_written);
        CloseHandle(file);
        SetFileAttributesA(m_run.File("tree\\a.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    }
    void TearDown() override {
        SetFileAttributesA(m_run.File("tree\\a.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
        FileCommandPrograms::TearDown();
    }
    FILETIME m_written{};
};

TEST_F(ListingPrograms, FolderModesAndRecursionAsTheListingTakesThem) {
    CallProgram p;
    const std::string tree = p.Text("tree");
    const std::string txt = p.Text("*.txt");
    p.Call(149, {tree, txt, "0", "0"}, Var(0));           // files only
    p.Call(149, {tree, "0", "1", "0"}, Var(1));           // folders and files
    p.Call(149, {tree, "0", "2", "0"}, Var(2));           // folders only
    p.Call(149, {tree, txt, "0", "1"}, Var(3));           // files, the folders below too
    p.Call(149, {tree, txt, "0x101", "1"}, Var(4));       // folders and files (low byte), recursing
    p.Call(150, {"0"}, Var(5));
    p.Call(150, {"1"}, Var(6));
    p.Call(150, {"2"}, Var(7));
    p.Call(150, {"3"}, Var(8));                           // out of range
    p.Call(151, {"1"}, Var(9));
    p.Call(151, {"0"}, Var(10));                          // a folder
    p.Call(152, {"0"}, Var(11));
    p.Call(152, {"2"}, Var(12));
    p.Call(153, {"2", Var(13), Var(14), Var(15), Var(16), Var(17), "0", Var(18)}, Var(19));
    p.Call(153, {"3", Var(20), "0", "0", "0", "0", "0", "0"}, Var(21));
    p.Call(154, {}, "0");
    p.Call(150, {"0"}, Var(22));
    p.Call(149, {p.Text(std::string(300, 'n')), "0", "1", "1"}, Var(23));
    ASSERT_EQ(kStepEnded, m_run.Run(p));
    EXPECT_EQ(1, m_run.Var(0));
    EXPECT_EQ(3, m_run.Var(1));
    EXPECT_EQ(1, m_run.Var(2));
    EXPECT_EQ(2, m_run.Var(3));
    EXPECT_EQ(3, m_run.Var(4));
    auto text = [](std::int32_t word) { return std::string(reinterpret_cast<const char*>(static_cast<std::uintptr_t>(word))); };
    ASSERT_NE(0, m_run.Var(5));
    EXPECT_EQ("sub\\", text(m_run.Var(5)));
    EXPECT_EQ("sub\\c.txt", text(m_run.Var(6)));
    EXPECT_EQ("a.txt", text(m_run.Var(7)));
    EXPECT_EQ(0, m_run.Var(8));
    EXPECT_EQ(1, m_run.Var(9));
    EXPECT_EQ(0, m_run.Var(10));
    EXPECT_EQ(16, m_run.Var(11) & 16);
    EXPECT_EQ(1, m_run.Var(12) & 1) << "read-only";
    EXPECT_EQ(0, m_run.Var(12) & 16);
    FILETIME local;
    SYSTEMTIME expected;
    FileTimeToLocalFileTime(&m_written, &local);
    FileTimeToSystemTime(&local, &expected);
    EXPECT_EQ(1, m_run.Var(19));
    EXPECT_EQ(expected.wYear, m_run.Var(13));
    EXPECT_EQ(expected.wMonth, m_run.Var(14));
    EXPECT_EQ(expected.wDay, m_run.Var(15));
    EXPECT_EQ(expected.wHour, m_run.Var(16));
    EXPECT_EQ(expected.wMinute, m_run.Var(17));
    EXPECT_EQ(expected.wDayOfWeek, m_run.Var(18));
    EXPECT_EQ(0, m_run.Var(20)) << "nothing written out of range";
    EXPECT_EQ(0, m_run.Var(21));
    EXPECT_EQ(0, m_run.Var(22));
    EXPECT_EQ(0, m_run.Var(23)) << "a folder that does not resolve";
}

// ---- Dropped files ----

TEST_F(FileCommandPrograms, DroppedFilesAfterADrop) {
    DroppedFileList dropped;
    ASSERT_EQ(0, dropped.OnDropFiles(testsupport::BuildDropHandle({"C:\\x\\one.txt", "C:\\y\\two.txt"})));
    FileCommandServices saved = FileServicesOfCommands();
    FileServicesOfCommands().dropped = &dropped;
    CallProgram p;
    p.Call(155, {"1"}, Var(0));
    p.Call(156, {"-1"}, Var(1));
    p.Call(156, {"1"}, Var(2));
    p.Call(156, {"2"}, Var(3));
    p.Call(157, {}, Var(4));
    p.Call(156, {"-1"}, Var(5));
    const int step = m_run.Run(p);
    FileServicesOfCommands() = saved;
    ASSERT_EQ(kStepEnded, step);
    EXPECT_EQ(1, dropped.AcceptFlag());
    EXPECT_EQ(2, m_run.Var(1));
    ASSERT_NE(0, m_run.Var(2));
    EXPECT_STREQ("C:\\y\\two.txt", reinterpret_cast<const char*>(static_cast<std::uintptr_t>(m_run.Var(2))));
    EXPECT_EQ(0, m_run.Var(3));
    EXPECT_EQ(0, m_run.Var(5));
}

// ---- Dialogs ----

// The main window's side of 40027-40029: the file dialogs run through FileDialog over the
// test's common-dialog calls; the folder browser answers as the application does (a folder
// ending in '\', or none).
class DialogWindow : public AppWindowPort {
public:
    bool MenuEntryEnabled(std::uint32_t) override { return true; }
    bool ModeChangeAllowed() override { return true; }
    void SendToMainWindow(UINT message, WPARAM wParam, LPARAM lParam) override {
        ++sent;
        if (message != WM_COMMAND) return;
        if (wParam == kCmdOpenFile || wParam == kCmdSaveFile) {
            auto* request = reinterpret_cast<FileDialogRequest*>(static_cast<std::uintptr_t>(lParam));
            const bool save = wParam == kCmdSaveFile;
            request->result = 0;
            if (save) {
                if (dialog.ShowSave(nullptr, request->title, request->file, request->fileTitle, request->initialFolder,
                                    request->filter, request->defaultExtension))
                    request->result = 1 + dialog.GetFilterIndex();
            } else {
                request->result = dialog.ShowOpen(nullptr, request->title, request->file, request->fileTitle,
                                                  request->initialFolder, request->filter, request->clearFile != 0);
            }
        } else if (wParam == kCmdBrowseFolder) {
            auto* request = reinterpret_cast<FolderRequest*>(static_cast<std::uintptr_t>(lParam));
            request->result = 0;
            if (folderAnswer.empty() || folderAnswer.size() + 1 > request->capacity) return;
            std::memcpy(request->folder, folderAnswer.c_str(), folderAnswer.size() + 1);
            request->result = 1;
        }
    }
    void PostToMainWindow(UINT, WPARAM, LPARAM) override {}
    HWND MainWindow() override { return nullptr; }

    FileDialog dialog;
    std::string folderAnswer;
    int sent = 0;
};

// What the stand-in dialog answers.
struct DialogAnswer {
    bool chosen = true;
    std::string file;
    std::string title;
    DWORD filterIndex = 1;
};
DialogAnswer g_answer;

BOOL WINAPI AnswerDialog(LPOPENFILENAMEA dialog) {
    if (!g_answer.chosen) return FALSE;
    lstrcpynA(dialog->lpstrFile, g_answer.file.c_str(), dialog->nMaxFile);
    lstrcpynA(dialog->lpstrFileTitle, g_answer.title.c_str(), dialog->nMaxFileTitle);
    dialog->nFilterIndex = g_answer.filterIndex;
    return TRUE;
}

class DialogPrograms : public FileCommandPrograms {
protected:
    void SetUp() override {
        m_savedServices = Services();
        Services().window = &m_window;
        CommonDialogPlatform platform = DefaultCommonDialogPlatform();
        platform.getOpenFileName = AnswerDialog;
        platform.getSaveFileName = AnswerDialog;
        m_savedPlatform = SetCommonDialogPlatform(platform);
    }
    void TearDown() override {
        SetCommonDialogPlatform(m_savedPlatform);
        Services() = m_savedServices;
        FileCommandPrograms::TearDown();
    }
    DialogWindow m_window;
    CommandServices m_savedServices;
    CommonDialogPlatform m_savedPlatform{};
};

TEST_F(DialogPrograms, FileDialogsAnswerThroughProgramBuffers) {
    g_answer = DialogAnswer{true, "C:\\pick\\chosen.txt", "chosen.txt", 2};
    CallProgram p;
    const std::string filter = p.Text("Text\t*.txt\tAll\t*.*\t");
    const std::string file = p.Buffer(64);
    const std::string title = p.Buffer(32);
    p.Call(158, {p.Text("Open"), file, title, "0", filter}, Var(0));
    const std::string saveFile = p.Buffer(64);
    const std::string saveTitle = p.Buffer(32);
    p.Call(159, {p.Text("Save"), saveFile, saveTitle, "0", filter, p.Text("txt")}, Var(1));
    p.Call(158, {"0", "0", title, "0", filter}, Var(2));
    // A title buffer too small for the answer: nothing is written.
    p.Call(158, {"0", p.Buffer(64), "Lsmall", "0", filter}, Var(3));
    p.Last("Lsmall: .space 4\n");
    ASSERT_EQ(kStepEnded, m_run.Run(p));
    EXPECT_EQ(1, m_run.Var(0));
    EXPECT_EQ("C:\\pick\\chosen.txt", m_run.TextAt(file));
    EXPECT_EQ("chosen.txt", m_run.TextAt(title));
    EXPECT_EQ(3, m_run.Var(1)) << "the second filter";
    EXPECT_EQ("C:\\pick\\chosen.txt", m_run.TextAt(saveFile));
    EXPECT_EQ(0, m_run.Var(2));
    EXPECT_EQ(0, m_run.Var(3));
    EXPECT_EQ("", m_run.TextAt("Lsmall"));
    EXPECT_EQ(3, m_window.sent) << "no dialog without a file buffer";
}

TEST_F(DialogPrograms, CancelledDialogsAnswerZero) {
    g_answer = DialogAnswer{false, "", "", 1};
    CallProgram p;
    const std::string file = p.Buffer(64);
    p.Call(158, {"0", file, p.Buffer(32), "0", "0"}, Var(0));
    p.Call(159, {"0", file, p.Buffer(32), "0", "0", "0"}, Var(1));
    p.Call(160, {"0", "0", p.Buffer(64)}, Var(2));
    ASSERT_EQ(kStepEnded, m_run.Run(p));
    EXPECT_EQ(0, m_run.Var(0));
    EXPECT_EQ(0, m_run.Var(1));
    EXPECT_EQ(0, m_run.Var(2));
    EXPECT_EQ("", m_run.TextAt(file));
}

TEST_F(DialogPrograms, ChosenFolderFitsTheScriptsBufferOrIsNotTaken) {
    CallProgram p;
    const std::string out = p.Buffer(32);
    p.Call(160, {p.Text("Pick"), "0", out}, Var(0));
    p.Call(160, {"0", "0", "0"}, Var(1));
    m_window.folderAnswer = "C:\\games\\saves\\";
    ASSERT_EQ(kStepEnded, m_run.Run(p));
    EXPECT_EQ(1, m_run.Var(0));
    EXPECT_EQ("C:\\games\\saves\\", m_run.TextAt(out));
    EXPECT_EQ(0, m_run.Var(1));
}

TEST_F(DialogPrograms, AFolderTooLongForTheScriptsBufferIsNotTaken) {
    // 259 characters and the '\': 261 bytes with the terminator, one more than the buffer,
    // which ends with the image.
    CallProgram p;
    p.Line("cmd cmd:160, Lfolder, var:0");
    p.Last("Lfolder: .word 0, 0, Lbig\nLbig: .space 260\n");
    m_window.folderAnswer = "C:\\" + std::string(256, 'f') + "\\";
    ASSERT_EQ(261u, m_window.folderAnswer.size() + 1);
    ASSERT_EQ(kStepEnded, m_run.Run(p));
    EXPECT_EQ(0, m_run.Var(0));
    EXPECT_EQ("", m_run.TextAt("Lbig"));
}

// ---- Plain files ----

TEST_F(FileCommandPrograms, PlainFileServices) {
    testsupport::WriteFile(m_run.File("m1.txt"), Bytes("moved"));
    testsupport::WriteFile(m_run.File("source.dat"), Bytes("new content"));
    CreateDirectoryA(m_run.File("saves").c_str(), nullptr);
    testsupport::WriteFile(m_run.File("saves\\target.dat"), Bytes("old"));
    const std::string tooLong(300, 'x');
    CallProgram p;
    const std::string newdir = p.Text("newdir");
    p.Call(162, {newdir}, Var(0));
    p.Call(162, {newdir}, Var(1));
    p.Call(162, {p.Text(tooLong)}, Var(2));
    p.Call(163, {p.Text("m1.txt"), p.Text("m2.txt")}, Var(3));
    p.Call(163, {p.Text("m1.txt"), p.Text("m3.txt")}, Var(4));
    p.Call(163, {p.Text(tooLong), p.Text("m3.txt")}, Var(5));
    p.Call(163, {p.Text("m2.txt"), p.Text(tooLong)}, Var(6));
    p.Call(164, {p.Text("saves\\target.dat"), p.Text("missing.dat"), "1"}, Var(7));
    p.Call(164, {p.Text("saves\\target.dat"), p.Text("source.dat"), "1"}, Var(8));
    p.Call(165, {p.Text("m2.txt"), Var(9), Var(10), Var(11), "0", "0", "0", "0"}, Var(12));
    p.Call(165, {p.Text("none.txt"), Var(13), "0", "0", "0", "0", "0", "0"}, Var(14));
    ASSERT_EQ(kStepEnded, m_run.Run(p));
    EXPECT_EQ(0, m_run.Var(0));
    EXPECT_EQ(2, m_run.Var(1));
    EXPECT_EQ(1, m_run.Var(2));
    EXPECT_EQ(0, m_run.Var(3));
    EXPECT_EQ("moved", ReadFileText(m_run.File("m2.txt")));
    EXPECT_EQ(3, m_run.Var(4));
    EXPECT_EQ(1, m_run.Var(5));
    EXPECT_EQ(2, m_run.Var(6));
    EXPECT_EQ(-1, m_run.Var(7));
    EXPECT_EQ(0, m_run.Var(8));
    EXPECT_EQ("new content", ReadFileText(m_run.File("saves\\target.dat")));
    WIN32_FIND_DATAA found;
    int files = 0;
    HANDLE find = FindFirstFileA(m_run.File("saves\\*").c_str(), &found);
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++files;
    } while (FindNextFileA(find, &found));
    FindClose(find);
    EXPECT_EQ(1, files) << "no temporary copy is left beside the target";
    EXPECT_EQ(0, m_run.Var(12));
    SYSTEMTIME now;
    GetLocalTime(&now);
    EXPECT_EQ(now.wYear, m_run.Var(9));
    EXPECT_NE(0, m_run.Var(14));
    EXPECT_EQ(0, m_run.Var(13));
}

TEST_F(FileCommandPrograms, RunProgramStartsAndWaits) {
    const std::string marker = m_run.File("marker.txt");
    CallProgram p;
    p.Call(161, {p.Text("\"" + plugintest::BinaryFile("run_program_helper.exe") + "\" \"" + marker + "\""), "1"},
           Var(0));
    p.Call(161, {p.Text("\"" + m_run.File("no_such_program.exe") + "\""), "1"}, Var(1));
    ASSERT_EQ(kStepEnded, m_run.Run(p));
    EXPECT_EQ(0, m_run.Var(0));
    EXPECT_EQ("ran", ReadFileText(marker));
    EXPECT_EQ(1, m_run.Var(1));
}

}  // namespace
