// FrameButtonPartBase: the button behaviour of the text buttons (hover, press, Return, sounds,
// script words, activation) for a button without faces: each state shows a colour instead, 0
// normal, 1 hover or focus, 2 pressed. There is no disabled look: enabling or disabling shows
// the normal colour. Return always shows the pressed colour for 100 ms before the activation.
// The rectangle that shows the colours comes from a derived type.
#pragma once

#include <cstdint>
#include <memory>

#include "scenario/ui/button_action.h"
#include "scenario/ui/ui_part.h"

class FrameButtonPartBase : public UiPart {
public:
    enum State : std::uint8_t { kNormal = 0, kHover = 1, kPressed = 2 };
    static constexpr std::uint32_t kKeyPressMs = 100;
    static constexpr std::uint32_t kDefaultColour = 0;
    static constexpr std::uint32_t kDefaultHoverColour = 0x400080ff;
    static constexpr std::uint32_t kDefaultPressedColour = 0x40ff8000;

    FrameButtonPartBase();
    ~FrameButtonPartBase() override;

    std::int32_t TypeCode() override { return kUiFrameButton; }
    std::int32_t GetWidth() override { return m_width; }
    std::int32_t GetHeight() override { return m_height; }
    // When the value changed: the normal state.
    bool SetEnabled(bool enabled) override;
    // Always the rectangle.
    bool HitTest(std::int32_t x, std::int32_t y) override;
    void OnPointerMove(std::int32_t x, std::int32_t y) override;
    void OnPointerLeave() override;
    bool OnPointer(std::int32_t x, std::int32_t y, MouseDevice* mouse) override;
    void OnFocus(UiPart* previous, bool forward) override;
    void OnBlur(UiPart* next) override;
    bool OnKeys(ActionMap* actions) override;
    // Keeps the time of the turn; 0.
    std::int32_t Update(std::uint32_t now) override;

    virtual void Release() = 0;
    virtual void SetState(std::uint8_t state) = 0;
    virtual void ReleaseAction();
    // False without memory (the button then has none).
    virtual bool SetAction(const ButtonActionSetup& setup);
    virtual bool Fire();

    std::uint8_t State() const { return m_state; }
    // The colour (0xAARRGGBB) the state shows.
    std::uint32_t StateColour(std::uint8_t state) const;
    ButtonAction* Action() const { return m_action.get(); }
    std::uint32_t KeyDeadline() const { return m_keyDeadline; }

protected:
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    std::uint8_t m_state = kNormal;
    std::uint32_t m_colour = kDefaultColour;
    std::uint32_t m_hoverColour = kDefaultHoverColour;
    std::uint32_t m_pressedColour = kDefaultPressedColour;
    std::unique_ptr<ButtonAction> m_action;
    std::uint32_t m_keyDeadline = 0;
    std::uint32_t m_now = 0;
};
