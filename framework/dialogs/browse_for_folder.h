// The shell's folder browser, for script commands.
#pragma once

#include <windows.h>

// Lets the user choose a file-system folder, starting at `startFolder` (resolved against the
// base directory; may be null). True with the folder in `outPath` (MAX_PATH characters); false
// with `outPath` empty when the user cancels.
bool BrowseForFolder(HWND owner, const char* title, const char* startFolder, char* outPath);
