// The TGS frame's mode bytes.
#pragma once

#include <cstdint>

struct TgsModeBytes {
    std::uint8_t skipMode = 0;
    std::uint8_t settingSkip = 0;
    std::uint8_t textRead = 0;
    std::uint8_t autoMode = 0;
    std::uint8_t inputActive = 0;
    std::uint8_t resuming = 0;
    // The frame hid the mouse cursor.
    std::uint8_t cursorHidden = 0;
};
