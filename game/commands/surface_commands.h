// The surface commands (opcodes 222 to 251): scripts make the screen device's surfaces
// (DirectDraw images, text bitmaps, textures, screens, software images), then query, key and
// fill them. A creation answers the new surface's word (for the texture kinds the texture face),
// or 0 when the device refused; the device's own codes do not reach the script.
//
// Script words: surface, image and font words are looked up among the screen device's live
// objects; a word naming none, or an object of another family or kind, gets the row's null
// result. Texts and variables follow the script memory's rules (a bad text is a null one, a bad
// variable word is a null variable), and the data ranges of 224, 228, 234 and 235 must lie whole
// in one region of script memory (else 0, nothing made).
//
// Choices of this program where the commands leave room:
// - 222 makes its image in video memory, as the driver places it.
// - 240 answers 0, changing nothing, for a word that names no software image.
// - 242 attaches only a GDI screen (kind 9): any other word answers 1 and the game screen stays.
// - 243 passes the device's 3 for a pinned surface (the display canvas, a lent one).
#pragma once

#include <cstdint>

#include "framework/interfaces/cross_module.h"

std::uint32_t XM_CDECL CmdCreateDirectDrawImage(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdLoadDirectDrawImage(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdLoadDirectDrawImageFromMemory(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCreateTextBitmap(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCreateDirectDrawScreen(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdLoadTextureImage(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdLoadTextureImageFromMemory(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCreateTextureText(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCreateTextureScreen(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCreateImage(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdLoadImage(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdLoadIndexedImage(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdLoadImageFromMemory(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdLoadIndexedImageFromMemory(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCreateImageFromText(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCopyImage(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCreateGdiScreen(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCreateGdiScreenSimple(std::uint32_t* arguments);

std::uint32_t XM_CDECL CmdSetImageDirtyTracking(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetGameScreen(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetGameScreen(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdReleaseSurface(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetSurfaceWidth(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetSurfaceHeight(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetColourKeyFromPixel(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetColourKey(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdClearColourKey(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetSurfaceOriginX(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetSurfaceOriginY(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFillSurface(std::uint32_t* arguments);
