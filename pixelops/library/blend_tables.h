// The shared 256 x 256 lookup tables of the row kernels.
//
// Entry [row][column] of each table sits at row * 256 + column. All are rebuilt, with the same
// contents, every time a library object is filled; the kernels only read them.
#pragma once

#include <cstdint>

namespace pixelops {

// Alpha of a pixel of alpha s (row) composited over one of alpha d (column).
extern std::uint8_t T_alpha[256 * 256];
// Weight of the source colour in that composite (row s, column d).
extern std::uint8_t T_weight[256 * 256];
// Row j, column i: min(255, 255 i / j); row 0 all zero.
extern std::uint8_t T_div[256 * 256];

// Layer-mode curves, row = source value, column = destination value.
extern std::uint8_t T_softlight[256 * 256];
extern std::uint8_t T_overlay[256 * 256];
extern std::uint8_t T_dodge[256 * 256];
extern std::uint8_t T_burn[256 * 256];

void BuildCompositeTables();   // T_alpha, T_weight, T_div
void BuildBlendCurveTables();  // T_softlight, T_overlay, T_dodge, T_burn

// The x87 unit rounds to its 64-bit mantissa by default, which makes hundreds of table entries
// differ by one from the IEEE double steps that define them. While this guard lives, every x87
// operation rounds to nearest at 53 bits, as an IEEE double would.
// pow at the C library's full accuracy whatever the precision control: the library's pow
// works in the x87's extended precision and loses bits at 53. Returns the base unchanged for
// the exponent 1.
double PowDouble(double base, double exponent);

class X87DoublePrecision {
public:
    X87DoublePrecision();
    ~X87DoublePrecision();
    X87DoublePrecision(const X87DoublePrecision&) = delete;
    X87DoublePrecision& operator=(const X87DoublePrecision&) = delete;

private:
    std::uint16_t m_saved;
};

}  // namespace pixelops
