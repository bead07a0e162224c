// The application routines of the command base: menu requests as window messages, the
// clipboard, and the file the next load reads.
#pragma once

#include <cstdint>
#include <string>

// Requests of PostMenuCommand.
enum MenuRequest : std::uint32_t {
    kRequestSettings = 0,
    kRequestSave = 1,
    kRequestLoad = 2,
    kRequestClose = 3,
    kRequestScreenMode = 4,
    kRequestVersion = 5,
    kRequestReturnToTitle = 6,
    kRequestDialog = 7,
};

// Turns a request into a message to the main window: WM_COMMAND 40005, 40007, 40008 and 40002
// (requests 0, 1, 2, 6) only while that menu entry is enabled; WM_CLOSE (3); WM_COMMAND 40001
// (4) only while mode changes are allowed; WM_COMMAND 40004 (5). sendNow sends, else posts.
// 1 when a message went out, 0 when refused or unknown. Request 7 is always refused: the
// dialog message takes a request record, and a bare dialog id would be read as one.
std::int32_t PostMenuCommand(std::uint32_t request, bool sendNow, std::uint32_t dialogId);

// Puts bytes of text (0: the string with its terminator) on the clipboard as CF_TEXT under the
// main window. The block is one byte longer and zero-filled, so the clipboard text is always
// terminated. 0; 1 null text; 2 the block cannot be allocated; 3 the clipboard cannot be opened
// or refused the block.
std::int32_t CopyTextToClipboard(const char* text, std::uint32_t bytes);

// Glides the pointer to the game point (x, y) over duration ms. Unless force is set, nothing
// happens (0) while the pointer stands at the lower right corner of the game area; nothing (0)
// while the player's glide setting is off. Otherwise the start's result: 0 with the task in the
// out word, else 1, 2 or -1 (inactive) with 0 in the out word. outTask may be 0.
std::int32_t StartCursorGlide(std::int32_t x, std::int32_t y, std::uint32_t duration, bool force,
                              std::uint8_t mode, std::uint32_t outTask);

// The file the next load with a negative bank reads; null clears it.
void SetPendingLoadFile(const char* path);
const std::string& PendingLoadFile();
