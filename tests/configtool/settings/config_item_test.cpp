#include "configtool/settings/config_item.h"

#include <gtest/gtest.h>

namespace {

ConfigItem Item(std::uint8_t type, std::int32_t value, std::vector<std::string> choices) {
    ConfigItem item;
    item.name = "名前";
    item.type = type;
    item.value = value;
    item.choices = std::move(choices);
    return item;
}

TEST(ConfigItemTest, LabelsShowTheValueByType) {
    struct Case {
        const char* what;
        ConfigItem item;
        std::string label;
    } cases[] = {
        {"choice", Item(ConfigChoice, 1, {"オフ", "オン"}), "名前 : オン"},
        {"screen mode", Item(ConfigScreenMode, 0, {"16", "24"}), "名前 : 16"},
        {"choice out of range", Item(ConfigChoice, 2, {"a", "b"}), "名前 : "},
        {"negative choice", Item(ConfigScreenMode, -2, {"a"}), "名前 : "},
        {"choice without choices", Item(ConfigAdapter, 0, {}), "名前 : "},
        {"number with unit", Item(ConfigNumber, 512, {"KB"}), "名前 : 512 KB"},
        {"number without unit", Item(ConfigNumber2, -3, {}), "名前 : -3 "},
        {"digit", Item(ConfigDigit, 7, {"段階"}), "名前 : 7 段階"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.label, FormatItemText(c.item)) << c.what;
    ConfigItem text = Item(ConfigText, 0, {});
    text.text = "文字";
    EXPECT_EQ("名前 : 文字", FormatItemText(text));
}

TEST(ConfigItemTest, LongLabelsAreCutOnAWholeCharacter) {
    ConfigItem item = Item(ConfigChoice, 0, {std::string(244, 'x') + "表示表示"});
    const std::string label = FormatItemText(item);
    // "名前 : " is 7 bytes; 244 + 4 more fit in 255, the next pair would not.
    EXPECT_EQ(7u + 244 + 4, label.size());
    char buffer[kConfigLabelCapacity];
    EXPECT_EQ(0, FormatItemText(&item, buffer));
    EXPECT_EQ(label, buffer);
    EXPECT_EQ(1, FormatItemText(nullptr, buffer));
    EXPECT_EQ(1, FormatItemText(&item, nullptr));
}

TEST(ConfigItemTest, ResetRestoresTheDefaultAndReportsAChange) {
    ConfigItem number = Item(ConfigNumber, 3, {});
    number.defaultValue = 5;
    EXPECT_TRUE(ResetItemToDefault(number));
    EXPECT_EQ(5, number.value);
    EXPECT_FALSE(ResetItemToDefault(number));
    ConfigItem text = Item(ConfigText, 0, {"既定"});
    text.text = "変更";
    EXPECT_TRUE(ResetItemToDefault(text));
    EXPECT_EQ("既定", text.text);
    EXPECT_FALSE(ResetItemToDefault(text));
    ConfigItem bare = Item(ConfigText, 0, {});
    bare.text = "x";
    EXPECT_TRUE(ResetItemToDefault(bare));
    EXPECT_EQ("", bare.text);
}

}  // namespace
