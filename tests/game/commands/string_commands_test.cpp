// The string commands (59-71) as SOB programs: one call per row over a buffer variable and texts
// in the module, then the result and the buffer as the program left them.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "game/commands/string_commands.h"
#include "game/script/script_address.h"
#include "tests/game/commands/command_program.h"
#include "tests/support/command_harness.h"

namespace {

using cmdtest::CommandProgram;
using cmdtest::ProgramRun;

// A row: the call's words, where "B" is the buffer variable's address and "T0", "T1" the texts;
// the buffer is the last variable, so its region (the variable area) ends with it.
struct StringCase {
    const char* name;
    int opcode;
    std::vector<std::string> words;
    std::vector<std::string> texts;
    std::uint32_t bufferSize;
    std::string bufferBefore;
    // "B" when the result is the buffer's address.
    std::string result;
    std::string bufferAfter;
};

const StringCase kCases[] = {
    {"59 copies", 59, {"B", "T0"}, {"hello"}, 16, "", "B", "hello"},
    {"59 cuts at the end of the buffer's region", 59, {"B", "T0"}, {"hello"}, 4, "", "B", "hel"},
    {"59 never splits a double-byte character", 59, {"B", "T0"}, {"ab\x83\x41"}, 4, "", "B", "ab"},
    {"60 copies n bytes from the offset", 60, {"B", "1", "T0", "3"}, {"abcdef"}, 16, "zz", "0", "bcd"},
    {"60 with n past the rest copies to the end", 60, {"B", "2", "T0", "10"}, {"abc"}, 16, "zz", "0", "c"},
    {"60 with n 0 leaves an empty string", 60, {"B", "0", "T0", "0"}, {"abc"}, 16, "zz", "0", ""},
    {"60 with n below 0 leaves an empty string", 60, {"B", "0", "T0", "-5"}, {"abc"}, 16, "zz", "0", ""},
    {"61 stops at the delimiter", 61, {"B", "0", "T0", "61"}, {"key=value"}, 16, "", "0", "key"},
    {"61 from an offset", 61, {"B", "4", "T0", "61"}, {"key=value=x"}, 16, "", "0", "value"},
    {"61 without the delimiter copies the rest", 61, {"B", "0", "T0", "59"}, {"abc"}, 16, "", "0", "abc"},
    {"62 appends", 62, {"B", "T0"}, {"def"}, 16, "abc", "B", "abcdef"},
    {"62 cuts at the room left", 62, {"B", "T0"}, {"defgh"}, 8, "abc", "B", "abcdefg"},
    {"63 length", 63, {"T0"}, {"hello"}, 4, "", "5", ""},
    {"63 of null is 0", 63, {"0"}, {}, 4, "", "0", ""},
    {"64 less", 64, {"T0", "T1"}, {"abc", "abd"}, 4, "", "-1", ""},
    {"64 equal", 64, {"T0", "T1"}, {"abc", "abc"}, 4, "", "0", ""},
    {"64 greater", 64, {"T0", "T1"}, {"abd", "abc"}, 4, "", "1", ""},
    {"65 ignores case", 65, {"T0", "T1"}, {"ABC", "abc"}, 4, "", "0", ""},
    {"66 two strings differing in the third letter, n 4", 66, {"0", "T0", "T1", "0", "4"}, {"abxd", "abcd"}, 4, "",
     "2", ""},
    {"66 the same, n 2", 66, {"0", "T0", "T1", "0", "2"}, {"abxd", "abcd"}, 4, "", "0", ""},
    {"66 n 0", 66, {"0", "T0", "T1", "0", "0"}, {"abxd", "abcd"}, 4, "", "0", ""},
    {"66 at offsets", 66, {"1", "T0", "T1", "2", "3"}, {"xxbcd", "abcd"}, 4, "", "0", ""},
    {"66 stops at a terminator", 66, {"0", "T0", "T1", "0", "5"}, {"ab", "ab"}, 4, "", "3", ""},
    {"67 formats the words after the format", 67, {"B", "T0", "42", "T1"}, {"%d-%s!", "x"}, 16, "", "0", "42-x!"},
    {"67 cuts at the room", 67, {"B", "T0", "123456"}, {"n=%d"}, 4, "", "0", "n=1"},
    {"67 refuses %f: empty, -1", 67, {"B", "T0", "1"}, {"%f"}, 16, "old", "-1", ""},
    {"67 refuses a word past the module's end", 67, {"B", "T0"}, {"%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d%d"}, 16,
     "old", "-1", ""},
    {"68 parses an integer", 68, {"T0"}, {"-123abc"}, 4, "", "-123", ""},
    {"68 of null is 0", 68, {"0"}, {}, 4, "", "0", ""},
    {"69 parses a float", 69, {"T0"}, {"2.5"}, 4, "", "1075838976", ""},
    {"70 keeps a trail byte", 70, {"B"}, {}, 8, "\x83\x41" "b", "0", "\x83\x41" "B"},
    {"71 keeps a trail byte", 71, {"B"}, {}, 8, "\x83\x41" "AB", "0", "\x83\x41" "ab"},
};

TEST(StringCommands, ProgramsOverTheVariableArea) {
    for (const StringCase& c : kCases) {
        SCOPED_TRACE(c.name);
        CommandProgram program;
        const std::uint32_t guard = program.Number(0x5A5A5A5A);
        const std::uint32_t buffer = program.Buffer(c.bufferSize, c.bufferBefore);
        std::vector<std::string> labels;
        for (const std::string& text : c.texts) labels.push_back(program.Text(text));
        std::vector<std::string> words;
        for (const std::string& word : c.words) {
            if (word == "B") words.push_back(cmdtest::Var(buffer));
            else if (word == "T0") words.push_back(labels.at(0));
            else if (word == "T1") words.push_back(labels.at(1));
            else words.push_back(word);
        }
        program.Call(c.opcode, words);
        ProgramRun run(program);
        ASSERT_EQ(kStepEnded, run.Run());
        if (c.result == "B") {
            EXPECT_EQ(static_cast<std::uint32_t>(run.Number(0)), AddressOf(run.Data(buffer)));
        } else {
            EXPECT_EQ(run.Number(0), std::stoi(c.result));
        }
        if (c.opcode <= 62 || c.opcode == 67 || c.opcode >= 70) {
            EXPECT_EQ(run.Text(buffer), c.bufferAfter);
        }
        EXPECT_EQ(run.Number(guard), 0x5A5A5A5A);
    }
}

// Bad words where the command has no null result end the run with the invalid-script result.
TEST(StringCommands, BadWordsWithoutANullResultAreTheScriptFault) {
    struct FaultCase {
        const char* name;
        int opcode;
        std::vector<std::string> words;
    } cases[] = {
        {"59 into null", 59, {"0", "T0"}},
        {"59 into a forged address", 59, {"16", "T0"}},
        {"59 from an unterminated text at the region's end", 59, {"B", "E"}},
        {"60 from past the text's region", 60, {"B", "0x7FFFFFF0", "T0", "3"}},
        {"62 onto an unterminated buffer", 62, {"E", "T0"}},
        {"64 with a null string", 64, {"0", "T0"}},
        {"66 with a forged string", 66, {"0", "T0", "4096", "0", "2"}},
        {"67 into null", 67, {"0", "T0"}},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        CommandProgram program;
        const std::uint32_t buffer = program.Buffer(8);
        // The last variable holds 4 bytes without a terminator up to the area's end.
        const std::uint32_t end = program.Buffer(4, "wxyz");
        const std::string text = program.Text("abc");
        std::vector<std::string> words;
        for (const std::string& word : c.words) {
            if (word == "B") words.push_back(cmdtest::Var(buffer));
            else if (word == "E") words.push_back(cmdtest::Var(end));
            else if (word == "T0") words.push_back(text);
            else words.push_back(word);
        }
        program.Call(c.opcode, words);
        ProgramRun run(program);
        EXPECT_EQ(kStepInvalidScript, run.Run());
        EXPECT_EQ(run.Bytes(end, 4), "wxyz");
    }
}

// Null or bad words where the command has a null result give it.
TEST(StringCommands, NullResultsForBadWords) {
    char unregistered[8] = "abc";
    testsupport::ArgBlock upper;
    upper.Pointer(unregistered);
    EXPECT_EQ(testsupport::CallCommand(70, upper), 0u);
    EXPECT_STREQ(unregistered, "abc");
    testsupport::ArgBlock length;
    length.Word(16);
    EXPECT_EQ(testsupport::CallCommand(63, length), 0u);
    testsupport::ArgBlock parse;
    parse.Word(16);
    EXPECT_EQ(testsupport::CallCommand(68, parse), 0u);
    testsupport::ArgBlock clip;
    clip.Pointer(unregistered).Word(100);
    EXPECT_EQ(testsupport::CallCommand(72, clip), 1u);
    testsupport::ArgBlock base;
    base.Word(0);
    EXPECT_EQ(testsupport::CallCommand(95, base), AddressOf(GetBaseDirectory()));
}

std::string ClipboardText() {
    if (!OpenClipboard(nullptr)) return "(no clipboard)";
    std::string text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
            text = bytes;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

// 72 puts the text, or its first count bytes, on the clipboard; a source that is no script
// memory for its count gives 1, the null-text result.
TEST(StringCommands, ClipboardReadBack) {
    struct Row {
        const char* name;
        std::string count;
        std::int32_t result;
        std::string clipboard;
    } rows[] = {
        {"the whole text", "0", 0, "hello world"},
        {"the first five bytes", "5", 0, "hello"},
        {"a count past the module's end", "100000", 1, "hello"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CommandProgram program;
        program.Call(72, {program.Text("hello world"), row.count});
        ProgramRun run(program);
        ASSERT_EQ(kStepEnded, run.Run());
        EXPECT_EQ(run.Number(0), row.result);
        EXPECT_EQ(ClipboardText(), row.clipboard);
    }
}

}  // namespace
