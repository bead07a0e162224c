// The game program's readers and writers of its five settings files (layouts in
// game/interfaces/settings_files.h). They work on whole files in memory.
//
// A reader copies at most a record's size from a block and skips the rest of a longer block, so
// that later blocks are still found; texts end inside their buffers. A file that ends exactly
// between two blocks or texts is read as if the rest were left out. Anything else (a length
// that runs past the end of the file, a cut inside a length) is damage: the reader answers
// kSettingsDamaged and leaves its output as it was, never half-read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/interfaces/settings_files.h"

enum SettingsReadResult : int {
    kSettingsRead = 0,
    // SET_UP.IFG only: a wrong magic or an empty key name; nothing to read.
    kSettingsNothing = 1,
    kSettingsDamaged = 2,
};

// The QL_APP.SYS record with the defaults of a file that leaves fields out.
struct AppSysRecord {
    std::uint8_t bytes[SettingsFiles::kAppSysRecordSize];
    AppSysRecord();
    std::uint32_t Half(std::uint32_t at) const { return bytes[at] | (bytes[at + 1] << 8); }
    std::uint32_t Word(std::uint32_t at) const { return Half(at) | (Half(at + 2) << 16); }
    std::uint8_t SaveFolderMode() const { return bytes[SettingsFiles::AppSys::kSaveFolderMode]; }
};

struct AppInfTexts {
    std::uint8_t version[SettingsFiles::kAppInfHeaderSize] = {};
    std::string texts[SettingsFiles::kAppInfStringCount];
    // Text 4 was given (it may still be empty).
    bool hasSaveFolderName = false;
    // X of the save-folder rules: text 4, else the title followed by " SaveData".
    std::string SaveFolderName() const;
};

struct UserCfgRecords {
    std::uint8_t block1[72];
    std::uint8_t block2[14];
    std::uint8_t block3[17];
    // The folder chosen in save-folder mode 2; empty when there is none.
    std::string folder;
    UserCfgRecords();
    std::int32_t WindowX() const;
    std::int32_t WindowY() const;
    void SetWindowPosition(std::int32_t x, std::int32_t y);
};

struct AppCfgBlock {
    std::uint8_t bytes[SettingsFiles::kAppCfgBlockSize];
    AppCfgBlock();
};

struct SetUpInfo {
    std::string key;
    std::uint8_t scope = 0;
};

// Applies the forced values (window style, icon, menu and accelerator ids) after copying.
int ReadAppSysFile(const std::vector<std::uint8_t>& file, AppSysRecord& record);
int ReadAppInfFile(const std::vector<std::uint8_t>& file, AppInfTexts& texts);
// A chosen-folder text replaces the previous one only when the file gives one.
int ReadUserCfgFile(const std::vector<std::uint8_t>& file, UserCfgRecords& records);
int ReadAppCfgFile(const std::vector<std::uint8_t>& file, AppCfgBlock& block);
int ReadSetUpFile(const std::vector<std::uint8_t>& file, SetUpInfo& info);

std::vector<std::uint8_t> BuildUserCfgFile(const UserCfgRecords& records);
std::vector<std::uint8_t> BuildAppCfgFile(const AppCfgBlock& block);
