// The game's start-up hook: the built-in formats and the plug-ins of the program's plugin
// folder, the built-in transitions and effects, the base folder of the command line, the
// archives, the application description, the save folder and the player's settings, the install
// values and the display settings; and the settings written at exit.
#include <windows.h>
#include <sddl.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "framework/archive/qpk_archive_format.h"
#include "framework/dialogs/browse_for_folder.h"
#include "framework/files/file_services.h"
#include "framework/files/path_utilities.h"
#include "framework/images/bmp_image_loader.h"
#include "framework/images/elg_image_loader.h"
#include "framework/plugins/spi_plugin_loader.h"
#include "framework/sound/ogg_vorbis_dll.h"
#include "game/app/application.h"
#include "game/app/builtin_effects.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/sprite_list.h"
#include "graphics/surfaces/screen_core.h"
#include "game/script/script_files.h"

namespace {

namespace F = SettingsFiles;

const char kAppSysFailed[] = "アプリケーション設定ファイルの読み込みに失敗";
const char kAppInfFailed[] = "アプリケーション情報ファイルの読み込みに失敗";
const char kUserCfgFailed[] = "環境設定ファイルの読み込みに失敗";
const char kSettingsQuestion[] =
    "%s\nに、「%s」の環境設定データを作成します。\n作成する設定ファイルと同名のファイルが存在する場合、上書きされます。\nよろしいですか？";
const char kSaveDataQuestion[] =
    "%s\nに、「%s」のセーブデータを作成します。\n作成するセーブファイルと同名のファイルが存在する場合、\n上書きされる可能性があります。\nよろしいですか？";
const char kMoveOrRename[] =
    "%s\nを移動させるか名前を変更して、セーブデータを保存できる状態にしてから、\n「%s」を再度、実行して下さい。";
const char kFolderCreationFailed[] =
    "%s\nセーブデータ作成フォルダの作成に失敗しました。\nセーブデータの作成、アプリケーション設定の保存を行うことができません。";
const char kChosenFolderMissing[] =
    "%s\nセーブデータ作成フォルダが見つかりません。\n新しくセーブデータ作成フォルダを設定しますか？";
const char kBrowseCaption[] = "「%s」\nセーブデータ作成フォルダの選択";
const char kNoSaveFolder[] = "セーブデータ作成フォルダがないため、起動できません。";
const char kUserCfgSaveFailed[] = "環境設定ファイルの保存に失敗";
const char kAppCfgSaveFailed[] = "アプリケーション設定ファイルの保存に失敗";
const char kDefaultTitle[] = "ORV DX Application";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::string Format(const char* format, const std::string& a, const std::string& b = std::string()) {
    char text[2048];
    std::snprintf(text, sizeof(text), format, a.c_str(), b.c_str());
    return text;
}

std::string WithBackslash(std::string folder) {
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    return folder;
}

bool FolderExists(const std::string& folder) {
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool PlainFileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

const char kPluginFolder[] = "plugin";

void BusyEnterHook() { BusyCounterEnter(); }
void BusyLeaveHook() { BusyCounterLeave(); }

// "<SID>\" of the user running the program, empty when it cannot be found or opened.
std::string UserSidPrefix() {
    std::string prefix;
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return prefix;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<std::uint8_t> buffer(size != 0 ? size : 1);
    char* sidText = nullptr;
    if (size != 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
        ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sidText)) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_USERS, sidText, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            RegCloseKey(key);
            prefix = std::string(sidText) + "\\";
        }
    }
    if (sidText != nullptr) LocalFree(sidText);
    CloseHandle(token);
    return prefix;
}

std::string BaseFolderArgument(const char* line) {
    if (line == nullptr || line[0] != '/' || (line[1] != 'L' && line[1] != 'l')) return std::string();
    const char* p = line + 2;
    while (*p == ' ' || *p == '\t') ++p;
    std::string folder;
    if (*p == '"') {
        const char* end = std::strchr(p + 1, '"');
        // An unclosed quote names the rest of the line.
        folder = end != nullptr ? std::string(p + 1, end) : std::string(p + 1);
    } else {
        folder = p;
        while (!folder.empty() && (folder.back() == ' ' || folder.back() == '\t')) folder.pop_back();
    }
    return folder;
}

}  // namespace

