// Path utilities: every file name of the program is resolved with these.
//
// Rules: '\' and '/' are both separators; the byte after a Shift-JIS lead byte belongs to the
// same character and is never taken for a separator, a dot or a drive colon. Every output buffer
// holds kPathCapacity characters with the terminator; a result that would not fit is an error
// and leaves the output empty.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

constexpr std::uint32_t kPathCapacity = MAX_PATH;

// Resolves `name`: a UNC name or one holding a ':' is taken as it is (1); anything else is
// joined to `base`, or to the base directory when `base` is null (2), after leading ".\" and
// "..\" parts have been applied to the base. '/' in the name becomes '\'. 0 when the name
// cannot be resolved (null name, empty base, ".." above the root, or too long).
std::int32_t MakeFullPath(char* out, const char* name, const char* base);

// The base directory every relative name is resolved against: an absolute folder ending in '\'.
const char* GetBaseDirectory();
// Base directory = the folder of the module's file; the CutToParentDir result (1 on failure).
std::int32_t SetBaseDirectoryFromModule(HMODULE module);
// Base directory = `path` resolved against the current one, with a trailing '\'; 0, or 1.
std::int32_t SetBaseDirectory(const char* path);

// In place: C:\A\B\file becomes C:\A\B\ and C:\A\B\ becomes C:\A\. 1 when the path has two
// characters or fewer or no separator to cut at, else 0.
std::int32_t CutToParentDir(char* path);
// out = the name after the last separator; for a path that ends with a separator, mode 0 gives
// an empty name and mode 1 the last folder's name.
void SplitPathPart(const char* path, char* out, std::int32_t mode);
// In place: cuts the path after its last separator, copying the name to `out` (may be null).
void SplitFileName(char* path, char* out);
// out = the extension of the last path element, without its dot; empty when it has none.
void GetExtensionPart(const char* path, char* out);
// In place: cuts the extension of the last path element off, copying it to `out` (may be null)
// without the dot.
void StripExtension(char* path, char* out);

// True when the path's last character is a separator (a pair's second byte is not one).
bool EndsWithSeparator(const char* path);
// Appends `tail` to the path held in a kPathCapacity buffer; false, leaving the path as it
// was, when the result would not fit.
bool AppendToPath(char* path, const char* tail);

// A lower-cased copy of a path (CharLowerA, so the second byte of a pair is left alone), the
// form under which names are compared.
std::string LowerCopy(const char* path);

// True for '\' and '/'.
inline bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }
