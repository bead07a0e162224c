// Opcode 580, the animated pointer over a device drawable: w0 the drawable, w1 frame count, w2
// frame time, w3 ping-pong (byte), w4 and w5 the hot spot. The result is the mouse's
// (MouseDevice::SetCursorSprite): 0 set, 1 a surface sprite or 2 a textured quad without a usable
// surface (the old pointer stays), 3 another kind (the pointer is dropped). A word that names no
// live drawable drops the pointer as 0 does. When it is set and the system pointer is shown
// through the window's messages, the system pointer is hidden (message 0x9000), since the
// drawable now stands for it. Without an application or a mouse: 0, nothing changes.
//
// The mouse holds a pointer view of the drawable that this command owns. A drawable deleted by
// any path of the screen device is first taken off the mouse, so the mouse never draws or moves
// a freed drawable.
#pragma once

#include <cstdint>

#include "framework/interfaces/cross_module.h"

std::uint32_t XM_CDECL CmdSetCursorSprite(std::uint32_t* arguments);
