#include "framework/display/display_device_list.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const GUID kTnL = {0xf5049e78, 0x4861, 0x11d2, {0xa4, 0x07, 0x00, 0xa0, 0xc9, 0x06, 0x29, 0xa8}};
const GUID kHal = {0x84e63de0, 0x46aa, 0x11cf, {0x81, 0x6f, 0x00, 0x00, 0xc0, 0x20, 0x15, 0x6e}};
const GUID kRgb = {0xa4665c60, 0x2673, 0x11cf, {0xa3, 0x1a, 0x00, 0xaa, 0x00, 0xb9, 0x33, 0x56}};
const GUID kRef = {0x50936643, 0x13e9, 0x11d1, {0x89, 0xaa, 0x00, 0xa0, 0xc9, 0x05, 0x41, 0x29}};

GUID Adapter(std::uint8_t seed) {
    GUID id;
    std::memset(&id, seed, sizeof id);
    return id;
}

DisplayDeviceRecord Device(const GUID& id, bool hardware, std::uint32_t depths) {
    DisplayDeviceRecord device = {};
    device.id = id;
    device.hardware = hardware;
    device.renderBitDepths = depths;
    return device;
}

DisplayAdapterRecord Driver(const GUID& id, std::uint8_t windowedDefault, std::vector<DisplayDeviceRecord> devices) {
    DisplayAdapterRecord adapter = {};
    adapter.id = id;
    adapter.flag = windowedDefault;
    adapter.devices = std::move(devices);
    return adapter;
}

struct ChoiceCase {
    const char* name;
    std::vector<DisplayAdapterRecord> adapters;
    bool considerSecondary;
    bool chosen;
    GUID adapter;
    GUID device;
    std::uint32_t depths;
    std::int32_t kind;
    std::uint8_t hardwareOnDefault;
};

TEST(ChooseDisplayDevice, TakesTheBestClassAndTheLastOfItsClass) {
    const GUID primary = {};
    const GUID second = Adapter(2);
    const std::vector<ChoiceCase> cases = {
        {"TnL before HAL and software",
         {Driver(primary, 1, {Device(kRgb, false, 0x100), Device(kHal, true, 0x200), Device(kTnL, true, 0x300)})},
         false, true, primary, kTnL, 0x300, 2, 1},
        {"HAL alone on the default driver",
         {Driver(primary, 1, {Device(kRgb, false, 0x100), Device(kHal, true, 0x200)})},
         false, true, primary, kHal, 0x200, 1, 1},
        {"a secondary adapter's HAL when secondary drivers count",
         {Driver(primary, 1, {Device(kRgb, false, 0x100)}), Driver(second, 0, {Device(kHal, true, 0x400)})},
         true, true, second, kHal, 0x400, 1, 0},
        {"the default's software device otherwise",
         {Driver(primary, 1, {Device(kRgb, false, 0x100)}), Driver(second, 0, {Device(kHal, true, 0x400)})},
         false, true, primary, kRgb, 0x100, 0, 1},
        {"the reference rasteriser as the last resort",
         {Driver(primary, 1, {Device(kRef, false, 0x500)})}, false, true, primary, kRef, 0x500, 0, 1},
        {"the last software device wins",
         {Driver(primary, 1, {Device(Adapter(7), false, 0x10), Device(Adapter(8), false, 0x20)})},
         false, true, primary, Adapter(8), 0x20, 0, 1},
        {"drivers without the windowed flag are not walked otherwise",
         {Driver(second, 0, {Device(kTnL, true, 0x300)})}, false, false, {}, {}, 0, 0, 0},
        {"an empty list", {}, true, false, {}, {}, 0, 0, 0},
    };
    for (const ChoiceCase& c : cases) {
        SCOPED_TRACE(c.name);
        DisplayDeviceChoice out = {};
        ASSERT_EQ(ChooseDisplayDevice(c.adapters, c.considerSecondary, out), c.chosen);
        if (!c.chosen) continue;
        EXPECT_TRUE(IsEqualGUID(out.adapter, c.adapter));
        EXPECT_TRUE(IsEqualGUID(out.device, c.device));
        EXPECT_EQ(out.renderBitDepths, c.depths);
        EXPECT_EQ(out.deviceClass, c.kind);
        EXPECT_EQ(out.flag, c.hardwareOnDefault);
    }
}

// Wine on the test display: the primary driver (null GUID) and the adapter, and the primary's
// T&L HAL chosen; the primary reports the one mode of the screen.
TEST(EnumerateDisplayDevices, ListsWinesDriversAndChoosesTheDefaultTnLHal) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    ASSERT_EQ(EnumerateDisplayDevices(false, true), 0);
    const std::vector<DisplayAdapterRecord>& adapters = DisplayDeviceList();
    ASSERT_GE(adapters.size(), 1u);
    EXPECT_EQ(adapters[0].GuidOrNull(), nullptr);
    EXPECT_EQ(adapters[0].flag, 1);
    EXPECT_FALSE(adapters[0].description.empty());
    EXPECT_FALSE(adapters[0].devices.empty());
    EXPECT_FALSE(adapters[0].modes.empty());
    for (std::size_t i = 1; i < adapters.size(); ++i) EXPECT_NE(adapters[i].GuidOrNull(), nullptr);
    const int width = GetSystemMetrics(SM_CXSCREEN);
    bool screenMode = false;
    for (const DisplayModeRecord& mode : adapters[0].modes)
        screenMode |= mode.width == static_cast<std::uint32_t>(width) && mode.bitsPerPixel == 32;
    EXPECT_TRUE(screenMode);
    DisplayDeviceChoice out = {};
    ASSERT_TRUE(ChooseDisplayDevice(out, false));
    EXPECT_TRUE(IsEqualGUID(out.adapter, GUID{}));
    EXPECT_TRUE(IsEqualGUID(out.device, kTnL));
    EXPECT_EQ(out.deviceClass, 2);
    FreeDisplayDeviceList();
    EXPECT_TRUE(DisplayDeviceList().empty());
    CoUninitialize();
}

}  // namespace
