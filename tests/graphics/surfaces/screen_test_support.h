// What the screen tests share: a recorder put in place of the screens' BitBlt, pictures in a
// sentinel colour to present into, and the count of pixels a set of rectangles covers.
#pragma once

#include <windows.h>

#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "graphics/compose/gdi_blit.h"
#include "graphics/image/image.h"

namespace screentest {

constexpr std::uint32_t kSentinel = 0x00C0FFEE;

// Records every BitBlt of a present (destination rectangles) and still performs it.
class BlitRecorder {
public:
    BlitRecorder() : m_saved(g_gdiBitBlt) {
        s_current = this;
        g_gdiBitBlt = &Record;
    }
    ~BlitRecorder() {
        g_gdiBitBlt = m_saved;
        s_current = nullptr;
    }
    BlitRecorder(const BlitRecorder&) = delete;
    BlitRecorder& operator=(const BlitRecorder&) = delete;

    std::vector<RECT> blits;

private:
    static BOOL WINAPI Record(HDC dc, int x, int y, int w, int h, HDC source, int sx, int sy,
                              DWORD rop) {
        s_current->blits.push_back(RECT{x, y, x + w, y + h});
        return BitBlt(dc, x, y, w, h, source, sx, sy, rop);
    }
    static inline BlitRecorder* s_current = nullptr;
    GdiBitBltFunc m_saved;
};

// The pixels the rectangles cover, each once.
inline std::set<std::pair<LONG, LONG>> Covered(const std::vector<RECT>& rects) {
    std::set<std::pair<LONG, LONG>> out;
    for (const RECT& r : rects)
        for (LONG y = r.top; y < r.bottom; ++y)
            for (LONG x = r.left; x < r.right; ++x) out.insert({x, y});
    return out;
}

// A DIB-section picture standing for the window, all in the sentinel colour.
inline bool SentinelPicture(Image& image, std::int32_t width, std::int32_t height) {
    return image.Create(width, height, 32, kImageDibSection) == 0 &&
           image.FillValue(kSentinel, nullptr);
}

}  // namespace screentest
