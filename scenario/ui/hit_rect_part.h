// HitRectPart: an invisible rectangle (type 7) that behaves like a button: the pointer or the
// keyboard focus hovers it (hover words and sounds), and it is activated on the press of the
// first pointer button or on the Return action, not on release. It has no sprite: the
// priority, alpha and visibility operations store or answer nothing.
//
// With pointerActive off the pointer never hovers it, but the keys can still focus it; without
// activatable it shows the hover but never reports an activation.
// Used on the game thread only.
#pragma once

#include <cstdint>
#include <memory>

#include "scenario/ui/button_action.h"
#include "scenario/ui/ui_part.h"

class HitRectPart : public UiPart {
public:
    static constexpr std::int32_t kTypeCode = 7;

    HitRectPart();
    ~HitRectPart() override;

    std::int32_t TypeCode() override { return kTypeCode; }
    std::int32_t GetX() override { return m_x; }
    std::int32_t GetY() override { return m_y; }
    std::int32_t GetWidth() override { return m_width; }
    std::int32_t GetHeight() override { return m_height; }
    std::int32_t SetPosition(std::int32_t x, std::int32_t y) override;
    void SetVisible(bool) override {}
    bool IsVisible() override { return IsEnabled(); }
    std::int32_t SetPriority(std::int32_t, std::int32_t, bool) override { return 0; }
    std::int32_t GetPriority() override { return 0; }
    void SetAlpha(std::uint8_t) override {}
    std::uint8_t GetAlpha() override { return 0; }
    bool HitTest(std::int32_t x, std::int32_t y) override;
    void OnPointerMove(std::int32_t x, std::int32_t y) override;
    void OnPointerLeave() override;
    bool OnPointer(std::int32_t x, std::int32_t y, MouseDevice* mouse) override;
    void OnFocus(UiPart* previous, bool forward) override;
    void OnBlur(UiPart* next) override;
    bool OnKeys(ActionMap* actions) override;

    // 1 a width or height of 0 or less; a negative focusX or focusY puts the focus point at the
    // centre; 0.
    virtual std::int32_t Create(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                                std::int32_t focusX, std::int32_t focusY, bool pointerActive,
                                bool activatable, std::int32_t tag);
    virtual void ReleaseAction();
    // Replaces the action record; false without memory (the part then has none).
    virtual bool SetAction(const ButtonActionSetup& setup);
    // False without a group or when not activatable; else the button's activation, true.
    virtual bool Fire();

    // Where focus pointer mode 1 puts the pointer (the script's focus-point command).
    void SetFocusPoint(std::int32_t x, std::int32_t y);
    std::int32_t FocusX() const { return m_focusX; }
    std::int32_t FocusY() const { return m_focusY; }
    bool Hovered() const { return m_hovered; }
    ButtonAction* Action() const { return m_action.get(); }

private:
    void Hover();

    std::int32_t m_x = 0;
    std::int32_t m_y = 0;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    std::int32_t m_focusX = 0;
    std::int32_t m_focusY = 0;
    bool m_pointerActive = false;
    bool m_activatable = false;
    bool m_hovered = false;
    std::unique_ptr<ButtonAction> m_action;
};
