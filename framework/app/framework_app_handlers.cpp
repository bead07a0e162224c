// The main window's message handlers, the private messages and the message boxes.
#include "framework/app/framework_app.h"

namespace {

UINT IconFor(std::uint8_t type) {
    switch (type) {
    case 1: return MB_ICONEXCLAMATION;
    case 2: return MB_ICONINFORMATION;
    case 3: return MB_ICONQUESTION;
    case 4: return MB_ICONHAND;
    default: return 0;
    }
}

}  // namespace

std::int32_t FrameworkApp::BoxType(std::uint8_t type, UINT buttons, HWND owner, const char* text,
                                   const char* caption) {
    if (owner == nullptr) owner = m_mainWindow.Handle();
    if (caption == nullptr) caption = m_title.c_str();
    UINT flags = IconFor(type) | buttons;
    if (owner == GetDesktopWindow()) flags |= MB_SYSTEMMODAL | MB_SETFOREGROUND;
    PauseForModal();
    int answer = m_platform->MessageBox(owner, text, caption, flags);
    ResumeAfterModal();
    return answer;
}

void FrameworkApp::ShowMessageBox(const char* text, std::uint8_t type, HWND owner,
                                  const char* caption) {
    BoxType(type, MB_OK, owner, text, caption);
}

bool FrameworkApp::AskYesNo(const char* text, std::uint8_t type, HWND owner, const char* caption) {
    return BoxType(type, MB_YESNO, owner, text, caption) == IDYES;
}

bool FrameworkApp::AskOkCancel(const char* text, std::uint8_t type, HWND owner,
                               const char* caption) {
    return BoxType(type, MB_OKCANCEL, owner, text, caption) == IDOK;
}

bool FrameworkApp::RequestMessageBox(std::uint8_t kind, const char* text, std::uint8_t type,
                                     const char* caption) {
    if (!m_mainWindow.Exists()) return false;
    MessageBoxRequest request = {kind, text, caption, type, 1};
    framesEnabled = 0;
    OnFramesSuspended();
    m_mainWindow.Send(kMsgMessageBox, reinterpret_cast<WPARAM>(&request), 0);
    framesEnabled = 1;
    OnFramesResumed();
    return request.answer != 0;
}

std::int32_t FrameworkApp::OnMessageBoxRequest(WindowMessage& m) {
    auto* request = reinterpret_cast<MessageBoxRequest*>(static_cast<std::uintptr_t>(m.wParam));
    if (request == nullptr) return 0;
    switch (request->kind) {
    case 0: ShowMessageBox(request->text, request->type, nullptr, request->caption); break;
    case 1: request->answer = AskYesNo(request->text, request->type, nullptr, request->caption); break;
    case 2:
        request->answer = AskOkCancel(request->text, request->type, nullptr, request->caption);
        break;
    default: break;
    }
    return 0;
}

bool FrameworkApp::PreTranslate(HWND, UINT message, WPARAM wParam, LPARAM, DWORD, LONG, LONG) {
    if (message == WM_SYSKEYUP && wParam == VK_F10) return true;
    if (SystemKeyMode() == 0) {
        if (message == WM_SYSKEYUP) return true;
        if (message == WM_SYSKEYDOWN && wParam != VK_MENU && wParam != VK_F4 && wParam != VK_F10)
            return true;
    }
    if (FullScreenNow() && message == WM_SYSKEYUP && wParam == VK_ESCAPE) return true;
    return false;
}

std::int32_t FrameworkApp::OnActivateApp(WindowMessage& m) {
    active = m.wParam != 0 ? 1 : 0;
    if (!FullScreenNow() && restorePending == 0) {
        if (active) OnWindowActivated();
        else OnWindowDeactivated();
        return 0;
    }
    if (active) {
        ScopedLock lock(m_screenLock);
        if (restorePending != 0) {
            SIZE size = restorePending == 2 ? m_screen->LetterboxDisplaySize() : m_screen->DisplayModeSize();
            if (m_screen->SetFullscreenMode(size.cx, size.cy) != 0) fatalError = 2;
            restorePending = 0;
        }
        if (m_screen->RestoreLostSurfaces() > 1) fatalError = 1;
        if (m_menuWindow.Exists() && m_description.menuBarMode != 2) {
            HWND menu = m_menuWindow.Handle();
            SetWindowLongA(menu, GWL_STYLE, GetWindowLongA(menu, GWL_STYLE) | WS_MAXIMIZE);
        }
        lock.Release();
        OnFullScreenActivated();
        return 0;
    }
    if (menuShown) {
        WindowMessage exit = {&m_mainWindow, WM_EXITMENULOOP, 0, 0, 0};
        OnExitMenuLoop(exit);
    }
    if (m_screen->HoldsExclusiveLevel()) {
        if (m_systemInfo.IsVistaOrLater() && m_description.menuId != 0 && m_menuWindow.Exists()) {
            SetMenu(m_menuWindow.Handle(), nullptr);
            m_menuWindow.Destroy();
        }
    } else if (m_screen->FullScreenModeHeld() && m_settings.block1[kMinimiseInBackground] != 0) {
        {
            ScopedLock lock(m_screenLock);
            m_screen->SetWindowedMode();
            restorePending = m_screen->IsLetterbox() ? 2 : 1;
        }
        ShowWindow(m_mainWindow.Handle(), SW_MINIMIZE);
    }
    OnFullScreenDeactivated();
    return 0;
}

