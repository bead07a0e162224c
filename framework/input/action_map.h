// ActionMap: a virtual input device that numbers the game's actions (up, down, left, right, the
// Enter action, the Escape action, ...) and binds each to any number of (device, code) pairs on
// the input manager's keyboard, mouse and joysticks, so the player can rebind keys and buttons
// without the scripts knowing. It holds no state between frames: every query asks the bound
// devices, as their last poll left them.
//
// Device numbers: 0 the keyboard, 1 the mouse, 2 + n joystick n of the manager. A binding holds
// the device object itself; the manager deletes its action maps together with its devices.
//
// Action numbers and device numbers come from scripts: anything outside the map (negative
// numbers included) is out of range, never an index.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/input/input_device.h"

class InputManager;

class ActionMap {
public:
    explicit ActionMap(InputManager* manager);

    // 0 ok; 1 count 0; 2 out of memory. Drops every binding first.
    std::int32_t Init(std::uint32_t actionCount);

    // 0 ok (appended to the action's bindings); 1 no manager or action out of range; 2 no
    // device with that number.
    std::int32_t AddBinding(std::int32_t action, std::int32_t device, std::uint8_t code);
    // 0 ok; 1 no manager or action out of range; 2 no such device; 3 the pair is not bound. A
    // negative device number removes every binding of the action. Otherwise the first binding
    // of that device and code (compared as bytes) goes.
    std::int32_t RemoveBinding(std::int32_t action, std::int32_t device, std::int32_t code);
    // Gives the first binding of that device whose code is `oldCode` (or, with a negative old
    // code, the first binding of that device at all) the new code. 0 ok; 1 no manager or action
    // out of range; 2 no such device; 3 no match.
    std::int32_t ChangeBinding(std::int32_t action, std::int32_t device, std::uint8_t newCode,
                               std::int32_t oldCode);

    // Whether a binding of the action is down / newly down; false out of range.
    bool IsHeld(std::int32_t action);
    bool IsTriggered(std::int32_t action);
    // The lowest action in [first, first + count) (count 0: to the last action; the end is
    // clipped to the action count) with a binding down / newly down, else -1.
    std::int32_t FirstHeld(std::int32_t first, std::int32_t count);
    std::int32_t FirstTriggered(std::int32_t first, std::int32_t count);

    // With a negative device number the action's bindings, else its bindings on that device;
    // 0 when there is no such device or action.
    std::int32_t BindingCount(std::int32_t action, std::int32_t device);
    // The index-th binding of the action (negative device number), or of the action on that
    // device. 0 ok; 1 no manager or action out of range; 2 index past the action's bindings; 3
    // no such device; 4 index past the device's bindings. Either out pointer may be null.
    std::int32_t GetBinding(std::int32_t action, std::int32_t device, std::int32_t index,
                            std::uint8_t* code, InputDevice** deviceOut);

    std::uint32_t ActionCount() const { return m_actionCount; }

private:
    struct Binding {
        InputDevice* device;
        std::uint8_t code;
    };
    using Bindings = std::vector<Binding>;

    // The action's bindings, or null without a manager or out of range.
    Bindings* ActionBindings(std::int32_t action);
    InputDevice* DeviceByNumber(std::int32_t device) const;
    bool AnyBinding(std::int32_t action, bool (InputDevice::*query)(std::uint8_t));
    std::int32_t FirstAction(std::int32_t first, std::int32_t count,
                             bool (InputDevice::*query)(std::uint8_t));

    InputManager* m_manager;
    std::uint32_t m_actionCount;
    std::vector<Bindings> m_actions;
};
