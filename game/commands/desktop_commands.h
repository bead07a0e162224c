// The box, dialog and desktop commands (opcodes 796-799, 802-808): the framework's message
// boxes and the game's message dialog, opening documents and folders, the special folders,
// copying a file out of the mounted archives, and the desktop's wallpaper and screen saver.
//
// Script words: texts are read only where the script may read (a bad text word is a null
// text); 803's buffer is written only inside script memory, whole or not at all.
//
// Choices of this program where the commands leave room:
// - 796-798 show their box owned by the main window; the owner word names no other owner.
//   Without a main window 797 and 798 answer 0 (nobody said yes).
// - 799 with a null text shows nothing and answers 0.
// - 803 answers 0, the buffer untouched, when the folder with its added '\' would not fit in
//   260 bytes or in the script's memory at the buffer.
// - 805 writes the target through the whole-file writer: a failed write leaves an old target
//   as it was. A target name that cannot be resolved (null, too long) is the write failure 2.
// - 806 and 807 with a null text change nothing (807 would otherwise delete the system's
//   screen-saver entry) and answer 0.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "framework/interfaces/cross_module.h"

// Where the desktop commands reach the shell and the system; tests put doubles here.
struct DesktopPort {
    // ShellExecuteA with the default verb and a normal window.
    std::function<void(const char* path)> openDocument;
    // OpenFolderInExplorer's result.
    std::function<std::int32_t(const char* folder)> openFolder;
    // The folder 803 names with `which` (0 Windows, 1 documents, 2 pictures, 3 application
    // data, 4 desktop) into `out` (MAX_PATH bytes); false when it cannot be read.
    std::function<bool(std::int32_t which, char* out)> folder;
    // Posts 808's message to the desktop window.
    std::function<void(UINT message, WPARAM wParam, LPARAM lParam)> postToDesktop;
    // SystemParametersInfoA; empty: the running application's platform, else the system's.
    std::function<BOOL(UINT action, UINT parameter, void* value, UINT winIni)> systemParameters;
};

// The process's port; the real shell and system unless a test changed it.
DesktopPort& DesktopOfCommands();
// The real shell and system.
DesktopPort SystemDesktop();

std::uint32_t XM_CDECL CmdMessageBox(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdAskYesNo(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdAskOkCancel(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdMessageDialog(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdOpenDocument(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetSystemFolder(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdOpenFolder(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdExtractFile(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetWallpaper(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetScreenSaver(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStartScreenSaver(std::uint32_t* arguments);
