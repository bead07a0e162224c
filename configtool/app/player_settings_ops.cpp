// The player settings operations of the application: reading the records and giving the items
// their values, the device items, and writing the records back.
#include <new>

#include "configtool/app/atomic_file.h"
#include "configtool/app/config_message.h"
#include "configtool/app/config_tool_app.h"
#include "configtool/dialogs/config_tree.h"
#include "configtool/settings/config_messages.h"
#include "configtool/settings/device_choices.h"
#include "configtool/settings/save_folder.h"
#include "framework/files/file_stream.h"
#include "framework/files/path_utilities.h"
#include "framework/runtime/com_init.h"

std::int32_t ConfigToolApp::LoadUserCfg() {
    if (m_developerMode) return 1;
    FileStream file;
    if (file.LoadFile(SettingsFiles::kAppSysName) != 0 || !ReadAppSys(file.Data(), file.Size(), m_records)) return 2;
    if (file.LoadFile(SettingsFiles::kAppInfName) != 0 || !ReadAppInf(file.Data(), file.Size(), m_records)) return 3;
    const UserCfgLocation location = LocateUserCfg(m_records, false, *m_specialFolders);
    if (!location.resolved || (!location.saveFolder.empty() && !PathExists(location.saveFolder))) return 4;
    if (file.LoadFile(location.userCfgPath.c_str()) != 0) return 5;
    // Save writes where this read, whatever the items later do to the description's record.
    m_userCfgPath = location.userCfgPath;
    ReadUserCfg(file.Data(), file.Size(), m_records);

    std::int32_t adapterIndex = -1;
    std::int32_t deviceIndex = -1;
    for (const ConfigGroup& group : m_groups) {
        for (std::size_t index : group.items) {
            ConfigItem& item = *m_items[index];
            if (item.type == ConfigAdapter) adapterIndex = static_cast<std::int32_t>(index);
            if (item.type == ConfigDevice) deviceIndex = static_cast<std::int32_t>(index);
            if (ReadItemFromRecords(m_records, item)) RelabelItem(index);
        }
    }
    if (adapterIndex >= 0 || deviceIndex >= 0) SetUpDeviceItems(adapterIndex, deviceIndex);
    return 0;
}

void ConfigToolApp::SetUpDeviceItems(std::int32_t adapterIndex, std::int32_t deviceIndex) {
    if (!m_comTaken) {
        m_comTaken = true;
        m_comCounted = ComInitForThread() == 0;
    }
    if (m_displayDevices->Adapters().empty()) m_displayDevices->EnumerateDisplayDevices(false, false);
    DisplayDeviceChoice chosen = {};
    ConfigItem* adapterItem = adapterIndex >= 0 ? m_items[static_cast<std::size_t>(adapterIndex)].get() : nullptr;
    ConfigItem* deviceItem = deviceIndex >= 0 ? m_items[static_cast<std::size_t>(deviceIndex)].get() : nullptr;
    if (!m_displayDevices->ChooseDisplayDevice(chosen, false) ||
        !BuildDeviceChoices(m_displayDevices->Adapters(), chosen, m_records, adapterItem, deviceItem,
                            &m_defaultDeviceIndex)) {
        DropDeviceItems(adapterIndex, deviceIndex);
        return;
    }
    if (adapterIndex >= 0) RelabelItem(static_cast<std::size_t>(adapterIndex));
    if (deviceIndex >= 0) RelabelItem(static_cast<std::size_t>(deviceIndex));
    m_adapterItemIndex = adapterIndex;
    m_deviceItemIndex = deviceIndex;
    m_deviceTreeItem = deviceIndex >= 0 ? ItemTreeItem(static_cast<std::size_t>(deviceIndex)) : nullptr;
}

void ConfigToolApp::DropDeviceItems(std::int32_t adapterIndex, std::int32_t deviceIndex) {
    // The items stay in the list, out of the tree.
    for (std::int32_t index : {adapterIndex, deviceIndex}) {
        if (index < 0) continue;
        HTREEITEM& treeItem = m_itemTreeItems[static_cast<std::size_t>(index)];
        if (treeItem) TreeView_DeleteItem(Tree(), treeItem);
        treeItem = nullptr;
    }
}

bool ConfigToolApp::RefreshDeviceChoices(const ConfigItem& adapterItem, std::int32_t k) {
    ConfigItem* deviceItem = DeviceItem();
    if (!FillDeviceChoices(m_displayDevices->Adapters(), adapterItem, k, deviceItem, m_defaultDeviceIndex))
        return false;
    RelabelItem(static_cast<std::size_t>(m_deviceItemIndex));
    return true;
}

std::int32_t ConfigToolApp::WriteItemsToRecords() {
    try {
        for (const auto& item : m_items) WriteItemToRecords(m_records, *item);
    } catch (const ConfigMessageError& error) {
        ShowConfigMessage(error.text, 1);
        return 1;
    } catch (...) {
        return 2;
    }
    return 0;
}

void ConfigToolApp::StoreDeviceSelection() {
    ::StoreDeviceSelection(m_displayDevices->Adapters(), AdapterItem(), DeviceItem(), m_records);
}

std::int32_t ConfigToolApp::SaveUserCfg() {
    if (m_developerMode) {
        if (!WriteOrComplain(BasePath(SettingsFiles::kAppSysName), BuildAppSys(m_records))) return 1;
        if (!WriteOrComplain(BasePath(SettingsFiles::kAppInfName), BuildAppInf(m_records))) return 2;
    }
    char path[kPathCapacity];
    const char* name = m_developerMode ? SettingsFiles::kUserCfgName : m_userCfgPath.c_str();
    if (MakeFullPath(path, name, nullptr) == 0) {
        ShowConfigMessage(ConfigMessages::kCannotOpenForWriting, 1);
        return 3;
    }
    if (!WriteOrComplain(path, BuildUserCfg(m_records))) return 3;
    return 0;
}
