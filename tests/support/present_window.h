// A visible top-level window for presents: a borderless popup whose client area is exactly the
// size asked for, which never paints itself (no background erase, WM_PAINT only validates), so
// whatever a present copies into it stays until the next copy. Its pixels read back through
// its device context. It sits in the display's bottom-right corner, above other windows, out of
// the way of the windows that test programs running beside it show on the same display (mostly
// at the top left). Destroyed with the object.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace testsupport {

class PresentWindow {
public:
    PresentWindow(std::int32_t width, std::int32_t height);
    ~PresentWindow();
    PresentWindow(const PresentWindow&) = delete;
    PresentWindow& operator=(const PresentWindow&) = delete;

    HWND Handle() const { return m_window; }
    // Fills the whole client area with one 0x00RRGGBB colour; false when the window's device
    // context cannot be had.
    bool Fill(std::uint32_t colour);
    // The client area's pixels, row by row from the top, as 0x00RRGGBB; empty when they cannot
    // be read.
    std::vector<std::uint32_t> ReadBack();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
    std::int32_t m_width;
    std::int32_t m_height;
};

}  // namespace testsupport
