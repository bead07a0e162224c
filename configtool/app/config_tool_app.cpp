#include "configtool/app/config_tool_app.h"

#include <cstdio>

#include "configtool/app/config_message.h"
#include "configtool/resources/tunewell_resources.h"
#include "configtool/settings/config_messages.h"
#include "framework/archive/qpk_archive_format.h"
#include "framework/files/path_utilities.h"
#include "framework/files/virtual_file_system.h"
#include "framework/runtime/com_init.h"

ConfigToolApp* g_configToolApp = nullptr;

namespace {

// The tag the tool's mounts carry.
constexpr std::int32_t kToolMountTag = -1;

std::string ExecutableFolder() {
    char path[kPathCapacity] = "";
    const DWORD length = GetModuleFileNameA(nullptr, path, kPathCapacity);
    if (length == 0 || length >= kPathCapacity || CutToParentDir(path) != 0) return GetBaseDirectory();
    return path;
}

}  // namespace

ConfigToolApp::ConfigToolApp(const ConfigToolEnvironment& environment)
    : m_mainDialog(*this),
      m_specialFolders(environment.specialFolders ? environment.specialFolders : &m_shellFolders),
      m_displayDevices(environment.displayDevices ? environment.displayDevices : &m_frameworkDevices) {
    m_toolFolder = environment.toolFolder.empty() ? ExecutableFolder() : environment.toolFolder;
    m_fileSystem = std::make_unique<VirtualFileSystem>();
    m_previousFileSystem = g_virtualFileSystem;
    g_virtualFileSystem = m_fileSystem.get();
    g_configToolApp = this;
}

ConfigToolApp::~ConfigToolApp() {
    ClearConfigItems();
    if (m_comCounted) ComUninitForThread();
    m_displayDevices->FreeDisplayDeviceList();
    g_virtualFileSystem = m_previousFileSystem;
    m_fileSystem.reset();
    m_mainDialog.UnregisterDialogWindow();
    m_registry.Clear();
    ReleaseInstanceMutex();
    if (g_configToolApp == this) g_configToolApp = nullptr;
}

void ConfigToolApp::SetStartArguments(HINSTANCE instance, const char* commandLine, std::int32_t showCommand) {
    m_instance = instance;
    m_commandLine = commandLine ? commandLine : "";
    m_showCommand = showCommand;
}

std::int32_t ConfigToolApp::StartConfigTool() {
    HANDLE running = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kMutexName);
    if (running) {
        if (HWND window = FindWindowA(nullptr, ConfigMessages::kCaption)) {
            SetForegroundWindow(window);
            ShowWindow(window, SW_SHOWNORMAL);
        }
        CloseHandle(running);
        return 1;
    }
    m_mutex = CreateMutexA(nullptr, TRUE, kMutexName);
    ParseCommandLine();
    m_fileSystem->RegisterBuiltinDecoder(new QpkArchiveFormat, QpkArchiveFormat::kExtensions,
                                         QpkArchiveFormat::kTypeString, 1, nullptr, nullptr, nullptr);
    MountArchives();
    if (m_mainDialog.Create(m_instance, IDD_CONFIG_MAIN, &m_registry, nullptr, true) != 0) {
        ShowConfigMessage(ConfigMessages::kMainDialogFailed, 4, GetDesktopWindow());
        return 2;
    }
    m_mainDialog.SetMessageHandler(
        WM_COMMAND, new MemberDialogHandler<ConfigMainDialog>(&m_mainDialog, &ConfigMainDialog::OnConfigDialogCommand));
    m_mainDialog.SetMessageHandler(
        WM_NOTIFY, new MemberDialogHandler<ConfigMainDialog>(&m_mainDialog, &ConfigMainDialog::OnConfigTreeNotify));
    if (!m_items.empty()) {
        m_tree = GetDlgItem(m_mainDialog.Window(), IDC_ITEM_TREE);
        ShowWindow(m_mainDialog.Window(), m_showCommand);
        return 0;
    }
    if (!m_developerMode && !m_records.Title().empty() &&
        m_records.SaveFolderMode() != SettingsFiles::kSaveBesideProgram) {
        char text[1024];
        std::snprintf(text, sizeof text, ConfigMessages::kRunGameFirst, m_records.Title().c_str());
        ShowConfigMessage(text, 1, GetDesktopWindow());
    } else {
        ShowConfigMessage(ConfigMessages::kDescriptionLoadFailed, 4, GetDesktopWindow());
    }
    return 3;
}

