// ConfigToolApp: the configuration tool's one application object. It owns the tool's virtual
// file system, the settings items read from a settings description, the six settings records
// and the main dialog, runs the start-up (single instance, command line, archives, dialog) and the
// dialog message loop.
//
// Two modes, chosen once at start-up: player mode (no switch, or "/P" and a folder) edits USER.CFG
// of an installed game; developer mode ("/C" and a folder) edits the full description beside the
// tool and writes the game's description and settings files into that folder.
//
// One thread. The constructor publishes g_configToolApp, the destructor withdraws it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "configtool/app/dialog_registry.h"
#include "configtool/dialogs/config_main_dialog.h"
#include "configtool/settings/description_file.h"
#include "configtool/settings/display_devices.h"
#include "configtool/settings/settings_records.h"
#include "configtool/settings/special_folders.h"

class VirtualFileSystem;

// What the tool takes from its surroundings; tests replace each part.
struct ConfigToolEnvironment {
    // The folder of the full description, with a trailing '\'; empty: the executable's folder.
    std::string toolFolder;
    // Null: the shell's special folders.
    SpecialFolderProvider* specialFolders = nullptr;
    // Null: the framework's list of the display drivers.
    DisplayDeviceProvider* displayDevices = nullptr;
};

class ConfigToolApp {
public:
    static constexpr const char kMutexName[] = "Tunewell Tool for Moravin Library";
    static constexpr const char kFullDescriptionName[] = "環境設定.inf";
    static constexpr const char kOverridesName[] = "Tunewell.inf";
    static constexpr const char kPlayerDescriptionName[] = "SCRIPT\\CONFIG.DAT";

    explicit ConfigToolApp(const ConfigToolEnvironment& environment = ConfigToolEnvironment());
    virtual ~ConfigToolApp();
    ConfigToolApp(const ConfigToolApp&) = delete;
    ConfigToolApp& operator=(const ConfigToolApp&) = delete;

    // 0 the dialog runs, 1 another instance runs, 2 no main dialog, 3 no settings items.
    virtual std::int32_t StartConfigTool();
    virtual void ReleaseInstanceMutex();
    // True when the message was consumed before the dialogs see it.
    virtual bool PreTranslate(const MSG& message) { return false; }

    // Stores the arguments, starts, runs the loop until the quit message and returns the
    // start-up result.
    std::int32_t RunDialogMessageLoop(HINSTANCE instance, HINSTANCE previous, const char* commandLine,
                                      std::int32_t showCommand);
    // The arguments alone, for callers that start and pump messages themselves.
    void SetStartArguments(HINSTANCE instance, const char* commandLine, std::int32_t showCommand);

    // Settings description (0 loaded; 1 not found; 2 bad magic; 4 description error; -1 other).
    std::int32_t LoadConfigDescription();
    // 0 applied; 1 not developer mode or no items; 2 not found; 3 bad magic; 4 error; -1 other.
    std::int32_t LoadDeveloperOverrides();
    // 0; 1 nothing to save; 2 a file cannot be written; 2 + WriteItemsToRecords; 4 + SaveUserCfg.
    std::int32_t SaveConfigDescription();
    void ClearConfigItems();

    // Player settings (0 read; 1 developer mode; 2 QL_APP.SYS, 3 QL_APP.INF not loaded; 4 save
    // folder missing; 5 USER.CFG not loaded).
    std::int32_t LoadUserCfg();
    // 0; 1 an error with its message; 2 another failure.
    std::int32_t WriteItemsToRecords();
    // The device selection of the adapter and device items into the first USER.CFG block.
    void StoreDeviceSelection();
    // 0; 1 QL_APP.SYS, 2 QL_APP.INF, 3 USER.CFG cannot be written.
    std::int32_t SaveUserCfg();
    // Rebuilds the device item's choices after the adapter item chose adapter k; true when the
    // device item changed and was relabelled.
    bool RefreshDeviceChoices(const ConfigItem& adapterItem, std::int32_t k);
    // Save as the Save button does: player or developer mode.
    std::int32_t SaveSettings();

    // The item's tree label is made anew.
    void RelabelItem(std::size_t index);

    bool DeveloperMode() const { return m_developerMode; }
    const std::string& ToolFolder() const { return m_toolFolder; }
    ConfigMainDialog& MainDialog() { return m_mainDialog; }
    HWND Tree() const;
    ConfigItemList& Items() { return m_items; }
    const std::vector<ConfigGroup>& Groups() const { return m_groups; }
    SettingsRecords& Records() { return m_records; }
    HTREEITEM ItemTreeItem(std::size_t index) const;
    HTREEITEM GroupTreeItem(std::size_t index) const;
    // The item behind a tree item, or null for a group or nothing.
    ConfigItem* ItemOf(HTREEITEM treeItem, std::size_t* index = nullptr);
    // The adapter and device items Player mode remembered, or null.
    ConfigItem* AdapterItem();
    ConfigItem* DeviceItem();
    VirtualFileSystem& FileSystem() { return *m_fileSystem; }

    std::int32_t m_shownEditorType = -1;
    HTREEITEM m_digitFocusItem = nullptr;

private:
    void ParseCommandLine();
    void MountArchives();
    std::string BasePath(const char* relative) const;
    bool WriteOrComplain(const std::string& path, const std::vector<std::uint8_t>& bytes);
    void BuildTree();
    void ApplyOverride(std::size_t index, std::uint8_t treeState, std::int32_t value, const std::string* text);
    void SetUpDeviceItems(std::int32_t adapterIndex, std::int32_t deviceIndex);
    void DropDeviceItems(std::int32_t adapterIndex, std::int32_t deviceIndex);
    void SyncTreeStates();

    HINSTANCE m_instance = nullptr;
    std::string m_commandLine;
    std::int32_t m_showCommand = SW_SHOWNORMAL;
    DialogRegistry m_registry;
    HANDLE m_mutex = nullptr;
    std::string m_toolFolder;
    ConfigMainDialog m_mainDialog;
    ConfigItemList m_items;
    std::vector<ConfigGroup> m_groups;
    std::vector<HTREEITEM> m_itemTreeItems;
    std::vector<HTREEITEM> m_groupTreeItems;
    SettingsRecords m_records;
    std::unique_ptr<VirtualFileSystem> m_fileSystem;
    VirtualFileSystem* m_previousFileSystem = nullptr;
    ShellSpecialFolders m_shellFolders;
    FrameworkDisplayDevices m_frameworkDevices;
    SpecialFolderProvider* m_specialFolders;
    DisplayDeviceProvider* m_displayDevices;
    bool m_comTaken = false;
    bool m_comCounted = false;
    bool m_developerMode = false;
    HWND m_tree = nullptr;
    std::string m_userCfgPath = SettingsFiles::kUserCfgName;
    std::int32_t m_adapterItemIndex = -1;
    std::int32_t m_deviceItemIndex = -1;
    std::int32_t m_defaultDeviceIndex = 0;
    HTREEITEM m_deviceTreeItem = nullptr;
};

extern ConfigToolApp* g_configToolApp;

// The program's entry: common controls, the application object, its loop; always 0.
int ConfigToolMain(HINSTANCE instance, HINSTANCE previous, const char* commandLine, int showCommand);
