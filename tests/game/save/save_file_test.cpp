#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "framework/archive/lzss_codec.h"
#include "game/save/save_file_format.h"
#include "tests/game/save/save_test_game.h"
#include "tests/support/image_buffer.h"
#include "tools/content/byte_words.h"

namespace {

using gametest::SaveGame;
using gametest::TestPicture;
using testsupport::ReadFile;
using testsupport::SaveFileContent;
using testsupport::SaveSnapshot;
using testsupport::WordAt;
namespace S = testsupport::SaveLayout;

std::vector<std::uint8_t> Unpacked(const std::vector<std::uint8_t>& file) {
    const std::uint32_t stored = WordAt(file, S::kStoredLength);
    const std::uint32_t unpacked = WordAt(file, S::kUnpackedLength);
    const std::uint8_t* data = file.data() + S::kData;
    if (unpacked == 0) {
        return std::vector<std::uint8_t>(data, data + stored);
    }
    LzssCodec codec;
    std::uint8_t* out = nullptr;
    EXPECT_EQ(LzssCodec::kDone, codec.Decode(data, stored, &out, unpacked, true));
    std::vector<std::uint8_t> bytes(out, out + unpacked);
    std::free(out);
    return bytes;
}

std::string TextAt(const std::vector<std::uint8_t>& file, std::uint32_t at, std::uint32_t size) {
    const char* text = reinterpret_cast<const char*>(file.data() + at);
    return std::string(text, strnlen(text, size));
}

class SaveFiles : public SaveGame {};

TEST_F(SaveFiles, WrittenFileHasTheLayout) {
    const struct {
        const char* name;
        bool random;  // variables that do not pack
        bool frame;
        bool bottomUp;  // the screen's rows run upwards in memory
    } cases[] = {{"packed", false, false, false},
                 {"stored as it is", true, false, false},
                 {"with a TGS frame", false, true, false},
                 {"rows in the screen's own order", false, true, true}};
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        TestPicture frameScreen(360, 204, 0x33);
        if (row.bottomUp) {
            frameScreen.SeeBottomUp();
        }
        m_services.hasFrame = row.frame;
        m_services.frameScreen = frameScreen.picture;
        m_services.frameTitle = "Frame title";
        m_appCfg.bytes[180] = 1;
        m_services.hasMessageText = true;
        m_services.messageText = "A comment";
        Fill(0, 0);
        std::srand(7);
        for (std::uint32_t i = 0; row.random && i < 64; ++i) {
            m_engine->LiveVariables().Data(0)[i] = static_cast<std::uint8_t>(std::rand());
        }
        // The random variables would pack as the choice snapshot repeats them.
        if (row.random) {
            m_engine->DropChoiceSnapshot();
        } else {
            m_engine->TakeChoiceSnapshot();
        }
        SaveSnapshot choice;
        choice.variables = SnapshotVariables();
        if (row.frame) {
            choice.tgsState = {'T', 'G', 'S', 7};
        }
        ASSERT_EQ(0, m_engine->WriteSaveFile(1, 2));
        const std::vector<std::uint8_t> file = ReadFile(SavePath(1, 2));
        ASSERT_GE(file.size(), S::kData);
        EXPECT_EQ("HNQ0", std::string(file.begin(), file.begin() + 4));
        EXPECT_EQ(0u, WordAt(file, 4));
        const TestPicture& shown = row.frame ? frameScreen : m_screen;
        const std::int32_t step = shown.picture.width / 120;
        bool thumbnailMatches = true;
        for (std::int32_t y = 0; y < 68; ++y) {
            for (std::int32_t x = 0; x < 120; ++x) {
                const std::int32_t seenRow = y * step;
                const std::uint32_t pixel = TestPicture::Pixel(
                    x * step, row.bottomUp ? shown.picture.height - 1 - seenRow : seenRow, row.frame ? 0x33 : 0x5A);
                const std::uint8_t* stored = file.data() + S::kThumbnail + (y * 120 + x) * 3;
                thumbnailMatches = thumbnailMatches && stored[0] == (pixel & 0xFF) &&
                                   stored[1] == ((pixel >> 8) & 0xFF) && stored[2] == ((pixel >> 16) & 0xFF);
            }
        }
        EXPECT_TRUE(thumbnailMatches);
        EXPECT_EQ(row.frame ? "Frame title" : "Title", TextAt(file, S::kTitle, 44));
        EXPECT_EQ("A comment", TextAt(file, S::kComment, 144));
        EXPECT_EQ(0, file[S::kFlag]);
        EXPECT_EQ(file.size() - S::kData, WordAt(file, S::kStoredLength));
        EXPECT_EQ(row.random, WordAt(file, S::kUnpackedLength) == 0);
        std::uint8_t sum = 0;
        for (std::size_t i = S::kData; i < file.size(); ++i) {
            sum = static_cast<std::uint8_t>(sum + file[i]);
        }
        EXPECT_EQ(sum, file[S::kChecksum]);
        SaveSnapshot expected;
        expected.variables = SnapshotVariables();
        expected.withHistory = true;
        expected.history = {'H', 10};
        expected.history.insert(expected.history.end(), m_services.history.begin(), m_services.history.end());
        if (!row.random) {
            expected.choice = choice.Bytes();
        }
        if (row.frame) {
            expected.tgsState = {'T', 'G', 'S', 7};
        }
        EXPECT_EQ(expected.Bytes(), Unpacked(file));
    }
}