std::int32_t FrameworkApp::OnActivate(WindowMessage& m) {
    ScopedLock lock(m_screenLock);
    if (LOWORD(m.wParam) != WA_INACTIVE) m_input.AcquireAll();
    else m_input.UnacquireAll();
    return 1;
}

std::int32_t FrameworkApp::OnDisplayChange(WindowMessage& m) {
    if (FullScreenNow()) return 0;
    m_displayInfo.Refresh();
    m_systemInfo.SetScreen(LOWORD(m.lParam), HIWORD(m.lParam), static_cast<std::uint8_t>(m.wParam));
    m_systemInfo.ReadRefreshRate();
    if (ThreadedMode() && m_screen != nullptr && m_screen->HasPrimarySurface()) {
        ScopedLock lock(m_screenLock);
        if (m_screen->RestoreLostSurfaces() != 0) fatalError = 1;
    }
    return 0;
}

std::int32_t FrameworkApp::OnPaint(WindowMessage& m) {
    HWND window = m_mainWindow.Handle();
    PAINTSTRUCT paint = {};
    BeginPaint(window, &paint);
    if (m_screen != nullptr) {
        const bool frameLoopIdle =
            m_screen->HasDirect3DDevice() || inSizeMove || (!framesEnabled && !switchingMode) ||
            (!active && m_settings.repaintWhileInactive) || pauseRequest != 0;
        bool movieCovers = moviePlaying && FullScreenNow();
        if (movieCovers && m_screen->HasDirect3DDevice()) movieCovers = m_screen->HasMovieSurface();
        if (frameLoopIdle && !movieCovers) m_screen->PresentRect(paint.rcPaint);
        RECT bars[2];
        if (m_screen->LetterboxBars(bars)) {
            for (const RECT& bar : bars) {
                RECT meet;
                if (IntersectRect(&meet, &bar, &paint.rcPaint))
                    FillRect(paint.hdc, &bar, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            }
        }
        if (moviePlaying && !m_screen->IsEmulated()) {
            HWND movie = GetTopWindow(window);
            if (movie != nullptr) InvalidateRect(movie, nullptr, FALSE);
        }
    }
    EndPaint(window, &paint);
    (void)m;
    return 0;
}

std::int32_t FrameworkApp::OnClose(WindowMessage&) {
    if (ThreadedMode()) m_gameThread.RequestStop();
    else DestroyWindow(m_mainWindow.Handle());
    return 0;
}

std::int32_t FrameworkApp::OnKeyDown(WindowMessage& m) {
    m_input.OnKeyDown(m.wParam, m.lParam);
    return 0;
}

std::int32_t FrameworkApp::OnSysKeyDown(WindowMessage& m) {
    m_input.OnKeyDown(m.wParam, m.lParam);
    return 1;
}

std::int32_t FrameworkApp::OnKeyUp(WindowMessage& m) {
    m_input.OnKeyUp(m.wParam, m.lParam);
    return 0;
}

std::int32_t FrameworkApp::OnMouseWheel(WindowMessage& m) {
    m_input.OnMouseWheel(m.wParam);
    return 0;
}

std::int32_t FrameworkApp::OnLButtonDown(WindowMessage&) { m_input.OnLeftButtonDown(); return 0; }
std::int32_t FrameworkApp::OnLButtonUp(WindowMessage&) { m_input.OnLeftButtonUp(); return 0; }
std::int32_t FrameworkApp::OnRButtonDown(WindowMessage&) { m_input.OnRightButtonDown(); return 0; }
std::int32_t FrameworkApp::OnRButtonUp(WindowMessage&) { m_input.OnRightButtonUp(); return 0; }
std::int32_t FrameworkApp::OnMButtonDown(WindowMessage&) { m_input.OnMiddleButtonDown(); return 0; }
std::int32_t FrameworkApp::OnMButtonUp(WindowMessage&) { m_input.OnMiddleButtonUp(); return 0; }

std::int32_t FrameworkApp::OnSysKeyUp(WindowMessage& m) {
    m_input.OnKeyUp(m.wParam, m.lParam);
    if (!FullScreenNow()) return 1;
    if (SystemKeyMode() == 0) return 0;
    if (m.wParam != VK_MENU && m.wParam != VK_F10) return 1;
    if (m_description.menuId == 0 || m_description.menuBarMode == 0 || cursorShownForMenu || !active)
        return 0;
    if (m_platform->TickCount() - menuHiddenTime <= 250) return 0;
    menuShown = 1;
    cursorShownForMenu = 1;
    if (ModeHeld()) m_screen->BeginGdiOverlay();
    OpenFullScreenMenu();
    m_menuWindow.Send(WM_SYSCOMMAND, SC_KEYMENU, 0);
    return 1;
}

bool FrameworkApp::MouseKeepsCursor() {
    // Without a drawn pointer the system pointer is the only one: it stays visible.
    MouseDevice* mouse = m_input.Mouse();
    return mouse != nullptr && mouse->CursorSprite() == nullptr;
}

std::int32_t FrameworkApp::OnSetCursor(WindowMessage& m) {
    if (LOWORD(m.lParam) != HTCLIENT) return 1;
    if (m_input.Mouse() != nullptr) SetCursor(m_input.Mouse()->CursorHandle());
    return 0;
}

std::int32_t FrameworkApp::OnEnterMenuLoop(WindowMessage&) {
    if (FullScreenNow() && !menuShown) return 0;
    cursorShownForMenu = 1;
    if (!ThreadedMode()) {
        framesEnabled = 0;
        OnFramesSuspended();
    }
    if (m_input.Mouse() != nullptr) m_input.Mouse()->ShowSystemCursor(true);
    else
        while (ShowCursor(TRUE) < 0) {
        }
    const bool full = FullScreenNow();
    const bool menuThere =
        menuShown && (!full || (m_description.menuId != 0 && m_description.menuBarMode != 0));
    if (m_settings.placeCursorAfterSwitch && menuThere) {
        POINT cursor;
        m_platform->GetCursor(cursor);
        ScreenToClient(m_mainWindow.Handle(), &cursor);
        SIZE area = {gameWidth, gameHeight};
        if (m_screen != nullptr && m_screen->IsLetterbox()) area = m_screen->LetterboxDisplaySize();
        if (cursor.x >= 0 && cursor.x <= area.cx && cursor.y >= 0 && cursor.y <= area.cy) {
            POINT target = {0, 0};
            if (!full) {
                ClientToScreen(m_mainWindow.Handle(), &target);
                target.y = target.y + 1 - GetSystemMetrics(SM_CYMENU);
            } else {
                POINT origin = m_screen->DisplayOrigin();
                target.x = origin.x;
                target.y = origin.y + menuBarHeight - GetSystemMetrics(SM_CYMENU) + 1;
            }
            target.x += m_description.menuId != 0 ? 28 : 8;
            m_platform->SetCursor(target.x, target.y);
        }
    }
    return 0;
}

std::int32_t FrameworkApp::OnExitMenuLoop(WindowMessage&) {
    const bool full = FullScreenNow();
    if (full && !gameCursorShown && m_input.Mouse() != nullptr)
        m_input.Mouse()->ShowSystemCursor(false);
    if (full && menuShown) {
        m_mainWindow.Send(kMsgHideMenu, 0, 0);
        menuShown = 0;
        if (ModeHeld()) m_screen->EndGdiOverlay();
        menuHiddenTime = m_platform->TickCount();
    }
    if (!ThreadedMode()) {
        framesEnabled = 1;
        OnFramesResumed();
    }
    if (!modalOpen) cursorShownForMenu = 0;
    return 0;
}

std::int32_t FrameworkApp::OnEnterSizeMove(WindowMessage&) { inSizeMove = 1; return 0; }
std::int32_t FrameworkApp::OnExitSizeMove(WindowMessage&) { inSizeMove = 0; return 0; }

std::int32_t FrameworkApp::OnShowCursorRequest(WindowMessage& m) {
    if (m_input.Mouse() != nullptr) m_input.Mouse()->ShowSystemCursor(m.wParam != 0);
    return 0;
}

std::int32_t FrameworkApp::OnScreenModeRequest(WindowMessage& m) {
    std::int32_t result = SwitchScreenMode(static_cast<std::uint8_t>(m.wParam >> 16),
                                           static_cast<std::uint8_t>(m.wParam >> 8),
                                           static_cast<std::uint8_t>(m.wParam));
    auto* out = reinterpret_cast<std::int32_t*>(static_cast<std::uintptr_t>(m.lParam));
    if (out != nullptr) *out = result;
    return 0;
}

std::int32_t FrameworkApp::OnOpenMenuRequest(WindowMessage&) {
    OpenFullScreenMenu();
    return 0;
}

std::int32_t FrameworkApp::OnHideMenuRequest(WindowMessage&) {
    if (m_menuWindow.Exists()) ShowWindow(m_menuWindow.Handle(), SW_HIDE);
    return 0;
}

std::int32_t FrameworkApp::OnImeRequest(WindowMessage& m) {
    EnableIme(m.wParam != 0);
    return 0;
}

std::int32_t FrameworkApp::OnDestroyRequest(WindowMessage&) {
    DestroyWindow(m_mainWindow.Handle());
    return 0;
}

std::int32_t FrameworkApp::OpenFullScreenMenu() {
    if (m_menuWindow.Exists()) {
        ShowWindow(m_menuWindow.Handle(), SW_HIDE);
        ShowWindow(m_menuWindow.Handle(), SW_SHOW);
        return -1;
    }
    m_menuWindow.SetMessageHandler(WM_SYSCOMMAND, BindOperation<&FrameworkApp::OnMenuWindowSysCommand>(this));
    m_menuWindow.SetMessageHandler(WM_ENTERMENULOOP, BindOperation<&FrameworkApp::OnEnterMenuLoop>(this));
    m_menuWindow.SetMessageHandler(WM_EXITMENULOOP, BindOperation<&FrameworkApp::OnExitMenuLoop>(this));
    if (BeforeMenuWindow() != 0) return 1;
    WindowCreateParams params;
    params.className = "ORV DX FullScreenMenu";
    params.title = m_title;
    POINT origin = m_screen ? m_screen->DisplayOrigin() : POINT{0, 0};
    SIZE size = m_screen ? m_screen->DisplaySize() : SIZE{gameWidth, gameHeight};
    params.x = origin.x;
    params.y = origin.y;
    params.clientWidth = size.cx;
    params.clientHeight = GetSystemMetrics(SM_CYMENU);
    params.exStyle = WS_EX_TOPMOST;
    params.iconId = m_description.iconId;
    params.menuId = 0;
    params.placementMode = 1;
    params.style = m_description.style;
    if (m_description.menuBarMode == 1) params.clientWidth -= 2 * GetSystemMetrics(SM_CXDLGFRAME);
    if (m_description.menuBarMode == 2) params.style = (params.style & 0xFF3FFFFFu) | WS_POPUP;
    if (!(m_description.screenMode >= 2 && (windowFlags & 4) != 0)) params.style &= ~WS_MAXIMIZEBOX;
    // Window classes live as long as the process: the strip's class is registered once.
    static bool s_menuClassRegistered = false;
    const bool registerClass = !s_menuClassRegistered;
    if (m_menuWindow.Create(ModuleInstance(), params,
                            m_mainWindow.Handle(), false, registerClass) != 0)
        return 2;
    s_menuClassRegistered = true;
    HWND menuWindow = m_menuWindow.Handle();
    SetMenu(menuWindow, mainMenu);
    if (m_description.menuBarMode != 2) {
        DeleteMenu(GetSystemMenu(menuWindow, FALSE), SC_MOVE, MF_BYCOMMAND);
        SetWindowLongA(menuWindow, GWL_STYLE, GetWindowLongA(menuWindow, GWL_STYLE) | WS_MAXIMIZE);
    }
    ShowWindow(menuWindow, SW_SHOW);
    return 0;
}

std::int32_t FrameworkApp::OnMenuWindowSysCommand(WindowMessage& m) {
    switch (m.wParam & 0xFFF0) {
    case SC_MINIMIZE:
    case SC_MAXIMIZE:
    case SC_CLOSE:
    case SC_RESTORE: {
        WindowMessage exit = {&m_mainWindow, WM_EXITMENULOOP, 0, 0, 0};
        OnExitMenuLoop(exit);
        m_mainWindow.Post(WM_SYSCOMMAND, m.wParam, m.lParam);
        return 0;
    }
    case SC_SCREENSAVE:
        return 0;
    default:
        return 1;
    }
}
