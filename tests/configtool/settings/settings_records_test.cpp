#include "configtool/settings/settings_records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "configtool/settings/config_messages.h"
#include "tools/content/settings_file_writer.h"

namespace {

using namespace testsupport;

ConfigItem NumberItem(std::uint8_t record, std::uint32_t offset, std::uint8_t width, std::uint8_t type = 1) {
    ConfigItem item;
    item.record = record;
    item.offset = offset;
    item.width = width;
    item.type = type;
    item.name = "n";
    return item;
}

ConfigItem TextItem(std::uint8_t record, std::uint32_t offset) {
    ConfigItem item = NumberItem(record, offset, 0, ConfigText);
    return item;
}

const char* WriteError(SettingsRecords& records, const ConfigItem& item) {
    try {
        WriteItemToRecords(records, item);
    } catch (const ConfigMessageError& error) {
        return error.text;
    }
    return nullptr;
}

TEST(SettingsRecordsTest, DefaultsAreThoseOfAFreshGame) {
    SettingsRecords records;
    EXPECT_EQ(BuildAppSysFile(DefaultAppSysRecord()), BuildAppSys(records));
    const std::vector<std::uint8_t> userCfg = BuildUserCfg(records);
    ASSERT_EQ(2u + 72 + 2 + 14 + 2 + 17 + 2, userCfg.size());
    const std::uint8_t block1[27] = {0, 1, 1, 1, 1, 1, 0, 0, 0, 1, 1, 0, 0, 1, 0, 0, 2, 1, 1, 0, 1, 2, 1, 1, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(block1, userCfg.data() + 2, sizeof block1));
    const std::uint8_t block2[14] = {0, 3, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(block2, userCfg.data() + 76, sizeof block2));
    const std::uint8_t block3[17] = {0, 1, 1, 0, 1, 0, 1, 1, 1, 1, 0, 0x00, 0x02, 1, 1, 0, 1};
    EXPECT_EQ(0, std::memcmp(block3, userCfg.data() + 92, sizeof block3));
    EXPECT_EQ((std::vector<std::uint8_t>{1, 0, 0, 0, 0, 0, 0, 0}), BuildAppInf(records));
}

TEST(SettingsRecordsTest, FilesReadBackAsTheyWereWritten) {
    UserCfgBlocks content = PatternedUserCfg();
    content.folder = "D:\\セーブ";
    const std::vector<std::uint8_t> userCfg = BuildUserCfgFile(content);
    std::vector<std::uint8_t> sys = DefaultAppSysRecord();
    sys[21] = 3;
    const std::vector<std::uint8_t> appInf = BuildAppInfFile(1, 2, 11, {"Sample", "", "注意", "", "Own"});
    SettingsRecords records;
    ASSERT_TRUE(ReadAppSys(BuildAppSysFile(sys).data(), 25, records));
    ASSERT_TRUE(ReadAppInf(appInf.data(), static_cast<std::uint32_t>(appInf.size()), records));
    ReadUserCfg(userCfg.data(), static_cast<std::uint32_t>(userCfg.size()), records);
    EXPECT_EQ(3, records.SaveFolderMode());
    EXPECT_EQ("Sample", records.Title());
    EXPECT_EQ("Own", records.appInfStrings[4]);
    EXPECT_EQ(userCfg, BuildUserCfg(records));
    EXPECT_EQ(appInf, BuildAppInf(records));
    EXPECT_EQ(BuildAppSysFile(sys), BuildAppSys(records));
}

TEST(SettingsRecordsTest, LengthsNeverCopyMoreThanARecordOrReadPastTheData) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> file;
    };
    std::vector<std::uint8_t> longBlock = BuildUserCfgFile(PatternedUserCfg());
    // A first block that claims 300 bytes and a file that ends inside it.
    longBlock[0] = 300 & 0xFF;
    longBlock[1] = 300 >> 8;
    std::vector<std::uint8_t> shortFile = BuildUserCfgFile(PatternedUserCfg());
    shortFile.resize(40);
    const Case cases[] = {{"block length above the record and the data", longBlock},
                          {"file ends inside the first block", shortFile},
                          {"only a length", {0x48, 0x00}},
                          {"one byte", {0x48}},
                          {"nothing", {}}};
    for (const Case& c : cases) {
        SettingsRecords records;
        // Copies of exactly the file's size, so that an over-read reads past the allocation.
        std::vector<std::uint8_t> copy(c.file);
        ReadUserCfg(copy.empty() ? nullptr : copy.data(), static_cast<std::uint32_t>(copy.size()), records);
        SettingsRecords defaults;
        if (copy.size() > 2) {
            EXPECT_EQ(0, std::memcmp(records.block1, copy.data() + 2, std::min<std::size_t>(copy.size() - 2, 72)))
                << c.what;
        }
        EXPECT_EQ(0, std::memcmp(records.block2, defaults.block2, 14)) << c.what;
        EXPECT_EQ(0, std::memcmp(records.block3, defaults.block3, 17)) << c.what;
    }
    SettingsRecords records;
    std::vector<std::uint8_t> sys = BuildAppSysFile(std::vector<std::uint8_t>(40, 9), 40);
    ASSERT_TRUE(ReadAppSys(sys.data(), static_cast<std::uint32_t>(sys.size()), records));
    EXPECT_EQ(9, records.appSys[22]);
    std::vector<std::uint8_t> tiny = {0xFF, 0xFF, 7};
    SettingsRecords other;
    ASSERT_TRUE(ReadAppSys(tiny.data(), 3, other));
    EXPECT_EQ(7, other.appSys[0]);
    EXPECT_EQ(480 & 0xFF, other.appSys[2]);
    EXPECT_FALSE(ReadAppSys(tiny.data(), 1, other));
    EXPECT_FALSE(ReadAppInf(tiny.data(), 2, other));
}

