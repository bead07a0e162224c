// MouseDevice: the three mouse buttons and the wheel as the game reads them, and the pointer:
// its shape, its visibility and an optional animated pointer sprite that follows the pointer in
// game coordinates. Three kinds: DirectInput, polled with GetAsyncKeyState, and fed by the
// window's button messages. The Windows-API and message kinds take the wheel from
// WM_MOUSEWHEEL.
//
// Mouse codes: 0 left, 1 right, 2 middle button, 3 wheel forward, 4 wheel backward.
//
// While the pointer is outside the game area (a game-point coordinate of -1; -2 marks an axis
// inside the display but outside the game area and counts as inside) every query reports
// nothing, the wheel included.
#pragma once

#include <cstdint>

#include "framework/input/direct_input.h"
#include "framework/input/input_device.h"
#include "framework/input/input_platform.h"
#include "framework/input/pointer_sprite.h"
#include "framework/runtime/clock.h"

class MouseDevice : public InputDevice {
public:
    MouseDevice(InputPlatform& platform, Clock& clock);
    MouseDevice(const MouseDevice&) = delete;
    MouseDevice& operator=(const MouseDevice&) = delete;

    bool IsDown(std::uint8_t code) override;
    bool IsTriggered(std::uint8_t code) override;
    std::int32_t FirstDown() override;
    std::int32_t FirstTriggered() override;
    void ClearState() override;
    // The newest wheel delta (positive forward).
    virtual std::int32_t GetWheel();
    virtual ::DeviceKind DeviceKind() const = 0;
    virtual void Acquire();
    // Gives up the device where there is one; every kind clears its state.
    virtual void Unacquire();
    // 0 ok, 1 no device, 2 device lost.
    virtual std::int32_t Poll() = 0;
    // WM_MOUSEWHEEL's wParam; true when this kind takes wheel messages.
    virtual bool OnWheelMessage(WPARAM wParam);

    // The main window's pointer position in game coordinates, owned by the framework; null
    // until it is set.
    void SetGamePoint(const POINT* point) { m_gamePoint = point; }

    // Standard shapes 0-12 (arrow, cross, help, I-beam, no, size all, size NE-SW, size N-S,
    // size NW-SE, size W-E, up arrow, app starting, wait), or with a nonzero resource id that
    // cursor from `instance`. 0, or 1 when there is no such cursor (the handle is cleared).
    std::int32_t SetCursorShape(std::uint32_t shape, HINSTANCE instance, std::uint16_t resourceId);
    // The shape the window's WM_SETCURSOR handler applies over the client area.
    HCURSOR CursorHandle() const { return m_cursor; }
    // Asks the window thread to show or hide the system pointer by sending `message` (the
    // framework's 0x9000, whose handler calls ShowSystemCursor) and returns the window's answer;
    // with message 0 does it directly and returns 0.
    LRESULT SendCursorMessage(bool visible, HWND window, UINT message);
    // Moves the system display counter until the pointer is shown (counter >= 0) or hidden.
    void ShowSystemCursor(bool show);
    // Shows or hides the pointer: the sprite when there is one, else the system pointer.
    void SetCursorVisible(bool visible, HWND window, UINT message);

    // Sets the animated pointer: `frames` frames of the sprite's source width side by side from
    // its current source offset, each shown `frameTime` ms, forwards only or forwards and back;
    // the hot spot is the point of the sprite that sits on the pointer position. None hides and
    // forgets the sprite. 0 ok, 1 (surface sprite) or 2 (textured quad) the drawable has no
    // usable surface and the old sprite stays, 3 another kind of drawable (forgotten).
    std::int32_t SetCursorSprite(PointerSprite* sprite, std::uint32_t frames,
                                 std::uint32_t frameTime, bool pingPong, std::int32_t hotX,
                                 std::int32_t hotY);
    void ShowCursorSprite(bool show);
    // Places the sprite at the pointer and advances its animation; every poll calls it.
    void UpdateCursorSprite();

    bool CursorMessageState() const { return m_cursorMessageState; }
    bool SystemCursorShown() const { return m_systemCursorShown; }
    bool PointerWanted() const { return m_pointerWanted; }
    bool SpriteShown() const { return m_spriteShown; }
    PointerSprite* CursorSprite() const { return m_sprite; }
    // The DirectInput device's counts; 0 for the other kinds.
    std::uint16_t ButtonCount() const { return m_buttonCount; }
    std::uint16_t AxisCount() const { return m_axisCount; }

protected:
    // Button queries of the two-copy kinds; the message kind reads its held and event bytes.
    virtual bool ButtonDown(std::uint8_t button);
    virtual bool ButtonTriggered(std::uint8_t button);

    bool IsOutsideGameArea() const;
    std::int32_t NewestWheel() const { return m_state[m_currentHalf ^ 1].lZ; }
    std::int32_t PreviousWheel() const { return m_state[m_currentHalf].lZ; }
    DIMOUSESTATE& WritingHalf() { return m_state[m_currentHalf]; }
    void Flip() { m_currentHalf ^= 1; }

    InputPlatform& m_platform;
    Clock& m_clock;
    std::uint8_t m_currentHalf;
    DIMOUSESTATE m_state[2];
    std::uint16_t m_buttonCount;
    std::uint16_t m_axisCount;

private:
    void ForgetCursorSprite();

    const POINT* m_gamePoint;
    HCURSOR m_cursor;
    bool m_cursorMessageState;
    bool m_spriteShown;
    bool m_pointerWanted;
    bool m_systemCursorShown;
    PointerSprite* m_sprite;
    std::uint32_t m_frameCount;
    std::int32_t m_frameWidth;
    std::int32_t m_sourceX;
    std::int32_t m_sourceY;
    std::int32_t m_hotX;
    std::int32_t m_hotY;
    std::int64_t m_lastFrame;
    std::uint32_t m_frameTime;
    // 64-bit: frames and frame time are script words, and their product must not wrap.
    std::uint64_t m_cycleLength;
    std::uint32_t m_cycleStart;
};
