// FrameworkWindow: a top-level window that routes its messages through a map from message id
// to handler object instead of a switch. AppWindow is the kind the application owns (its main
// window and its full-screen menu window).
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "framework/window/window_create_params.h"
#include "framework/window/window_message.h"

class DisplaySource;

class FrameworkWindow {
public:
    FrameworkWindow();
    // Destroys the window when it still exists.
    virtual ~FrameworkWindow();
    FrameworkWindow(const FrameworkWindow&) = delete;
    FrameworkWindow& operator=(const FrameworkWindow&) = delete;

    // Sees every message that no handler stopped. Non-zero: the message goes on to
    // DefWindowProcA with the parameters as the handlers left them. Posts WM_QUIT at WM_DESTROY
    // when the window was created to do so.
    virtual std::int32_t DefaultHandler(WindowMessage& message);

    // 0 created; 1 class registration failed (also when the class is registered already);
    // 2 CreateWindowExA failed. The handle stays null on failure.
    std::int32_t Create(HINSTANCE instance, const WindowCreateParams& params, HWND parent,
                        bool postQuitOnDestroy, bool registerClass);
    // The atom of RegisterClassExA, 0 on failure.
    ATOM RegisterWindowClass(HINSTANCE instance, const WindowCreateParams& params);

    // The outer rectangle of a window with the given client size. A menu bar counts only with
    // WS_SYSMENU, when `hasMenu` is set or this window exists and has a menu. Without `place`,
    // `out` is the adjusted rectangle around (0, 0); with it, `out` is left, top, outer width
    // and outer height: placement mode 0 keeps (x, y); with two or more monitor records in
    // g_displayInfo, DisplayInfo::PlaceRect(mode - 1) decides; otherwise, on the work area's
    // size (its origin is not added), mode 1 keeps the point when the window fits, else
    // centres, mode 2 centres (negative coordinates become 0), other modes keep the point.
    void ComputeWindowRect(RECT& out, std::int32_t clientWidth, std::int32_t clientHeight,
                           std::uint32_t style, std::uint32_t exStyle, bool hasMenu, bool place,
                           std::int32_t x, std::int32_t y);

    // Installs `handler` (owned from now on; null allowed) for the id, deleting the one before.
    void SetMessageHandler(std::uint32_t message, MessageHandler* handler);
    // Give 0 when the window does not exist.
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Post(UINT message, WPARAM wParam, LPARAM lParam);
    bool Exists() const;
    // DestroyWindow when the window exists; then deletes every handler.
    void Destroy();

    HWND Handle() const { return m_handle; }
    bool PostQuitOnDestroy() const { return m_postQuitOnDestroy; }
    std::uint8_t PlacementMode() const { return m_placementMode; }
    // Create sets it from its record; a window placed again later may change it first.
    void SetPlacementMode(std::uint8_t mode) { m_placementMode = mode; }
    // Where placement reads the work area when there are not several monitors; the real
    // display unless a test replaces it.
    void SetDisplaySource(DisplaySource& display) { m_display = &display; }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    LRESULT Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // A handler replaced or removed while a message is being dispatched may be the one that is
    // running: it is kept until the outermost dispatch returns.
    void Retire(std::unique_ptr<MessageHandler> handler);

    HWND m_handle;
    std::map<std::uint32_t, std::unique_ptr<MessageHandler>> m_handlers;
    bool m_postQuitOnDestroy;
    std::uint8_t m_placementMode;
    DisplaySource* m_display;
    std::int32_t m_dispatchDepth;
    std::vector<std::unique_ptr<MessageHandler>> m_retired;
};

// The windows the application owns. The full-screen menu window is a plain AppWindow; the main
// window is an ImeAppWindow (framework/app/framework_app.h), which adds the IME messages to the
// default handling.
class AppWindow : public FrameworkWindow {};

// True when `name` equals, by lstrcmpA (so with case), one of the system classes whose
// registration belongs to the system: "BUTTON", "COMBOBOX", "EDIT", "LISTBOX", "MDICLIENT",
// "SCROLLBAR", "STATIC". False for no name.
bool IsSystemWindowClass(const char* name);
