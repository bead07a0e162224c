// The folder scan shared by the plug-in hosts: every file of a folder that matches a pattern is
// handed to the host's loader, in the order the file system lists them.
#pragma once

#include <cstdint>
#include <functional>

// Resolves `folder` against the base directory and calls `load` with the full path of every
// match of `pattern` (such as "*.DCP"). Returns the number of matches that failed to load (a
// nonzero load result, or a path too long to make), or -1 when the folder does not resolve or
// the pattern does not fit behind it.
std::int32_t ScanPluginFolder(const char* folder, const char* pattern,
                              const std::function<std::int32_t(const char* path)>& load);
