// ImeModeIndicatorBase: the state of the input method's mode indicator, which shows the IME's
// conversion and sentence modes as a short row of one-character labels in a script font (for a
// player typing a name). The UI panel owns at most one; each text box points to it, shows it
// while focused, hides it on blur and refreshes it every turn. Not a UI part.
//
// Borrowed: the input context (the application's, which outlives it) and the font (whoever
// deletes the font has the panel delete the indicator first). Used on the game thread only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class Font;
class ImeContext;
class SpriteList;

class ImeModeIndicatorBase {
public:
    // The IME mode bits the labels show (IME_CMODE_* and IME_SMODE_*).
    enum : std::uint32_t {
        kNative = 0x1,
        kKatakana = 0x2,
        kFullShape = 0x8,
        kRoman = 0x10,
        kNoConversion = 0x100,
        kPluralClause = 0x1,
        kSingleConvert = 0x2,
        kAutomatic = 0x4,
        kPhrasePredict = 0x8,
    };

    ImeModeIndicatorBase();
    virtual ~ImeModeIndicatorBase();
    ImeModeIndicatorBase(const ImeModeIndicatorBase&) = delete;
    ImeModeIndicatorBase& operator=(const ImeModeIndicatorBase&) = delete;

    virtual void Release() = 0;
    virtual std::int32_t GetX() = 0;
    virtual std::int32_t GetY() = 0;
    virtual std::int32_t SetPosition(std::int32_t x, std::int32_t y) = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual bool IsVisible() = 0;
    // Redraws when the IME's open state or modes changed, or a redraw was asked for.
    virtual void Update() = 0;
    // -1 keeps a value; the next Update redraws. 0.
    virtual std::int32_t SetColours(std::int32_t textColour, std::int32_t effectColour);
    virtual void SetRightAligned(bool rightAligned);
    // 1 without list, context or font; 2 no image; 0 made, hidden.
    virtual std::int32_t Create(SpriteList* list, ImeContext* context, Font* font, std::int32_t x, std::int32_t y,
                                bool rightAligned, std::int32_t tag) = 0;

    // The labels for an IME state, one after the other (Shift-JIS, one character each but the
    // first "英数").
    static std::string Labels(bool open, std::uint32_t conversion, std::uint32_t sentence);

    Font* IndicatorFont() const { return m_font; }
    ImeContext* Context() const { return m_imeContext; }
    std::uint32_t TextColour() const { return m_textColour; }
    std::uint32_t EffectColour() const { return m_effectColour; }
    bool RightAligned() const { return m_rightAligned != 0; }

protected:
    ImeContext* m_imeContext = nullptr;
    std::uint32_t m_lastConversionMode = 0;
    std::uint32_t m_lastSentenceMode = 0;
    std::uint32_t m_textColour = 0xffffff;
    std::uint32_t m_effectColour = 0;
    Font* m_font = nullptr;
    std::int32_t m_x = 0;
    std::int32_t m_y = 0;
    std::uint8_t m_rightAligned = 0;
    std::uint8_t m_lastOpen = 0;
    std::uint8_t m_redrawNeeded = 0;
};