void ConfigToolApp::ParseCommandLine() {
    // Only the upper-case switches count; any other line leaves player mode on the tool's folder.
    const std::string& line = m_commandLine;
    if (line.size() < 2 || line[0] != '/') return;
    if (line[1] == 'C') {
        m_developerMode = true;
        SetBaseDirectory(line.c_str() + 2);
    } else if (line[1] == 'P') {
        SetBaseDirectory(line.c_str() + 2);
    }
}

void ConfigToolApp::MountArchives() {
    // The game's order: PATCH.QPK behind what is mounted, each later patch in front of it, and
    // SCRIPT.QPK behind them all, so that the newest patch wins as it does in the game.
    if (m_fileSystem->MountArchive("PATCH.QPK", kToolMountTag, false, true, nullptr) == 0) {
        for (int number = 2;; ++number) {
            char name[32];
            std::snprintf(name, sizeof name, "PATCH%d.QPK", number);
            if (m_fileSystem->MountArchive(name, kToolMountTag, false, false, nullptr) != 0) break;
        }
    }
    m_fileSystem->MountArchive("SCRIPT.QPK", kToolMountTag, true, true, nullptr);
}

void ConfigToolApp::ReleaseInstanceMutex() {
    if (!m_mutex) return;
    ReleaseMutex(m_mutex);
    CloseHandle(m_mutex);
    m_mutex = nullptr;
}

std::int32_t ConfigToolApp::RunDialogMessageLoop(HINSTANCE instance, HINSTANCE previous, const char* commandLine,
                                                 std::int32_t showCommand) {
    SetStartArguments(instance, commandLine, showCommand);
    const std::int32_t result = StartConfigTool();
    if (result == 0) {
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            if (PreTranslate(message)) continue;
            if (m_registry.TakeDialogMessage(&message)) continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    ReleaseInstanceMutex();
    return result;
}

HWND ConfigToolApp::Tree() const { return GetDlgItem(m_mainDialog.Window(), IDC_ITEM_TREE); }

HTREEITEM ConfigToolApp::ItemTreeItem(std::size_t index) const {
    return index < m_itemTreeItems.size() ? m_itemTreeItems[index] : nullptr;
}

HTREEITEM ConfigToolApp::GroupTreeItem(std::size_t index) const {
    return index < m_groupTreeItems.size() ? m_groupTreeItems[index] : nullptr;
}

ConfigItem* ConfigToolApp::AdapterItem() {
    return m_adapterItemIndex >= 0 ? m_items[static_cast<std::size_t>(m_adapterItemIndex)].get() : nullptr;
}

ConfigItem* ConfigToolApp::DeviceItem() {
    return m_deviceItemIndex >= 0 ? m_items[static_cast<std::size_t>(m_deviceItemIndex)].get() : nullptr;
}

std::string ConfigToolApp::BasePath(const char* relative) const { return std::string(GetBaseDirectory()) + relative; }

std::int32_t ConfigToolApp::SaveSettings() {
    if (m_developerMode) return SaveConfigDescription();
    std::int32_t result = WriteItemsToRecords();
    if (result != 0) return result;
    StoreDeviceSelection();
    return SaveUserCfg();
}

int ConfigToolMain(HINSTANCE instance, HINSTANCE previous, const char* commandLine, int showCommand) {
    InitCommonControls();
    ConfigToolApp app;
    app.RunDialogMessageLoop(instance, previous, commandLine, showCommand);
    return 0;
}