TEST_F(SaveFiles, WithoutTextHistoryTheFileCarriesNoHistoryAndNoChoice) {
    m_appCfg.bytes[30] = 0;
    m_engine->TakeChoiceSnapshot();
    ASSERT_EQ(0, m_engine->WriteSaveFile(0, 0));
    SaveSnapshot expected;
    expected.variables = SnapshotVariables();
    EXPECT_EQ(expected.Bytes(), Unpacked(ReadFile(SavePath(0, 0))));
}

TEST_F(SaveFiles, ReadingRestoresVariablesHistoryChoiceAndTgsState) {
    for (bool pack : {true, false}) {
        SCOPED_TRACE(pack ? "packed" : "stored");
        m_services.hasFrame = true;
        m_engine->DropChoiceSnapshot();
        SaveSnapshot choice;
        choice.variables = {{0, std::vector<std::uint8_t>(64, 0xC0)}, {1, std::vector<std::uint8_t>(16, 0xC1)}};
        choice.tgsState = {'T', 'G', 'S', 8};
        SaveSnapshot snapshot;
        snapshot.variables = {{0, std::vector<std::uint8_t>(64, 0xA0)}, {1, std::vector<std::uint8_t>(16, 0xA1)}};
        snapshot.withHistory = true;
        snapshot.history = {'H', 5, 'p', 'a', 'g', 'e', '2'};
        snapshot.choice = choice.Bytes();
        snapshot.tgsState = {'T', 'G', 'S', 42};
        SaveFileContent save;
        save.snapshot = snapshot.Bytes();
        save.pack = pack;
        const std::vector<std::uint8_t> file = save.Bytes();
        ASSERT_EQ(pack, WordAt(file, S::kUnpackedLength) != 0);
        testsupport::WriteFile(SavePath(3, 4), file);
        Fill(2, 0x77);
        const int released = m_services.releasedBuffers;
        ASSERT_EQ(0, m_engine->LoadSaveSlot(3, 4));
        EXPECT_EQ(std::vector<std::uint8_t>(64, 0xA0), Value(0));
        EXPECT_EQ(std::vector<std::uint8_t>(16, 0xA1), Value(1));
        EXPECT_EQ(std::vector<std::uint8_t>(8, 0x77), Value(2)) << "kind 2 is not in snapshots";
        EXPECT_EQ("page2", m_services.history);
        EXPECT_EQ(42, m_services.tgsState);
        EXPECT_EQ(released + 1, m_services.releasedBuffers);
        EXPECT_EQ(std::vector<bool>{true}, std::vector<bool>(m_services.keepHistoryFlags.end() - 1,
                                                             m_services.keepHistoryFlags.end()));
        // The choice snapshot came with the file.
        ASSERT_TRUE(m_engine->HasChoiceSnapshot());
        EXPECT_EQ(0, m_engine->ReturnToChoice());
        EXPECT_EQ(std::vector<std::uint8_t>(64, 0xC0), Value(0));
        EXPECT_EQ(8, m_services.tgsState);
        EXPECT_FALSE(m_engine->HasChoiceSnapshot()) << "a snapshot without history drops the choice";
        EXPECT_EQ(-1, m_engine->ReturnToChoice());
    }
}