std::string Application::Special(int csidl) {
    if (m_sources.specialFolder) return m_sources.specialFolder(csidl);
    char path[MAX_PATH + 1] = {};
    return GetSpecialFolderPath(path, csidl) ? std::string(path) : std::string();
}

void Application::RegisterFormats() {
    m_imageLoaders.RegisterBuiltin(new ElgImageLoader, ElgImageLoader::kExtensions, ElgImageLoader::kTypeString, 2,
                                   nullptr, nullptr, nullptr);
    m_imageLoaders.RegisterBuiltin(new BmpImageLoader, BmpImageLoader::kExtensions, BmpImageLoader::kTypeString, 1,
                                   nullptr, nullptr, nullptr);
    m_imageLoaders.ScanFolder(kPluginFolder);
    m_fileSystem.RegisterBuiltinDecoder(new QpkArchiveFormat, QpkArchiveFormat::kExtensions,
                                        QpkArchiveFormat::kTypeString, 1, QpkAssistFunc, QpkSetOption, nullptr);
    m_fileSystem.ScanAdlFolder(kPluginFolder);
    OggVorbisDll* ogg = new OggVorbisDll("kqvorbis.dll");
    if (ogg->IsLoaded()) {
        m_decoderHost.RegisterBuiltin(ogg, OggVorbisDll::kExtensions, OggVorbisDll::kTypeString, 2, nullptr,
                                      nullptr, nullptr);
    } else {
        delete ogg;
    }
    m_decoderHost.ScanFolder(kPluginFolder);
    SpiScanFolder(kPluginFolder, 1, 1);
    g_effectBeginHook = BusyEnterHook;
    g_effectEndHook = BusyLeaveHook;
    // The game loads no DCP or TCP plug-ins at start-up; scripts load them when they want them.
    RegisterBuiltinEffects(m_transitions, m_effects);
}

void Application::TakeBaseFolderArgument() {
    // The rest of the line after "/L", blanks skipped and one pair of quotes taken off, so that
    // /L "C:\My Game" names C:\My Game. A folder that is missing or cannot be made the base
    // folder leaves the program folder.
    const std::string folder = BaseFolderArgument(CommandLine());
    if (!folder.empty() && FolderExists(folder)) SetBaseDirectory(folder.c_str());
}

void Application::MountArchives() {
    VirtualFileSystem& vfs = m_fileSystem;
    if (vfs.MountArchive("PATCH.QPK", -2, false, true, nullptr) == 0) {
        for (int n = 2;; ++n) {
            char name[32];
            std::snprintf(name, sizeof(name), "PATCH%d.QPK", n);
            if (vfs.MountArchive(name, -2, false, false, nullptr) != 0) break;
        }
    }
    vfs.MountArchive("SCRIPT.QPK", -2, true, true, nullptr);
}

std::int32_t Application::LoadDescription() {
    std::vector<std::uint8_t> file;
    if (!ReadWholeFile(F::kAppSysName, file) || ReadAppSysFile(file, m_appSys) != kSettingsRead) {
        ShowDesktopBox(kAppSysFailed, 4);
        return 1;
    }
    if (!ReadWholeFile(F::kAppInfName, file) || ReadAppInfFile(file, m_appInf) != kSettingsRead) {
        ShowDesktopBox(kAppInfFailed, 4);
        return 2;
    }
    return 0;
}

std::int32_t Application::ReadUserCfgAt(const std::string& path) {
    std::vector<std::uint8_t> file;
    if (!ReadWholeFile(path, file) || ReadUserCfgFile(file, m_userCfg) != kSettingsRead) {
        ShowDesktopBox(kUserCfgFailed, 4);
        return 3;
    }
    m_savedVSync = m_userCfg.block3[F::Block3::kVSync];
    m_savedPreciseWait = m_userCfg.block3[F::Block3::kPreciseWait];
    if (m_userCfg.block3[F::Block3::kVSync] == 0 && m_screenFrame != nullptr) m_screenFrame->SetPrefer60Hz(true);
    return 0;
}

