// The argument forms of the image drawing commands, read from a command's words. Each form is a
// pure function of the words, so that what a command passes to the image can be checked apart
// from the drawing.
//
// A form whose first word is 65535 stands for "the whole" and the words after that marker are
// not read (a script need not fill them). Rectangles are left, top, right, bottom.
#pragma once

#include <windows.h>

#include <cstdint>

namespace image_draw_forms {

constexpr std::uint32_t kWhole = 0xFFFF;

// x, y, then a source rectangle. x of 65535: the whole source at (0, 0) and no further word; a
// source left of 65535: the whole source (sourceRect null).
struct PointForm {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool hasSource = false;
    RECT source{};
    const RECT* SourceRect() const { return hasSource ? &source : nullptr; }
};
PointForm ReadPoint(const std::uint32_t* words);

// x, y, width, height, then a source rectangle. x of 65535: the whole source onto the whole
// destination (size null) and no further word.
struct StretchForm {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool hasSize = false;
    SIZE size{};
    bool hasSource = false;
    RECT source{};
    const SIZE* Size() const { return hasSize ? &size : nullptr; }
    const RECT* SourceRect() const { return hasSource ? &source : nullptr; }
};
StretchForm ReadStretch(const std::uint32_t* words);

// left, top, right, bottom; a left of 65535: the whole image (null).
struct RegionForm {
    bool given = false;
    RECT rect{};
    const RECT* Rect() const { return given ? &rect : nullptr; }
};
RegionForm ReadRegion(const std::uint32_t* words);

// A source rectangle followed by a clip rectangle that is read only when the source rectangle is
// given (the quadrilateral and rotate-zoom blits).
struct SourceAndClip {
    RegionForm source;
    RegionForm clip;
};
SourceAndClip ReadSourceThenClip(const std::uint32_t* words);

// A colour given as three words: each channel masked to its 8 bits, then 0x00RRGGBB.
std::uint32_t PackColour(std::uint32_t r, std::uint32_t g, std::uint32_t b);

// count optional pairs into out (2 x count words): a pair whose first word is 65535 is absent,
// and so is every pair after it; absent pairs are zeros.
void ReadOptionalPairs(const std::uint32_t* words, std::int32_t count, std::int32_t* out);

// The optional group of the surface-effect command: two values, a 16-bit value, a rectangle of
// four 16-bit words (its first word 65535: -1 and zeros) and a 16-bit option, as the eight
// values the factory takes. An absent group (first word 65535) is the marker and seven zeros.
struct SurfaceEffectGroup {
    std::uint32_t values[8] = {};
};
SurfaceEffectGroup ReadSurfaceEffectGroup(const std::uint32_t* words);

}  // namespace image_draw_forms