TEST_F(SaveFiles, WriteThenReadRoundTrips) {
    Fill(0, 0x10);
    ASSERT_EQ(0, m_engine->WriteSaveFile(2, 0));
    Fill(0, 0x20);
    m_services.history = "changed";
    ASSERT_EQ(0, m_engine->LoadSaveSlot(2, 0));
    EXPECT_EQ(std::vector<std::uint8_t>(64, 0x10), Value(0));
    EXPECT_EQ("first page", m_services.history);
}

TEST_F(SaveFiles, QuickSavesRotateAndTheNewestLoads) {
    const struct {
        int bank;
        std::vector<int> slots;
        std::uint32_t counter;
        std::uint32_t last;
    } cases[] = {
        {10, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0}, 177, 187},
        {11, {5, 6, 7, 8, 9, 5}, 178, 188},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.bank);
        m_appCfg.bytes[186] = 0;
        for (std::size_t i = 0; i < row.slots.size(); ++i) {
            Fill(0, static_cast<std::uint8_t>(i + 1));
            ASSERT_EQ(0, m_engine->WriteSaveFile(row.bank, -1));
            const std::vector<std::uint8_t> file = ReadFile(SavePath(row.bank, row.slots[i]));
            ASSERT_GT(file.size(), S::kData) << "slot " << row.slots[i];
            EXPECT_EQ(i + 1, Unpacked(file).at(2)) << "slot " << row.slots[i];
            EXPECT_EQ(row.slots[i], m_appCfg.bytes[row.last]);
            EXPECT_EQ(1, m_appCfg.bytes[186]);
        }
        EXPECT_EQ(row.slots[1], m_appCfg.bytes[row.counter]);
        Fill(0, 0);
        ASSERT_EQ(0, m_engine->LoadSaveSlot(row.bank, -1));
        EXPECT_EQ(std::vector<std::uint8_t>(64, static_cast<std::uint8_t>(row.slots.size())), Value(0));
        // The newest file gone, the one before it is the newest.
        ASSERT_TRUE(DeleteFileA(SavePath(row.bank, row.slots.back()).c_str()));
        ASSERT_EQ(0, m_engine->LoadSaveSlot(row.bank, -1));
        EXPECT_EQ(std::vector<std::uint8_t>(64, static_cast<std::uint8_t>(row.slots.size() - 1)), Value(0));
    }
    // Every bank-11 file gone: ten tries in bank 10 find its files, five in bank 11 find none.
    for (int slot = 5; slot <= 9; ++slot) {
        DeleteFileA(SavePath(11, slot).c_str());
    }
    std::string path;
    EXPECT_EQ(2, m_engine->Saves().FormatSaveFileName(&path, 11, -1));
    EXPECT_EQ(0, m_engine->Saves().FormatSaveFileName(&path, 10, -1));
    for (int bank : {0, 9, 12}) {
        EXPECT_EQ(-1, m_engine->WriteSaveFile(bank, -1)) << bank;
        EXPECT_EQ(-1, m_engine->LoadSaveSlot(bank, -1)) << bank;
    }
    for (int slot = 0; slot <= 9; ++slot) {
        DeleteFileA(SavePath(10, slot).c_str());
    }
    EXPECT_EQ(1, m_engine->Saves().FormatSaveFileName(&path, 10, -1));
    EXPECT_EQ(-1, m_engine->LoadSaveSlot(10, -1));
    EXPECT_EQ(3, m_engine->Saves().FormatSaveFileName(&path, 10, 3));
    EXPECT_EQ(SavePath(10, 3), path);
    EXPECT_EQ(1, m_engine->LoadSaveSlot(10, 3));
}

