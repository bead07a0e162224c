#include "framework/window/framework_window.h"

#include "framework/system/display_info.h"
#include "framework/system/display_source.h"

namespace {

const char* const kSystemClasses[] = {"BUTTON", "COMBOBOX", "EDIT", "LISTBOX", "MDICLIENT", "SCROLLBAR", "STATIC"};

}  // namespace

bool IsSystemWindowClass(const char* name) {
    if (name == nullptr) return false;
    for (const char* system : kSystemClasses) {
        if (lstrcmpA(name, system) == 0) return true;
    }
    return false;
}

FrameworkWindow::FrameworkWindow()
    : m_handle(nullptr),
      m_postQuitOnDestroy(false),
      m_placementMode(0),
      m_display(&RealDisplaySource()),
      m_dispatchDepth(0) {}

FrameworkWindow::~FrameworkWindow() { Destroy(); }

std::int32_t FrameworkWindow::DefaultHandler(WindowMessage& message) {
    if (message.message == WM_DESTROY && m_postQuitOnDestroy) {
        PostQuitMessage(0);
        return 0;
    }
    return 1;
}

std::int32_t FrameworkWindow::Create(HINSTANCE instance, const WindowCreateParams& params,
                                     HWND parent, bool postQuitOnDestroy, bool registerClass) {
    if (registerClass && !IsSystemWindowClass(params.className.c_str()) &&
        RegisterWindowClass(instance, params) == 0) {
        return 1;
    }
    m_postQuitOnDestroy = postQuitOnDestroy;
    m_placementMode = params.placementMode;
    RECT outer;
    ComputeWindowRect(outer, params.clientWidth, params.clientHeight, params.style, params.exStyle,
                      params.menuId != 0, true, params.x, params.y);
    m_handle = CreateWindowExA(params.exStyle, params.className.c_str(), params.title.c_str(),
                               params.style, outer.left, outer.top, outer.right, outer.bottom,
                               parent, nullptr, instance, this);
    return m_handle == nullptr ? 2 : 0;
}

ATOM FrameworkWindow::RegisterWindowClass(HINSTANCE instance, const WindowCreateParams& params) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &FrameworkWindow::WindowProc;
    wc.hInstance = instance;
    if (params.iconId != 0) {
        wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(params.iconId));
        wc.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(params.iconId));
    } else {
        wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
        wc.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
    }
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = params.background;
    wc.lpszMenuName = params.menuId != 0 ? MAKEINTRESOURCEA(params.menuId) : nullptr;
    wc.lpszClassName = params.className.c_str();
    return RegisterClassExA(&wc);
}

void FrameworkWindow::ComputeWindowRect(RECT& out, std::int32_t clientWidth,
                                        std::int32_t clientHeight, std::uint32_t style,
                                        std::uint32_t exStyle, bool hasMenu, bool place,
                                        std::int32_t x, std::int32_t y) {
    out = RECT{0, 0, clientWidth, clientHeight};
    bool menu = false;
    if (style & WS_SYSMENU) {
        menu = hasMenu || (Exists() && GetMenu(m_handle) != nullptr);
        if (!menu) style &= ~static_cast<std::uint32_t>(WS_SYSMENU);
    }
    AdjustWindowRectEx(&out, style, menu, exStyle);
    if (!place) return;
    const std::int32_t width = out.right - out.left;
    const std::int32_t height = out.bottom - out.top;
    out = RECT{x, y, width, height};
    if (m_placementMode == 0) return;
    if (g_displayInfo != nullptr && g_displayInfo->Monitors().size() > 1) {
        std::int32_t left = x, top = y;
        g_displayInfo->PlaceRect(left, top, width, height, m_placementMode - 1, true);
        out.left = left;
        out.top = top;
        return;
    }
    const RECT work = m_display->WorkArea();
    const std::int32_t workWidth = work.right - work.left;
    const std::int32_t workHeight = work.bottom - work.top;
    bool centre = m_placementMode == 2;
    if (m_placementMode == 1) {
        centre = !(0 <= x && x <= workWidth - width && 0 <= y && y <= workHeight - height);
    }
    if (!centre) return;
    out.left = (workWidth >> 1) - (width >> 1);
    out.top = (workHeight >> 1) - (height >> 1);
    if (out.left < 0 || out.top < 0) {
        out.left = 0;
        out.top = 0;
    }
}

void FrameworkWindow::SetMessageHandler(std::uint32_t message, MessageHandler* handler) {
    std::unique_ptr<MessageHandler>& slot = m_handlers[message];
    Retire(std::move(slot));
    slot.reset(handler);
}

void FrameworkWindow::Retire(std::unique_ptr<MessageHandler> handler) {
    if (handler != nullptr && m_dispatchDepth > 0) m_retired.push_back(std::move(handler));
}

LRESULT FrameworkWindow::Send(UINT message, WPARAM wParam, LPARAM lParam) {
    return Exists() ? SendMessageA(m_handle, message, wParam, lParam) : 0;
}

LRESULT FrameworkWindow::Post(UINT message, WPARAM wParam, LPARAM lParam) {
    return Exists() ? PostMessageA(m_handle, message, wParam, lParam) : 0;
}

bool FrameworkWindow::Exists() const { return m_handle != nullptr && IsWindow(m_handle); }

void FrameworkWindow::Destroy() {
    if (Exists()) DestroyWindow(m_handle);
    for (auto& entry : m_handlers) Retire(std::move(entry.second));
    m_handlers.clear();
}

LRESULT CALLBACK FrameworkWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    FrameworkWindow* self;
    if (message == WM_NCCREATE) {
        self = static_cast<FrameworkWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        if (self != nullptr) {
            self->m_handle = window;
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    } else {
        self = reinterpret_cast<FrameworkWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    }
    if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    LRESULT result = self->Dispatch(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // The handle may be given to another window from now on.
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        if (self->m_handle == window) self->m_handle = nullptr;
    }
    return result;
}

LRESULT FrameworkWindow::Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowMessage record = {this, message, static_cast<std::uint32_t>(wParam),
                            static_cast<std::uint32_t>(lParam), 0};
    ++m_dispatchDepth;
    auto found = m_handlers.find(message);
    MessageHandler* handler = found != m_handlers.end() ? found->second.get() : nullptr;
    if (handler == nullptr || handler->Invoke(record) != 0) {
        if (DefaultHandler(record) != 0) {
            record.result = static_cast<std::int32_t>(
                DefWindowProcA(window, message, record.wParam, record.lParam));
        }
    }
    if (--m_dispatchDepth == 0) m_retired.clear();
    return record.result;
}
