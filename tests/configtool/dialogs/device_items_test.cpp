#include "framework/util/little_endian.h"
#include "tests/configtool/config_tool_fixture.h"

namespace {

using namespace configtest;
using namespace SettingsFiles;
using testsupport::DescriptionGroup;
using testsupport::MakeDescriptionItem;

std::vector<DescriptionGroup> DeviceGame() {
    return {DescriptionGroup{"描画", {MakeDescriptionItem(0, 2, 0, 1, "スレッド", {"しない", "する"}),
                                     MakeDescriptionItem(5, 2, 27, 1, "アダプタ"),
                                     MakeDescriptionItem(6, 2, 47, 1, "デバイス")}}};
}

class DeviceItemsTest : public ConfigToolTest {
protected:
    void GiveTwoAdapters() {
        devices.adapters = {
            DisplayAdapterRecord{MakeId(0), "Primary", "display", 1,
                                 {{MakeId(10), "RGB", 0x400, false}, {MakeId(11), "HAL", 0x500, true}}},
            DisplayAdapterRecord{MakeId(2), "Second", "drv2", 0, {{MakeId(20), "Other HAL", 0x600, true}}}};
        devices.choice = DisplayDeviceChoice{MakeId(0), MakeId(11), 0x500, 1, 1};
        devices.hasChoice = true;
    }
    testsupport::UserCfgBlocks WithoutSelection(std::uint8_t byte8 = 0) {
        testsupport::UserCfgBlocks content = testsupport::PatternedUserCfg();
        for (std::uint32_t i = DeviceSelection::kAdapterId; i < 72; ++i) content.blocks[0][i] = 0;
        content.blocks[0][DeviceSelection::kNoSelection] = byte8;
        return content;
    }
    std::vector<std::uint8_t> SavedBlock1() {
        const std::vector<std::uint8_t> file = testsupport::ReadFile(game.File("USER.CFG"));
        return std::vector<std::uint8_t>(file.begin() + 2, file.begin() + 74);
    }
};

TEST_F(DeviceItemsTest, WithoutDisplayDevicesBothItemsLeaveTheTree) {
    WriteGame(DeviceGame(), WithoutSelection());
    ASSERT_EQ(0, StartPlayer());
    EXPECT_EQ(3u, app->Items().size());
    EXPECT_EQ(nullptr, TreeItem(1));
    EXPECT_EQ(nullptr, TreeItem(2));
    EXPECT_EQ(2, TreeView_GetCount(app->Tree()));
    Press(IDC_SAVE);
    EXPECT_FALSE(IsWindow(Dialog()));
}

TEST_F(DeviceItemsTest, TheItemsOfferTheListedAdaptersAndDevices) {
    GiveTwoAdapters();
    WriteGame(DeviceGame(), WithoutSelection());
    ASSERT_EQ(0, StartPlayer());
    EXPECT_EQ(1, devices.enumerations);
    EXPECT_EQ("アダプタ : Primary(display)", Label(1));
    EXPECT_EQ("デバイス : HAL", Label(2));
    // Choosing the second adapter rebuilds the device choices.
    Select(TreeItem(1));
    PickChoice(1);
    EXPECT_EQ("アダプタ : Second(drv2)", Label(1));
    EXPECT_EQ("デバイス : Other HAL", Label(2));
    Press(IDC_SAVE);
    const std::vector<std::uint8_t> block = SavedBlock1();
    EXPECT_EQ(0, std::memcmp(&block[DeviceSelection::kAdapterId], &devices.adapters[1].id, 16));
    EXPECT_NE(0u, LittleEndian::Load32(&block[DeviceSelection::kAdapterSet]));
    EXPECT_EQ(0, std::memcmp(&block[DeviceSelection::kDeviceId], &devices.adapters[1].devices[0].id, 16));
    EXPECT_NE(0u, LittleEndian::Load32(&block[DeviceSelection::kDeviceSet]));
    EXPECT_EQ(0x600u, LittleEndian::Load32(&block[DeviceSelection::kRenderBitDepths]));
    EXPECT_EQ(0, block[DeviceSelection::kAdapterFlag]);
}

TEST_F(DeviceItemsTest, ResetAllKeepsTheDevicesOfTheLastChosenAdapter) {
    GiveTwoAdapters();
    WriteGame(DeviceGame(), WithoutSelection());
    ASSERT_EQ(0, StartPlayer());
    Select(TreeItem(1));
    PickChoice(1);
    Press(IDC_RESET_ALL);
    EXPECT_EQ("アダプタ : Primary(display)", Label(1));
    EXPECT_EQ((std::vector<std::string>{"Other HAL"}), Item(2).choices);
}

TEST_F(DeviceItemsTest, ByteEightStoresNoSelection) {
    GiveTwoAdapters();
    WriteGame(DeviceGame(), WithoutSelection(1));
    ASSERT_EQ(0, StartPlayer());
    Press(IDC_SAVE);
    const std::vector<std::uint8_t> block = SavedBlock1();
    EXPECT_EQ(0u, LittleEndian::Load32(&block[DeviceSelection::kAdapterSet]));
    EXPECT_EQ(0u, LittleEndian::Load32(&block[DeviceSelection::kDeviceSet]));
}

TEST_F(DeviceItemsTest, AStoredDeviceIsChosenAgain) {
    GiveTwoAdapters();
    testsupport::UserCfgBlocks content = WithoutSelection();
    std::memcpy(&content.blocks[0][DeviceSelection::kAdapterId], &devices.adapters[1].id, 16);
    std::memcpy(&content.blocks[0][DeviceSelection::kDeviceId], &devices.adapters[1].devices[0].id, 16);
    content.blocks[0][DeviceSelection::kAdapterSet] = 1;
    content.blocks[0][DeviceSelection::kDeviceSet] = 1;
    WriteGame(DeviceGame(), content);
    ASSERT_EQ(0, StartPlayer());
    EXPECT_EQ(1, Item(1).value);
    EXPECT_EQ("デバイス : Other HAL", Label(2));
}

}  // namespace
