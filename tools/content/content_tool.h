// What game_content.exe does, as functions the tests can call: settings files from
// `field = value` lines over a fresh game's defaults.
//
// Lines: `name = value`; blank lines and lines starting with '#' are skipped. A value is a
// number (decimal, -N or 0xN) or, for text fields, the rest of the line (UTF-8, stored as
// Shift-JIS). Fields by file kind:
//   sys    width, height, style, exstyle, icon, menu, accelerators, single_instance,
//          screen_mode_policy, save_folder_switch, save_folder_mode, menu_bar_mode, length;
//          or `@offset[:width]` (file offset, width 1, 2 or 4)
//   inf    major, minor, letter, title, product, notice, web, save_folder
//   user   threaded, display_canvas, log, input, screen_mode, length1..length3, folder;
//          or `bN@byte[:width]` (byte of block N)
//   appcfg length, or `@offset[:width]` (offset in the block)
//   setup  key, scope, length
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// Throws std::invalid_argument naming the line of a mistake.
std::vector<std::uint8_t> BuildSettingsFromLines(const std::string& kind, const std::string& lines);

}  // namespace testsupport
