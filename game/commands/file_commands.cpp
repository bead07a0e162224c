#include "game/commands/file_commands.h"

#include <windows.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "framework/files/file_services.h"
#include "framework/files/file_stream.h"
#include "framework/files/path_utilities.h"
#include "framework/files/preload_thread.h"
#include "framework/files/virtual_file_system.h"
#include "framework/plugins/spi_plugin_loader.h"
#include "framework/window/dropped_file_list.h"
#include "game/app/application.h"
#include "game/commands/command_args.h"
#include "game/commands/command_guard.h"
#include "game/commands/command_services.h"
#include "game/commands/dos_date_time.h"
#include "game/commands/file_script_words.h"
#include "game/commands/script_formatter.h"
#include "game/commands/script_object_lists.h"
#include "game/commands/script_string_writer.h"
#include "game/services/file_list.h"
#include "game/services/preload_script_memory.h"

using command_args::Bool;
using command_args::Byte;
using command_args::Int;
using command_args::Result;
using namespace file_script_words;

FileCommandServices& FileServicesOfCommands() {
    static FileList listing;
    static PreloadScriptMemory preloadMemory;
    static PreloadThread preload(&preloadMemory);
    static FileCommandServices services{&listing, &preload, nullptr};
    return services;
}

namespace {

// A file object's loaded data is script memory while the object holds it, so that scripts may
// read and change it in place and copy from it.
std::map<std::uint32_t, ScriptMemoryRegistration>& DataRegions() {
    static std::map<std::uint32_t, ScriptMemoryRegistration> regions;
    return regions;
}

}  // namespace

void DropFileDataRegions() { DataRegions().clear(); }

