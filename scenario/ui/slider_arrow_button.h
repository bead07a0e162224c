// SliderArrowButton: an arrow button at one end of a slider, a text button (type 0 to scripts)
// that steps its slider: once when the first pointer button goes down, again 500 ms later and
// then every 100 ms while it stays down; Return steps it once as it fires a button. Each step
// goes to the slider first (odd directions forwards), then the button fires as any button does.
//
// Drawn arrows carry a triangle in `arrowColour`; on the disabled face it is grey over a white
// copy one pixel down and right. The triangle of a face rectangle w x h: up and down arrows
// have n + 1 rows, n = h / 3 (one less when h divides by 3), row i 2i + 1 wide centred on
// column (w - 1 for even w) / 2, the up arrow's row i at h / 3 + i, the down arrow's at
// h / 3 + n - i; left and right arrows have c = w / 3 rounded up columns, column i 2i + 1 high
// centred on row (h - 1 for even h) / 2, the left arrow's column i at w / 3 + i, the right
// arrow's at w / 3 + c - 1 - i. What falls outside the rectangle is not drawn.
#pragma once

#include <cstdint>

#include "scenario/ui/text_button.h"

class SliderPartBase;

class SliderArrowButton : public TextButton {
public:
    enum Direction : std::uint8_t { kUp = 0, kDown = 1, kLeft = 2, kRight = 3 };

    SliderArrowButton(SliderPartBase* slider, std::uint8_t direction, std::uint32_t arrowColour);
    ~SliderArrowButton() override;

    bool OnPointer(std::int32_t x, std::int32_t y, MouseDevice* mouse) override;
    // Steps the slider, then the button's activation.
    bool Fire() override;
    void DecorateFace(Image* image, const RECT& rect, bool disabled) override;

    std::uint8_t ArrowDirection() const { return m_direction; }
    std::uint32_t ArrowColour() const { return m_arrowColour; }
    std::uint32_t RepeatDeadline() const { return m_repeatDeadline; }

    // Fills the triangle of `direction` inside rect (left, top, right and bottom exclusive)
    // with the raw pixel value, moved by (dx, dy) and cut to the rectangle.
    static void DrawTriangle(Image* image, const RECT& rect, std::uint8_t direction, std::uint32_t value,
                             std::int32_t dx, std::int32_t dy);

private:
    SliderPartBase* m_slider;
    std::uint8_t m_direction;
    std::uint32_t m_repeatDeadline = 0;
    std::uint32_t m_arrowColour;
};
