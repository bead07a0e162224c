#include "framework/input/mouse_device.h"

#include <cstring>

namespace {

// The standard shapes, by shape number.
const LPCSTR kStandardCursors[] = {
    IDC_ARROW,  IDC_CROSS,    IDC_HELP,   IDC_IBEAM,    IDC_NO,          IDC_SIZEALL, IDC_SIZENESW,
    IDC_SIZENS, IDC_SIZENWSE, IDC_SIZEWE, IDC_UPARROW,  IDC_APPSTARTING, IDC_WAIT,
};

constexpr std::uint8_t kButtons = 3;

}  // namespace

MouseDevice::MouseDevice(InputPlatform& platform, Clock& clock)
    : m_platform(platform),
      m_clock(clock),
      m_currentHalf(0),
      m_state(),
      m_buttonCount(0),
      m_axisCount(0),
      m_gamePoint(nullptr),
      m_cursor(nullptr),
      m_cursorMessageState(true),
      m_spriteShown(false),
      m_pointerWanted(true),
      m_systemCursorShown(false),
      m_sprite(nullptr),
      m_frameCount(0),
      m_frameWidth(0),
      m_sourceX(0),
      m_sourceY(0),
      m_hotX(0),
      m_hotY(0),
      m_lastFrame(-1),
      m_frameTime(0),
      m_cycleLength(0),
      m_cycleStart(0) {}

bool MouseDevice::IsOutsideGameArea() const {
    if (!m_gamePoint) return false;
    const POINT point = *m_gamePoint;
    if (point.x == -2 || point.y == -2) return false;
    return point.x < 0 || point.y < 0;
}

bool MouseDevice::ButtonDown(std::uint8_t button) {
    return StateByteDown(m_state[m_currentHalf ^ 1].rgbButtons[button]);
}

bool MouseDevice::ButtonTriggered(std::uint8_t button) {
    return ButtonDown(button) && !StateByteDown(m_state[m_currentHalf].rgbButtons[button]);
}

bool MouseDevice::IsDown(std::uint8_t code) {
    if (IsOutsideGameArea()) return false;
    if (code < kButtons) return ButtonDown(code);
    if (code == 3) return NewestWheel() > 0;
    if (code == 4) return NewestWheel() < 0;
    return false;
}

bool MouseDevice::IsTriggered(std::uint8_t code) {
    if (IsOutsideGameArea()) return false;
    if (code < kButtons) return ButtonTriggered(code);
    if (code == 3 || code == 4) return PreviousWheel() == 0 && IsDown(code);
    return false;
}

std::int32_t MouseDevice::FirstDown() {
    if (IsOutsideGameArea()) return -1;
    for (std::uint8_t button = 0; button < kButtons; ++button) {
        if (ButtonDown(button)) return button;
    }
    if (NewestWheel() > 0) return 3;
    if (NewestWheel() < 0) return 4;
    return -1;
}

std::int32_t MouseDevice::FirstTriggered() {
    if (IsOutsideGameArea()) return -1;
    for (std::uint8_t button = 0; button < kButtons; ++button) {
        if (ButtonTriggered(button)) return button;
    }
    if (PreviousWheel() == 0) {
        if (NewestWheel() > 0) return 3;
        if (NewestWheel() < 0) return 4;
    }
    return -1;
}

void MouseDevice::ClearState() { std::memset(m_state, 0, sizeof(m_state)); }

std::int32_t MouseDevice::GetWheel() { return IsOutsideGameArea() ? 0 : NewestWheel(); }

void MouseDevice::Acquire() {}

void MouseDevice::Unacquire() { ClearState(); }

bool MouseDevice::OnWheelMessage(WPARAM) { return false; }

std::int32_t MouseDevice::SetCursorShape(std::uint32_t shape, HINSTANCE instance,
                                         std::uint16_t resourceId) {
    HCURSOR cursor = nullptr;
    if (resourceId != 0) {
        cursor = m_platform.LoadCursor(instance, MAKEINTRESOURCEA(resourceId));
    } else if (shape < sizeof(kStandardCursors) / sizeof(kStandardCursors[0])) {
        cursor = m_platform.LoadCursor(nullptr, kStandardCursors[shape]);
    }
    m_cursor = cursor;
    if (!cursor) return 1;
    // Putting the pointer where it is makes Windows send WM_SETCURSOR, which applies the shape.
    POINT point;
    if (m_platform.GetCursorPos(&point)) m_platform.SetCursorPos(point.x, point.y);
    return 0;
}

