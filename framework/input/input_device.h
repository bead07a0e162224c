// InputDevice: the queries that every keyboard, mouse and joystick answers, and through which
// the action map reads its bindings whatever the device family.
//
// Every device keeps two copies of its state and a selector of the current copy (the "half"):
// a poll writes the newest state into the current half and flips the selector, so the newest
// state is in half (current ^ 1) and the previous one in half (current). A code counts as down
// when bit 7 of its byte is set.
#pragma once

#include <cstddef>
#include <cstdint>

// How a keyboard or mouse reads its state.
enum class DeviceKind : std::uint8_t {
    DirectInput = 0,
    WindowsApi = 1,      // polled with GetAsyncKeyState
    WindowMessages = 2,  // fed by the window's key and button messages
    WindowsApiSubset = 3,  // polled with GetAsyncKeyState, 47 keys only
};

class InputDevice {
public:
    virtual ~InputDevice() = default;

    virtual bool IsDown(std::uint8_t code) = 0;
    // Down now and not at the poll before.
    virtual bool IsTriggered(std::uint8_t code) = 0;
    // The lowest code that is down, or -1.
    virtual std::int32_t FirstDown() = 0;
    // The lowest code that is newly down, or -1.
    virtual std::int32_t FirstTriggered() = 0;
    // Both halves read as nothing pressed.
    virtual void ClearState() = 0;
};

// Queries over the two halves of a byte-per-code state.
inline bool StateByteDown(std::uint8_t value) { return (value & 0x80) != 0; }

inline std::int32_t FirstDownCode(const std::uint8_t* newest, std::size_t count) {
    for (std::size_t code = 0; code < count; ++code) {
        if (StateByteDown(newest[code])) return static_cast<std::int32_t>(code);
    }
    return -1;
}

inline std::int32_t FirstTriggeredCode(const std::uint8_t* newest, const std::uint8_t* previous,
                                       std::size_t count) {
    for (std::size_t code = 0; code < count; ++code) {
        if (StateByteDown(newest[code]) && !StateByteDown(previous[code])) {
            return static_cast<std::int32_t>(code);
        }
    }
    return -1;
}