std::int32_t Application::ChooseFolder() {
    const std::string title = m_appInf.texts[F::AppInf::kTitle];
    const std::string x = m_appInf.SaveFolderName();
    const std::string caption = Format(kBrowseCaption, title);
    const std::string documents = Special(CSIDL_PERSONAL);
    std::string answer;
    if (m_sources.browseForFolder) {
        answer = m_sources.browseForFolder(caption.c_str(), documents.c_str());
    } else {
        char path[MAX_PATH + 1] = {};
        if (BrowseForFolder(nullptr, caption.c_str(), documents.c_str(), path)) answer = path;
    }
    if (answer.empty()) return 4;
    const std::string folder = WithBackslash(answer) + x;
    // A folder that would not fit a path counts as no answer.
    if (folder.size() + 1 >= MAX_PATH) return 4;
    if (FolderExists(folder)) {
        if (!AskYesNo(Format(kSaveDataQuestion, folder, title).c_str(), 3, GetDesktopWindow(), nullptr)) {
            ShowDesktopBox(Format(kMoveOrRename, folder, title).c_str(), 1);
            return -4;
        }
    } else if (!CreateDirectoryA(folder.c_str(), nullptr)) {
        ShowDesktopBox(Format(kFolderCreationFailed, folder).c_str(), 4);
        return 4;
    }
    m_chosenFolder = folder;
    return 0;
}

