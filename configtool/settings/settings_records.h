// The six settings records the tool edits, their built-in defaults, and the readers and writers
// of SCRIPT\QL_APP.SYS, SCRIPT\QL_APP.INF and USER.CFG in the game program's layouts.
//
// Readers work on loaded bytes: a length prefix never makes them copy more than a record's size
// or read past the data. Writers produce whole files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "configtool/settings/config_item.h"
#include "game/interfaces/settings_files.h"

// Record indexes named by the items' `record` field.
enum ESettingsRecord : std::uint8_t {
    kAppSysRecord = 0,
    kAppInfRecord = 1,
    kUserCfgBlock1 = 2,
    kUserCfgBlock2 = 3,
    kUserCfgBlock3 = 4,
    kUserCfgFolder = 5,
};
constexpr std::uint8_t kSettingsRecordCount = 6;
// String slots of ConfigText items: record 1 offsets 3-7 name QL_APP.INF strings 0-4, record 5
// offset 0 names the USER.CFG folder string.
constexpr std::uint32_t kFirstAppInfStringSlot = 3;

struct SettingsRecords {
    std::uint8_t appSys[SettingsFiles::kAppSysRecordSize];
    std::uint8_t appInfHeader[SettingsFiles::kAppInfHeaderSize];
    std::string appInfStrings[SettingsFiles::kAppInfStringCount];  // empty = absent
    std::uint8_t block1[72];
    std::uint8_t block2[14];
    std::uint8_t block3[17];
    std::string folder;  // empty = none

    SettingsRecords() { SetDefaults(); }
    void SetDefaults();
    // The bytes of a numeric record and their count (0 for record 5 and unknown records).
    std::uint8_t* Bytes(std::uint8_t record, std::uint32_t* size);
    const std::uint8_t* Bytes(std::uint8_t record, std::uint32_t* size) const;
    // The string a ConfigText item names, or null when the item names no string slot.
    std::string* StringSlot(std::uint8_t record, std::uint32_t offset);

    std::uint8_t SaveFolderMode() const { return appSys[SettingsFiles::AppSys::kSaveFolderMode]; }
    const std::string& Title() const { return appInfStrings[SettingsFiles::AppInf::kTitle]; }
};

// False when the data cannot hold even the length prefix (QL_APP.SYS) or the header (QL_APP.INF).
bool ReadAppSys(const void* data, std::uint32_t size, SettingsRecords& records);
bool ReadAppInf(const void* data, std::uint32_t size, SettingsRecords& records);
// Copies what the file holds of the three blocks and the folder string; a short file leaves the
// rest as it was.
void ReadUserCfg(const void* data, std::uint32_t size, SettingsRecords& records);

std::vector<std::uint8_t> BuildAppSys(const SettingsRecords& records);
std::vector<std::uint8_t> BuildAppInf(const SettingsRecords& records);
std::vector<std::uint8_t> BuildUserCfg(const SettingsRecords& records);

// True when a numeric item's width is 1-4 and its bytes lie inside its record.
bool ItemPlaceIsValid(const SettingsRecords& records, const ConfigItem& item);
// The value an item takes from the records: numeric bytes zero-extended (0 for an invalid place),
// the named string, or the screen mode; adapter and device items keep their value. True when the
// value or text changed.
bool ReadItemFromRecords(const SettingsRecords& records, ConfigItem& item);
// Copies one item's value into the records. Throws ConfigMessageError for an invalid index or
// place and for a string item outside the string records.
void WriteItemToRecords(SettingsRecords& records, const ConfigItem& item);
