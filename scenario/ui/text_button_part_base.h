// TextButtonPartBase: the push-button behaviour of the UI parts (type 0 and the slider's arrow
// buttons): hover, press and activation by the first pointer button, activation by the Return
// action (shown pressed for 100 ms when the button has a pressed face), sounds, script words and
// the group's activation notice. The faces and the sprite come from a derived type.
//
// States: 0 normal, 1 hover or keyboard focus, 2 pressed, 3 disabled. The time of a turn is
// the one the group's per-frame update last handed the button (Update). The caption font is
// borrowed: whoever deletes it calls DropReferencesTo first.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "scenario/ui/button_action.h"
#include "scenario/ui/ui_part.h"

class Font;

class TextButtonPartBase : public UiPart {
public:
    enum State : std::uint8_t { kNormal = 0, kHover = 1, kPressed = 2, kDisabled = 3 };
    // How long the pressed face shows after Return.
    static constexpr std::uint32_t kKeyPressMs = 100;

    TextButtonPartBase();
    ~TextButtonPartBase() override;

    std::int32_t TypeCode() override { return kUiTextButton; }
    std::int32_t GetWidth() override { return m_width; }
    std::int32_t GetHeight() override { return m_height; }
    // When the value changed: the disabled state, or back to normal.
    bool SetEnabled(bool enabled) override;
    // Screen point: the face rectangle with rectHit, else the shape's opaque pixels.
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
    // 0 redrawn; 1 null text; 2 any failure.
    virtual std::int32_t SetCaption(const char* text) = 0;
    // 0 reloaded; 1 null name; 2 any failure.
    virtual std::int32_t SetImageFile(const char* fileName) = 0;
    virtual void SetState(std::uint8_t state) = 0;
    virtual bool HitTestShape(std::int32_t x, std::int32_t y) = 0;
    virtual void ReleaseAction();
    // Replaces the action record; false without memory (the button then has none).
    virtual bool SetAction(const ButtonActionSetup& setup);
    virtual bool Fire();

    // The script's flag command for type 0.
    void SetRectHit(bool rectHit) { m_rectHit = rectHit ? 1 : 0; }
    bool RectHit() const { return m_rectHit != 0; }
    std::uint8_t State() const { return m_state; }
    bool WithDisabledFace() const { return m_withDisabledFace != 0; }
    bool WithPressedFace() const { return m_withPressedFace != 0; }
    Font* CaptionFont() const { return m_font; }
    const char* Caption() const { return m_caption.empty() ? nullptr : m_caption.c_str(); }
    const char* FileName() const { return m_fileName.empty() ? nullptr : m_fileName.c_str(); }
    ButtonAction* Action() const { return m_action.get(); }
    std::uint32_t KeyDeadline() const { return m_keyDeadline; }
    std::uint32_t FaceColour() const { return m_faceColour; }
    std::uint32_t HighlightColour() const { return m_highlightColour; }
    // Drawn buttons made after this take the colours (0xAARRGGBB).
    void SetFaceColour(std::uint32_t colour) { m_faceColour = colour; }
    void SetHighlightColour(std::uint32_t colour) { m_highlightColour = colour; }

    // The face of the strip a state shows: 0 normal, 1 hover, 2 pressed (hover without a
    // pressed face), 3 disabled (2 without a pressed face; normal without a disabled face).
    static std::int32_t FaceIndex(std::uint8_t state, bool withDisabledFace, bool withPressedFace);

protected:
    Font* m_font = nullptr;
    std::string m_caption;
    std::string m_fileName;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    std::uint8_t m_rectHit = 0;
    std::uint8_t m_withDisabledFace = 0;
    std::uint8_t m_withPressedFace = 0;
    std::uint8_t m_state = kNormal;
    std::uint32_t m_faceColour = 0xd4d0c8;
    std::int32_t m_keyX = -1;
    std::int32_t m_keyY = -1;
    std::uint32_t m_highlightColour = 0x400080ff;
    std::unique_ptr<ButtonAction> m_action;
    std::uint32_t m_keyDeadline = 0;
    std::uint32_t m_now = 0;
};