namespace {

// The handler of a command: its body behind the guard that keeps exceptions in.
#define FILE_COMMAND(name, failure)                                          \
    std::uint32_t XM_CDECL name(std::uint32_t* arguments) {                   \
        return GuardedCommand<name##Body, failure>(arguments);               \
    }

VirtualFileSystem* Vfs() { return g_virtualFileSystem; }

// ---- Virtual file system and archives ----

// A found path goes whole into the script's buffer; one that does not fit there is the bad-path
// result 1 (a cut path would name another file).
std::uint32_t PathResult(std::int32_t code, std::uint32_t out, const char* path) {
    if (code == 0 || code == -1) {
        if (!FitsWhole(out, path)) return 1;
        WriteWholeText(out, path);
    }
    return Result(code);
}

std::uint32_t CmdAddSearchDirBody(std::uint32_t* w) {
    if (!Vfs()) return 1;
    return Result(Vfs()->AddSearchDir(Text(w[0]), Bool(w[1])));
}

std::uint32_t CmdRemoveSearchDirBody(std::uint32_t* w) {
    if (!Vfs()) return 1;
    return Result(Vfs()->RemoveSearchDir(Text(w[0]), Int(w[1])));
}

std::uint32_t CmdGetSearchDirBody(std::uint32_t* w) {
    if (!Vfs()) return 0;
    if (Int(w[0]) < -1) return Result(Vfs()->SearchDirCount());
    return command_args::HandleWord(Vfs()->GetSearchDir(Int(w[0])));
}

std::uint32_t CmdClearSearchDirsBody(std::uint32_t*) {
    if (Vfs()) Vfs()->ClearSearchDirs();
    return 0;
}

std::uint32_t CmdFindFileBody(std::uint32_t* w) {
    if (!Vfs()) return 1;
    RequireOut(w[0]);
    char path[kPathCapacity] = "";
    const std::int32_t code = Vfs()->FindFile(path, Text(w[1]), nullptr);
    return PathResult(code, w[0], path);
}

std::uint32_t CmdFindCdromWithFileBody(std::uint32_t* w) {
    char root[8] = "";
    const std::int32_t code = FindCdromWithFile(Text(w[0]), root);
    if (code == 0) WriteWholeText(w[1], root);
    return Result(code);
}

std::uint32_t CmdGetFileSizeBody(std::uint32_t* w) {
    const std::int32_t size = GetPlainFileSize(Text(w[0]));
    if (size == -1) return 0;
    PutOptionalOut<std::int32_t>(w[1], size);
    return 1;
}

std::uint32_t CmdLoadAdlPluginBody(std::uint32_t* w) {
    if (!Vfs()) return 5;
    return Result(Vfs()->LoadAdlPlugin(Text(w[0])));
}

std::uint32_t CmdScanAdlFolderBody(std::uint32_t* w) {
    if (!Vfs()) return Result(-1);
    return Result(Vfs()->ScanAdlFolder(Text(w[0])));
}

std::uint32_t CmdUnloadAdlPluginsBody(std::uint32_t* w) {
    if (!Vfs()) return 0;
    if (Int(w[0]) == -1) {
        Vfs()->UnloadAllAdl();
    } else {
        Vfs()->UnloadAdlByType(Int(w[0]));
    }
    return 0;
}

std::uint32_t CmdCallAdlAssistBody(std::uint32_t* w) {
    const AdlAssistFunc2 assist = Vfs() ? Vfs()->FindAdlAssistFunc2(Int(w[0])) : nullptr;
    if (!assist) return Result(kAdlNotSupported);
    return Result(assist(w + 1));
}

std::uint32_t CmdMountArchiveBody(std::uint32_t* w) {
    if (!Vfs()) return 3;
    return Result(Vfs()->MountArchive(Text(w[0]), Int(w[1]), Bool(w[2]), Bool(w[3]), nullptr));
}

std::uint32_t CmdRemoveMountBody(std::uint32_t* w) {
    if (Vfs()) Vfs()->RemoveMount(nullptr, Int(w[0]), Int(w[1]));
    return 0;
}

std::uint32_t CmdMountCountBody(std::uint32_t*) { return Vfs() ? Result(Vfs()->MountCount()) : 0; }

std::uint32_t CmdRemoveAllMountsBody(std::uint32_t*) {
    if (Vfs()) Vfs()->RemoveAllMounts();
    return 0;
}

Archive* MountByTag(std::uint32_t tag) { return Vfs() ? Vfs()->GetMountArchive(Int(tag), -1) : nullptr; }

std::uint32_t CmdMountEntryCountBody(std::uint32_t* w) {
    Archive* const archive = MountByTag(w[0]);
    return archive ? archive->EntryCount() : 0;
}

std::uint32_t CmdMountEntryNameBody(std::uint32_t* w) {
    Archive* const archive = MountByTag(w[0]);
    if (!archive || w[1] >= archive->EntryCount()) return 0;
    ArchiveEntryTableItem* const table = archive->EntryTable();
    if (!table) return 0;
    return command_args::HandleWord(table[w[1]].name);
}

std::uint32_t CmdMountEntryInfoBody(std::uint32_t* w) {
    Archive* const archive = MountByTag(w[0]);
    if (!archive) return 1;
    const ArchiveEntryInfo* const info = archive->EntryInfo(Int(w[1]), nullptr);
    if (!info) return 2;
    PutOptionalOut<std::uint32_t>(w[2], info->storedSize);
    PutOptionalOut<std::uint32_t>(w[3], info->unpackedSize);
    PutOptionalOut<std::uint32_t>(w[4], DosDateTimeOfEntry(info->timeStamp));
    PutOptionalOut<std::uint8_t>(w[5], info->kind);
    PutOptionalOut<std::uint8_t>(w[6], info->entryFlags);
    return 0;
}

std::uint32_t CmdCallMountExtraBody(std::uint32_t* w) {
    Archive* const archive = MountByTag(w[0]);
    if (!archive) return Result(-3);
    return Result(archive->FormatExtra(w + 1));
}

std::uint32_t CmdLocateFileBody(std::uint32_t* w) {
    if (!Vfs()) return 1;
    RequireOut(w[0]);
    char path[kPathCapacity] = "";
    const std::int32_t code = Vfs()->LocateFile(path, Text(w[1]), nullptr);
    return PathResult(code, w[0], path);
}

std::uint32_t CmdLoadSpiPluginBody(std::uint32_t* w) { return Result(SpiLoadPlugin(Text(w[0]), 1, 1)); }

std::uint32_t CmdScanSpiFolderBody(std::uint32_t* w) { return Result(SpiScanFolder(Text(w[0]), 1, 1)); }

// ---- Paths and plain files ----

// The path utilities work on path buffers of the program's size: the script's text is copied
// into one (a longer text is refused as a bad name would be) and the answers are copied back.
bool PathIn(std::uint32_t word, char (&path)[kPathCapacity]) {
    const char* const text = Text(word);
    if (!text) return false;
    const std::size_t length = std::strlen(text);
    if (length >= kPathCapacity) return false;
    std::memcpy(path, text, length + 1);
    return true;
}

std::uint32_t CmdCutToParentDirBody(std::uint32_t* w) {
    char path[kPathCapacity];
    if (!PathIn(w[0], path)) return 0;
    if (CutToParentDir(path) != 0) return 0;
    WriteText(w[0], path);
    return 1;
}

std::uint32_t CmdGetLastPathPartBody(std::uint32_t* w) {
    char path[kPathCapacity];
    char part[kPathCapacity] = "";
    if (PathIn(w[0], path)) SplitPathPart(path, part, 1);
    WriteText(w[1], part);
    return 0;
}

std::uint32_t CmdSplitFileNameBody(std::uint32_t* w) {
    char path[kPathCapacity];
    char name[kPathCapacity] = "";
    if (!PathIn(w[0], path)) return 0;
    SplitFileName(path, name);
    WriteText(w[0], path);
    if (w[1] != 0) WriteText(w[1], name);
    return 0;
}

std::uint32_t CmdGetExtensionBody(std::uint32_t* w) {
    char path[kPathCapacity];
    char extension[kPathCapacity] = "";
    if (PathIn(w[0], path)) GetExtensionPart(path, extension);
    WriteText(w[1], extension);
    return 0;
}

std::uint32_t CmdStripExtensionBody(std::uint32_t* w) {
    char path[kPathCapacity];
    char extension[kPathCapacity] = "";
    if (!PathIn(w[0], path)) return 0;
    StripExtension(path, extension);
    WriteText(w[0], path);
    if (w[1] != 0) WriteText(w[1], extension);
    return 0;
}

std::uint32_t CmdSetCurrentDirectoryBody(std::uint32_t* w) {
    const char* const folder = Text(w[0]);
    return folder && SetCurrentDirectoryA(folder) ? 1 : 0;
}

std::uint32_t CmdRunProgramBody(std::uint32_t* w) { return Result(RunProgram(Text(w[0]), Int(w[1]), 0, 0)); }

std::uint32_t CmdCreateDirectoryBody(std::uint32_t* w) {
    char path[kPathCapacity];
    if (MakeFullPath(path, Text(w[0]), nullptr) == 0) return 1;
    return CreateDirectoryA(path, nullptr) ? 0 : 2;
}

std::uint32_t CmdMoveFileBody(std::uint32_t* w) {
    char source[kPathCapacity];
    char target[kPathCapacity];
    if (MakeFullPath(source, Text(w[0]), nullptr) == 0) return 1;
    if (MakeFullPath(target, Text(w[1]), nullptr) == 0) return 2;
    return MoveFileA(source, target) ? 0 : 3;
}

std::uint32_t CmdCopyFileIfNewerBody(std::uint32_t* w) {
    return Result(CopyFileIfNewer(Text(w[0]), Text(w[1]), Int(w[2])));
}

// Seven time parts, each written where its out word points (null: not wanted).
void PutTimeParts(const std::uint32_t* outs, const std::int32_t (&parts)[7]) {
    for (int i = 0; i < 7; ++i) PutOptionalOut<std::int32_t>(outs[i], parts[i]);
}

std::uint32_t CmdGetFileTimeBody(std::uint32_t* w) {
    std::int32_t parts[7] = {};
    const std::int32_t code =
        GetFileTimeParts(Text(w[0]), &parts[0], &parts[1], &parts[2], &parts[3], &parts[4], &parts[5], &parts[6]);
    if (code == 0) PutTimeParts(w + 1, parts);
    return Result(code);
}

// ---- Script file objects ----

FileStream* FileOf(std::uint32_t word) { return FileStreamList().Find(word); }

// After anything that may load, close or free the object's data.
void SyncDataRegion(std::uint32_t handle) {
    FileStream* const file = FileOf(handle);
    void* const data = file ? file->Data() : nullptr;
    if (!data || file->Size() == 0) {
        DataRegions().erase(handle);
        return;
    }
    DataRegions()[handle].Reset(data, file->Size(), true);
}

// The result of an operation on the object, its data region brought up to date.
std::uint32_t Synced(std::uint32_t handle, std::uint32_t result) {
    SyncDataRegion(handle);
    return result;
}

std::uint32_t CmdCreateFileObjectBody(std::uint32_t*) {
    std::uint32_t handle = 0;
    return AddFileStream(&handle) == 0 ? handle : 0;
}

std::uint32_t CmdDeleteFileObjectBody(std::uint32_t* w) {
    if (w[0] == 0) return 1;
    std::uint32_t handle = 0;
    if (!ReadWord(w[0], &handle)) return 1;
    const std::int32_t code = FileStreamList().Remove(handle);
    SyncDataRegion(handle);
    if (code == 0) PutOptionalOut<std::uint32_t>(w[0], 0);
    return Result(code);
}

std::uint32_t CmdDeleteAllFileObjectsBody(std::uint32_t*) {
    DropFileDataRegions();
    FileStreamList().Clear();
    return 0;
}

constexpr std::uint32_t kNoFileHandle = 5;

std::uint32_t CmdLoadFileBody(std::uint32_t* w) {
    FileStream* const file = FileOf(w[0]);
    return file ? Synced(w[0], Result(file->LoadFile(Text(w[1])))) : kNoFileHandle;
}

std::uint32_t CmdLoadFileFromMountBody(std::uint32_t* w) {
    FileStream* const file = FileOf(w[0]);
    return file ? Synced(w[0], Result(file->LoadFromMount(Int(w[1]), Int(w[2]), Text(w[3])))) : kNoFileHandle;
}

std::uint32_t CmdOpenFileStreamBody(std::uint32_t* w) {
    FileStream* const file = FileOf(w[0]);
    return file ? Synced(w[0], Result(file->OpenStream(Text(w[1])))) : kNoFileHandle;
}

std::uint32_t CmdCreateFileBody(std::uint32_t* w) {
    FileStream* const file = FileOf(w[0]);
    return file ? Synced(w[0], Result(file->Create(Text(w[1]), Bool(w[2])))) : kNoFileHandle;
}

std::uint32_t CmdOpenFileReadWriteBody(std::uint32_t* w) {
    FileStream* const file = FileOf(w[0]);
    return file ? Synced(w[0], Result(file->OpenReadWrite(Text(w[1])))) : kNoFileHandle;
}

std::uint32_t CmdCloseFileBody(std::uint32_t* w) {
    if (FileStream* const file = FileOf(w[0])) file->Close();
    return Synced(w[0], 0);
}

std::uint32_t CmdFileDataBody(std::uint32_t* w) {
    FileStream* const file = FileOf(w[0]);
    return file ? command_args::HandleWord(file->Data()) : 0;
}

std::uint32_t CmdFileSizeBody(std::uint32_t* w) {
    FileStream* const file = FileOf(w[0]);
    return file ? file->Size() : 0;
}

std::uint32_t CmdFileNameBody(std::uint32_t* w) {
    FileStream* const file = FileOf(w[0]);
    return file ? command_args::HandleWord(file->FileName()) : 0;
}

std::uint32_t CmdFileTellBody(std::uint32_t* w) {
    FileStream* const file = FileOf(w[0]);
    return file ? Result(file->Tell()) : Result(-1);
}

std::uint32_t CmdFileSeekSetBody(std::uint32_t* w) {
    FileStream* const file = FileOf(w[0]);
    return file ? Result(file->SeekSet(Int(w[1]))) : kNoFileHandle;
}

std::uint32_t CmdFileSeekCurBody(std::uint32_t* w) {
    FileStream* const file = FileOf(w[0]);
    return file ? Result(file->SeekCur(Int(w[1]))) : kNoFileHandle;
}

std::uint32_t CmdFileReadBody(std::uint32_t* w) {
    FileStream* const file = FileOf(w[0]);
    if (!file || w[2] == 0) return 0;
    void* const destination = WritableBytes(w[1], w[2]);
    if (!destination) return 0;
    return file->Read(destination, w[2]);
}

std::uint32_t CmdFileReadLineBody(std::uint32_t* w) {
    FileStream* const file = FileOf(w[0]);
    if (!file) return 0;
    const std::uint32_t size = w[2] == 0 ? 256 : w[2];
    if (w[1] == 0) return file->ReadLine(nullptr, size);
    char* const destination = static_cast<char*>(WritableBytes(w[1], size));
    if (!destination) return 0;
    return file->ReadLine(destination, size);
}

std::uint32_t CmdFileWriteBody(std::uint32_t* w) {
    FileStream* const file = FileOf(w[0]);
    if (!file || w[2] == 0) return 0;
    const void* const source = ReadableBytes(w[1], w[2]);
    if (!source) return 0;
    return file->Write(source, w[2]);
}

// The printed text of 142: its 512-byte buffer holds at most this much before the terminator.
constexpr std::size_t kPrintfLimit = 511;

std::uint32_t CmdFilePrintfBody(std::uint32_t* w) {
    FileStream* const file = FileOf(w[0]);
    const char* const format = Text(w[1]);
    if (!file || !format) return 0;
    // The argument words are those of the block's memory from w2 on; a format asking for more
    // is refused. No format of 511 bytes can use more words than this.
    constexpr std::size_t kMostFormatWords = 512;
    const std::size_t wordCount = script_memory::ArgumentWords(w, 2, kMostFormatWords);
    std::string text;
    if (!FormatScriptText(format, w + 2, wordCount, kPrintfLimit, text)) return 0;
    const std::size_t length = WholeCharacterPrefix(text.data(), text.size(), kPrintfLimit);
    if (length == 0) return 0;
    return file->Write(text.data(), static_cast<std::uint32_t>(length));
}

// ---- Preloader and folder listing ----

PreloadThread* Preload() { return FileServicesOfCommands().preload; }
FileList* Listing() { return FileServicesOfCommands().listing; }

std::uint16_t Low16(std::uint32_t word) { return static_cast<std::uint16_t>(word & 0xFFFF); }

std::uint32_t CmdPreloadAllocateBody(std::uint32_t* w) {
    return Preload() ? Result(Preload()->AllocateSlots(Low16(w[0]))) : 0;
}

std::uint32_t CmdPreloadQueueBody(std::uint32_t* w) {
    if (!Preload()) return PreloadThread::kBadRange;
    const std::uint16_t count = Low16(w[1]);
    // The names are the words from w2 on: all of them must lie in the block's memory.
    if (count == 0 || script_memory::ArgumentWords(w, 2, count) < count) return PreloadThread::kBadRange;
    std::vector<const char*> names(count);
    for (std::uint16_t i = 0; i < count; ++i) {
        names[i] = Text(w[2 + i]);
        if (!names[i]) return PreloadThread::kBadRange;
    }
    return Result(Preload()->Queue(Low16(w[0]), count, names.data()));
}

std::uint32_t CmdPreloadWaitIdleBody(std::uint32_t*) {
    return Preload() ? static_cast<std::uint8_t>(Preload()->WaitIdle()) : 0;
}

std::uint32_t CmdPreloadCountLoadedBody(std::uint32_t* w) {
    if (!Preload()) return 0;
    if (Low16(w[1]) == 0) {
        Preload()->StopAndFree();
        return 0;
    }
    return Result(Preload()->CountLoaded(Low16(w[0]), Low16(w[1])));
}

std::uint32_t CmdPreloadSlotDataBody(std::uint32_t* w) {
    return Preload() ? command_args::HandleWord(Preload()->SlotData(Low16(w[0]))) : 0;
}

std::uint32_t CmdPreloadSlotSizeBody(std::uint32_t* w) { return Preload() ? Preload()->SlotSize(Low16(w[0])) : 0; }

std::uint32_t CmdListFolderBody(std::uint32_t* w) {
    if (!Listing()) return 0;
    Listing()->Clear();
    return Listing()->List(Text(w[0]), Text(w[1]), Byte(w[2]), Bool(w[3]));
}

const FileListEntry* ListedEntry(std::uint32_t index) { return Listing() ? Listing()->Entry(index) : nullptr; }

std::uint32_t CmdListedNameBody(std::uint32_t* w) {
    const FileListEntry* const entry = ListedEntry(w[0]);
    return entry ? command_args::HandleWord(entry->name.c_str()) : 0;
}

std::uint32_t CmdListedSizeBody(std::uint32_t* w) {
    const FileListEntry* const entry = ListedEntry(w[0]);
    return entry ? entry->size : 0;
}

std::uint32_t CmdListedAttributesBody(std::uint32_t* w) {
    const FileListEntry* const entry = ListedEntry(w[0]);
    return entry ? entry->flags : 0;
}

std::uint32_t CmdListedTimeBody(std::uint32_t* w) {
    const FileListEntry* const entry = ListedEntry(w[0]);
    if (!entry) return 0;
    const std::int32_t parts[7] = {entry->year, entry->month, entry->day, entry->hour,
                                   entry->minute, entry->second, entry->weekday};
    PutTimeParts(w + 1, parts);
    return 1;
}

std::uint32_t CmdClearFolderListBody(std::uint32_t*) {
    if (Listing()) Listing()->Clear();
    return 0;
}

// ---- Dropped files and dialogs ----

DroppedFileList* Dropped() { return FileServicesOfCommands().dropped; }

std::uint32_t CmdAcceptDroppedFilesBody(std::uint32_t* w) {
    AppWindowPort* const window = Services().window;
    if (Dropped()) Dropped()->Accept(window ? window->MainWindow() : nullptr, Int(w[0]));
    return 0;
}

std::uint32_t CmdGetDroppedFileBody(std::uint32_t* w) {
    if (!Dropped()) return 0;
    if (Int(w[0]) < 0) return Dropped()->Count();
    return command_args::HandleWord(Dropped()->Get(w[0]));
}

std::uint32_t CmdClearDroppedFilesBody(std::uint32_t*) {
    if (Dropped()) Dropped()->Clear();
    return 0;
}

// Runs a file dialog on the window thread into the program's own buffers; the answers reach
// the script's buffers only when both fit whole.
std::uint32_t RunFileDialog(std::uint32_t* w, bool save) {
    if (w[1] == 0 || w[2] == 0) return 0;
    AppWindowPort* const window = Services().window;
    if (!window) return 0;
    char file[FileDialog::kFileCapacity] = "";
    char fileTitle[FileDialog::kFileTitleCapacity] = "";
    if (save) CopyTextIn(w[1], file, sizeof file);
    FileDialogRequest request;
    request.title = Text(w[0]);
    request.file = file;
    request.fileTitle = fileTitle;
    request.initialFolder = Text(w[3]);
    request.filter = Text(w[4]);
    request.clearFile = 1;
    request.defaultExtension = save ? Text(w[5]) : nullptr;
    window->SendToMainWindow(WM_COMMAND, save ? kCmdSaveFile : kCmdOpenFile,
                             static_cast<LPARAM>(reinterpret_cast<std::uintptr_t>(&request)));
    if (request.result == 0) return 0;
    if (!FitsWhole(w[1], file) || !FitsWhole(w[2], fileTitle)) return 0;
    WriteWholeText(w[1], file);
    WriteWholeText(w[2], fileTitle);
    return Result(request.result);
}

std::uint32_t CmdOpenFileDialogBody(std::uint32_t* w) { return RunFileDialog(w, false); }

std::uint32_t CmdSaveFileDialogBody(std::uint32_t* w) { return RunFileDialog(w, true); }

std::uint32_t CmdBrowseFolderDialogBody(std::uint32_t* w) {
    if (w[2] == 0) return 0;
    AppWindowPort* const window = Services().window;
    if (!window) return 0;
    char folder[kPathCapacity + 1] = "";
    FolderRequest request;
    request.title = Text(w[0]);
    request.startFolder = Text(w[1]);
    request.folder = folder;
    request.capacity = sizeof folder;
    window->SendToMainWindow(WM_COMMAND, kCmdBrowseFolder, static_cast<LPARAM>(reinterpret_cast<std::uintptr_t>(&request)));
    if (request.result == 0 || !FitsWhole(w[2], folder)) return 0;
    WriteWholeText(w[2], folder);
    return 1;
}

}  // namespace

