#include "tests/support/hdrop_builder.h"

#include <shlobj.h>

#include <cstring>

namespace testsupport {

HDROP BuildDropHandle(const std::vector<std::string>& names) {
    size_t size = sizeof(DROPFILES) + 1;
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
