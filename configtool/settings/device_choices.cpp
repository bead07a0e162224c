#include "configtool/settings/device_choices.h"

#include <cstring>

#include "framework/util/little_endian.h"

using namespace SettingsFiles;

namespace {

bool SameId(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

bool InRange(std::int32_t index, std::size_t count) {
    return index >= 0 && static_cast<std::size_t>(index) < count;
}

}  // namespace

bool BuildDeviceChoices(const std::vector<DisplayAdapterRecord>& adapters, const DisplayDeviceChoice& chosen,
                        const SettingsRecords& records, ConfigItem* adapterItem, ConfigItem* deviceItem,
                        std::int32_t* defaultDeviceIndex) {
    GUID wantedAdapter = chosen.adapter;
    GUID wantedDevice = chosen.device;
    const std::uint8_t* block = records.block1;
    if (LittleEndian::Load32(block + DeviceSelection::kAdapterSet) != 0 &&
        LittleEndian::Load32(block + DeviceSelection::kDeviceSet) != 0) {
        std::memcpy(&wantedAdapter, block + DeviceSelection::kAdapterId, sizeof(GUID));
        std::memcpy(&wantedDevice, block + DeviceSelection::kDeviceId, sizeof(GUID));
    }
    std::int32_t wanted = -1;
    std::int32_t defaultAdapter = -1;
    for (std::size_t i = 0; i < adapters.size(); ++i) {
        const DisplayAdapterRecord& adapter = adapters[i];
        if (wanted < 0 && SameId(adapter.id, wantedAdapter)) wanted = static_cast<std::int32_t>(i);
        if (defaultAdapter < 0 && SameId(adapter.id, chosen.adapter)) {
            defaultAdapter = static_cast<std::int32_t>(i);
            if (adapterItem) adapterItem->defaultValue = defaultAdapter;
            for (std::size_t j = 0; j < adapter.devices.size(); ++j) {
                if (!SameId(adapter.devices[j].id, chosen.device)) continue;
                if (deviceItem) deviceItem->defaultValue = static_cast<std::int32_t>(j);
                *defaultDeviceIndex = static_cast<std::int32_t>(j);
                break;
            }
        }
    }
    if (defaultAdapter < 0 || adapters[defaultAdapter].devices.empty()) return false;
    if (wanted < 0 || adapters[wanted].devices.empty()) {
        wanted = defaultAdapter;
        wantedDevice = chosen.device;
    }
    if (adapterItem) {
        adapterItem->choices.clear();
        for (const DisplayAdapterRecord& adapter : adapters)
            adapterItem->choices.push_back(adapter.description + "(" + adapter.driverName + ")");
        adapterItem->value = wanted;
    }
    if (deviceItem) {
        deviceItem->choices.clear();
        const std::vector<DisplayDeviceRecord>& devices = adapters[wanted].devices;
        for (std::size_t j = 0; j < devices.size(); ++j) {
            deviceItem->choices.push_back(devices[j].name);
            if (SameId(devices[j].id, wantedDevice)) deviceItem->value = static_cast<std::int32_t>(j);
        }
    }
    return true;
}

bool FillDeviceChoices(const std::vector<DisplayAdapterRecord>& adapters, const ConfigItem& adapterItem,
                       std::int32_t k, ConfigItem* deviceItem, std::int32_t defaultDeviceIndex) {
    if (!deviceItem || !InRange(k, adapterItem.choices.size()) || adapterItem.choices.size() == 1 ||
        !InRange(k, adapters.size()))
        return false;
    deviceItem->choices.clear();
    for (const DisplayDeviceRecord& device : adapters[k].devices) deviceItem->choices.push_back(device.name);
    deviceItem->defaultValue = k == adapterItem.defaultValue ? defaultDeviceIndex : 0;
    deviceItem->value = deviceItem->defaultValue;
    return true;
}

void StoreDeviceSelection(const std::vector<DisplayAdapterRecord>& adapters, const ConfigItem* adapterItem,
                          const ConfigItem* deviceItem, SettingsRecords& records) {
    std::uint8_t* block = records.block1;
    LittleEndian::Store32(block + DeviceSelection::kAdapterSet, 0);
    LittleEndian::Store32(block + DeviceSelection::kDeviceSet, 0);
    if (block[DeviceSelection::kNoSelection] != 0 || (!adapterItem && !deviceItem)) return;
    const std::int32_t a = adapterItem ? adapterItem->value : 0;
    const std::int32_t d = deviceItem ? deviceItem->value : 0;
    if (!InRange(a, adapters.size())) return;
    const DisplayAdapterRecord& adapter = adapters[a];
    std::memcpy(block + DeviceSelection::kAdapterId, &adapter.id, sizeof(GUID));
    LittleEndian::Store32(block + DeviceSelection::kAdapterSet, 1);
    block[DeviceSelection::kAdapterFlag] = adapter.flag;
    if (!InRange(d, adapter.devices.size())) return;
    const DisplayDeviceRecord& device = adapter.devices[d];
    std::memcpy(block + DeviceSelection::kDeviceId, &device.id, sizeof(GUID));
    LittleEndian::Store32(block + DeviceSelection::kDeviceSet, 1);
    LittleEndian::Store32(block + DeviceSelection::kRenderBitDepths, device.renderBitDepths);
}