TEST_F(SaveFiles, FailedWritesLeaveTheOldFileAndTheRotation) {
    m_appCfg.bytes[177] = 4;
    ASSERT_EQ(0, m_engine->WriteSaveFile(10, 3));
    const std::vector<std::uint8_t> old = ReadFile(SavePath(10, 3));
    m_appCfg.bytes[186] = 0;
    m_appCfg.bytes[187] = 0;
    const TestPicture noPixels(0, 0);
    const struct {
        const char* name;
        int renderResult;
        bool refuseHistory;
        bool noScreen;
        int expected;
    } cases[] = {
        {"no thumbnail image", 2, false, false, 2},
        {"no work image", 3, false, false, 3},
        {"the history does not save", 0, true, false, 6},
        {"no screen", 0, false, true, 1},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        m_services.renderResult = row.renderResult;
        m_services.refuseHistorySave = row.refuseHistory;
        m_engine->SetSaveSource(row.noScreen ? noPixels.picture : m_screen.picture, "", "Title");
        Fill(0, 0x99);
        EXPECT_EQ(row.expected, m_engine->WriteSaveFile(10, -1));
        EXPECT_EQ(row.expected, m_engine->WriteSaveFile(10, 3));
        EXPECT_EQ(old, ReadFile(SavePath(10, 3)));
        EXPECT_FALSE(testsupport::FileExists(SavePath(10, 4)));
        EXPECT_EQ(4, m_appCfg.bytes[177]);
        EXPECT_EQ(0, m_appCfg.bytes[186]);
        EXPECT_EQ(0, m_appCfg.bytes[187]);
    }
}

TEST_F(SaveFiles, SysImageIsTheThumbnailOnlyWhenItHoldsOne) {
    TestPicture exact(120, 68, 0x11);
    TestPicture larger(130, 70, 0x22);
    TestPicture narrow(119, 68, 0x33);
    TestPicture shallow(120, 68, 0x44, 24);
    m_services.sysImages = {{"SYS_EXACT", exact.picture}, {"SYS_LARGER", larger.picture},
                            {"SYS_NARROW", narrow.picture}, {"SYS_SHALLOW", shallow.picture}};
    const struct {
        const char* frameImage;
        std::uint8_t seed;  // of the picture the thumbnail shows
        std::int32_t step;
    } cases[] = {
        {"SYS\\EXACT", 0x11, 1}, {"LARGER", 0x22, 1}, {"NARROW", 0x5A, 2}, {"SHALLOW", 0x5A, 2}, {"MISSING", 0x5A, 2},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.frameImage);
        m_engine->SetSaveSource(m_screen.picture, row.frameImage, "");
        ASSERT_EQ(0, m_engine->WriteSaveFile(0, 1));
        const std::vector<std::uint8_t> file = ReadFile(SavePath(0, 1));
        const std::uint32_t corner = TestPicture::Pixel(119 * row.step, 67 * row.step, row.seed);
        const std::uint8_t* last = file.data() + S::kThumbnail + (67 * 120 + 119) * 3;
        EXPECT_EQ(corner & 0xFFFFFF, last[0] | (last[1] << 8) | (last[2] << 16));
    }
    EXPECT_EQ("SYS_EXACT", m_services.sysImagesAsked.front());
    // The last render flag is set exactly when APP_CFG byte 183 is 0.
    m_services.renderFinalFlags.clear();
    m_engine->SetSaveSource(m_screen.picture, "", "");
    for (std::uint8_t value : {0, 1}) {
        m_appCfg.bytes[183] = value;
        ASSERT_EQ(0, m_engine->WriteSaveFile(0, 1));
    }
    EXPECT_EQ((std::vector<bool>{true, false}), m_services.renderFinalFlags);
}

TEST(SaveTexts, CommentKeepsWhatFitsTheBudget) {
    const std::string kanji = "\x88\x9F";  // one two-byte character
    std::string seventy;
    for (int i = 0; i < 70; ++i) seventy += kanji;
    const struct {
        const char* name;
        std::string text;
        std::string expected;
    } cases[] = {
        {"139 single bytes kept", std::string(139, 'a'), std::string(139, 'a')},
        {"140 single bytes: the last dropped", std::string(140, 'a'), std::string(139, 'a')},
        {"70 two-byte characters: 69 kept", seventy, seventy.substr(0, 138)},
        {"a character straddling the limit dropped", std::string(138, 'a') + kanji, std::string(138, 'a')},
        {"a lead byte without its second byte", "ab\x88", "ab"},
        {"empty", "", ""},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.expected, CutSaveComment(row.text.c_str()));
    }
}

