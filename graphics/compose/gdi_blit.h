// The BitBlt through which screens and canvases copy to device contexts. A pointer, so that a
// test can count and check the copies of a present; it starts as the system's BitBlt.
#pragma once

#include <windows.h>

using GdiBitBltFunc = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, DWORD);
extern GdiBitBltFunc g_gdiBitBlt;
