#include "framework/input/action_map.h"

#include <new>
#include <stdexcept>

#include "framework/input/input_manager.h"

ActionMap::ActionMap(InputManager* manager) : m_manager(manager), m_actionCount(0) {}

std::int32_t ActionMap::Init(std::uint32_t actionCount) {
    m_actions.clear();
    m_actions.shrink_to_fit();
    m_actionCount = 0;
    if (actionCount == 0) return 1;
    try {
        m_actions.resize(actionCount);
    } catch (const std::bad_alloc&) {
        return 2;
    } catch (const std::length_error&) {
        return 2;
    }
    m_actionCount = actionCount;
    return 0;
}

ActionMap::Bindings* ActionMap::ActionBindings(std::int32_t action) {
    if (!m_manager || action < 0 || static_cast<std::uint32_t>(action) >= m_actionCount) {
        return nullptr;
    }
    return &m_actions[static_cast<std::size_t>(action)];
}

InputDevice* ActionMap::DeviceByNumber(std::int32_t device) const {
    switch (device) {
    case 0: return m_manager->Keyboard();
    case 1: return m_manager->Mouse();
    default: return device >= 2 ? m_manager->GetJoystick(device - 2) : nullptr;
    }
}

std::int32_t ActionMap::AddBinding(std::int32_t action, std::int32_t device, std::uint8_t code) {
    Bindings* bindings = ActionBindings(action);
    if (!bindings) return 1;
    InputDevice* object = DeviceByNumber(device);
    if (!object) return 2;
    bindings->push_back({object, code});
    return 0;
}

std::int32_t ActionMap::RemoveBinding(std::int32_t action, std::int32_t device,
                                      std::int32_t code) {
    Bindings* bindings = ActionBindings(action);
    if (!bindings) return 1;
    if (device < 0) {
        bindings->clear();
        return 0;
    }
    InputDevice* object = DeviceByNumber(device);
    if (!object) return 2;
    const auto byte = static_cast<std::uint8_t>(code);
    for (auto it = bindings->begin(); it != bindings->end(); ++it) {
        if (it->device == object && it->code == byte) {
            bindings->erase(it);
            return 0;
        }
    }
    return 3;
}

std::int32_t ActionMap::ChangeBinding(std::int32_t action, std::int32_t device,
                                      std::uint8_t newCode, std::int32_t oldCode) {
    Bindings* bindings = ActionBindings(action);
    if (!bindings) return 1;
    InputDevice* object = DeviceByNumber(device);
    if (!object) return 2;
    for (Binding& binding : *bindings) {
        if (binding.device != object) continue;
        if (oldCode < 0 || binding.code == static_cast<std::uint8_t>(oldCode)) {
            binding.code = newCode;
            return 0;
        }
    }
    return 3;
}

bool ActionMap::AnyBinding(std::int32_t action, bool (InputDevice::*query)(std::uint8_t)) {
    Bindings* bindings = ActionBindings(action);
    if (!bindings) return false;
    for (const Binding& binding : *bindings) {
        if ((binding.device->*query)(binding.code)) return true;
    }
    return false;
}

bool ActionMap::IsHeld(std::int32_t action) { return AnyBinding(action, &InputDevice::IsDown); }

bool ActionMap::IsTriggered(std::int32_t action) {
    return AnyBinding(action, &InputDevice::IsTriggered);
}

std::int32_t ActionMap::FirstAction(std::int32_t first, std::int32_t count,
                                    bool (InputDevice::*query)(std::uint8_t)) {
    if (!m_manager || first < 0) return -1;
    std::int64_t end = count == 0 ? std::int64_t(m_actionCount) : std::int64_t(first) + count;
    if (end > INT32_MAX) return -1;
    if (end > std::int64_t(m_actionCount)) end = m_actionCount;
    for (std::int64_t action = first; action < end; ++action) {
        if (AnyBinding(static_cast<std::int32_t>(action), query)) {
            return static_cast<std::int32_t>(action);
        }
    }
    return -1;
}

std::int32_t ActionMap::FirstHeld(std::int32_t first, std::int32_t count) {
    return FirstAction(first, count, &InputDevice::IsDown);
}

std::int32_t ActionMap::FirstTriggered(std::int32_t first, std::int32_t count) {
    return FirstAction(first, count, &InputDevice::IsTriggered);
}

std::int32_t ActionMap::BindingCount(std::int32_t action, std::int32_t device) {
    Bindings* bindings = ActionBindings(action);
    if (!bindings) return 0;
    if (device < 0) return static_cast<std::int32_t>(bindings->size());
    InputDevice* object = DeviceByNumber(device);
    if (!object) return 0;
    std::int32_t count = 0;
    for (const Binding& binding : *bindings) {
        if (binding.device == object) ++count;
    }
    return count;
}

std::int32_t ActionMap::GetBinding(std::int32_t action, std::int32_t device, std::int32_t index,
                                   std::uint8_t* code, InputDevice** deviceOut) {
    Bindings* bindings = ActionBindings(action);
    if (!bindings) return 1;
    const Binding* found = nullptr;
    if (device < 0) {
        if (index < 0 || static_cast<std::size_t>(index) >= bindings->size()) return 2;
        found = &(*bindings)[static_cast<std::size_t>(index)];
    } else {
        InputDevice* object = DeviceByNumber(device);
        if (!object) return 3;
        std::int32_t seen = 0;
        for (const Binding& binding : *bindings) {
            if (binding.device != object) continue;
            if (seen++ == index) {
                found = &binding;
                break;
            }
        }
        if (!found) return 4;
    }
    if (code) *code = found->code;
    if (deviceOut) *deviceOut = found->device;
    return 0;
}
