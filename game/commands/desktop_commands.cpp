#include "game/commands/desktop_commands.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/files/file_services.h"
#include "framework/files/path_utilities.h"
#include "game/app/application.h"
#include "game/commands/command_args.h"
#include "game/commands/command_guard.h"
#include "game/commands/file_script_words.h"
#include "game/script/script_files.h"

using command_args::Byte;
using command_args::Int;
using command_args::Result;
using file_script_words::Text;

DesktopPort SystemDesktop() {
    DesktopPort port;
    port.openDocument = [](const char* path) {
        ShellExecuteA(nullptr, nullptr, path, nullptr, nullptr, SW_SHOWNORMAL);
    };
    port.openFolder = [](const char* folder) { return OpenFolderInExplorer(folder); };
    port.folder = [](std::int32_t which, char* out) -> bool {
        static const int kFolders[] = {CSIDL_PERSONAL, CSIDL_MYPICTURES, CSIDL_APPDATA, CSIDL_DESKTOP};
        out[0] = '\0';
        if (which == 0) {
            const UINT length = GetWindowsDirectoryA(out, MAX_PATH);
            return length != 0 && length < MAX_PATH;
        }
        return SHGetSpecialFolderPathA(nullptr, out, kFolders[which - 1], FALSE) != FALSE;
    };
    port.postToDesktop = [](UINT message, WPARAM wParam, LPARAM lParam) {
        PostMessageA(GetDesktopWindow(), message, wParam, lParam);
    };
    return port;
}

DesktopPort& DesktopOfCommands() {
    static DesktopPort port = SystemDesktop();
    return port;
}

namespace {

#define DESKTOP_COMMAND(name, failure)                                       \
    std::uint32_t XM_CDECL name(std::uint32_t* arguments) {                  \
        return GuardedCommand<name##Body, failure>(arguments);               \
    }

constexpr std::int32_t kFolderKinds = 5;

BOOL SystemParameters(UINT action, UINT parameter, void* value, UINT winIni) {
    DesktopPort& port = DesktopOfCommands();
    if (port.systemParameters) return port.systemParameters(action, parameter, value, winIni);
    if (Application* app = Application::Current()) return app->Platform().SystemParameters(action, parameter, value, winIni);
    return SystemParametersInfoA(action, parameter, value, winIni);
}

bool ScreenSaverActive() {
    BOOL active = FALSE;
    return SystemParameters(SPI_GETSCREENSAVEACTIVE, 0, &active, 0) && active;
}

// 0 OK box, 1 yes/no, 2 OK/Cancel.
std::uint32_t Box(std::uint8_t kind, std::uint32_t* w) {
    Application* const app = Application::Current();
    if (app == nullptr) return 0;
    const char* const text = Text(w[1]);
    const bool answer = app->RequestMessageBox(kind, text != nullptr ? text : "", Byte(w[2]), nullptr);
    return kind == 0 ? 0 : (answer ? 1 : 0);
}

std::uint32_t CmdMessageBoxBody(std::uint32_t* w) { return Box(0, w); }
std::uint32_t CmdAskYesNoBody(std::uint32_t* w) { return Box(1, w); }
std::uint32_t CmdAskOkCancelBody(std::uint32_t* w) { return Box(2, w); }

std::uint32_t CmdMessageDialogBody(std::uint32_t* w) {
    Application* const app = Application::Current();
    const char* const text = Text(w[2]);
    if (app == nullptr || text == nullptr) return 0;
    return app->RequestMessageDialog(text, w[0] != 0 ? 2 : 0, nullptr, Text(w[1]), true);
}

std::uint32_t CmdOpenDocumentBody(std::uint32_t* w) {
    const char* const path = Text(w[0]);
    DesktopPort& port = DesktopOfCommands();
    if (path != nullptr && port.openDocument) port.openDocument(path);
    return 0;
}

std::uint32_t CmdGetSystemFolderBody(std::uint32_t* w) {
    file_script_words::RequireOut(w[0]);
    const std::int32_t which = Int(w[1]);
    DesktopPort& port = DesktopOfCommands();
    if (which < 0 || which >= kFolderKinds || !port.folder) return 0;
    char folder[MAX_PATH + 1] = {};
    if (!port.folder(which, folder)) return 0;
    folder[MAX_PATH] = '\0';
    std::size_t length = std::strlen(folder);
    if (length == 0 || folder[length - 1] != '\\') {
        if (length + 2 > MAX_PATH) return 0;
        folder[length++] = '\\';
        folder[length] = '\0';
    }
    if (!file_script_words::FitsWhole(w[0], folder)) return 0;
    file_script_words::WriteWholeText(w[0], folder);
    return 1;
}

std::uint32_t CmdOpenFolderBody(std::uint32_t* w) {
    const char* const folder = Text(w[0]);
    DesktopPort& port = DesktopOfCommands();
    if (folder == nullptr || !port.openFolder) return 1;
    return Result(port.openFolder(folder));
}

std::uint32_t CmdExtractFileBody(std::uint32_t* w) {
    const char* const source = Text(w[0]);
    std::vector<std::uint8_t> bytes;
    if (source == nullptr || !ReadWholeFile(source, bytes)) return 1;
    char target[kPathCapacity];
    if (MakeFullPath(target, Text(w[1]), nullptr) == 0) return 2;
    return WriteWholeFile(target, bytes) ? 0 : 2;
}

bool SetDesktopText(HKEY key, const char* name, const char* value) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                          static_cast<DWORD>(std::strlen(value) + 1)) == ERROR_SUCCESS;
}

std::uint32_t CmdSetWallpaperBody(std::uint32_t* w) {
    const char* const path = Text(w[0]);
    if (path == nullptr) return 0;
    const std::uint8_t style = Byte(w[1]);
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\desktop", 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
        return 0;
    SetDesktopText(key, "TileWallpaper", style == 1 ? "1" : "0");
    SetDesktopText(key, "WallpaperStyle", style == 2 ? "2" : "0");
    RegCloseKey(key);
    return SystemParameters(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(path),
                            SPIF_UPDATEINIFILE | SPIF_SENDCHANGE)
               ? 1
               : 0;
}

std::uint32_t CmdSetScreenSaverBody(std::uint32_t* w) {
    const char* const program = Text(w[0]);
    if (program == nullptr) return 0;
    WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", program, "system.ini");
    if (!ScreenSaverActive()) SystemParameters(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
    return 0;
}

std::uint32_t CmdStartScreenSaverBody(std::uint32_t*) {
    DesktopPort& port = DesktopOfCommands();
    if (ScreenSaverActive() && port.postToDesktop) port.postToDesktop(WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    return 0;
}

}  // namespace

DESKTOP_COMMAND(CmdMessageBox, 0)
DESKTOP_COMMAND(CmdAskYesNo, 0)
DESKTOP_COMMAND(CmdAskOkCancel, 0)
DESKTOP_COMMAND(CmdMessageDialog, 0)
DESKTOP_COMMAND(CmdOpenDocument, 0)
DESKTOP_COMMAND(CmdGetSystemFolder, 0)
DESKTOP_COMMAND(CmdOpenFolder, 1)
DESKTOP_COMMAND(CmdExtractFile, 2)
DESKTOP_COMMAND(CmdSetWallpaper, 0)
DESKTOP_COMMAND(CmdSetScreenSaver, 0)
DESKTOP_COMMAND(CmdStartScreenSaver, 0)
