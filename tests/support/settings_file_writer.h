// Writes the application description and player settings files for tests, in the layouts the
// game program and the configuration tool share: QL_APP.SYS (u16 length, record), QL_APP.INF
// (3 header bytes, 5 strings behind length bytes) and USER.CFG (three blocks behind u16
// lengths, then the folder string).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// The 23-byte QL_APP.SYS record with the defaults of a fresh game: 640 x 480, save-folder mode 1.
std::vector<std::uint8_t> DefaultAppSysRecord();
// The record behind its length (the record's own size unless given).
std::vector<std::uint8_t> BuildAppSysFile(const std::vector<std::uint8_t>& record, int storedLength = -1);

// Version bytes and up to five strings (missing or empty ones are absent).
std::vector<std::uint8_t> BuildAppInfFile(std::uint8_t major, std::uint8_t minor, std::uint8_t letter,
                                          const std::vector<std::string>& strings);

// A USER.CFG's blocks of 72, 14 and 17 bytes filled with a recognisable pattern.
struct UserCfgBlocks {
    std::vector<std::uint8_t> blocks[3];
    std::string folder;
};
UserCfgBlocks PatternedUserCfg();
std::vector<std::uint8_t> BuildUserCfgFile(const UserCfgBlocks& content);

}  // namespace testsupport