std::int32_t Application::SettleSaveFolder(bool& chosenNow) {
    chosenNow = false;
    std::uint8_t mode = m_appSys.SaveFolderMode();
    if (mode == 1 && m_appSys.bytes[F::AppSys::kSaveFolderSwitch] != 0) mode = 0;
    // Modes above 5 are read as 5 everywhere: saves in the base folder, settings never written.
    if (mode > 5) mode = 5;
    m_saveFolderMode = mode;
    const std::string base = GetBaseDirectory();
    const std::string title = m_appInf.texts[F::AppInf::kTitle];
    const std::string x = m_appInf.SaveFolderName();

    if (mode == 1 || mode == 5) {
        if (mode == 1) {
            m_saveFolder = base + "SAVEDATA\\";
            const std::string folder = base + "SAVEDATA";
            if (!FolderExists(folder) && !CreateDirectoryA(folder.c_str(), nullptr))
                ShowDesktopBox(Format(kFolderCreationFailed, folder).c_str(), 4);
            m_userCfgPath = base + F::kUserCfgName;
        } else {
            m_saveFolder = base;
            m_userCfgPath.clear();
        }
        return ReadUserCfgAt(F::kUserCfgName);
    }

    std::string settingsFolder;
    switch (mode) {
    case 0: settingsFolder = Special(CSIDL_PERSONAL); break;
    case 4:
        settingsFolder = Special(CSIDL_COMMON_APPDATA);
        if (settingsFolder.empty()) settingsFolder = Special(CSIDL_APPDATA);
        break;
    default: settingsFolder = Special(CSIDL_APPDATA); break;
    }
    settingsFolder = WithBackslash(settingsFolder) + x;
    m_userCfgPath = WithBackslash(settingsFolder) + F::kUserCfgName;
    if (mode != 2) m_saveFolder = WithBackslash(settingsFolder);

    if (!PlainFileExists(m_userCfgPath)) {
        if (FolderExists(settingsFolder)) {
            const char* question = mode == 2 ? kSettingsQuestion : kSaveDataQuestion;
            if (!AskYesNo(Format(question, settingsFolder, title).c_str(), 3, GetDesktopWindow(), nullptr)) {
                ShowDesktopBox(Format(kMoveOrRename, settingsFolder, title).c_str(), 1);
                return 3;
            }
        } else if (!CreateDirectoryA(settingsFolder.c_str(), nullptr)) {
            ShowDesktopBox(Format(kFolderCreationFailed, settingsFolder).c_str(), 4);
        }
        CopyFileA((base + F::kUserCfgName).c_str(), m_userCfgPath.c_str(), FALSE);
        SetFileAttributesA(m_userCfgPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    if (std::int32_t r = ReadUserCfgAt(m_userCfgPath)) return r;
    if (mode != 2) return 0;

    m_chosenFolder = m_userCfg.folder;
    std::int32_t chosen = 0;
    if (!m_chosenFolder.empty() && FolderExists(m_chosenFolder)) {
        m_saveFolder = WithBackslash(m_chosenFolder);
        return 0;
    }
    if (!m_chosenFolder.empty() &&
        !AskYesNo(Format(kChosenFolderMissing, m_chosenFolder).c_str(), 3, GetDesktopWindow(), nullptr)) {
        chosen = 4;
    } else {
        chosen = ChooseFolder();
    }
    if (chosen != 0) {
        if (chosen > 0) ShowDesktopBox(kNoSaveFolder, 1);
        return 4;
    }
    m_userCfg.folder = m_chosenFolder;
    m_saveFolder = WithBackslash(m_chosenFolder);
    chosenNow = true;
    return 0;
}

void Application::LoadAppCfg() {
    std::vector<std::uint8_t> file;
    // A damaged file counts as a missing one: the defaults stay.
    if (ReadWholeFile(m_saveFolder + F::kAppCfgName, file)) ReadAppCfgFile(file, m_appCfg);
    if (m_appCfg.bytes[F::AppCfg::kStartInWindow] != 0 && m_userCfg.block2[0] == 1) m_userCfg.block2[0] = 2;
}

void Application::LoadInstallValues() {
    m_installInfo = 0;
    m_installSourcePath.clear();
    std::vector<std::uint8_t> file;
    SetUpInfo info;
    if (!ReadWholeFile(F::kSetUpName, file) || ReadSetUpFile(file, info) != kSettingsRead) return;
    HKEY root = HKEY_LOCAL_MACHINE;
    std::string prefix;
    if (info.scope != 0 && System().IsNtFamily()) {
        prefix = UserSidPrefix();
        if (!prefix.empty()) root = HKEY_USERS;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, (prefix + kUninstallKey + info.key).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    std::uint8_t installInfo[4] = {};
    DWORD size = sizeof(installInfo);
    if (RegQueryValueExA(key, "OrvInstallInfo", nullptr, nullptr, installInfo, &size) == ERROR_SUCCESS)
        m_installInfo = installInfo[1];
    char path[513] = {};
    size = 512;
    if (RegQueryValueExA(key, "OrvInstallSrcPath", nullptr, nullptr, reinterpret_cast<BYTE*>(path), &size) ==
        ERROR_SUCCESS)
        m_installSourcePath.assign(path, strnlen(path, 512));
    RegCloseKey(key);
}

void Application::PublishRecords() {
    namespace S = F::AppSys;
    AppDescription& d = Description();
    d.gameWidth = static_cast<std::int32_t>(m_appSys.Half(S::kGameWidth));
    d.gameHeight = static_cast<std::int32_t>(m_appSys.Half(S::kGameHeight));
    d.style = m_appSys.Word(S::kWindowStyle);
    d.exStyle = m_appSys.Word(S::kExtendedStyle);
    d.iconId = static_cast<std::uint16_t>(m_appSys.Half(S::kIconId));
    d.menuId = static_cast<std::uint16_t>(m_appSys.Half(S::kMenuId));
    d.acceleratorId = static_cast<std::uint16_t>(m_appSys.Half(S::kAcceleratorId));
    d.singleInstance = m_appSys.bytes[S::kSingleInstance];
    d.screenMode = m_appSys.bytes[S::kScreenModePolicy];
    d.saveFolderMode = m_saveFolderMode;
    d.menuBarMode = m_appSys.bytes[S::kMenuBarMode];
    d.versionMajor = m_appInf.version[F::AppInf::kVersionMajor];
    d.versionMinor = m_appInf.version[F::AppInf::kVersionMinor];
    d.versionLetter = m_appInf.version[F::AppInf::kVersionLetter];
    const std::string& title = m_appInf.texts[F::AppInf::kTitle];
    SetTexts(title.empty() ? kDefaultTitle : title, m_appInf.texts[F::AppInf::kProductName],
             m_appInf.texts[F::AppInf::kNotice], m_appInf.texts[F::AppInf::kWebAddress]);
    PlayerSettings& s = Settings();
    std::memcpy(s.block1, m_userCfg.block1, sizeof(s.block1));
    s.screenMode = m_userCfg.block2[0];
    s.colourDepth = m_userCfg.block2[1];
    s.windowX = m_userCfg.WindowX();
    s.windowY = m_userCfg.WindowY();
    s.placeCursorAfterSwitch = m_userCfg.block2[10];
    s.menuRevealDelay = static_cast<std::uint16_t>(m_userCfg.block2[11] | (m_userCfg.block2[12] << 8));
    s.repaintWhileInactive = m_userCfg.block2[13];
}

void Application::TakeBackRecords() {
    const PlayerSettings& s = Settings();
    std::memcpy(m_userCfg.block1, s.block1, sizeof(s.block1));
    m_userCfg.block2[0] = s.screenMode;
    m_userCfg.block2[1] = s.colourDepth;
    m_userCfg.SetWindowPosition(s.windowX, s.windowY);
}

void Application::FillDisplayBytes() {
    const std::uint8_t filled = System().MajorVersion() == 6 ? 1 : 2;
    for (std::uint32_t at : {F::AppCfg::kDirectDrawResolution, F::AppCfg::kEnlargedMethod})
        if (m_appCfg.bytes[at] == 0) m_appCfg.bytes[at] = filled;
}

void Application::HandOverDisplaySettings() {
    m_display.enumerateThroughDirectDraw = m_appCfg.bytes[F::AppCfg::kDirectDrawResolution] == 2;
    m_display.enlargedMethod = m_appCfg.bytes[F::AppCfg::kEnlargedMethod];
    for (int i = 0; i < 4; ++i) m_display.enlargedFlags[i] = m_appCfg.bytes[F::AppCfg::kEnlargedFlags + i] != 0;
    m_screenModeAtLoad = Settings().screenMode;
    m_methodAtLoad = m_display.enlargedMethod;
    if (Screen() == nullptr) return;
    ScreenDisplaySettings s;
    s.changeResolution = m_appCfg.bytes[F::AppCfg::kFullScreenResolution] != 0;
    s.throughDirectDraw = m_display.enumerateThroughDirectDraw;
    s.monitorChoice = m_appCfg.bytes[F::AppCfg::kMonitor];
    s.windowRect.left = Settings().windowX;
    s.windowRect.top = Settings().windowY;
    s.windowRect.right = s.windowRect.left + m_appSys.Half(F::AppSys::kGameWidth);
    s.windowRect.bottom = s.windowRect.top + m_appSys.Half(F::AppSys::kGameHeight);
    // The stored depth counts only as bits per pixel; anything else leaves the monitor's own.
    const std::uint8_t depth = Settings().colourDepth;
    s.depth = depth == 8 || depth == 16 || depth == 24 || depth == 32 ? depth : 0;
    s.enlargedMethod = m_display.enlargedMethod;
    s.methodAlsoInWindow = m_display.enlargedFlags[0];
    s.powerOfTwoTextures = m_display.enlargedFlags[1];
    s.smoothScaling = m_display.enlargedFlags[2];
    s.transferThroughDc = m_display.enlargedFlags[3];
    Screen()->TakeDisplaySettings(s);
}

std::int32_t Application::Startup() {
    g_virtualFileSystem = &m_fileSystem;
    g_imageLoaderHost = &m_imageLoaders;
    g_soundDecoderHost = &m_decoderHost;
    RegisterFormats();
    TakeBaseFolderArgument();
    MountArchives();
    if (std::int32_t r = LoadDescription()) return r;
    bool chosenNow = false;
    if (std::int32_t r = SettleSaveFolder(chosenNow)) return r;
    LoadAppCfg();
    LoadInstallValues();
    PublishRecords();
    if (chosenNow) SaveSettings(0);
    FillDisplayBytes();
    HandOverDisplaySettings();
    return 0;
}

void Application::AfterExit(std::int32_t code) { SaveSettings(code); }

void Application::SaveSettings(std::int32_t code) {
    if (code != 0 || m_saveFolderMode >= 5 || m_userCfgPath.empty()) return;
    TakeBackRecords();
    UserCfgRecords records = m_userCfg;
    records.block3[F::Block3::kVSync] = m_savedVSync;
    records.block3[F::Block3::kPreciseWait] = m_savedPreciseWait;
    if (m_appCfg.bytes[F::AppCfg::kRememberPosition] == 0) records.SetWindowPosition(-1, -1);
    records.folder = m_saveFolderMode == 2 ? m_chosenFolder : std::string();
    if (!WriteWholeFile(m_userCfgPath, BuildUserCfgFile(records))) {
        ShowDesktopBox(kUserCfgSaveFailed, 4);
        return;
    }
    if (!WriteWholeFile(m_saveFolder + F::kAppCfgName, BuildAppCfgFile(m_appCfg)))
        ShowDesktopBox(kAppCfgSaveFailed, 4);
}