TEST(SettingsRecordsTest, DamagedSettingsFilesLoadConsistently) {
    UserCfgBlocks content = PatternedUserCfg();
    content.folder = "C:\\x";
    const std::vector<std::uint8_t> userCfg = BuildUserCfgFile(content);
    const std::vector<std::uint8_t> appInf = BuildAppInfFile(1, 0, 0, {"T", "P", "N", "W", "S"});
    std::mt19937 random(104);
    for (int round = 0; round < 300; ++round) {
        std::vector<std::uint8_t> user = userCfg;
        std::vector<std::uint8_t> inf = appInf;
        user[random() % user.size()] = static_cast<std::uint8_t>(random());
        inf[random() % inf.size()] = static_cast<std::uint8_t>(random());
        if (random() % 2) user.resize(random() % user.size());
        if (random() % 2) inf.resize(random() % inf.size());
        SettingsRecords records;
        ReadUserCfg(user.data(), static_cast<std::uint32_t>(user.size()), records);
        ReadAppInf(inf.data(), static_cast<std::uint32_t>(inf.size()), records);
        // Whatever was read writes out in the proper layouts and reads back the same.
        SettingsRecords again;
        const std::vector<std::uint8_t> writtenUser = BuildUserCfg(records);
        const std::vector<std::uint8_t> writtenInf = BuildAppInf(records);
        ReadUserCfg(writtenUser.data(), static_cast<std::uint32_t>(writtenUser.size()), again);
        ASSERT_TRUE(ReadAppInf(writtenInf.data(), static_cast<std::uint32_t>(writtenInf.size()), again));
        EXPECT_EQ(writtenUser, BuildUserCfg(again));
        EXPECT_EQ(writtenInf, BuildAppInf(again));
    }
}

TEST(SettingsRecordsTest, ItemsReadAndWriteTheirBytesLittleEndian) {
    SettingsRecords records;
    ConfigItem item = NumberItem(kUserCfgBlock3, 11, 2);
    EXPECT_TRUE(ReadItemFromRecords(records, item));
    EXPECT_EQ(512, item.value);
    item.value = 0x1234;
    WriteItemToRecords(records, item);
    EXPECT_EQ(0x34, records.block3[11]);
    EXPECT_EQ(0x12, records.block3[12]);
    ConfigItem wide = NumberItem(kAppSysRecord, 4, 4);
    ReadItemFromRecords(records, wide);
    EXPECT_EQ(0x00CA0000, wide.value);
}

