// DroppedFileList: the names of the files dropped on the main window, kept until a script
// takes them. Filled on the window thread, read by script commands on the game thread; one
// lock guards every operation.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/runtime/recursive_lock.h"

class DroppedFileList {
public:
    DroppedFileList();
    virtual ~DroppedFileList() = default;

    // Stores the flag and hands it to DragAcceptFiles.
    void Accept(HWND window, std::int32_t accept);
    // 0 names stored; -1 the names of an earlier drop are still here (nothing is taken);
    // 1 out of memory; 2 any other failure (1 and 2 leave the list empty). Empty names are
    // skipped, so an empty drop stores nothing and answers 0. The drop is always finished.
    std::int32_t OnDropFiles(HDROP drop);
    // The name, or null when the index is not below the count. Valid until Clear.
    const char* Get(std::uint32_t index);
    void Clear();

    std::uint32_t Count();
    std::int32_t AcceptFlag();
    // Only the first dropped file is taken.
    void SetSingleFile(bool single);

private:
    std::int32_t m_accept;
    std::vector<std::string> m_names;
    bool m_singleFile;
    RecursiveLock m_lock;
};