TEST(SaveTexts, TitleIsAtMostFortyBytesOfWholeCharacters) {
    const std::string kanji = "\x82\xA0";
    const struct {
        const char* name;
        std::string title;
        std::string expected;
    } cases[] = {
        {"40 bytes kept", std::string(40, 't'), std::string(40, 't')},
        {"41 cut to 40", std::string(41, 't'), std::string(40, 't')},
        {"a character over byte 40 dropped whole", std::string(39, 't') + kanji, std::string(39, 't')},
        {"a character ending at byte 40 kept", std::string(38, 't') + kanji + "t", std::string(38, 't') + kanji},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.expected, CutSaveTitle(row.title.c_str()));
    }
}

TEST(SaveTexts, WrappedCommentKeepsCharactersWhole) {
    const std::string kanji = "\x88\x9F";
    std::string kanjis;
    for (int i = 0; i < 20; ++i) kanjis += kanji;
    const struct {
        const char* name;
        std::string comment;
        std::string expected;
    } cases[] = {
        {"short", "short", "short"},
        {"broken at 34 bytes", std::string(40, 'x'), std::string(34, 'x') + "\n" + std::string(6, 'x')},
        {"a character that would pass byte 34 starts the next line", std::string(33, 'x') + kanji,
         std::string(33, 'x') + "\n" + kanji},
        {"stored breaks kept", "one\r\ntwo\nthree", "one\ntwo\nthree"},
        {"at most four lines", std::string(139, 'y'),
         std::string(34, 'y') + "\n" + std::string(34, 'y') + "\n" + std::string(34, 'y') + "\n" + std::string(34, 'y')},
        {"two-byte lines", kanjis + kanjis, kanjis.substr(0, 34) + "\n" + kanjis.substr(34) + kanjis.substr(0, 28) + "\n" +
                                                kanjis.substr(28)},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.expected, WrapSaveComment(row.comment.c_str()));
    }
}

TEST_F(SaveFiles, CommentsThroughTheWriterAndTheRewrite) {
    m_appCfg.bytes[180] = 1;
    m_services.hasMessageText = true;
    m_services.messageText = std::string(150, 'c');
    ASSERT_EQ(0, m_engine->WriteSaveFile(1, 1));
    std::vector<std::uint8_t> file = ReadFile(SavePath(1, 1));
    EXPECT_EQ(std::string(139, 'c'), TextAt(file, S::kComment, 144));
    ASSERT_EQ(0, m_engine->Saves().RewriteSaveComment(1, 1, "new"));
    std::vector<std::uint8_t> rewritten = ReadFile(SavePath(1, 1));
    std::vector<std::uint8_t> expected = file;
    std::memcpy(expected.data() + S::kComment, "new", 4);
    EXPECT_EQ(expected, rewritten) << "only the new text and its zero change";
    // Without byte 180 no comment is stored.
    m_appCfg.bytes[180] = 0;
    ASSERT_EQ(0, m_engine->WriteSaveFile(1, 2));
    EXPECT_EQ("", TextAt(ReadFile(SavePath(1, 2)), S::kComment, 144));
    EXPECT_EQ(1, m_engine->Saves().RewriteSaveComment(1, 7, "x"));
    testsupport::WriteFile(SavePath(1, 8), std::vector<std::uint8_t>(S::kData, 'X'));
    EXPECT_EQ(2, m_engine->Saves().RewriteSaveComment(1, 8, "x"));
    EXPECT_EQ(std::vector<std::uint8_t>(S::kData, 'X'), ReadFile(SavePath(1, 8)));
}

