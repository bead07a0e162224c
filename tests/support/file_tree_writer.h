// Writes small trees of files and folders for the tests that read folders: files of given sizes
// filled with bytes from a seed, last-write times given in UTC and attributes set last.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// Bytes that differ from seed to seed and along the file.
std::vector<std::uint8_t> SeededBytes(std::uint32_t seed, std::size_t size);

struct TreeItem {
    // Relative to the tree's root; a folder's ends with '\'. Parent folders come before their
    // contents.
    std::string path;
    // Files: filled with SeededBytes(seed, size).
    std::uint32_t size = 0;
    std::uint32_t seed = 0;
    // The last-write time in UTC.
    SYSTEMTIME lastWrite = {};
    // Added to what the file system gives the new item (FILE_ATTRIBUTE_HIDDEN, ...).
    DWORD attributes = 0;
};

// A UTC time for TreeItem::lastWrite.
SYSTEMTIME UtcTime(int year, int month, int day, int hour, int minute, int second);

// Writes the items under `root` (ending with '\'). Times are set once every file is written (a
// folder's changes as files are made in it), attributes after that. False on any failure.
bool WriteTree(const std::string& root, const std::vector<TreeItem>& items);

}  // namespace testsupport
