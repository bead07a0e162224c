// The screen-device settings and image-loader host commands (opcodes 196-210): the drawing
// path, the clear colour and per-frame clearing, destroying the device's objects, owner keys,
// the full-screen and letterbox state, the decoded-image cache and the image plug-ins.
//
// Choices of this program where the commands leave room:
// - 196/197 keep the drawing-path byte in the device's hardware-canvas mode (0 GDI; other
//   values the DirectDraw and Direct3D paths), the byte the start-up sets from the settings.
// - 202 hands the device only the mode's bit value 2 (drawables of every other key); surfaces
//   are never released by it.
// - 204, 205 and 206 answer for a name that is no readable text as the host does for a file
//   that does not load (2), a bad path (1) and a bad folder (-1).
#pragma once

#include <cstdint>

#include "framework/interfaces/cross_module.h"

std::uint32_t XM_CDECL CmdSetPresentationMode(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetPresentationMode(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetScreenClearColour(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetClearEachFrame(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdDestroyAllGraphicsObjects(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetObjectOwnerKey(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdReleaseDrawablesByOwner(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetImageCacheLimit(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdPreloadImage(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdLoadImagePlugin(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdScanImagePluginFolder(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdUnloadImagePlugin(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCallImagePluginAssist(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsFullScreen(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetLetterboxRect(std::uint32_t* arguments);

// The limit 203 hands the host for a script's value and the player's cache setting.
std::int32_t ImageCacheLimitFor(std::int32_t megabytes, std::uint8_t setting);