TEST_F(SaveFiles, SlotInfoAndCaption) {
    SaveFileContent save;
    save.title = "Chapter \x88\x9F";
    save.comment = std::string(40, 'w');
    save.flag = 9;
    for (int i = 0; i < 120 * 68; ++i) {
        save.thumbnail.insert(save.thumbnail.end(), {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8), 0x42});
    }
    SaveSnapshot snapshot;
    snapshot.variables = SnapshotVariables();
    save.snapshot = snapshot.Bytes();
    testsupport::WriteFile(SavePath(5, 6), save.Bytes());
    // Thursday 29 February 2024, 13:05 (UTC, as the tests run).
    SYSTEMTIME when = {2024, 2, 4, 29, 13, 5, 30, 0};
    FILETIME time;
    SystemTimeToFileTime(&when, &time);
    HANDLE handle = CreateFileA(SavePath(5, 6).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, handle);
    ASSERT_TRUE(SetFileTime(handle, nullptr, nullptr, &time));
    CloseHandle(handle);

    const struct {
        std::int32_t separator;
        const char* text;
    } separators[] = {{0, " "}, {1, "\n"}, {2, "\r\n"}, {7, "\r\n"}};
    for (const auto& row : separators) {
        std::string caption;
        ASSERT_EQ(0, m_engine->Saves().FormatSaveSlotCaption(&caption, 5, 6, row.separator));
        EXPECT_EQ("『Chapter \x88\x9F』" + std::string(row.text) + "【記録日時 2024/02/29(木) 13:05】", caption);
    }
    std::string caption;
    EXPECT_EQ(1, m_engine->Saves().FormatSaveSlotCaption(nullptr, 5, 6, 0));
    EXPECT_EQ(2, m_engine->Saves().FormatSaveSlotCaption(&caption, 5, 7, 0));
    EXPECT_EQ(-1, m_engine->Saves().FormatSaveSlotCaption(&caption, 9, -1, 0));

    TestPicture image(120, 68, 0);
    char title[44];
    char comment[144];
    std::uint8_t flag = 0;
    std::string date;
    ASSERT_EQ(0, m_engine->Saves().ReadSaveSlotInfo(5, 6, &image.picture, title, comment, true, &flag, &date));
    EXPECT_EQ(0xFF420000u, image.pixels[0]);
    EXPECT_EQ(0x42u << 16 | ((120 * 68 - 1) & 0xFFFF), image.pixels[120 * 68 - 1] & 0xFFFFFFu);
    EXPECT_STREQ("Chapter \x88\x9F", title);
    EXPECT_EQ(std::string(34, 'w') + "\n" + std::string(6, 'w'), std::string(comment));
    EXPECT_EQ(9, flag);
    EXPECT_EQ("2024/02/29(木) 13:05", date);
    ASSERT_EQ(0, m_engine->Saves().ReadSaveSlotInfo(5, 6, nullptr, nullptr, comment, false, nullptr, nullptr));
    EXPECT_EQ(save.comment, std::string(comment));

    SaveFileContent empty = save;
    empty.comment = "";
    testsupport::WriteFile(SavePath(5, 7), empty.Bytes());
    std::memset(comment, 'z', sizeof(comment));
    ASSERT_EQ(0, m_engine->Saves().ReadSaveSlotInfo(5, 7, nullptr, nullptr, comment, true, nullptr, nullptr));
    EXPECT_EQ(std::vector<char>(4, 0), std::vector<char>(comment, comment + 4));
    EXPECT_EQ('z', comment[4]);

    const TestPicture noPixels(0, 0);
    EXPECT_EQ(1, m_engine->Saves().ReadSaveSlotInfo(5, 6, &noPixels.picture, nullptr, nullptr, false, nullptr, nullptr));
    EXPECT_EQ(2, m_engine->Saves().ReadSaveSlotInfo(5, 8, nullptr, title, nullptr, false, nullptr, nullptr));
    SaveFileContent wrong = save;
    wrong.magic = "HNQ1";
    testsupport::WriteFile(SavePath(5, 8), wrong.Bytes());
    EXPECT_EQ(3, m_engine->Saves().ReadSaveSlotInfo(5, 8, nullptr, title, nullptr, false, nullptr, nullptr));
    EXPECT_EQ(3, m_engine->Saves().FormatSaveSlotCaption(&caption, 5, 8, 0));
}

TEST_F(SaveFiles, CopyAndDelete) {
    ASSERT_EQ(0, m_engine->WriteSaveFile(1, 1));
    const std::vector<std::uint8_t> file = ReadFile(SavePath(1, 1));
    testsupport::WriteFile(SavePath(2, 2), std::vector<std::uint8_t>{1, 2, 3});
    EXPECT_EQ(0, m_engine->Saves().CopySaveFile(1, 1, 2, 2));
    EXPECT_EQ(file, ReadFile(SavePath(2, 2)));
    EXPECT_EQ(1, m_engine->Saves().CopySaveFile(1, 9, 2, 2));
    EXPECT_EQ(0, m_engine->Saves().DeleteSaveFile(1, 1));
    EXPECT_FALSE(testsupport::FileExists(SavePath(1, 1)));
    EXPECT_EQ(1, m_engine->Saves().DeleteSaveFile(1, 1));
}

