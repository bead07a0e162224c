#include "scenario/ui/slider_arrow_button.h"

#include <algorithm>

#include "framework/input/mouse_device.h"
#include "scenario/ui/slider_part_base.h"

namespace {

constexpr std::uint32_t kDisabledShadow = 0xffffff;
constexpr std::uint32_t kDisabledArrow = 0x808080;

}  // namespace

SliderArrowButton::SliderArrowButton(SliderPartBase* slider, std::uint8_t direction, std::uint32_t arrowColour)
    : m_slider(slider), m_direction(direction), m_arrowColour(arrowColour) {}

SliderArrowButton::~SliderArrowButton() { LeaveGroup(); }

bool SliderArrowButton::OnPointer(std::int32_t, std::int32_t, MouseDevice* mouse) {
    if (!mouse) return false;
    if (m_state == kHover && mouse->IsTriggered(0)) {
        SetState(kPressed);
        m_keyDeadline = 0;
        m_repeatDeadline = m_now + SliderPartBase::kFirstRepeatMs;
        Fire();
        return true;
    }
    // A press by Return ends through the keys.
    if (m_state != kPressed || m_keyDeadline != 0) return false;
    if (mouse->IsDown(0)) {
        if (m_now >= m_repeatDeadline) {
            m_repeatDeadline = m_now + SliderPartBase::kRepeatMs;
            Fire();
        }
        return true;
    }
    SetState(kHover);
    return true;
}

bool SliderArrowButton::Fire() {
    if (m_slider) m_slider->StepOnce((m_direction & 1) != 0);
    return TextButton::Fire();
}

void SliderArrowButton::DecorateFace(Image* image, const RECT& rect, bool disabled) {
    if (!image) return;
    if (disabled) {
        DrawTriangle(image, rect, m_direction, kDisabledShadow, 1, 1);
        DrawTriangle(image, rect, m_direction, kDisabledArrow, 0, 0);
    } else {
        DrawTriangle(image, rect, m_direction, m_arrowColour, 0, 0);
    }
}

void SliderArrowButton::DrawTriangle(Image* image, const RECT& rect, std::uint8_t direction, std::uint32_t value,
                                     std::int32_t dx, std::int32_t dy) {
    const std::int32_t w = rect.right - rect.left;
    const std::int32_t h = rect.bottom - rect.top;
    if (w <= 0 || h <= 0) return;
    // One run of pixels: (x, y) to (x + width, y + height) in face coordinates, cut to the face.
    auto run = [&](std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
        x += dx;
        y += dy;
        const std::int32_t left = std::max(x, 0);
        const std::int32_t top = std::max(y, 0);
        const std::int32_t right = std::min(x + width, w);
        const std::int32_t bottom = std::min(y + height, h);
        if (left >= right || top >= bottom) return;
        const RECT fill = {rect.left + left, rect.top + top, rect.left + right, rect.top + bottom};
        image->FillValue(value, &fill);
    };
    if (direction == kUp || direction == kDown) {
        const std::int32_t n = h / 3 - (h % 3 == 0 ? 1 : 0);
        const std::int32_t centre = (w - (w % 2 == 0 ? 1 : 0)) / 2;
        for (std::int32_t i = 0; i <= n; ++i) {
            const std::int32_t y = direction == kUp ? h / 3 + i : h / 3 + n - i;
            run(centre - i, y, 2 * i + 1, 1);
        }
    } else if (direction == kLeft || direction == kRight) {
        const std::int32_t c = (w + 2) / 3;
        const std::int32_t centre = (h - (h % 2 == 0 ? 1 : 0)) / 2;
        for (std::int32_t i = 0; i < c; ++i) {
            const std::int32_t x = direction == kLeft ? w / 3 + i : w / 3 + c - 1 - i;
            run(x, centre - i, 1, 2 * i + 1);
        }
    }
}
