#include "tests/framework/app/file_settings_app.h"

#include <cstring>
#include <string>

#include "game/interfaces/settings_files.h"
#include "tests/support/win_test_env.h"

namespace apptest {

namespace {

std::uint32_t Half(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t Word(const std::uint8_t* p) { return Half(p) | (Half(p + 2) << 16); }

// The block behind the u16 length at `at`; null when the length or the data falls short of
// `size`. `at` moves past the block.
const std::uint8_t* Block(const std::vector<std::uint8_t>& file, std::size_t& at, std::uint32_t size) {
    if (file.size() < at + 2) return nullptr;
    const std::uint32_t length = Half(&file[at]);
    const std::uint8_t* block = &file[at + 2];
    if (length < size || file.size() - (at + 2) < length) return nullptr;
    at += 2 + length;
    return block;
}

}  // namespace

std::int32_t FileSettingsApp::Startup() {
    if (TestApp::Startup() != 0) return 1;
    const std::string folder = ProgramFolder();
    if (!LoadDescription(testsupport::ReadFile(folder + SettingsFiles::kAppSysName))) return 1;
    if (!LoadSettings(testsupport::ReadFile(folder + SettingsFiles::kUserCfgName))) return 1;
    return 0;
}

bool FileSettingsApp::LoadDescription(const std::vector<std::uint8_t>& file) {
    namespace F = SettingsFiles::AppSys;
    std::size_t at = 0;
    const std::uint8_t* r = Block(file, at, SettingsFiles::kAppSysRecordSize);
    if (r == nullptr) return false;
    AppDescription& d = Description();
    d.gameWidth = static_cast<std::int32_t>(Half(r + F::kGameWidth));
    d.gameHeight = static_cast<std::int32_t>(Half(r + F::kGameHeight));
    d.style = Word(r + F::kWindowStyle);
    d.exStyle = Word(r + F::kExtendedStyle);
    d.iconId = static_cast<std::uint16_t>(Half(r + F::kIconId));
    d.menuId = static_cast<std::uint16_t>(Half(r + F::kMenuId));
    d.acceleratorId = static_cast<std::uint16_t>(Half(r + F::kAcceleratorId));
    d.singleInstance = r[F::kSingleInstance];
    d.screenMode = r[F::kScreenModePolicy];
    d.saveFolderMode = r[F::kSaveFolderMode];
    d.menuBarMode = r[F::kMenuBarMode];
    return true;
}

bool FileSettingsApp::LoadSettings(const std::vector<std::uint8_t>& file) {
    std::size_t at = 0;
    const std::uint8_t* block1 = Block(file, at, SettingsFiles::kUserCfgBlockSizes[0]);
    if (block1 == nullptr) return false;
    const std::uint8_t* block2 = Block(file, at, SettingsFiles::kUserCfgBlockSizes[1]);
    if (block2 == nullptr) return false;
    PlayerSettings& s = Settings();
    std::memcpy(s.block1, block1, sizeof(s.block1));
    s.screenMode = block2[SettingsFiles::ScreenMode::kMode];
    s.colourDepth = block2[SettingsFiles::ScreenMode::kDepth];
    s.windowX = static_cast<std::int32_t>(Word(block2 + 2));
    s.windowY = static_cast<std::int32_t>(Word(block2 + 6));
    s.placeCursorAfterSwitch = block2[10];
    s.menuRevealDelay = static_cast<std::uint16_t>(Half(block2 + 11));
    s.repaintWhileInactive = block2[13];
    return true;
}

}  // namespace apptest
