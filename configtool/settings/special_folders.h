// Where the tool finds the shell's special folders. The application holds one provider; tests
// hand it their own folders.
#pragma once

#include <cstdint>

class SpecialFolderProvider {
public:
    virtual ~SpecialFolderProvider() = default;
    // Writes the folder of the CSIDL into a 260-byte buffer without creating it; false, leaving
    // the buffer as it was, when the shell has none.
    virtual bool GetSpecialFolderPath(char* buffer, std::int32_t csidl) = 0;
};

// The shell's own answer.
class ShellSpecialFolders final : public SpecialFolderProvider {
public:
    bool GetSpecialFolderPath(char* buffer, std::int32_t csidl) override;
};
