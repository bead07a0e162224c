#include "framework/files/path_utilities.h"

#include <cstring>

#include "framework/files/shift_jis.h"

namespace {

char g_baseDirectory[kPathCapacity] = "";

// Advances over one character, a Shift-JIS pair as a whole (never past the terminator).
const char* NextChar(const char* p) {
    return p + (IsShiftJisLeadByte(static_cast<unsigned char>(p[0])) && p[1] != '\0' ? 2 : 1);
}

// The last separator of the path, or null.
const char* LastSeparator(const char* path) {
    const char* last = nullptr;
    for (const char* p = path; *p != '\0'; p = NextChar(p)) {
        if (IsPathSeparator(*p)) last = p;
    }
    return last;
}

// The dot that starts the extension of the last path element, or null.
const char* ExtensionDot(const char* path) {
    const char* dot = nullptr;
    for (const char* p = path; *p != '\0'; p = NextChar(p)) {
        if (*p == '.') dot = p;
        else if (IsPathSeparator(*p)) dot = nullptr;
    }
    return dot;
}

bool HoldsColon(const char* name) {
    for (const char* p = name; *p != '\0'; p = NextChar(p)) {
        if (*p == ':') return true;
    }
    return false;
}

// '/' becomes '\' from `from` on.
void ConvertSlashes(char* from) {
    for (char* p = from; *p != '\0'; p = const_cast<char*>(NextChar(p))) {
        if (*p == '/') *p = '\\';
    }
}

bool CopyBounded(char* out, const char* text) {
    const std::size_t length = std::strlen(text);
    if (length >= kPathCapacity) return false;
    std::memcpy(out, text, length + 1);
    return true;
}

}  // namespace

std::int32_t MakeFullPath(char* out, const char* name, const char* base) {
    if (!out) return 0;
    out[0] = '\0';
    if (!name) return 0;
    if ((name[0] == '\\' && name[1] == '\\') || HoldsColon(name)) {
        if (!CopyBounded(out, name)) return 0;
        ConvertSlashes(out);
        return 1;
    }
    char folder[kPathCapacity];
    if (!CopyBounded(folder, base ? base : g_baseDirectory)) return 0;
    for (;;) {
        if (name[0] == '.' && IsPathSeparator(name[1])) {
            name += 2;
        } else if (name[0] == '.' && name[1] == '.' && IsPathSeparator(name[2])) {
            if (CutToParentDir(folder) != 0) return 0;
            name += 3;
        } else {
            break;
        }
    }
    std::size_t folderLength = std::strlen(folder);
    if (folderLength == 0) return 0;
    if (IsPathSeparator(name[0])) ++name;
    // A given base may lack its trailing separator; the join still needs one.
    const bool needsSeparator = !EndsWithSeparator(folder);
    const std::size_t nameLength = std::strlen(name);
    if (folderLength + (needsSeparator ? 1 : 0) + nameLength >= kPathCapacity) return 0;
    if (needsSeparator) folder[folderLength++] = '\\';
    std::memcpy(out, folder, folderLength);
    std::memcpy(out + folderLength, name, nameLength + 1);
    ConvertSlashes(out + folderLength);
    return 2;
}

const char* GetBaseDirectory() { return g_baseDirectory; }

std::int32_t SetBaseDirectoryFromModule(HMODULE module) {
    char path[kPathCapacity];
    const DWORD length = GetModuleFileNameA(module, path, kPathCapacity);
    if (length == 0 || length >= kPathCapacity) return 1;
    const std::int32_t result = CutToParentDir(path);
    if (result == 0) std::memcpy(g_baseDirectory, path, std::strlen(path) + 1);
    return result;
}

std::int32_t SetBaseDirectory(const char* path) {
    char full[kPathCapacity];
    if (MakeFullPath(full, path, nullptr) == 0) return 1;
    if (!EndsWithSeparator(full) && !AppendToPath(full, "\\")) return 1;
    std::memcpy(g_baseDirectory, full, std::strlen(full) + 1);
    return 0;
}

std::int32_t CutToParentDir(char* path) {
    if (!path || std::strlen(path) <= 2) return 1;
    // The last separator that is not the path's final character.
    const char* cut = nullptr;
    for (const char* p = path; *p != '\0'; p = NextChar(p)) {
        if (IsPathSeparator(*p) && p[1] != '\0') cut = p;
    }
    if (!cut) return 1;
    path[cut - path + 1] = '\0';
    return 0;
}

void SplitPathPart(const char* path, char* out, std::int32_t mode) {
    out[0] = '\0';
    if (!path) return;
    const char* last = LastSeparator(path);
    if (!last) {
        CopyBounded(out, path);
        return;
    }
    if (last[1] != '\0') {
        CopyBounded(out, last + 1);
        return;
    }
    if (mode != 1) return;
    // The folder name between the separator before the last one and the last one.
    const char* start = path;
    for (const char* p = path; p < last; p = NextChar(p)) {
        if (IsPathSeparator(*p)) start = p + 1;
    }
    const std::size_t length = static_cast<std::size_t>(last - start);
    if (length >= kPathCapacity) return;
    std::memcpy(out, start, length);
    out[length] = '\0';
}

void SplitFileName(char* path, char* out) {
    if (out) out[0] = '\0';
    if (!path) return;
    const char* last = LastSeparator(path);
    char* name = last ? path + (last - path) + 1 : path;
    if (out) CopyBounded(out, name);
    *name = '\0';
}

void GetExtensionPart(const char* path, char* out) {
    out[0] = '\0';
    if (!path) return;
    const char* dot = ExtensionDot(path);
    if (dot) CopyBounded(out, dot + 1);
}

void StripExtension(char* path, char* out) {
    if (out) out[0] = '\0';
    if (!path) return;
    const char* dot = ExtensionDot(path);
    if (!dot) return;
    char* cut = path + (dot - path);
    if (out) CopyBounded(out, cut + 1);
    *cut = '\0';
}

bool EndsWithSeparator(const char* path) {
    const char* last = path ? LastSeparator(path) : nullptr;
    return last && last[1] == '\0';
}

bool AppendToPath(char* path, const char* tail) {
    const std::size_t length = std::strlen(path);
    const std::size_t tailLength = std::strlen(tail);
    if (length + tailLength >= kPathCapacity) return false;
    std::memcpy(path + length, tail, tailLength + 1);
    return true;
}

std::string LowerCopy(const char* path) {
    std::string lower(path);
    if (!lower.empty()) CharLowerA(&lower[0]);
    return lower;
}