// The game state a failed load must leave alone.
struct GameState {
    std::vector<std::vector<std::uint8_t>> variables;
    std::string history;
    std::uint8_t tgsState;
    int releasedBuffers;
    bool hasChoice;
    bool operator==(const GameState& other) const {
        return variables == other.variables && history == other.history && tgsState == other.tgsState &&
               releasedBuffers == other.releasedBuffers && hasChoice == other.hasChoice;
    }
};

class SaveRefusal : public SaveGame {
protected:
    void SetUp() override {
        SaveGame::SetUp();
        m_services.hasFrame = true;
        Fill(0, 0x31);
        m_engine->TakeChoiceSnapshot();
    }
    GameState State() {
        return {AllValues(), m_services.history, m_services.tgsState, m_services.releasedBuffers,
                m_engine->HasChoiceSnapshot()};
    }
    static SaveSnapshot GoodSnapshot() {
        SaveSnapshot snapshot;
        snapshot.variables = {{0, std::vector<std::uint8_t>(64, 0xA0)}, {1, std::vector<std::uint8_t>(16, 0xA1)}};
        snapshot.withHistory = true;
        snapshot.history = {'H', 3, 'n', 'e', 'w'};
        snapshot.tgsState = {'T', 'G', 'S', 99};
        return snapshot;
    }
};

TEST_F(SaveRefusal, DamagedFilesChangeNothing) {
    SaveFileContent good;
    good.snapshot = GoodSnapshot().Bytes();
    auto with = [&](auto change) {
        SaveFileContent save = good;
        change(save);
        return save.Bytes();
    };
    auto snapshotWith = [&](auto change) {
        SaveSnapshot snapshot = GoodSnapshot();
        change(snapshot);
        SaveFileContent save = good;
        save.snapshot = snapshot.Bytes();
        return save.Bytes();
    };
    std::vector<std::uint8_t> damagedPacking = good.Bytes();
    damagedPacking.resize(damagedPacking.size() - 3);
    testsupport::RepairSaveLengths(damagedPacking);
    const struct {
        const char* name;
        std::vector<std::uint8_t> file;
        int expected;
        int refuse;  // 1 the history stub refuses, 2 the TGS stub
    } cases[] = {
        {"wrong magic", with([](SaveFileContent& s) { s.magic = "HNQ1"; }), 3, 0},
        {"word at 4 not 0", with([](SaveFileContent& s) { s.headerWord = 1; }), 5, 0},
        {"wrong checksum", with([](SaveFileContent& s) { s.checksumField = 0x5A; }), 3, 0},
        {"damaged packing", damagedPacking, 3, 0},
        {"stored length past the file", with([](SaveFileContent& s) { s.storedLengthField = 100000; }), 3, 0},
        {"unpacked length beyond any packing", with([](SaveFileContent& s) { s.unpackedLengthField = 0x7FFFFFFF; }), 3, 0},
        {"history refused", good.Bytes(), 4, 1},
        {"TGS state refused", good.Bytes(), 4, 2},
        {"kind mismatch", snapshotWith([](SaveSnapshot& s) { s.variables[1].kind = 0; }), 4, 0},
        {"variable bytes missing", snapshotWith([](SaveSnapshot& s) {
             s.variables[1].bytes.resize(3);
             s.withHistory = false;
             s.historyByte = -1;
             s.tgsState.clear();
         }),
         4, 0},
        {"history byte 2", snapshotWith([](SaveSnapshot& s) { s.historyByte = 2; }), 4, 0},
        {"TGS state missing", snapshotWith([](SaveSnapshot& s) { s.tgsState.clear(); }), 4, 0},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        m_services.refuseHistoryRead = row.refuse == 1;
        m_services.refuseTgsRead = row.refuse == 2;
        const GameState before = State();
        EXPECT_EQ(row.expected, m_engine->ReadSaveFileBytes(row.file.data(), row.file.size(), 0));
        EXPECT_TRUE(before == State());
    }
    m_services.refuseHistoryRead = false;
    m_services.refuseTgsRead = false;
    const std::vector<std::uint8_t> file = good.Bytes();
    EXPECT_EQ(0, m_engine->ReadSaveFileBytes(file.data(), file.size(), 0));
    EXPECT_EQ("new", m_services.history);
    EXPECT_FALSE(m_engine->HasChoiceSnapshot());
}

