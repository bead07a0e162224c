// FillRectSprite: a rectangle of one colour that a canvas composites like a sprite (panels,
// fades, flashes): blended in by its alpha (mode 0), added (2) or subtracted (3); mode 1 is
// accepted and draws nothing.
//
// It has a base size and a display size (0: the base size); the drawable's SetSize sets the
// display size, SetBaseSize the base size.
#pragma once

#include <cstdint>

#include "graphics/sprites/drawable.h"

class FillRectSprite : public Drawable {
public:
    FillRectSprite() { FillRectSprite::Reset(); }
    ~FillRectSprite() override = default;

    std::int32_t Width() const override { return m_width; }
    std::int32_t Height() const override { return m_height; }
    std::int32_t Kind() const override { return 1; }
    // Above 3: 1.
    std::int32_t SetBlendMode(std::uint8_t mode) override;
    // The display size; false when unchanged.
    bool SetSize(std::int32_t width, std::int32_t height) override;
    // rect in the rectangle's own coordinates.
    bool InvalidateArea(const RECT& rect) override;
    // Inside the bounds (opaqueOnly plays no part); false for width 0.
    bool HitTest(std::int32_t x, std::int32_t y, bool opaqueOnly) override;
    // 0 done or hidden; 1 no target; 2 mode 1; 3 the fill failed.
    std::int32_t Render(Image* target, RECT* outRect) override;
    void RenderClipped(Image* target, const RECT& clip) override;
    // Alpha 255, mode 0, the sizes 0; colour and position stay.
    void Reset() override;

    // Alpha from the top byte, colour from the low 24 bits. 0.
    std::int32_t Setup(std::int32_t width, std::int32_t height, std::uint32_t argb,
                       std::int32_t x, std::int32_t y);
    bool SetColour(std::uint32_t rgb);
    bool SetColourAlpha(std::uint32_t argb);
    // The base size (the display size cleared); false for a negative or unchanged size.
    bool SetBaseSize(std::int32_t width, std::int32_t height);
    // SetPosition, then SetBaseSize.
    bool SetRect(std::int32_t width, std::int32_t height, std::int32_t x, std::int32_t y);

    std::uint32_t Colour() const { return m_colour; }
    SIZE DisplaySize() const { return SIZE{m_displayWidth, m_displayHeight}; }

protected:
    void UpdateBounds() override;
    bool ShowsSomething() const override { return m_width != 0; }

private:
    std::int32_t CoveredWidth() const { return m_displayWidth ? m_displayWidth : m_width; }
    std::int32_t CoveredHeight() const { return m_displayHeight ? m_displayHeight : m_height; }
    // The colour operation of the blend mode on rect; nonzero when the fill failed.
    std::int32_t Fill(Image* target, const RECT& rect);

    std::uint32_t m_colour = 0;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    std::int32_t m_displayWidth = 0;
    std::int32_t m_displayHeight = 0;
};
