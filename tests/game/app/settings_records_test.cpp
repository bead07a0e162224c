// The program's readers and writers of the five settings files, against bytes spelled from the
// file tables and files from the content writers.
#include "game/app/settings_records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>

#include "tests/support/image_buffer.h"
#include "tools/content/settings_file_writer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Prefix(const Bytes& file, std::size_t length) { return Bytes(file.begin(), file.begin() + length); }

Bytes Record(const std::uint8_t* data, std::size_t size) { return Bytes(data, data + size); }

// USER.CFG of a fresh game, spelled from the table: u16 72 and block 1, u16 14 and block 2,
// u16 17 and block 3, u16 0 (no chosen folder).
Bytes GoldenUserCfg() {
    Bytes file = {72, 0, 0, 1, 1, 1, 1, 1, 0, 0, 0, 1, 1, 0, 0, 1, 0, 0, 2, 1, 1, 0, 1, 2, 1, 1, 0, 0, 0};
    file.resize(2 + 72, 0);
    const Bytes rest = {14, 0, 0, 3, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0,
                        17, 0, 0, 1, 1, 0, 1, 0, 1, 1, 1, 1, 0, 0x00, 0x02, 1, 1, 0, 1, 0, 0};
    file.insert(file.end(), rest.begin(), rest.end());
    return file;
}

TEST(SettingsFiles, DefaultUserCfgIsTheTablesBytes) {
    const Bytes file = BuildUserCfgFile(UserCfgRecords());
    ASSERT_EQ(111u, file.size());
    EXPECT_EQ(GoldenUserCfg(), file);
    // The content writer spells the same defaults on its own.
    EXPECT_EQ(testsupport::BuildUserCfgFile(testsupport::DefaultUserCfg()), file);
}

TEST(SettingsFiles, DefaultAppCfgIsTheTablesBytes) {
    const Bytes file = BuildAppCfgFile(AppCfgBlock());
    ASSERT_EQ(200u, file.size());
    EXPECT_EQ(testsupport::BuildAppCfgFile(testsupport::DefaultAppCfgBlock()), file);
    const struct {
        const char* name;
        std::size_t at;
        Bytes bytes;
    } fields[] = {
        {"block length 196", 0, {196, 0, 0, 0}},
        {"hint delay 750", 4 + 20, {0xEE, 0x02, 0, 0}},
        {"history option 1000", 4 + 32, {0xE8, 0x03, 0, 0}},
        {"font face", 4 + 36, {0x82, 0x6C, 0x82, 0x72, 0x20, 0x83, 0x53, 0x83, 0x56, 0x83, 0x62, 0x83, 0x4E, 0}},
        {"text colour", 4 + 76, {0xA4, 0x95, 0xFD, 0x00}},
        {"master and BGM volumes", 4 + 88, {0, 1, 0, 0, 130, 0, 0, 0, 160, 0, 0, 0, 170, 0, 0, 0, 0, 1, 0, 0}},
        {"key codes", 4 + 113, {65, 44, 45, 30, 65, 66, 67, 68, 57, 50, 46, 210, 31, 14, 20, 201, 209, 1}},
        {"display bytes", 4 + 154, {0, 1, 0, 0, 0, 1, 0, 0, 1, 1, 0}},
        {"movie volume", 4 + 168, {0, 1, 0, 0}},
        {"tail", 4 + 186, {0, 0, 0, 0, 1, 1, 5, 0, 0, 0}},
    };
    for (const auto& field : fields) {
        SCOPED_TRACE(field.name);
        EXPECT_EQ(field.bytes, Bytes(file.begin() + field.at, file.begin() + field.at + field.bytes.size()));
    }
}

TEST(SettingsFiles, UserCfgAndAppCfgRoundTrip) {
    testsupport::UserCfgBlocks content = testsupport::PatternedUserCfg();
    content.folder = "D:\\Saves\\Game SaveData";
    const Bytes userFile = testsupport::BuildUserCfgFile(content);
    UserCfgRecords records;
    ASSERT_EQ(kSettingsRead, ReadUserCfgFile(userFile, records));
    EXPECT_EQ(content.folder, records.folder);
    EXPECT_EQ(userFile, BuildUserCfgFile(records));

    Bytes block(196);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i * 13 + 7);
    const Bytes appFile = testsupport::BuildAppCfgFile(block);
    AppCfgBlock app;
    ASSERT_EQ(kSettingsRead, ReadAppCfgFile(appFile, app));
    EXPECT_EQ(appFile, BuildAppCfgFile(app));
}

