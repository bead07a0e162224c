// Whole-file helpers of the content writers (and of the tests, through win_test_env.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// '/' becomes '\'.
std::string NormaliseSeparators(std::string path);
// Creates every folder on the way to `path` (its last part is a file name).
void CreateParentFolders(const std::string& path);
// Writes `data` to `path`, creating the folders on the way. Returns false on failure.
bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& data);
bool WriteFile(const std::string& path, const std::string& text);
// Reads a whole file; an empty vector when it cannot be opened.
std::vector<std::uint8_t> ReadFile(const std::string& path);

}  // namespace testsupport
