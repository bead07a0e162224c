#include "framework/dialogs/file_dialog.h"

#include <cstring>

#include "framework/dialogs/common_dialog_platform.h"
#include "framework/files/shift_jis.h"

std::vector<char> ConvertDialogFilter(const char* filter) {
    std::vector<char> out;
    for (const char* p = filter; *p != '\0'; ++p) {
        if (IsShiftJisLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') {
            out.push_back(*p++);
            out.push_back(*p);
        } else {
            out.push_back(*p == '\t' ? '\0' : *p);
        }
    }
    while (out.size() < 2 || out[out.size() - 1] != '\0' || out[out.size() - 2] != '\0') {
        out.push_back('\0');
    }
    return out;
}

FileDialog::FileDialog() {
    std::memset(&m_dialog, 0, sizeof m_dialog);
    m_initialFolder[0] = '\0';
}

void FileDialog::Prepare(HWND owner, const char* title, char* file, char* fileTitle,
                         const char* initialFolder, const char* filter) {
    const DWORD filterIndex = m_dialog.nFilterIndex;
    std::memset(&m_dialog, 0, sizeof m_dialog);
    // The size of the structure as the dialogs have always taken it, without the later fields.
    m_dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    m_dialog.hwndOwner = owner;
    m_filter.clear();
    if (filter && *filter) m_filter = ConvertDialogFilter(filter);
    m_dialog.lpstrFilter = m_filter.empty() ? nullptr : m_filter.data();
    m_dialog.nFilterIndex = filterIndex;
    m_dialog.lpstrFile = file;
    m_dialog.nMaxFile = kFileCapacity;
    if (fileTitle) fileTitle[0] = '\0';
    m_dialog.lpstrFileTitle = fileTitle;
    m_dialog.nMaxFileTitle = kFileTitleCapacity;
    m_dialog.lpstrInitialDir =
        initialFolder && MakeFullPath(m_initialFolder, initialFolder, nullptr) != 0 ? m_initialFolder
                                                                                   : nullptr;
    m_dialog.lpstrTitle = title;
    m_dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
}

bool FileDialog::ShowOpen(HWND owner, const char* title, char* file, char* fileTitle,
                          const char* initialFolder, const char* filter, bool clearFile) {
    Prepare(owner, title, file, fileTitle, initialFolder, filter);
    if (clearFile && file) file[0] = '\0';
    return CurrentCommonDialogPlatform().getOpenFileName(&m_dialog) != FALSE;
}

bool FileDialog::ShowSave(HWND owner, const char* title, char* file, char* fileTitle,
                          const char* initialFolder, const char* filter,
                          const char* defaultExtension) {
    Prepare(owner, title, file, fileTitle, initialFolder, filter);
    m_dialog.lpstrDefExt = defaultExtension;
    return CurrentCommonDialogPlatform().getSaveFileName(&m_dialog) != FALSE;
}
