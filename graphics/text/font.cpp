#include "graphics/text/font.h"

#include <algorithm>
#include <cstring>

#include "framework/system/system_info.h"
#include "graphics/compose/math_tables.h"
#include "graphics/text/text_syntax.h"

std::uint8_t g_fontSystemIsNt = 1;

void PublishFontSystemInfo(const SystemInfo& info) {
    g_fontSystemIsNt = info.IsNtFamily() ? 1 : 0;
}

std::int32_t AngleIndex(std::int32_t angle) {
    return static_cast<std::int32_t>(static_cast<std::int64_t>(angle) * 512 / 3600);
}

bool TableCos(std::int32_t k, std::int32_t* cosine) {
    if (g_mathTables == nullptr) {
        return false;
    }
    *cosine = g_mathTables->CosFixed()[k & 511];
    return true;
}

void CopyFaceName(char (&target)[LF_FACESIZE], const char* face) {
    std::size_t n = 0;
    while (face[n] != 0) {
        const std::size_t step =
            IsShiftJisLead(static_cast<std::uint8_t>(face[n])) && face[n + 1] != 0 ? 2 : 1;
        if (n + step > LF_FACESIZE - 1) {
            break;
        }
        n += step;
    }
    std::memcpy(target, face, n);
    target[n] = 0;
}

Font::Font() {
    std::memset(&logFont, 0, sizeof(logFont));
    logFont.lfHeight = -16;
    logFont.lfWeight = FW_NORMAL;
    logFont.lfCharSet = SHIFTJIS_CHARSET;
    logFont.lfQuality = NONANTIALIASED_QUALITY;
}

bool Font::AdoptFace(const char* face) {
    char copy[LF_FACESIZE];
    CopyFaceName(copy, face);
    if (lstrcmpA(copy, logFont.lfFaceName) == 0) {
        return false;
    }
    std::memcpy(logFont.lfFaceName, copy, sizeof(copy));
    return true;
}

void Font::ReleaseMainFont() {
    if (dc != nullptr) {
        DeleteDC(dc);
        dc = nullptr;
    }
    if (font != nullptr) {
        DeleteObject(font);
        font = nullptr;
    }
}

std::int32_t Font::CreateSelected(const LOGFONTA& description, HFONT* slotFont, HDC* slotDc) {
    HFONT created = CreateFontIndirectA(&description);
    if (created == nullptr) {
        return 1;
    }
    if (*slotDc == nullptr) {
        *slotDc = CreateScreenCompatibleDc();
    }
    if (*slotDc == nullptr) {
        DeleteObject(created);
        return -1;
    }
    SelectObject(*slotDc, created);
    if (*slotFont != nullptr) {
        DeleteObject(*slotFont);
    }
    *slotFont = created;
    return 0;
}

HDC Font::CreateScreenCompatibleDc() {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    return memory;
}

namespace {

std::int32_t Shift16(std::int64_t v) {
    return static_cast<std::int32_t>(v >> 16);
}

}  // namespace

void Font::ShadowOffset(bool turnAt2700, std::int32_t* dx, std::int32_t* dy) const {
    *dx = effectOffsetX;
    *dy = effectOffsetY;
    const std::int32_t angle = logFont.lfEscapement;
    std::int32_t c = 0;
    std::int32_t s = 0;
    if (angle == 0 || (angle == 2700 && !turnAt2700) || !TableCos(AngleIndex(angle), &c)) {
        return;
    }
    TableCos(AngleIndex(angle) - 128, &s);
    *dx = Shift16(static_cast<std::int64_t>(effectOffsetX) * c +
                  static_cast<std::int64_t>(effectOffsetY) * s);
    *dy = Shift16(static_cast<std::int64_t>(effectOffsetY) * c -
                  static_cast<std::int64_t>(effectOffsetX) * s);
}

void Font::LineStep(std::int32_t* dx, std::int32_t* dy) const {
    const std::int32_t l = CellHeight() + lineSpacing;
    std::int32_t c = 0;
    std::int32_t s = 0;
    if (logFont.lfEscapement == 0 || !TableCos(AngleIndex(logFont.lfEscapement), &c)) {
        *dx = 0;
        *dy = l;
        return;
    }
    TableCos(AngleIndex(logFont.lfEscapement) - 128, &s);
    *dx = Shift16(static_cast<std::int64_t>(l) * s);
    *dy = Shift16(static_cast<std::int64_t>(l) * c);
}

void Font::GetRotatedTextBounds(RECT* rect, std::int32_t x, std::int32_t y, std::int32_t width,
                                std::int32_t height) const {
    std::int32_t c = 0;
    std::int32_t s = 0;
    if (logFont.lfEscapement == 0 || !TableCos(AngleIndex(logFont.lfEscapement), &c)) {
        *rect = {x, y, x + width, y + height};
        return;
    }
    TableCos(AngleIndex(logFont.lfEscapement) - 128, &s);
    const std::int64_t cl = c;
    const std::int64_t sl = s;
    const std::int32_t ox = Shift16(x * cl + y * sl);
    const std::int32_t oy = Shift16(y * cl - x * sl);
    const std::int32_t px[4] = {0, Shift16(width * cl), Shift16(height * sl),
                                Shift16(width * cl + height * sl)};
    const std::int32_t py[4] = {0, Shift16(-width * sl), Shift16(height * cl),
                                Shift16(-width * sl + height * cl)};
    *rect = {ox + *std::min_element(px, px + 4), oy + *std::min_element(py, py + 4),
             ox + *std::max_element(px, px + 4), oy + *std::max_element(py, py + 4)};
}
