#include "configtool/settings/description_file.h"

#include <gtest/gtest.h>

#include <random>

#include "configtool/settings/config_messages.h"
#include "tools/content/byte_words.h"
#include "tests/support/config_description_writer.h"

namespace {

using testsupport::BuildConfigDescription;
using testsupport::DescriptionGroup;
using testsupport::DescriptionItem;
using testsupport::MakeDescriptionItem;

std::vector<DescriptionGroup> SampleGroups() {
    DescriptionItem choice = MakeDescriptionItem(0, 2, 16, 1, "入力方法", {"DirectInput", "API", "メッセージ"}, 2);
    choice.description = "入力の読み方";
    DescriptionItem number = MakeDescriptionItem(1, 4, 11, 2, "キャッシュ", {"個"}, 512);
    DescriptionItem text = MakeDescriptionItem(3, 1, 7, 0, "フォルダ名", {"Sample Save"});
    return {DescriptionGroup{"表示", {choice, number}}, DescriptionGroup{"空", {}}, DescriptionGroup{"保存", {text}}};
}

struct Loaded {
    std::int32_t result = -100;
    const char* error = nullptr;
    std::vector<ConfigGroup> groups;
    ConfigItemList items;
};

Loaded Load(const std::vector<std::uint8_t>& bytes) {
    Loaded loaded;
    try {
        loaded.result = ReadConfigDescription(bytes.data(), static_cast<std::uint32_t>(bytes.size()), loaded.groups,
                                              loaded.items);
    } catch (const ConfigMessageError& error) {
        loaded.error = error.text;
    }
    return loaded;
}

TEST(DescriptionFileTest, ReadsGroupsAndItemsInFileOrder) {
    Loaded loaded = Load(BuildConfigDescription(SampleGroups(), "CCI0"));
    ASSERT_EQ(0, loaded.result);
    ASSERT_EQ(3u, loaded.groups.size());
    EXPECT_EQ("表示", loaded.groups[0].title);
    EXPECT_TRUE(loaded.groups[1].items.empty());
    ASSERT_EQ(3u, loaded.items.size());
    EXPECT_EQ((std::vector<std::size_t>{2}), loaded.groups[2].items);
    const ConfigItem& choice = *loaded.items[0];
    EXPECT_EQ(2, choice.record);
    EXPECT_EQ(16u, choice.offset);
    EXPECT_EQ(2, choice.value);
    EXPECT_TRUE(choice.hasDescription);
    EXPECT_EQ("入力の読み方", choice.description);
    EXPECT_FALSE(loaded.items[1]->hasDescription);
    EXPECT_EQ("Sample Save", loaded.items[2]->text);
}

TEST(DescriptionFileTest, OtherMagicIsRefusedBeforeAnythingIsRead) {
    Loaded loaded = Load(BuildConfigDescription(SampleGroups(), "CCI1"));
    EXPECT_EQ(2, loaded.result);
    EXPECT_TRUE(loaded.items.empty());
    EXPECT_EQ(2, Load({'C', 'C'}).result);
}

TEST(DescriptionFileTest, AnItemWithoutNameAnywhereDiscardsTheWholeDescription) {
    std::vector<DescriptionGroup> groups = SampleGroups();
    groups[2].items[0].zeroNameLength = true;
    Loaded loaded = Load(BuildConfigDescription(groups));
    EXPECT_STREQ(ConfigMessages::kUntitledItem, loaded.error);
    EXPECT_TRUE(loaded.items.empty());
    EXPECT_TRUE(loaded.groups.empty());
}

TEST(DescriptionFileTest, EveryCutOfAGoodFileIsRefusedWithoutReadingPastIt) {
    const std::vector<std::uint8_t> good = BuildConfigDescription(SampleGroups());
    for (std::size_t size = 4; size < good.size(); ++size) {
        // A copy of exactly `size` bytes, so that a read past it is a read past the allocation.
        std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
        Loaded loaded = Load(cut);
        EXPECT_STREQ(ConfigMessages::kBadFile, loaded.error) << "cut at " << size;
        EXPECT_TRUE(loaded.items.empty());
    }
}

TEST(DescriptionFileTest, OversizedLengthsAndCountsAreRefused) {
    const std::vector<std::uint8_t> good = BuildConfigDescription(SampleGroups());
    // Offsets into the sample: magic 4, group count 4, then the first title.
    const std::size_t titleLength = 8;
    const std::size_t firstItem = titleLength + 4 + 5 + 4;  // title "表示" (4 bytes) + NUL, item count
    const std::size_t nameLength = firstItem + 1 + 1 + 4 + 1;
    struct Case {
        const char* what;
        std::size_t at;
        std::uint32_t value;
    } cases[] = {
        {"group count beyond the data", 4, 0x7FFFFFFF},
        {"title length beyond the data", titleLength, 0xFFFFFFF0},
        {"item count beyond the data", titleLength + 4 + 5, 1000},
        {"name length beyond the data", nameLength, 0x10000},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bad = good;
        testsupport::PutWord(bad, c.at, c.value);
        Loaded loaded = Load(bad);
        // Refused, by whichever check the misread data meets first.
        EXPECT_NE(nullptr, loaded.error) << c.what;
        EXPECT_TRUE(loaded.items.empty()) << c.what;
    }
}

TEST(DescriptionFileTest, TitlesAndTextsLongerThanTheirBuffersAreRefused) {
    struct Case {
        const char* what;
        std::size_t titleLength;
        std::size_t textLength;
        bool accepted;
    } cases[] = {
        {"title of 1023 bytes", 1023, 10, true},
        {"title of 1024 bytes", 1024, 10, false},
        {"text of 259 characters", 10, 259, true},
        {"text of 260 characters", 10, 260, false},
    };
    for (const Case& c : cases) {
        DescriptionItem text = MakeDescriptionItem(3, 5, 0, 0, "t", {std::string(c.textLength, 'x')});
        Loaded loaded = Load(BuildConfigDescription({DescriptionGroup{std::string(c.titleLength, 'T'), {text}}}));
        EXPECT_EQ(c.accepted, loaded.error == nullptr) << c.what;
    }
}

TEST(DescriptionFileTest, StringsEndAtTheirFirstNul) {
    DescriptionItem item = MakeDescriptionItem(0, 2, 0, 1, std::string("ab\0cd", 5), {"x"});
    Loaded loaded = Load(BuildConfigDescription({DescriptionGroup{"g", {item}}}));
    ASSERT_EQ(0, loaded.result);
    EXPECT_EQ("ab", loaded.items[0]->name);
}

TEST(DescriptionFileTest, UnknownItemTypesAreRefused) {
    DescriptionItem item = MakeDescriptionItem(8, 2, 0, 1, "x");
    EXPECT_STREQ(ConfigMessages::kBadFile, Load(BuildConfigDescription({DescriptionGroup{"g", {item}}})).error);
}

TEST(DescriptionFileTest, DamagedCopiesFailCleanlyOrLoadConsistently) {
    const std::vector<std::uint8_t> good = BuildConfigDescription(SampleGroups());
    std::mt19937 random(20);
    for (int round = 0; round < 400; ++round) {
        std::vector<std::uint8_t> bad = good;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < flips; ++i) bad[random() % bad.size()] = static_cast<std::uint8_t>(random());
        if (random() % 3 == 0) bad.resize(random() % bad.size());
        Loaded loaded = Load(bad);
        if (loaded.result != 0) {
            EXPECT_TRUE(loaded.items.empty());
            continue;
        }
        // What loads is whole: the groups name every item once.
        std::size_t named = 0;
        for (const ConfigGroup& group : loaded.groups) named += group.items.size();
        EXPECT_EQ(loaded.items.size(), named);
        for (const auto& item : loaded.items) EXPECT_LE(item->text.size(), kConfigTextMaxLength);
    }
}

