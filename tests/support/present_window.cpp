#include "tests/support/present_window.h"

#include <cstring>

#include "tests/support/win_test_env.h"

namespace testsupport {

namespace {

const char kWindowClass[] = "SorahanePresentWindow";

}  // namespace

PresentWindow::PresentWindow(std::int32_t width, std::int32_t height)
    : m_width(width), m_height(height) {
    RegisterTestWindowClass(kWindowClass);
    const int x = GetSystemMetrics(SM_CXSCREEN) - width;
    const int y = GetSystemMetrics(SM_CYSCREEN) - height;
    m_window = CreateWindowExA(WS_EX_TOPMOST, kWindowClass, "present", WS_POPUP, x > 0 ? x : 0,
                               y > 0 ? y : 0, width, height, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    if (!m_window) return;
    SetWindowLongPtrA(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
    ShowWindow(m_window, SW_SHOWNOACTIVATE);
    UpdateWindow(m_window);
    PumpMessagesFor(50);
}

PresentWindow::~PresentWindow() {
    if (m_window) DestroyWindow(m_window);
    PumpMessagesFor(50);
}

bool PresentWindow::Fill(std::uint32_t colour) {
    HDC dc = m_window ? GetDC(m_window) : nullptr;
    if (!dc) return false;
    HBRUSH brush = CreateSolidBrush(RGB((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF));
    const RECT all = {0, 0, m_width, m_height};
    const bool filled = brush && FillRect(dc, &all, brush) != 0;
    if (brush) DeleteObject(brush);
    ReleaseDC(m_window, dc);
    return filled;
}

std::vector<std::uint32_t> PresentWindow::ReadBack() {
    std::vector<std::uint32_t> pixels;
    HDC dc = m_window ? GetDC(m_window) : nullptr;
    if (!dc) return pixels;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = m_width;
    info.bmiHeader.biHeight = -m_height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(dc);
    if (dib && memory && bits) {
        HGDIOBJ old = SelectObject(memory, dib);
        if (BitBlt(memory, 0, 0, m_width, m_height, dc, 0, 0, SRCCOPY)) {
            GdiFlush();
            pixels.resize(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height));
            std::memcpy(pixels.data(), bits, pixels.size() * 4);
            for (std::uint32_t& p : pixels) p &= 0x00FFFFFF;
        }
        SelectObject(memory, old);
    }
    if (memory) DeleteDC(memory);
    if (dib) DeleteObject(dib);
    ReleaseDC(m_window, dc);
    return pixels;
}

LRESULT CALLBACK PresentWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        ValidateRect(window, nullptr);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace testsupport
