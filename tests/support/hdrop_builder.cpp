#include "tests/support/hdrop_builder.h"

#include <shlobj.h>

#include <cstring>

namespace testsupport {

HDROP BuildDropHandle(const std::vector<std::string>& names) {
    // The names, each with its terminator, then the list's terminator; an empty list gets
    // two, so that a reader looking past an empty first name stays inside the block.
    size_t size = sizeof(DROPFILES) + (names.empty() ? 2 : 1);
    for (const std::string& name : names) size += name.size() + 1;
    HGLOBAL block = GlobalAlloc(GHND, size);
    if (block == nullptr) return nullptr;
    auto* header = static_cast<DROPFILES*>(GlobalLock(block));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = FALSE;
    char* text = reinterpret_cast<char*>(header) + sizeof(DROPFILES);
    for (const std::string& name : names) {
        std::memcpy(text, name.c_str(), name.size() + 1);
        text += name.size() + 1;
    }
    *text = '\0';
    GlobalUnlock(block);
    return static_cast<HDROP>(block);
}

}  // namespace testsupport