TEST(SettingsRecordsTest, ItemsOutsideTheirRecordReadZeroAndAreRefusedOnSave) {
    struct Case {
        const char* what;
        ConfigItem item;
        const char* error;
    } cases[] = {
        {"width 0", NumberItem(kUserCfgBlock1, 0, 0), ConfigMessages::kBadIndex},
        {"width 5", NumberItem(kUserCfgBlock1, 0, 5), ConfigMessages::kBadIndex},
        {"past the end of block 2", NumberItem(kUserCfgBlock2, 13, 2), ConfigMessages::kBadIndex},
        {"huge offset", NumberItem(kUserCfgBlock3, 0xFFFFFFFE, 4), ConfigMessages::kBadIndex},
        {"number in the folder record", NumberItem(kUserCfgFolder, 0, 1), ConfigMessages::kBadIndex},
        {"record 6", NumberItem(6, 0, 1), ConfigMessages::kBadIndex},
        {"text in record 6", TextItem(6, 0), ConfigMessages::kBadIndex},
        {"text in block 1", TextItem(kUserCfgBlock1, 0), ConfigMessages::kBadStringItem},
        {"last byte of block 2", NumberItem(kUserCfgBlock2, 13, 1), nullptr},
        {"header of QL_APP.INF", NumberItem(kAppInfRecord, 0, 3), nullptr},
    };
    for (Case& c : cases) {
        SettingsRecords records;
        std::memset(records.block2, 0x5A, sizeof records.block2);
        c.item.value = 77;
        ReadItemFromRecords(records, c.item);
        if (c.error && c.item.type != ConfigText) {
            EXPECT_EQ(0, c.item.value) << c.what;
        }
        const SettingsRecords before = records;
        c.item.value = 0x01020304;
        EXPECT_EQ(c.error, WriteError(records, c.item)) << c.what;
        if (c.error) {
            EXPECT_EQ(0, std::memcmp(&before.block2, &records.block2, 14)) << c.what;
        }
    }
}

TEST(SettingsRecordsTest, ScreenModesReadAndWriteBothBytes) {
    struct Case {
        std::uint8_t depth;
        std::int32_t read;
    } reads[] = {{16, 0}, {24, 1}, {32, 2}, {3, 3}, {0, -2}};
    for (const Case& c : reads) {
        SettingsRecords records;
        records.block2[1] = c.depth;
        ConfigItem item = NumberItem(kUserCfgBlock2, 0, 1, ConfigScreenMode);
        item.value = 99;
        ReadItemFromRecords(records, item);
        EXPECT_EQ(c.read, item.value) << int(c.depth);
    }
    struct Write {
        std::int32_t value;
        std::uint8_t mode;
        std::uint8_t depth;
    } writes[] = {{0, 1, 16}, {1, 1, 24}, {2, 1, 32}, {3, 2, 3}, {9, 1, 77}};
    for (const Write& w : writes) {
        SettingsRecords records;
        records.block2[0] = 0;
        records.block2[1] = 77;
        ConfigItem item = NumberItem(kUserCfgBlock2, 0, 1, ConfigScreenMode);
        item.value = w.value;
        WriteItemToRecords(records, item);
        EXPECT_EQ(w.mode, records.block2[0]) << w.value;
        EXPECT_EQ(w.depth, records.block2[1]) << w.value;
    }
}

TEST(SettingsRecordsTest, TextItemsNameTheirStringSlots) {
    SettingsRecords records;
    records.appInfStrings[0] = "Title";
    records.folder = "F:\\saves";
    ConfigItem title = TextItem(kAppInfRecord, 3);
    ConfigItem folder = TextItem(kUserCfgFolder, 0);
    ConfigItem header = TextItem(kAppInfRecord, 2);
    header.text = "kept";
    EXPECT_TRUE(ReadItemFromRecords(records, title));
    EXPECT_EQ("Title", title.text);
    ReadItemFromRecords(records, folder);
    EXPECT_EQ("F:\\saves", folder.text);
    ReadItemFromRecords(records, header);
    EXPECT_EQ("", header.text);

    header.text = "never";
    WriteItemToRecords(records, header);
    EXPECT_EQ(1, records.appInfHeader[0]);
    ConfigItem saveName = TextItem(kAppInfRecord, 7);
    saveName.text = "My Saves";
    WriteItemToRecords(records, saveName);
    EXPECT_EQ("My Saves", records.appInfStrings[4]);
    title.text = "";
    WriteItemToRecords(records, title);
    EXPECT_EQ(0, BuildAppInf(records)[3]);
}

TEST(SettingsRecordsTest, ApplicationStringsOver254CharactersNeverWrapTheirLength) {
    SettingsRecords records;
    // A two-byte character straddles the limit, so the cut falls before it.
    ConfigItem title = TextItem(kAppInfRecord, 3);
    title.text = std::string(253, 'a') + "表";
    WriteItemToRecords(records, title);
    EXPECT_EQ(std::string(253, 'a'), records.appInfStrings[0]);
    records.appInfStrings[1] = std::string(259, 'b');
    const std::vector<std::uint8_t> inf = BuildAppInf(records);
    EXPECT_EQ(254, inf[3]);
    EXPECT_EQ(255, inf[3 + 1 + 254]);
    SettingsRecords again;
    ASSERT_TRUE(ReadAppInf(inf.data(), static_cast<std::uint32_t>(inf.size()), again));
    EXPECT_EQ(std::string(254, 'b'), again.appInfStrings[1]);
}

}  // namespace
