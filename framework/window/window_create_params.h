// WindowCreateParams: what FrameworkWindow::Create takes, with the defaults the framework
// starts from.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

struct WindowCreateParams {
    std::int32_t x = -1;
    std::int32_t y = -1;
    std::int32_t clientWidth = 640;
    std::int32_t clientHeight = 480;
    std::uint32_t style = WS_CLIPCHILDREN | WS_OVERLAPPEDWINDOW;
    std::uint32_t exStyle = 0;
    // 0: the system's application icon.
    std::uint16_t iconId = 0;
    // 0: no menu.
    std::uint16_t menuId = 0;
    // 0 at the point; 1 at the point when the window fits there, else centred; 2 centred.
    // FrameworkWindow::ComputeWindowRect has the whole rule.
    std::uint8_t placementMode = 1;
    HBRUSH background = nullptr;
    std::string className;
    std::string title;
};