TEST(SettingsFiles, ShortAndLongBlocksKeepDefaultsAndFindLaterBlocks) {
    testsupport::UserCfgBlocks content = testsupport::PatternedUserCfg();
    content.blocks[0].resize(40);
    content.blocks[1].resize(20, 0xEE);  // six bytes more than the record: skipped
    content.blocks[2].resize(5);
    Bytes file = testsupport::BuildUserCfgFile(content);
    file.resize(file.size() - 2);  // no block 4
    UserCfgRecords records;
    records.folder = "C:\\Kept\\";
    ASSERT_EQ(kSettingsRead, ReadUserCfgFile(file, records));
    const UserCfgRecords defaults;
    Bytes expected1 = content.blocks[0];
    expected1.insert(expected1.end(), defaults.block1 + 40, defaults.block1 + 72);
    EXPECT_EQ(expected1, Record(records.block1, 72));
    EXPECT_EQ(Prefix(content.blocks[1], 14), Record(records.block2, 14));
    Bytes expected3 = content.blocks[2];
    expected3.insert(expected3.end(), defaults.block3 + 5, defaults.block3 + 17);
    EXPECT_EQ(expected3, Record(records.block3, 17));
    EXPECT_EQ("C:\\Kept\\", records.folder);
}

TEST(SettingsFiles, AppSysLengthsAndForcedValues) {
    Bytes given = testsupport::DefaultAppSysRecord();
    testsupport::SetField(given, 0, 2, 800);
    testsupport::SetField(given, 2, 2, 600);
    testsupport::SetField(given, 4, 4, 0x12345678);
    testsupport::SetField(given, 12, 2, 7);
    testsupport::SetField(given, 14, 2, 55);
    testsupport::SetField(given, 16, 2, 66);
    given[21] = 3;
    const struct {
        const char* name;
        std::size_t length;
        std::uint32_t width;
        std::uint32_t menu;
        std::uint8_t saveMode;
    } cases[] = {
        {"L = 10: the first ten bytes, defaults after", 10, 800, 0, 1},
        {"L = 23: the whole record", 23, 800, 101, 3},
        {"L = 30: the record, the rest skipped", 30, 800, 101, 3},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        Bytes record = given;
        record.resize(row.length, 0x5A);
        AppSysRecord read;
        ASSERT_EQ(kSettingsRead, ReadAppSysFile(testsupport::BuildAppSysFile(record), read));
        EXPECT_EQ(row.width, read.Half(SettingsFiles::AppSys::kGameWidth));
        EXPECT_EQ(0xCB0000u, read.Word(SettingsFiles::AppSys::kWindowStyle));
        EXPECT_EQ(103u, read.Half(SettingsFiles::AppSys::kIconId));
        EXPECT_EQ(row.menu, read.Half(SettingsFiles::AppSys::kMenuId));
        EXPECT_EQ(row.menu != 0 ? 102u : 0u, read.Half(SettingsFiles::AppSys::kAcceleratorId));
        EXPECT_EQ(row.saveMode, read.SaveFolderMode());
    }
}

TEST(SettingsFiles, AppInfTextsEndInsideTheirBuffers) {
    AppInfTexts texts;
    ASSERT_EQ(kSettingsRead, ReadAppInfFile(testsupport::BuildAppInfFile(1, 2, 'a', {"Title", "Product"}), texts));
    EXPECT_EQ("Title SaveData", texts.SaveFolderName());
    EXPECT_EQ("Product", texts.texts[1]);
    // A text without its NUL ends where its length says; the next text is still found.
    Bytes file = {1, 0, 0, 3, 'A', 'B', 'C', 2, 'P', 0};
    ASSERT_EQ(kSettingsRead, ReadAppInfFile(file, texts));
    EXPECT_EQ("ABC", texts.texts[0]);
    EXPECT_EQ("P", texts.texts[1]);
    EXPECT_EQ("ABC SaveData", texts.SaveFolderName());
    ASSERT_EQ(kSettingsRead, ReadAppInfFile(testsupport::BuildAppInfFile(1, 0, 0, {"T", "", "", "", "Own"}), texts));
    EXPECT_EQ("Own", texts.SaveFolderName());
}

// One reader over its file and the cut lengths at which the file reads as "the rest left out".
struct ReaderCase {
    const char* name;
    Bytes file;
    std::set<std::size_t> boundaries;
    // Reads into a fresh record; returns the result and the record's bytes.
    std::function<std::pair<int, Bytes>(const Bytes&)> read;
};

template <class Record>
Bytes BytesOf(const Record& record) {
    return Bytes(reinterpret_cast<const std::uint8_t*>(&record), reinterpret_cast<const std::uint8_t*>(&record) + sizeof(record));
}

