// KeyboardDevice: the keyboard as the game reads it, by DirectInput key code (DIK_*), in four
// kinds: DirectInput, polled with GetAsyncKeyState (all keys of KeyCodeTable, or only the 47 of
// AsyncKeySubset), and fed by the window's key messages. The polled kinds also work outside the
// input manager: the settings pages make private ones.
#pragma once

#include <cstdint>

#include "framework/input/input_device.h"
#include "framework/input/input_platform.h"

class KeyboardDevice : public InputDevice {
public:
    explicit KeyboardDevice(InputPlatform& platform);
    KeyboardDevice(const KeyboardDevice&) = delete;
    KeyboardDevice& operator=(const KeyboardDevice&) = delete;

    bool IsDown(std::uint8_t code) override;
    bool IsTriggered(std::uint8_t code) override;
    std::int32_t FirstDown() override;
    std::int32_t FirstTriggered() override;
    void ClearState() override;
    // Only the window-message kind tells auto-repeated presses apart; the others say false.
    virtual bool IsRepeated(std::uint8_t code);
    virtual ::DeviceKind DeviceKind() const = 0;
    virtual void Acquire();
    // Gives up the device where there is one; every kind clears its state, so keys held while
    // the window is in the background read as released.
    virtual void Unacquire();
    // 0 ok, 1 no device, 2 device lost.
    virtual std::int32_t Poll() = 0;

    // Re-reads the toggle state of Caps Lock, Num Lock or Scroll Lock; other keys are ignored.
    void UpdateLockKey(int virtualKey);
    void RefreshLockKeys();
    // Bit 0 set while the lock is on.
    std::uint8_t ScrollLockState() const { return m_scrollLock; }
    std::uint8_t CapsLockState() const { return m_capsLock; }
    std::uint8_t NumLockState() const { return m_numLock; }

    // Whether a window-message keyboard counts auto-repeated key-down messages as presses.
    bool RepeatFlag() const { return m_repeat; }
    void SetRepeatFlag(bool repeat) { m_repeat = repeat; }

    // The DirectInput device's key count; 0 for the other kinds.
    std::int32_t KeyCount() const { return m_keyCount; }

protected:
    const std::uint8_t* NewestHalf() const { return m_keys[m_currentHalf ^ 1]; }
    const std::uint8_t* PreviousHalf() const { return m_keys[m_currentHalf]; }
    std::uint8_t* WritingHalf() { return m_keys[m_currentHalf]; }
    void Flip() { m_currentHalf ^= 1; }

    InputPlatform& m_platform;
    std::uint8_t m_currentHalf;
    std::uint8_t m_keys[2][256];
    std::uint8_t m_scrollLock;
    std::uint8_t m_capsLock;
    std::uint8_t m_numLock;
    bool m_repeat;
    std::int32_t m_keyCount;
};
