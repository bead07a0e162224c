// Cursor mapping and tracking, the keyboard hook, the screen-mode switch and the steps around
// modal boxes.
#include "framework/app/framework_app.h"

#include <cstdint>

#include "framework/input/message_mouse.h"

namespace {

// Game points come from scripts: any 32-bit value is mapped without overflow, the results
// clamped to the 32-bit range.
std::int32_t Clamp32(std::int64_t value) {
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

std::int32_t Scale(std::int32_t value, std::int32_t numerator, std::int32_t denominator) {
    if (denominator == 0) return 0;
    return Clamp32(static_cast<std::int64_t>(numerator) * value / denominator);
}

std::int32_t Offset(std::int32_t value, std::int32_t origin) {
    return Clamp32(static_cast<std::int64_t>(value) + origin);
}

}  // namespace

void FrameworkApp::MapGamePointToScreen(POINT& point) {
    if (!FullScreenNow()) {
        if (m_screen != nullptr && m_screen->ScalesWindow()) {
            SIZE client = m_screen->ScaledClientSize();
            point.x = Scale(point.x, client.cx, gameWidth);
            point.y = Scale(point.y, client.cy, gameHeight);
        }
        POINT client = {0, 0};
        ClientToScreen(m_mainWindow.Handle(), &client);
        point.x = Offset(point.x, client.x);
        point.y = Offset(point.y, client.y);
        return;
    }
    if (m_screen->IsLetterbox()) {
        RECT area = m_screen->GameArea();
        point.x = Offset(Scale(point.x, area.right - area.left, gameWidth), area.left);
        point.y = Offset(Scale(point.y, area.bottom - area.top, gameHeight), area.top);
    }
    POINT origin = m_screen->DisplayOrigin();
    point.x = Offset(point.x, origin.x);
    point.y = Offset(point.y, origin.y);
}

void FrameworkApp::SetGameCursorPos(std::int32_t x, std::int32_t y) {
    POINT point = {x, y};
    MapGamePointToScreen(point);
    m_platform->SetCursor(point.x, point.y);
    if (x >= 0 && x < gameWidth && y >= 0 && y < gameHeight) gameCursor = {x, y};
    else gameCursor = {-1, -1};
}

bool FrameworkApp::IsCursorAtGamePoint(std::int32_t x, std::int32_t y) {
    SIZE scaled = {0, 0};
    if (FullScreenNow() && m_screen->IsLetterbox()) {
        RECT area = m_screen->GameArea();
        scaled = {area.right - area.left, area.bottom - area.top};
    } else if (!FullScreenNow() && m_screen != nullptr && m_screen->ScalesWindow()) {
        scaled = m_screen->ScaledClientSize();
    }
    if (scaled.cx != 0 && scaled.cy != 0) {
        x = Scale(Scale(x, scaled.cx, gameWidth), gameWidth, scaled.cx);
        y = Scale(Scale(y, scaled.cy, gameHeight), gameHeight, scaled.cy);
    }
    return x == gameCursor.x && y == gameCursor.y;
}

void FrameworkApp::ZoneTests(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
    if (y < 1) edgeZone = 8;
    else if (y >= height - 1) edgeZone = 2;
    else if (x < 1) edgeZone = 4;
    else if (x >= width - 1) edgeZone = 6;
}

void FrameworkApp::EndMenuFromTracking() {
    menuShown = 0;
    if (!MouseKeepsCursor()) m_mainWindow.Send(kMsgShowCursor, 0, 0);
    m_mainWindow.Send(kMsgHideMenu, 0, 0);
    if (ModeHeld()) m_screen->EndGdiOverlay();
}

bool FrameworkApp::TrackFullScreen() {
    POINT cursor = {};
    m_platform->GetCursor(cursor);
    POINT origin = m_screen->DisplayOrigin();
    SIZE display = m_screen->DisplaySize();
    const std::int32_t x = cursor.x - origin.x;
    const std::int32_t y = cursor.y - origin.y;
    edgeZone = 0;
    if (m_description.menuId != 0 && SystemKeyMode() != 0 && m_description.menuBarMode != 0) {
        const bool inside = x >= 0 && x < display.cx;
        if (menuShown) {
            // "Below the bar" on the screen: the menu closes once the pointer has left the bar
            // downwards, i.e. at y >= the bar's height.
            if (inside && y >= menuBarHeight) {
                EndMenuFromTracking();
                gameCursor = {x, y};
                return false;
            }
            gameCursor = {-1, -1};
            return false;
        }
        if (inside && y <= 0) {
            if (menuRevealTimer == 0) menuRevealTimer = m_clock->Milliseconds();
            if (m_clock->Milliseconds() - menuRevealTimer >= m_settings.menuRevealDelay) {
                menuShown = 1;
                if (ModeHeld()) m_screen->BeginGdiOverlay();
                m_mainWindow.Send(kMsgOpenMenu, 0, 0);
                m_mainWindow.Send(kMsgShowCursor, 1, 0);
                return false;
            }
        } else {
            menuRevealTimer = 0;
        }
    }
    if (m_screen->IsLetterbox()) {
        // In letterbox the zones are judged on the game area, so every edge of it is reachable.
        RECT area = m_screen->GameArea();
        const std::int32_t areaW = area.right - area.left;
        const std::int32_t areaH = area.bottom - area.top;
        const std::int32_t gx = Scale(x - area.left, gameWidth, areaW);
        const std::int32_t gy = Scale(y - area.top, gameHeight, areaH);
        const bool inX = x - area.left >= 0 && x - area.left < areaW;
        const bool inY = y - area.top >= 0 && y - area.top < areaH;
        const bool inDisplay = x >= 0 && x < display.cx && y >= 0 && y < display.cy;
        // The position keeps its codes (-2 for an axis in a bar, -1 off the display), but the
        // zone always comes from the game point: a pointer in a side bar is at the left or right
        // edge of the game, not at its top.
        if (inX && inY) gameCursor = {gx, gy};
        else if (inDisplay) gameCursor = inX ? POINT{gx, -2} : POINT{-2, gy};
        else gameCursor = {-1, -1};
        ZoneTests(gx, gy, gameWidth, gameHeight);
        return true;
    }
    gameCursor = {x, y};
    SIZE mode = m_screen->DisplayModeSize();
    ZoneTests(x, y, mode.cx, mode.cy);
    return true;
}

bool FrameworkApp::TrackWindow() {
    POINT cursor = {};
    m_platform->GetCursor(cursor);
    RECT client = {};
    GetClientRectOnScreen(client);
    const bool inX = cursor.x >= client.left && cursor.x < client.right;
    const bool inY = cursor.y >= client.top && cursor.y < client.bottom;
    const std::int32_t x = cursor.x - client.left;
    const std::int32_t y = cursor.y - client.top;
    MouseDevice* mouse = m_input.Mouse();
    if (inX && inY) {
        std::int32_t gx = x;
        std::int32_t gy = y;
        if (m_screen != nullptr && m_screen->ScalesWindow()) {
            SIZE scaled = m_screen->ScaledClientSize();
            gx = Scale(x, gameWidth, scaled.cx);
            gy = Scale(y, gameHeight, scaled.cy);
        }
        gameCursor = {gx, gy};
        if (!modalOpen && !MouseKeepsCursor() && mouse != nullptr && mouse->SystemCursorShown())
            m_mainWindow.Send(kMsgShowCursor, 0, 0);
        edgeZone = 0;
        return true;
    }
    if (mouse != nullptr && !mouse->SystemCursorShown()) m_mainWindow.Send(kMsgShowCursor, 1, 0);
    if (edgeZone == 0) {
        if (inX) edgeZone = y <= 0 ? 8 : 2;
        else if (inY) edgeZone = x <= 0 ? 4 : 6;
        else if (x <= 0) edgeZone = y <= 0 ? 7 : 1;
        else edgeZone = y <= 0 ? 9 : 3;
        if (auto* messageMouse = dynamic_cast<MessageMouse*>(mouse)) messageMouse->ClearState();
    }
    gameCursor = {-1, -1};
    return false;
}

bool FrameworkApp::TrackCursor() {
    if (cursorShownForMenu || IsIconic(m_mainWindow.Handle())) {
        gameCursor = {-1, -1};
        edgeZone = 0;
        return false;
    }
    if (m_screen == nullptr) return false;
    if (m_screen->IsFullScreen()) return TrackFullScreen();
    if (m_screen->ScreenMode() == 2) return TrackWindow();
    return false;
}

bool KeyboardHookSwallows(std::uint8_t playerMode, int code, std::uint8_t systemKeyMode,
                          bool menuShown, bool modalOpen, DWORD key, DWORD flags, bool ctrlDown) {
    if (playerMode != 1 || code != HC_ACTION) return false;
    if (systemKeyMode == 1 && !menuShown && !modalOpen) return false;
    const bool alt = (flags & LLKHF_ALTDOWN) != 0;
    return (key == VK_ESCAPE && ctrlDown) || (key == VK_TAB && alt) || (key == VK_ESCAPE && alt) ||
           key == VK_LWIN || key == VK_RWIN;
}

LRESULT CALLBACK FrameworkApp::KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam) {
    FrameworkApp* app = s_instance;
    if (app != nullptr && lParam != 0) {
        const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const bool ctrl = (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0;
        if (KeyboardHookSwallows(app->m_settings.screenMode, code, app->SystemKeyMode(),
                                 app->menuShown, app->modalOpen, event->vkCode, event->flags, ctrl))
            return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::int32_t FrameworkApp::InstallKeyboardHook() {
    if (!m_systemInfo.IsNtFamily()) return -1;
    if (m_keyboardHook != nullptr || m_settings.screenMode != 1) return 0;
    const std::uint8_t keys = SystemKeyMode();
    if (keys == 1) return 0;
    if ((keys == 2 || keys == 3) && m_description.menuBarMode == 1 && m_systemInfo.IsXpOrLater())
        return 0;
    m_keyboardHook = SetWindowsHookExA(WH_KEYBOARD_LL, &KeyboardHookProc,
                                       ModuleInstance(), 0);
    return m_keyboardHook != nullptr ? 0 : 1;
}

void FrameworkApp::RemoveKeyboardHook() {
    if (m_keyboardHook != nullptr) {
        UnhookWindowsHookEx(m_keyboardHook);
        m_keyboardHook = nullptr;
    }
}

void FrameworkApp::GetClientRectOnScreen(RECT& out) {
    HWND window = m_mainWindow.Handle();
    GetClientRect(window, &out);
    POINT topLeft = {out.left, out.top};
    POINT bottomRight = {out.right, out.bottom};
    ClientToScreen(window, &topLeft);
    ClientToScreen(window, &bottomRight);
    out = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

std::int32_t FrameworkApp::SwitchScreenMode(std::uint8_t mode, std::uint8_t depth, std::uint8_t form) {
    if (form == kSwitchIfChanged && m_screen != nullptr && m_screen->ScreenMode() == mode) return 0;
    if (!m_mainWindow.Exists() || m_screen == nullptr) return 1;
    HWND window = m_mainWindow.Handle();
    const POINT remembered = gameCursor;
    OnScreenModeSwitching();
    switchingMode = 1;
    if (!m_screen->IsFullScreen()) {
        RECT rect;
        GetWindowRect(window, &rect);
        m_settings.windowX = rect.left;
        m_settings.windowY = rect.top;
    }
    const std::uint8_t previousMode = m_settings.screenMode;
    m_settings.screenMode = mode;
    auto fail = [&](std::int32_t code) {
        m_settings.screenMode = previousMode;
        switchingMode = 0;
        edgeZone = 0;
        return code > 0 ? code + 1 : code;
    };
    if (mode == 1) {
        const LONG oldStyle = GetWindowLongA(window, GWL_STYLE);
        const LONG oldExStyle = GetWindowLongA(window, GWL_EXSTYLE);
        if (m_description.menuId != 0) SetMenu(window, nullptr);
        SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(0x900A0000u));
        HMENU system = GetSystemMenu(window, FALSE);
        DeleteMenu(system, SC_MOVE, MF_BYCOMMAND);
        DeleteMenu(system, SC_SIZE, MF_BYCOMMAND);
        DeleteMenu(system, SC_MAXIMIZE, MF_BYCOMMAND);
        SetWindowLongA(window, GWL_EXSTYLE, 0);
        SetWindowPos(window, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
        const std::int32_t code = m_screen->ChangeMode(window, true, m_settings.block1[kDisplayChoice],
                                                       m_settings.block1[kDepthBuffer]);
        if (code != 0) {
            // A refused switch leaves the window as the player had it: caption, menu bar and
            // the whole system menu come back with the styles.
            SetWindowLongA(window, GWL_STYLE, oldStyle);
            SetWindowLongA(window, GWL_EXSTYLE, oldExStyle);
            GetSystemMenu(window, TRUE);
            if (m_description.menuId != 0 && mainMenu != nullptr) SetMenu(window, mainMenu);
            SetWindowPos(window, nullptr, 0, 0, 0, 0,
                         SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
            return fail(code);
        }
        POINT origin = m_screen->DisplayOrigin();
        SIZE size = m_screen->DisplaySize();
        ShowWindow(window, SW_SHOW);
        MoveWindow(window, origin.x, origin.y, size.cx, size.cy, TRUE);
        SetWindowPos(window, keepTopmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE);
        if (moviePlaying && !m_screen->IsEmulated()) {
            HWND movie = GetTopWindow(window);
            if (movie != nullptr) InvalidateRect(movie, nullptr, FALSE);
        }
        OnFullScreenEntered();
        m_systemInfo.ReadRefreshRate();
        InstallKeyboardHook();
        if (imeStatusShown) {
            m_imm->ControlStatusWindow(window, false);
            imeStatusShown = 0;
        }
    } else {
        const std::int32_t code = m_screen->ChangeMode(window, false, m_settings.block1[kDisplayChoice],
                                                       m_settings.block1[kDepthBuffer]);
        if (code != 0) return fail(code);
        if (form == kSwitchInitial) {
            ShowWindow(window, SW_SHOW);
        } else {
            if (m_description.menuId != 0) {
                if (m_menuWindow.Exists()) {
                    SetMenu(m_menuWindow.Handle(), nullptr);
                    m_menuWindow.Destroy();
                }
                SetMenu(window, mainMenu);
            }
            GetSystemMenu(window, TRUE);
            SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(m_description.style));
            SetWindowLongA(window, GWL_EXSTYLE, static_cast<LONG>(m_description.exStyle));
            SetWindowPos(window, nullptr, 0, 0, 0, 0,
                         SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
            SIZE client = {gameWidth, gameHeight};
            if (m_screen->ScalesWindow()) client = m_screen->ScaledClientSize();
            RECT outer;
            m_mainWindow.ComputeWindowRect(outer, client.cx, client.cy, m_description.style,
                                           m_description.exStyle, m_description.menuId != 0, true,
                                           m_settings.windowX, m_settings.windowY);
            ShowWindow(window, SW_SHOW);
            MoveWindow(window, outer.left, outer.top, outer.right, outer.bottom, TRUE);
            SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            InvalidateRect(nullptr, nullptr, TRUE);
            OnWindowModeEntered();
            m_systemInfo.ReadRefreshRate();
            if (!imeStatusShown) {
                m_imm->ControlStatusWindow(window, true);
                imeStatusShown = 1;
            }
        }
        RemoveKeyboardHook();
    }
    SetForegroundWindow(window);
    windowFlags |= 8;
    m_settings.screenMode = m_screen->ScreenMode();
    m_settings.colourDepth = m_settings.screenMode == 1 ? depth : 3;
    if (m_settings.placeCursorAfterSwitch) {
        RECT rect;
        GetWindowRect(window, &rect);
        POINT target;
        if (remembered.x < 0 || remembered.y < 0) {
            m_platform->GetCursor(target);
        } else {
            target = remembered;
            MapGamePointToScreen(target);
        }
        if (!PtInRect(&rect, target))
            target = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        m_platform->SetCursor(target.x, target.y);
    }
    switchingMode = 0;
    edgeZone = 0;
    return 0;
}

std::int32_t FrameworkApp::RequestScreenModeSwitch(std::uint8_t mode, std::uint8_t depth,
                                                   std::uint8_t form) {
    std::int32_t result = 1;
    const WPARAM packed = (static_cast<WPARAM>(mode) << 16) | (static_cast<WPARAM>(depth) << 8) | form;
    if (!m_mainWindow.Exists()) return 1;
    m_mainWindow.Send(kMsgScreenMode, packed, reinterpret_cast<LPARAM>(&result));
    return result;
}

void FrameworkApp::SuspendScreenSaver() {
    if (!FullScreenNow()) return;
    BOOL on = FALSE;
    m_platform->SystemParameters(SPI_GETSCREENSAVEACTIVE, 0, &on, 0);
    if (on) {
        screenSaverSuspendedByModal = 1;
        m_platform->SystemParameters(SPI_SETSCREENSAVEACTIVE, FALSE, nullptr, 0);
    }
}

void FrameworkApp::RestoreScreenSaver() {
    if (screenSaverSuspendedByModal) {
        m_platform->SystemParameters(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, 0);
        screenSaverSuspendedByModal = 0;
    }
}

void FrameworkApp::PauseForModal() {
    modalOpen = 1;
    cursorShownForMenu = 1;
    if (!ThreadedMode()) {
        framesEnabled = 0;
        OnFramesSuspended();
    }
    if (m_mainWindow.Exists()) m_mainWindow.Send(kMsgShowCursor, 1, 0);
    if (ModeHeld()) {
        SuspendScreenSaver();
        m_screen->BeginGdiOverlay();
    }
}

void FrameworkApp::ResumeAfterModal() {
    if (ModeHeld()) {
        m_screen->EndGdiOverlay();
        RestoreScreenSaver();
    }
    if (m_input.Mouse() != nullptr && !MouseKeepsCursor() && m_mainWindow.Exists())
        m_mainWindow.Send(kMsgShowCursor, 0, 0);
    if (!ThreadedMode()) {
        framesEnabled = 1;
        OnFramesResumed();
    }
    cursorShownForMenu = 0;
    modalOpen = 0;
}

void FrameworkApp::CenterWindow(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    const std::int32_t width = rect.right - rect.left;
    const std::int32_t height = rect.bottom - rect.top;
    HWND parent = GetParent(window);
    if (parent != nullptr && IsWindowVisible(parent)) {
        RECT client;
        GetClientRectOnScreen(client);
        SetWindowPos(window, nullptr, client.left + ((client.right - client.left - width) >> 1),
                     client.top + ((client.bottom - client.top - height) >> 1), 0, 0,
                     SWP_NOZORDER | SWP_NOSIZE);
        return;
    }
    RECT work = {};
    m_platform->SystemParameters(SPI_GETWORKAREA, 0, &work, 0);
    SetWindowPos(window, HWND_TOPMOST, ((work.right - work.left) >> 1) - (width >> 1),
                 ((work.bottom - work.top) >> 1) - (height >> 1), 0, 0, SWP_NOSIZE);
}