LRESULT MouseDevice::SendCursorMessage(bool visible, HWND window, UINT message) {
    m_cursorMessageState = visible;
    if (message != 0) return SendMessageA(window, message, visible ? 1 : 0, 0);
    ShowSystemCursor(visible);
    return 0;
}

void MouseDevice::ShowSystemCursor(bool show) {
    if (show) {
        while (m_platform.ShowCursor(TRUE) < 0) {
        }
    } else {
        while (m_platform.ShowCursor(FALSE) >= 0) {
        }
    }
    m_systemCursorShown = show;
}

void MouseDevice::SetCursorVisible(bool visible, HWND window, UINT message) {
    if (m_sprite) {
        ShowCursorSprite(visible);
    } else {
        SendCursorMessage(visible, window, message);
    }
    m_pointerWanted = visible;
}

void MouseDevice::ForgetCursorSprite() {
    if (m_sprite) ShowCursorSprite(false);
    m_sprite = nullptr;
}

std::int32_t MouseDevice::SetCursorSprite(PointerSprite* sprite, std::uint32_t frames,
                                          std::uint32_t frameTime, bool pingPong,
                                          std::int32_t hotX, std::int32_t hotY) {
    if (!sprite) {
        ForgetCursorSprite();
        return 0;
    }
    const std::uint8_t kind = sprite->Kind();
    if (kind != PointerSprite::kSurfaceSprite && kind != PointerSprite::kTexturedQuad) {
        ForgetCursorSprite();
        return 3;
    }
    if (!sprite->HasUsableSurface()) return kind == PointerSprite::kSurfaceSprite ? 1 : 2;
    if (frames != 0) {
        m_frameWidth = sprite->SourceWidth();
        const POINT offset = sprite->SourceOffset();
        m_sourceX = offset.x;
        m_sourceY = offset.y;
    }
    m_sprite = sprite;
    m_frameCount = frames;
    m_frameTime = frameTime;
    m_cycleLength = (pingPong ? 2 * std::uint64_t(frames) - 1 : std::uint64_t(frames)) * frameTime;
    m_hotX = hotX;
    m_hotY = hotY;
    m_lastFrame = -1;
    m_cycleStart = m_clock.Milliseconds();
    ShowCursorSprite(m_pointerWanted);
    return 0;
}

void MouseDevice::ShowCursorSprite(bool show) {
    m_spriteShown = show;
    if (m_sprite) m_sprite->SetEnabled(show);
}

void MouseDevice::UpdateCursorSprite() {
    if (!m_sprite || !m_spriteShown || !m_gamePoint) return;
    const POINT point = *m_gamePoint;
    if (point.x < 0 || point.y < 0) {
        m_sprite->SetEnabled(false);
        return;
    }
    m_sprite->SetEnabled(true);
    m_sprite->SetPosition(point.x - m_hotX, point.y - m_hotY);
    if (m_frameCount == 0) return;

    const std::uint32_t now = m_clock.Milliseconds();
    std::uint32_t elapsed = now - m_cycleStart;
    if (elapsed >= m_cycleLength) {
        m_cycleStart = now;
        elapsed = 0;
    }
    // A frame time of 0 (scripts may pass it) keeps the first frame.
    std::uint64_t frame = m_frameTime != 0 ? elapsed / m_frameTime : 0;
    // Past the last frame comes the way back of ping-pong.
    if (frame >= m_frameCount) frame = 2 * std::uint64_t(m_frameCount) - frame - 2;
    if (static_cast<std::int64_t>(frame) == m_lastFrame) return;
    const auto x = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_frameWidth) *
                                                 static_cast<std::uint32_t>(frame) +
                                             static_cast<std::uint32_t>(m_sourceX));
    if (m_sprite->Kind() == PointerSprite::kSurfaceSprite) {
        m_sprite->SetSurfaceSpriteSourceOffset(x, m_sourceY);
    } else {
        m_sprite->SetTexturedQuadSourceOffset(x, m_sourceY);
    }
    m_lastFrame = static_cast<std::int64_t>(frame);
}
