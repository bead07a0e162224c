// The version and system-information dialog (menu command 40004): the version, the system
// report with or without details, copying it to the clipboard, saving it to a file, and the
// picture that opens the maker's web page.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "game/dialogs/dialog_host.h"

enum : int {
    kInfoPicture = 1001,
    kInfoVersion = 1002,
    kInfoReport = 1003,
    kInfoDetails = 1004,
    kInfoCopy = 1005,
    kInfoSave = 1006,
};

struct InformationDialogContext {
    const DialogHost* host = nullptr;
    std::uint8_t major = 0;
    std::uint8_t minor = 0;
    std::uint8_t build = 0;
    HICON icon = nullptr;
    // APP_CFG.DAT offset 0 (confirm before the web page) and offset 1 (detailed report).
    std::uint8_t* confirmWeb = nullptr;
    std::uint8_t* detailed = nullptr;
    std::string webAddress;
    // Full screen: the dialog closes once the web page was opened.
    bool fullScreen = false;
    // The report's text (CR LF line ends).
    std::function<std::string(bool detailed)> report;
    // The game's message dialog (the owner is this dialog): its answer as RunMessageDialog's.
    std::function<std::int32_t(HWND owner, std::uint8_t kind, const char* text, std::uint8_t* flag)> message;
    // Opens the web address; null: ShellExecuteA "open".
    std::function<void(HWND owner, const char* address)> openWeb;
    // The save dialog: the chosen path, empty when none was chosen. Null: the common dialog.
    std::function<std::string(HWND owner, const char* folder, const char* name)> chooseSaveFile;
    // The user's documents folder (CSIDL_PERSONAL).
    std::function<std::string()> documentsFolder;
};

// The text of the version static: "Version %d.%02d", then "%x " with a build byte, else " ".
std::string VersionText(std::uint8_t major, std::uint8_t minor, std::uint8_t build);
// What the saved report holds: the report as shown, every line (the last one too) ending in
// CR LF.
std::string ReportFileText(const std::string& shown);

// Runs the dialog; false when it could not be made.
bool RunInformationDialog(InformationDialogContext& context, HWND owner);
