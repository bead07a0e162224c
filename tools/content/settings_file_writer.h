// Writes the five settings files of a game for tests and the sample game: QL_APP.SYS (u16
// length, record), QL_APP.INF (3 header bytes, 5 strings behind length bytes), USER.CFG (three
// blocks behind u16 lengths, then the folder string), APP_CFG.DAT (u32 length, block) and
// SET_UP.IFG ("IFG1", key length, key, scope). Every field and length can be set, and the
// defaults are spelled here from the file tables, apart from the program's readers.
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
// A fresh game's USER.CFG blocks (72, 14 and 17 bytes) and no folder.
UserCfgBlocks DefaultUserCfg();

// The 196-byte APP_CFG.DAT block of a fresh game.
std::vector<std::uint8_t> DefaultAppCfgBlock();
// The block behind its length (the block's own size unless given).
std::vector<std::uint8_t> BuildAppCfgFile(const std::vector<std::uint8_t>& block, std::int64_t storedLength = -1);

// SET_UP.IFG with the key's length byte as given (the key's size + 1 unless given) and the key
// with its NUL.
std::vector<std::uint8_t> BuildSetUpFile(const std::string& key, std::uint8_t scope, int storedLength = -1,
                                         const char* magic = "IFG1");

// Sets `width` bytes (1, 2 or 4) at `at` of a record, little-endian; throws std::out_of_range
// when they do not fit.
void SetField(std::vector<std::uint8_t>& record, std::size_t at, std::size_t width, std::uint32_t value);

}  // namespace testsupport