TEST_F(SaveRefusal, AChoiceSnapshotPastTheEndIsRefused) {
    SaveSnapshot snapshot = GoodSnapshot();
    snapshot.tgsState.clear();
    std::vector<std::uint8_t> bytes = snapshot.Bytes();
    testsupport::PutWord(bytes, bytes.size() - 4, 5);  // m = 5 with no bytes after it
    m_services.hasFrame = false;
    const GameState before = State();
    EXPECT_EQ(3, m_engine->RestoreStateSnapshot(bytes.data(), bytes.size()));
    EXPECT_TRUE(before == State());
    EXPECT_EQ(1, m_engine->RestoreStateSnapshot(nullptr, 0));
}

TEST_F(SaveRefusal, AFileCutAtEveryLengthIsRefused) {
    SaveFileContent save;
    save.snapshot = GoodSnapshot().Bytes();
    const std::vector<std::uint8_t> file = save.Bytes();
    const GameState before = State();
    bool allRefused = true;
    for (std::size_t length = 0; length < file.size(); ++length) {
        const int result = m_engine->ReadSaveFileBytes(file.data(), length, 0);
        allRefused = allRefused && (result == 3 || result == 4);
    }
    EXPECT_TRUE(allRefused);
    EXPECT_TRUE(before == State());
}

TEST_F(SaveRefusal, OffsetFieldsAreCheckedToo) {
    SaveFileContent save;
    save.snapshot = GoodSnapshot().Bytes();
    const std::vector<std::uint8_t> file = save.Bytes();
    // The length fields read at an offset: the save's own fields, or beyond the file.
    const GameState before = State();
    EXPECT_EQ(3, m_engine->ReadSaveFileBytes(file.data(), file.size(), static_cast<std::uint32_t>(file.size()) - 8));
    EXPECT_EQ(3, m_engine->ReadSaveFileBytes(file.data(), file.size(), 0xFFFFFFF0u));
    std::vector<std::uint8_t> longer = file;
    testsupport::PutWord(longer, S::kStoredLength, WordAt(file, S::kStoredLength) + 1);
    EXPECT_EQ(3, m_engine->ReadSaveFileBytes(longer.data(), longer.size(), S::kStoredLength));
    EXPECT_TRUE(before == State());
    // Embedded behind other bytes, a save reads from its fields alone.
    std::vector<std::uint8_t> embedded(S::kStoredLength, 'x');
    embedded.insert(embedded.end(), file.begin() + S::kStoredLength, file.end());
    EXPECT_EQ(0, m_engine->ReadSaveFileBytes(embedded.data(), embedded.size(), S::kStoredLength));
    EXPECT_EQ("new", m_services.history);
}

TEST_F(SaveRefusal, MutatedFilesGiveACodeOrACleanLoad) {
    SaveFileContent save;
    save.snapshot = GoodSnapshot().Bytes();
    for (bool pack : {true, false}) {
        save.pack = pack;
        const std::vector<std::uint8_t> file = save.Bytes();
        // The mutations aim at the fields from the flag byte on and at the snapshot.
        const std::vector<std::uint8_t> head(file.begin(), file.begin() + S::kFlag);
        const std::vector<std::uint8_t> tail(file.begin() + S::kFlag, file.end());
        int index = 0;
        for (const std::vector<std::uint8_t>& mutated : testsupport::MutatedCopies(tail, pack ? 24 : 25, 300)) {
            std::vector<std::uint8_t> copy = head;
            copy.insert(copy.end(), mutated.begin(), mutated.end());
            if (index++ % 2 == 0) {
                testsupport::RepairSaveLengths(copy);
            }
            const GameState before = State();
            const testsupport::GuardedBytes guarded(copy);
            const int result = m_engine->ReadSaveFileBytes(guarded.Data(), guarded.Size(), 0);
            ASSERT_TRUE(result == 0 || result == 3 || result == 4) << index << ": " << result;
            if (result != 0) {
                ASSERT_TRUE(before == State()) << index;
            }
        }
    }
}

}  // namespace
