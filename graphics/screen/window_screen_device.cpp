#include "graphics/screen/window_screen_device.h"

#include <cstring>

#include "framework/system/report_values.h"

WindowScreenDevice::~WindowScreenDevice() { Release(); }

POINT WindowScreenDevice::DisplayOrigin() { return POINT{0, 0}; }

SIZE WindowScreenDevice::DisplaySize() { return DisplayModeSize(); }

SIZE WindowScreenDevice::DisplayModeSize() {
    return SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

RECT WindowScreenDevice::GameArea() { return RECT{0, 0, m_size.cx, m_size.cy}; }

std::int32_t WindowScreenDevice::EnumerateDisplayModes(std::int32_t width, std::int32_t height) {
    SetGameSize(width, height);
    return 0;
}

std::int32_t WindowScreenDevice::CreateCanvas(std::int32_t width, std::int32_t height, bool) {
    Release();
    SetGameSize(width, height);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_canvas = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_canvasDc = CreateCompatibleDC(nullptr);
    if (m_canvas == nullptr || m_canvasDc == nullptr) {
        Release();
        return 1;
    }
    m_pixels = static_cast<std::uint32_t*>(bits);
    std::memset(m_pixels, 0, static_cast<std::size_t>(width) * height * 4);
    m_previousBitmap = SelectObject(m_canvasDc, m_canvas);
    return 0;
}

void WindowScreenDevice::SetGameSize(std::int32_t width, std::int32_t height) { m_size = SIZE{width, height}; }

std::int32_t WindowScreenDevice::ChangeMode(HWND window, bool fullScreen, std::uint8_t, std::uint8_t) {
    if (fullScreen) return 1;
    m_window = window;
    return 0;
}

void WindowScreenDevice::Copy(HDC target, const RECT& rect) {
    if (m_canvasDc == nullptr) return;
    BitBlt(target, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, m_canvasDc, rect.left,
           rect.top, SRCCOPY);
}

void WindowScreenDevice::PresentRect(const RECT& rect) {
    if (m_window == nullptr) return;
    HDC dc = GetDC(m_window);
    if (dc == nullptr) return;
    Copy(dc, rect);
    ReleaseDC(m_window, dc);
}

std::int32_t WindowScreenDevice::PresentGdi() {
    if (m_window == nullptr || m_canvasDc == nullptr) return 1;
    PresentRect(GameArea());
    return 0;
}

void WindowScreenDevice::Release() {
    if (m_canvasDc != nullptr) {
        if (m_previousBitmap != nullptr) SelectObject(m_canvasDc, m_previousBitmap);
        DeleteDC(m_canvasDc);
    }
    if (m_canvas != nullptr) DeleteObject(m_canvas);
    m_canvasDc = nullptr;
    m_canvas = nullptr;
    m_previousBitmap = nullptr;
    m_pixels = nullptr;
    m_window = nullptr;
}

void WindowScreenDevice::FillReportValues(ReportScreenValues&) {}
