// The choices of the display adapter and 3D device items, and the device selection that Save
// stores in USER.CFG's first block.
#pragma once

#include <cstdint>
#include <vector>

#include "configtool/settings/config_item.h"
#include "configtool/settings/display_devices.h"
#include "configtool/settings/settings_records.h"

// Gives the adapter and device items (either may be null) their choices, values and defaults
// from the device list, the default choice and the selection USER.CFG holds. False when the
// list offers nothing to choose, so both items must leave the tree.
bool BuildDeviceChoices(const std::vector<DisplayAdapterRecord>& adapters, const DisplayDeviceChoice& chosen,
                        const SettingsRecords& records, ConfigItem* adapterItem, ConfigItem* deviceItem,
                        std::int32_t* defaultDeviceIndex);

// Rebuilds the device item's choices for adapter k of the adapter item; false when nothing was
// rebuilt (no device item, k out of range, a single adapter, or no adapter k in the list).
bool FillDeviceChoices(const std::vector<DisplayAdapterRecord>& adapters, const ConfigItem& adapterItem,
                       std::int32_t k, ConfigItem* deviceItem, std::int32_t defaultDeviceIndex);

// Writes the device selection of the adapter and device items (either may be null) into the
// first block; nothing is selected when its byte 8 is set.
void StoreDeviceSelection(const std::vector<DisplayAdapterRecord>& adapters, const ConfigItem* adapterItem,
                          const ConfigItem* deviceItem, SettingsRecords& records);
