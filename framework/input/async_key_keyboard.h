// The keyboards polled with GetAsyncKeyState: every row of KeyCodeTable, or only the rows of
// AsyncKeySubset. A virtual key that two rows share reads under both DirectInput codes: Escape
// reads as DIK_ESCAPE and as DIK_NOCONVERT.
#pragma once

#include <cstddef>

#include "framework/input/keyboard_device.h"

// Polls every row of KeyCodeTable.
class AsyncKeyKeyboard : public KeyboardDevice {
public:
    explicit AsyncKeyKeyboard(InputPlatform& platform = SystemInputPlatform());

    ::DeviceKind DeviceKind() const override { return ::DeviceKind::WindowsApi; }
    std::int32_t Poll() override;

protected:
    // Writes the keys of the given KeyCodeTable rows (all rows when null) into the current half
    // and flips.
    void PollRows(const std::uint8_t* rows, std::size_t count);
};

// Polls only the rows of AsyncKeySubset.
class AsyncKeySubsetKeyboard : public AsyncKeyKeyboard {
public:
    explicit AsyncKeySubsetKeyboard(InputPlatform& platform = SystemInputPlatform());

    ::DeviceKind DeviceKind() const override { return ::DeviceKind::WindowsApiSubset; }
    std::int32_t Poll() override;
};
