// Layouts of the files that configure a game: the application description (SCRIPT\QL_APP.SYS,
// SCRIPT\QL_APP.INF) and the player's settings file USER.CFG, which the game program and the
// configuration tool both read and write, and the game's own APP_CFG.DAT and SET_UP.IFG. Each program writes a whole file, so the last writer wins; a reader copies at
// most a record's size from a file and never reads past the data it was given.
//
// All integers are little-endian. Only layouts and constants live here: no code of either
// program, so that both can include it.
#pragma once

#include <cstdint>

namespace SettingsFiles {

// File names, relative to the base folder or a save folder.
constexpr const char kAppSysName[] = "SCRIPT\\QL_APP.SYS";
constexpr const char kAppInfName[] = "SCRIPT\\QL_APP.INF";
constexpr const char kUserCfgName[] = "USER.CFG";
constexpr const char kAppCfgName[] = "APP_CFG.DAT";
constexpr const char kSetUpName[] = "SET_UP.IFG";
// Appended to the application title when QL_APP.INF names no save folder of its own.
constexpr const char kSaveDataSuffix[] = " SaveData";

// QL_APP.SYS: a u16 record length, then the record.
constexpr std::uint32_t kAppSysRecordSize = 23;
namespace AppSys {
constexpr std::uint32_t kGameWidth = 0;          // u16
constexpr std::uint32_t kGameHeight = 2;         // u16
constexpr std::uint32_t kWindowStyle = 4;        // u32
constexpr std::uint32_t kExtendedStyle = 8;      // u32
constexpr std::uint32_t kIconId = 12;            // u16
constexpr std::uint32_t kMenuId = 14;            // u16
constexpr std::uint32_t kAcceleratorId = 16;     // u16
constexpr std::uint32_t kSingleInstance = 18;
constexpr std::uint32_t kScreenModePolicy = 19;  // 0 window only, 1 full screen only, 2 both
constexpr std::uint32_t kSaveFolderSwitch = 20;  // nonzero turns save-folder mode 1 into 0
constexpr std::uint32_t kSaveFolderMode = 21;
constexpr std::uint32_t kMenuBarMode = 22;
}  // namespace AppSys

// Save-folder modes (QL_APP.SYS record byte 21).
enum ESaveFolderMode : std::uint8_t {
    kSaveInDocuments = 0,       // <My Documents>\X, USER.CFG in it
    kSaveBesideProgram = 1,     // <base>SAVEDATA; USER.CFG in the base folder
    kSaveInChosenFolder = 2,    // the player's folder, kept in USER.CFG; USER.CFG in <AppData>\X
    kSaveInAppData = 3,         // <AppData>\X, USER.CFG in it
    kSaveInCommonAppData = 4,   // <Common AppData>\X (else <AppData>\X), USER.CFG in it
    kSaveInBaseFolder = 5,      // the base folder; USER.CFG read there, never written
};

// QL_APP.INF: 3 header bytes, then 5 strings, each a length byte (0 = absent) and that many
// bytes, which include the terminating NUL.
constexpr std::uint32_t kAppInfHeaderSize = 3;
constexpr std::uint32_t kAppInfStringCount = 5;
// The length byte counts the NUL, so a string holds at most 254 characters.
constexpr std::uint32_t kAppInfStringMaxLength = 254;
namespace AppInf {
constexpr std::uint32_t kVersionMajor = 0;
constexpr std::uint32_t kVersionMinor = 1;
constexpr std::uint32_t kVersionLetter = 2;
// String slots.
constexpr std::uint32_t kTitle = 0;
constexpr std::uint32_t kProductName = 1;
constexpr std::uint32_t kNotice = 2;
constexpr std::uint32_t kWebAddress = 3;
constexpr std::uint32_t kSaveFolderName = 4;
}  // namespace AppInf

// USER.CFG: three blocks, each behind a u16 length, then a u16 length and the folder that the
// player chose in save-folder mode 2 with its NUL (length 0 and nothing when there is none).
constexpr std::uint32_t kUserCfgBlockCount = 3;
constexpr std::uint32_t kUserCfgBlockSizes[kUserCfgBlockCount] = {72, 14, 17};

// The first block's display-device selection.
namespace DeviceSelection {
constexpr std::uint32_t kNoSelection = 8;       // nonzero: the tool stores no selection
constexpr std::uint32_t kAdapterId = 27;        // 16-byte GUID, all zero for the primary driver
constexpr std::uint32_t kAdapterSet = 43;       // u32, nonzero when kAdapterId holds a choice
constexpr std::uint32_t kDeviceId = 47;         // 16-byte GUID of the Direct3D device
constexpr std::uint32_t kDeviceSet = 63;        // u32, nonzero when kDeviceId holds a choice
constexpr std::uint32_t kRenderBitDepths = 67;  // u32, the device's DDBD flags
constexpr std::uint32_t kAdapterFlag = 71;      // 1 for the primary driver that renders windowed
constexpr std::uint32_t kIdSize = 16;
}  // namespace DeviceSelection

// The second block's screen mode and colour depth.
namespace ScreenMode {
constexpr std::uint32_t kMode = 0;   // 0 as the description allows, 1 full screen, 2 window
constexpr std::uint32_t kDepth = 1;  // 3, or a full-screen depth of 16, 24 or 32 bits
}  // namespace ScreenMode

// The third block (the game program's own technical settings).
namespace Block3 {
constexpr std::uint32_t kCompiledScripts = 0;
constexpr std::uint32_t kVSync = 1;            // 0 automatic, 1 off, 2 on
constexpr std::uint32_t kPreciseWait = 2;
constexpr std::uint32_t kVSyncVariant = 3;
constexpr std::uint32_t kSystemCursor = 4;
constexpr std::uint32_t kFrameSkip = 5;
constexpr std::uint32_t kWarnNoSound = 6;
constexpr std::uint32_t kDirectShow = 7;
constexpr std::uint32_t kMovieOption = 8;
constexpr std::uint32_t kScriptByte = 9;
constexpr std::uint32_t kImageCache = 10;
constexpr std::uint32_t kGlyphCache = 11;      // u16
constexpr std::uint32_t kAllowForcedVSync = 13;
constexpr std::uint32_t kScriptOption = 14;
constexpr std::uint32_t kNoBusyRedraw = 15;
constexpr std::uint32_t kCanvasOption = 16;
}  // namespace Block3

// APP_CFG.DAT, the game settings in the save folder: a u32 block length, then the block.
constexpr std::uint32_t kAppCfgBlockSize = 196;
namespace AppCfg {
constexpr std::uint32_t kFontFace = 36;         // 32 bytes, Shift-JIS, NUL-terminated
constexpr std::uint32_t kFontFaceSize = 32;
constexpr std::uint32_t kFullScreenResolution = 154;
constexpr std::uint32_t kDirectDrawResolution = 156;
constexpr std::uint32_t kMonitor = 157;
constexpr std::uint32_t kStartInWindow = 158;
constexpr std::uint32_t kRememberPosition = 159;
constexpr std::uint32_t kEnlargedMethod = 160;
constexpr std::uint32_t kEnlargedFlags = 161;   // 161-164
}  // namespace AppCfg

// SET_UP.IFG, where the installer recorded the installation: "IFG1", a length byte n (0 ends
// the file), the uninstall key's name in n bytes with its NUL, and the scope byte (0 the
// machine, else the installing user).
constexpr const char kSetUpMagic[] = "IFG1";

}  // namespace SettingsFiles
