// FileDialog: the open and save dialogs of the common dialog library, for script commands.
//
// A filter is written with tabs where the dialog wants NULs: description, tab, pattern, tab,
// and so on ("Pictures\t*.bmp;*.elg\tAll\t*.*\t\t"); the closing tabs may be left out. The
// caller's filter is never written to. The dialog remembers the filter index the user chose
// for the next call on the same object.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <cstdint>
#include <vector>

#include "framework/files/path_utilities.h"

class FileDialog {
public:
    // Characters of the file buffer and of the file-title buffer the caller provides.
    static constexpr DWORD kFileCapacity = kPathCapacity;
    static constexpr DWORD kFileTitleCapacity = 256;

    FileDialog();
    FileDialog(const FileDialog&) = delete;
    FileDialog& operator=(const FileDialog&) = delete;

    // The file buffer's text is the proposed name unless `clearFile` is set. The initial
    // folder resolves against the base directory (none when it does not resolve). True when
    // the user chose a file, whose path is then in `file` and its name in `fileTitle`.
    bool ShowOpen(HWND owner, const char* title, char* file, char* fileTitle,
                  const char* initialFolder, const char* filter, bool clearFile);
    // As ShowOpen, with the file buffer's text proposed and `defaultExtension` added to a name
    // typed without one; the user confirms overwriting an existing file.
    bool ShowSave(HWND owner, const char* title, char* file, char* fileTitle,
                  const char* initialFolder, const char* filter, const char* defaultExtension);
    // The filter index (1 = the first pair) that the last dialog left.
    std::int32_t GetFilterIndex() const { return static_cast<std::int32_t>(m_dialog.nFilterIndex); }

private:
    void Prepare(HWND owner, const char* title, char* file, char* fileTitle,
                 const char* initialFolder, const char* filter);

    OPENFILENAMEA m_dialog;
    std::vector<char> m_filter;
    char m_initialFolder[kPathCapacity];
};

// The dialog's own form of a tab-separated filter: tabs become NULs (the second byte of a
// two-byte character is left alone) and the list ends in two NULs.
std::vector<char> ConvertDialogFilter(const char* filter);