TEST(OverrideFileTest, ReadsRecordsOneByOneAndRefusesACutOne) {
    std::vector<testsupport::OverrideRecord> records(2);
    records[0].type = 3;
    records[0].text = "後で";
    records[1].value = 7;
    std::vector<std::uint8_t> bytes = testsupport::BuildConfigOverrides(records);
    OverrideReader reader(bytes.data(), static_cast<std::uint32_t>(bytes.size() - 1));
    ASSERT_TRUE(reader.Open());
    ConfigOverride record;
    ASSERT_TRUE(reader.Next(record));
    EXPECT_EQ("後で", record.text);
    EXPECT_THROW(reader.Next(record), ConfigMessageError);

    OverrideReader whole(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    ASSERT_TRUE(whole.Open());
    ASSERT_TRUE(whole.Next(record));
    ASSERT_TRUE(whole.Next(record));
    EXPECT_EQ(7, record.value);
    EXPECT_FALSE(whole.Next(record));

    std::vector<std::uint8_t> other = testsupport::BuildConfigOverrides(records, "CCI2");
    EXPECT_FALSE(OverrideReader(other.data(), static_cast<std::uint32_t>(other.size())).Open());
}

TEST(OverrideFileTest, DamagedCopiesFailCleanly) {
    std::vector<testsupport::OverrideRecord> records(3);
    records[1].type = 3;
    records[1].text = "文字列";
    const std::vector<std::uint8_t> good = testsupport::BuildConfigOverrides(records);
    std::mt19937 random(21);
    for (int round = 0; round < 300; ++round) {
        std::vector<std::uint8_t> bad = good;
        bad[random() % bad.size()] = static_cast<std::uint8_t>(random());
        if (random() % 2) bad.resize(random() % bad.size());
        OverrideReader reader(bad.data(), static_cast<std::uint32_t>(bad.size()));
        if (!reader.Open()) continue;
        ConfigOverride record;
        int count = 0;
        try {
            while (reader.Next(record)) {
                ++count;
                EXPECT_LE(record.text.size(), kConfigTextMaxLength);
            }
        } catch (const ConfigMessageError& error) {
            EXPECT_STREQ(ConfigMessages::kBadFile, error.text);
        }
        EXPECT_LE(count, static_cast<int>(bad.size()));
    }
}

TEST(DescriptionWriterTest, PlayerDescriptionHoldsOnlyShownItemsWithCurrentValues) {
    Loaded loaded = Load(BuildConfigDescription(SampleGroups()));
    ASSERT_EQ(0, loaded.result);
    loaded.items[0]->value = 1;
    loaded.items[1]->treeState = kHiddenFromPlayers;
    loaded.items[2]->text.clear();
    const std::vector<std::uint8_t> written = BuildPlayerDescription(loaded.groups, loaded.items);
    Loaded again = Load(written);
    ASSERT_EQ(0, again.result);
    ASSERT_EQ(2u, again.groups.size());
    ASSERT_EQ(2u, again.items.size());
    EXPECT_EQ(1, again.items[0]->defaultValue);
    // An empty text is written without a default string.
    EXPECT_TRUE(again.items[1]->choices.empty());
    EXPECT_EQ("", again.items[1]->text);
}

TEST(DescriptionWriterTest, NoShownItemGivesNoGroup) {
    Loaded loaded = Load(BuildConfigDescription(SampleGroups()));
    for (auto& item : loaded.items) item->treeState = kFixedHidden;
    const std::vector<std::uint8_t> written = BuildPlayerDescription(loaded.groups, loaded.items);
    EXPECT_EQ(8u, written.size());
    EXPECT_EQ(0u, testsupport::WordAt(written, 4));
}

TEST(DescriptionWriterTest, LongGroupTitlesAreWrittenWhole) {
    const std::string title(700, 'G');
    DescriptionItem item = MakeDescriptionItem(0, 2, 0, 1, "i", {"a"});
    Loaded loaded = Load(BuildConfigDescription({DescriptionGroup{title, {item}}}));
    ASSERT_EQ(0, loaded.result);
    Loaded again = Load(BuildPlayerDescription(loaded.groups, loaded.items));
    ASSERT_EQ(0, again.result);
    EXPECT_EQ(title, again.groups[0].title);
}

}  // namespace
