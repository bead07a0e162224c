#include "configtool/settings/device_choices.h"

#include <gtest/gtest.h>

#include <cstring>

#include "framework/util/little_endian.h"

namespace {

using namespace SettingsFiles;

GUID Id(std::uint8_t seed) {
    GUID id;
    std::memset(&id, seed, sizeof id);
    return id;
}

std::vector<DisplayAdapterRecord> TwoAdapters() {
    DisplayAdapterRecord primary{Id(0), "Primary", "display", 1,
                                 {{Id(10), "RGB", 0x400, false}, {Id(11), "HAL", 0x500, true}}};
    DisplayAdapterRecord second{Id(2), "Second", "drv2", 0, {{Id(20), "Other HAL", 0x600, true}}};
    return {primary, second};
}

DisplayDeviceChoice DefaultChoice() { return DisplayDeviceChoice{Id(0), Id(11), 0x500, 1, 1}; }

ConfigItem Item(std::uint8_t type) {
    ConfigItem item;
    item.type = type;
    item.name = type == ConfigAdapter ? "アダプタ" : "デバイス";
    return item;
}

void Select(SettingsRecords& records, std::uint8_t adapter, std::uint8_t device) {
    const GUID adapterId = Id(adapter);
    const GUID deviceId = Id(device);
    std::memcpy(records.block1 + DeviceSelection::kAdapterId, &adapterId, 16);
    std::memcpy(records.block1 + DeviceSelection::kDeviceId, &deviceId, 16);
    LittleEndian::Store32(records.block1 + DeviceSelection::kAdapterSet, 1);
    LittleEndian::Store32(records.block1 + DeviceSelection::kDeviceSet, 1);
}

TEST(DeviceChoicesTest, WithoutASelectionTheDefaultsAreChosen) {
    SettingsRecords records;
    ConfigItem adapter = Item(ConfigAdapter);
    ConfigItem device = Item(ConfigDevice);
    std::int32_t defaultDevice = -1;
    ASSERT_TRUE(BuildDeviceChoices(TwoAdapters(), DefaultChoice(), records, &adapter, &device, &defaultDevice));
    EXPECT_EQ((std::vector<std::string>{"Primary(display)", "Second(drv2)"}), adapter.choices);
    EXPECT_EQ(0, adapter.value);
    EXPECT_EQ(0, adapter.defaultValue);
    EXPECT_EQ((std::vector<std::string>{"RGB", "HAL"}), device.choices);
    EXPECT_EQ(1, device.value);
    EXPECT_EQ(1, device.defaultValue);
    EXPECT_EQ(1, defaultDevice);
}

TEST(DeviceChoicesTest, TheStoredSelectionIsChosenWhenItIsStillPresent) {
    SettingsRecords records;
    Select(records, 2, 20);
    ConfigItem adapter = Item(ConfigAdapter);
    ConfigItem device = Item(ConfigDevice);
    std::int32_t defaultDevice = 0;
    ASSERT_TRUE(BuildDeviceChoices(TwoAdapters(), DefaultChoice(), records, &adapter, &device, &defaultDevice));
    EXPECT_EQ(1, adapter.value);
    EXPECT_EQ((std::vector<std::string>{"Other HAL"}), device.choices);
    EXPECT_EQ(0, device.value);
}

TEST(DeviceChoicesTest, AnAdapterNoLongerPresentFallsBackToTheDefaults) {
    SettingsRecords records;
    Select(records, 7, 70);
    ConfigItem adapter = Item(ConfigAdapter);
    ConfigItem device = Item(ConfigDevice);
    std::int32_t defaultDevice = 0;
    ASSERT_TRUE(BuildDeviceChoices(TwoAdapters(), DefaultChoice(), records, &adapter, &device, &defaultDevice));
    EXPECT_EQ(0, adapter.value);
    EXPECT_EQ(1, device.value);
}

TEST(DeviceChoicesTest, NothingToChooseTakesBothItemsAway) {
    SettingsRecords records;
    ConfigItem adapter = Item(ConfigAdapter);
    std::int32_t defaultDevice = 0;
    EXPECT_FALSE(BuildDeviceChoices({}, DefaultChoice(), records, &adapter, nullptr, &defaultDevice));
    std::vector<DisplayAdapterRecord> deviceless = TwoAdapters();
    deviceless[0].devices.clear();
    EXPECT_FALSE(BuildDeviceChoices(deviceless, DefaultChoice(), records, &adapter, nullptr, &defaultDevice));
}

TEST(DeviceChoicesTest, ChangingTheAdapterRebuildsTheDeviceChoices) {
    const std::vector<DisplayAdapterRecord> adapters = TwoAdapters();
    SettingsRecords records;
    ConfigItem adapter = Item(ConfigAdapter);
    ConfigItem device = Item(ConfigDevice);
    std::int32_t defaultDevice = 0;
    ASSERT_TRUE(BuildDeviceChoices(adapters, DefaultChoice(), records, &adapter, &device, &defaultDevice));
    ASSERT_TRUE(FillDeviceChoices(adapters, adapter, 1, &device, defaultDevice));
    EXPECT_EQ((std::vector<std::string>{"Other HAL"}), device.choices);
    EXPECT_EQ(0, device.value);
    ASSERT_TRUE(FillDeviceChoices(adapters, adapter, 0, &device, defaultDevice));
    EXPECT_EQ(1, device.value);
    EXPECT_FALSE(FillDeviceChoices(adapters, adapter, 2, &device, defaultDevice));
    EXPECT_FALSE(FillDeviceChoices(adapters, adapter, -1, &device, defaultDevice));
    EXPECT_FALSE(FillDeviceChoices(adapters, adapter, 0, nullptr, defaultDevice));
    ConfigItem single = adapter;
    single.choices.resize(1);
    EXPECT_FALSE(FillDeviceChoices(adapters, single, 0, &device, defaultDevice));
}

TEST(DeviceChoicesTest, SaveStoresTheChosenAdapterAndDevice) {
    const std::vector<DisplayAdapterRecord> adapters = TwoAdapters();
    SettingsRecords records;
    ConfigItem adapter = Item(ConfigAdapter);
    ConfigItem device = Item(ConfigDevice);
    adapter.value = 0;
    device.value = 1;
    StoreDeviceSelection(adapters, &adapter, &device, records);
    EXPECT_EQ(0, std::memcmp(records.block1 + DeviceSelection::kAdapterId, &adapters[0].id, 16));
    EXPECT_NE(0u, LittleEndian::Load32(records.block1 + DeviceSelection::kAdapterSet));
    EXPECT_EQ(1, records.block1[DeviceSelection::kAdapterFlag]);
    EXPECT_EQ(0, std::memcmp(records.block1 + DeviceSelection::kDeviceId, &adapters[0].devices[1].id, 16));
    EXPECT_NE(0u, LittleEndian::Load32(records.block1 + DeviceSelection::kDeviceSet));
    EXPECT_EQ(0x500u, LittleEndian::Load32(records.block1 + DeviceSelection::kRenderBitDepths));
}

TEST(DeviceChoicesTest, ByteEightOrAMissingChoiceStoresNoSelection) {
    const std::vector<DisplayAdapterRecord> adapters = TwoAdapters();
    ConfigItem adapter = Item(ConfigAdapter);
    ConfigItem device = Item(ConfigDevice);
    SettingsRecords withByte8;
    Select(withByte8, 0, 11);
    withByte8.block1[DeviceSelection::kNoSelection] = 1;
    StoreDeviceSelection(adapters, &adapter, &device, withByte8);
    EXPECT_EQ(0u, LittleEndian::Load32(withByte8.block1 + DeviceSelection::kAdapterSet));
    EXPECT_EQ(0u, LittleEndian::Load32(withByte8.block1 + DeviceSelection::kDeviceSet));

    SettingsRecords pastTheList;
    Select(pastTheList, 0, 11);
    device.value = 5;
    StoreDeviceSelection(adapters, &adapter, &device, pastTheList);
    EXPECT_NE(0u, LittleEndian::Load32(pastTheList.block1 + DeviceSelection::kAdapterSet));
    EXPECT_EQ(0u, LittleEndian::Load32(pastTheList.block1 + DeviceSelection::kDeviceSet));
}

}  // namespace
