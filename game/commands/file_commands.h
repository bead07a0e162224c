// The file, folder and archive commands (opcodes 96-165): search folders, archive mounts and
// archive plug-ins of the program's file system, *.SPI plug-ins, path utilities, plain files,
// the scripts' file objects, the preloader, the folder listing, dropped files and the file
// dialogs. Each handler passes its words to one operation and returns that operation's result.
//
// Script words: a text is read to its terminator only where the script may read; an out word
// or buffer is written only inside memory the script may write, and string results go through
// the bounded writer (cut at a whole character, always terminated). A word that fails those
// checks is treated as the null the command has a result for, or else raises the script fault.
// File handles are looked up in the file list, so a stale or forged handle is "no handle".
//
// Choices of this program where the commands leave room:
// - 149 passes its third word's low byte as the listing's folders mode (0 files only, 1 folders
//   and files, 2 folders only) and its fourth word as the recurse flag (nonzero: the folders
//   below are listed too), as FileList::List takes them.
// - 142 formats with the bounded formatter into 512 bytes: a longer text is cut after at most
//   511 bytes, at a whole character, and that much is written.
// - 158 and 159 let the dialog write into buffers of the program's own (FileDialog's
//   capacities), then copy the answers into the script's buffers with the bounded writer; 160
//   answers 0 when the chosen folder with its '\' does not fit the script's buffer.
#pragma once

#include <cstdint>

#include "framework/interfaces/cross_module.h"

class DroppedFileList;
class FileList;
class PreloadThread;

// What the file commands reach beyond the file system: the scripts' folder listing and
// preloader (the program's own unless a test puts others there) and the main window's
// dropped-file list (none until the window hands its own: 156 then answers 0).
struct FileCommandServices {
    FileList* listing;
    PreloadThread* preload;
    DroppedFileList* dropped;
};
FileCommandServices& FileServicesOfCommands();

// Drops the script-memory regions of the file objects' loaded data; called before the file
// list is cleared.
void DropFileDataRegions();

// Virtual file system and archives.
std::uint32_t XM_CDECL CmdAddSearchDir(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdRemoveSearchDir(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetSearchDir(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdClearSearchDirs(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFindFile(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFindCdromWithFile(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetFileSize(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdLoadAdlPlugin(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdScanAdlFolder(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdUnloadAdlPlugins(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCallAdlAssist(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdMountArchive(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdRemoveMount(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdMountCount(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdRemoveAllMounts(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdMountEntryCount(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdMountEntryName(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdMountEntryInfo(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCallMountExtra(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdLocateFile(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdLoadSpiPlugin(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdScanSpiFolder(std::uint32_t* arguments);

// Paths and plain files.
std::uint32_t XM_CDECL CmdCutToParentDir(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetLastPathPart(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSplitFileName(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetExtension(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStripExtension(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetCurrentDirectory(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdRunProgram(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCreateDirectory(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdMoveFile(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCopyFileIfNewer(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetFileTime(std::uint32_t* arguments);

// Script file objects.
std::uint32_t XM_CDECL CmdCreateFileObject(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdDeleteFileObject(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdDeleteAllFileObjects(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdLoadFile(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdLoadFileFromMount(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdOpenFileStream(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCreateFile(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdOpenFileReadWrite(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCloseFile(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFileData(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFileSize(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFileName(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFileTell(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFileSeekSet(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFileSeekCur(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFileRead(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFileReadLine(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFileWrite(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFilePrintf(std::uint32_t* arguments);

// Preloader and folder listing.
std::uint32_t XM_CDECL CmdPreloadAllocate(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdPreloadQueue(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdPreloadWaitIdle(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdPreloadCountLoaded(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdPreloadSlotData(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdPreloadSlotSize(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdListFolder(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdListedName(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdListedSize(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdListedAttributes(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdListedTime(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdClearFolderList(std::uint32_t* arguments);

// Dropped files and dialogs.
std::uint32_t XM_CDECL CmdAcceptDroppedFiles(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetDroppedFile(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdClearDroppedFiles(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdOpenFileDialog(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSaveFileDialog(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdBrowseFolderDialog(std::uint32_t* arguments);