FILE_COMMAND(CmdAddSearchDir, 1)
FILE_COMMAND(CmdRemoveSearchDir, 1)
FILE_COMMAND(CmdGetSearchDir, 0)
FILE_COMMAND(CmdClearSearchDirs, 0)
FILE_COMMAND(CmdFindFile, 1)
FILE_COMMAND(CmdFindCdromWithFile, 1)
FILE_COMMAND(CmdGetFileSize, 0)
FILE_COMMAND(CmdLoadAdlPlugin, 5)
FILE_COMMAND(CmdScanAdlFolder, -1)
FILE_COMMAND(CmdUnloadAdlPlugins, 0)
FILE_COMMAND(CmdCallAdlAssist, -2)
FILE_COMMAND(CmdMountArchive, 14)
FILE_COMMAND(CmdRemoveMount, 0)
FILE_COMMAND(CmdMountCount, 0)
FILE_COMMAND(CmdRemoveAllMounts, 0)
FILE_COMMAND(CmdMountEntryCount, 0)
FILE_COMMAND(CmdMountEntryName, 0)
FILE_COMMAND(CmdMountEntryInfo, 2)
FILE_COMMAND(CmdCallMountExtra, -3)
FILE_COMMAND(CmdLocateFile, 1)
FILE_COMMAND(CmdLoadSpiPlugin, 5)
FILE_COMMAND(CmdScanSpiFolder, -1)
FILE_COMMAND(CmdCutToParentDir, 0)
FILE_COMMAND(CmdGetLastPathPart, 0)
FILE_COMMAND(CmdSplitFileName, 0)
FILE_COMMAND(CmdGetExtension, 0)
FILE_COMMAND(CmdStripExtension, 0)
FILE_COMMAND(CmdSetCurrentDirectory, 0)
FILE_COMMAND(CmdRunProgram, 1)
FILE_COMMAND(CmdCreateDirectory, 2)
FILE_COMMAND(CmdMoveFile, 3)
FILE_COMMAND(CmdCopyFileIfNewer, -1)
FILE_COMMAND(CmdGetFileTime, 3)
FILE_COMMAND(CmdCreateFileObject, 0)
FILE_COMMAND(CmdDeleteFileObject, 1)
FILE_COMMAND(CmdDeleteAllFileObjects, 0)
FILE_COMMAND(CmdLoadFile, 14)
FILE_COMMAND(CmdLoadFileFromMount, 14)
FILE_COMMAND(CmdOpenFileStream, 14)
FILE_COMMAND(CmdCreateFile, 3)
FILE_COMMAND(CmdOpenFileReadWrite, 3)
FILE_COMMAND(CmdCloseFile, 0)
FILE_COMMAND(CmdFileData, 0)
FILE_COMMAND(CmdFileSize, 0)
FILE_COMMAND(CmdFileName, 0)
FILE_COMMAND(CmdFileTell, -1)
FILE_COMMAND(CmdFileSeekSet, 6)
FILE_COMMAND(CmdFileSeekCur, 6)
FILE_COMMAND(CmdFileRead, 0)
FILE_COMMAND(CmdFileReadLine, 0)
FILE_COMMAND(CmdFileWrite, 0)
FILE_COMMAND(CmdFilePrintf, 0)
FILE_COMMAND(CmdPreloadAllocate, 0)
FILE_COMMAND(CmdPreloadQueue, 3)
FILE_COMMAND(CmdPreloadWaitIdle, 0)
FILE_COMMAND(CmdPreloadCountLoaded, 0)
FILE_COMMAND(CmdPreloadSlotData, 0)
FILE_COMMAND(CmdPreloadSlotSize, 0)
FILE_COMMAND(CmdListFolder, 0)
FILE_COMMAND(CmdListedName, 0)
FILE_COMMAND(CmdListedSize, 0)
FILE_COMMAND(CmdListedAttributes, 0)
FILE_COMMAND(CmdListedTime, 0)
FILE_COMMAND(CmdClearFolderList, 0)
FILE_COMMAND(CmdAcceptDroppedFiles, 0)
FILE_COMMAND(CmdGetDroppedFile, 0)
FILE_COMMAND(CmdClearDroppedFiles, 0)
FILE_COMMAND(CmdOpenFileDialog, 0)
FILE_COMMAND(CmdSaveFileDialog, 0)
FILE_COMMAND(CmdBrowseFolderDialog, 0)