std::vector<ReaderCase> ReaderCases() {
    testsupport::UserCfgBlocks user = testsupport::PatternedUserCfg();
    user.folder = "E:\\Folder";
    const Bytes inf = testsupport::BuildAppInfFile(1, 2, 3, {"Title", "Product", "Notice", "Web", "Save"});
    return {
        {"QL_APP.SYS", testsupport::BuildAppSysFile(testsupport::DefaultAppSysRecord()), {},
         [](const Bytes& f) {
             AppSysRecord r;
             const int result = ReadAppSysFile(f, r);
             return std::make_pair(result, BytesOf(r.bytes));
         }},
        {"QL_APP.INF", inf, {3, 10, 19, 27, 32},
         [](const Bytes& f) {
             AppInfTexts r;
             const int result = ReadAppInfFile(f, r);
             Bytes out = BytesOf(r.version);
             for (const std::string& t : r.texts) out.insert(out.end(), t.begin(), t.end() + 1);
             return std::make_pair(result, out);
         }},
        {"USER.CFG", testsupport::BuildUserCfgFile(user), {0, 74, 90, 109},
         [](const Bytes& f) {
             UserCfgRecords r;
             const int result = ReadUserCfgFile(f, r);
             Bytes out = BuildUserCfgFile(r);
             return std::make_pair(result, out);
         }},
        {"APP_CFG.DAT", testsupport::BuildAppCfgFile(testsupport::DefaultAppCfgBlock()), {},
         [](const Bytes& f) {
             AppCfgBlock r;
             std::memset(r.bytes, 0x33, sizeof(r.bytes));
             const int result = ReadAppCfgFile(f, r);
             return std::make_pair(result, BytesOf(r.bytes));
         }},
        {"SET_UP.IFG", testsupport::BuildSetUpFile("Key", 1), {},
         [](const Bytes& f) {
             SetUpInfo r;
             r.key = "none";
             const int result = ReadSetUpFile(f, r);
             Bytes out(r.key.begin(), r.key.end());
             out.push_back(r.scope);
             return std::make_pair(result, out);
         }},
    };
}

TEST(SettingsFiles, EveryCutReadsTheBlocksBeforeItOrNothing) {
    for (const ReaderCase& c : ReaderCases()) {
        SCOPED_TRACE(c.name);
        const auto untouched = c.read(Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}).second;
        ASSERT_EQ(kSettingsRead, c.read(c.file).first);
        for (std::size_t length = 0; length < c.file.size(); ++length) {
            SCOPED_TRACE(length);
            const auto [result, record] = c.read(Prefix(c.file, length));
            if (c.boundaries.count(length) != 0) {
                EXPECT_EQ(kSettingsRead, result);
            } else {
                EXPECT_EQ(kSettingsDamaged, result);
                EXPECT_EQ(untouched, record);
            }
        }
    }
}

TEST(SettingsFiles, DamagedCopiesAreReadWholeOrLeftAlone) {
    for (const ReaderCase& c : ReaderCases()) {
        SCOPED_TRACE(c.name);
        // What the reader's fresh record holds when nothing is read.
        const Bytes fresh = c.read(Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}).second;
        for (const Bytes& copy : testsupport::MutatedCopies(c.file, 2201, 300)) {
            const auto [result, record] = c.read(copy);
            EXPECT_TRUE(result == kSettingsRead || result == kSettingsDamaged || result == kSettingsNothing);
            if (result != kSettingsRead) {
                EXPECT_EQ(fresh, record);
            }
        }
    }
}

TEST(SettingsFiles, SetUpFileForms) {
    SetUpInfo info;
    EXPECT_EQ(kSettingsNothing, ReadSetUpFile(testsupport::BuildSetUpFile("Key", 0, -1, "IFG0"), info));
    EXPECT_EQ(kSettingsNothing, ReadSetUpFile(testsupport::BuildSetUpFile("", 0, 0), info));
    EXPECT_EQ(kSettingsDamaged, ReadSetUpFile(testsupport::BuildSetUpFile("Key", 0, 200), info));
    ASSERT_EQ(kSettingsRead, ReadSetUpFile(testsupport::BuildSetUpFile("Game_is1", 1), info));
    EXPECT_EQ("Game_is1", info.key);
    EXPECT_EQ(1, info.scope);
    // A key whose length leaves out the NUL still ends inside it; the scope is the next byte.
    Bytes file = {'I', 'F', 'G', '1', 3, 'K', 'e', 'y', 0};
    ASSERT_EQ(kSettingsRead, ReadSetUpFile(file, info));
    EXPECT_EQ("Key", info.key);
    EXPECT_EQ(0, info.scope);
}

}  // namespace
