#include "tools/content/content_files.h"

#include <windows.h>

namespace testsupport {

std::string NormaliseSeparators(std::string path) {
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

void CreateParentFolders(const std::string& path) {
    for (size_t i = 3; i < path.size(); ++i) {
        if (path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
    }
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& data) {
    const std::string full = NormaliseSeparators(path);
    CreateParentFolders(full);
    HANDLE file = CreateFileA(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = data.empty() ||
              ::WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == data.size();
}

bool WriteFile(const std::string& path, const std::string& text) {
    return WriteFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::vector<std::uint8_t> data;
    HANDLE file = CreateFileA(NormaliseSeparators(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return data;
    DWORD size = GetFileSize(file, nullptr);
    if (size != INVALID_FILE_SIZE && size > 0) {
        data.resize(size);
        DWORD read = 0;
        if (!::ReadFile(file, data.data(), size, &read, nullptr)) read = 0;
        data.resize(read);
    }
    CloseHandle(file);
    return data;
}

}  // namespace testsupport
