// MathTables: the trigonometric tables of the whole program, 512 angle units per turn (only the
// low nine bits of an angle matter): a 16.16 fixed-point cosine table, an arctangent table and a
// double-precision cosine table built the first time a rotation needs it. The application owns
// the one instance and publishes it in g_mathTables; its fixed tables are only read afterwards.
#pragma once

#include <cstdint>

class MathTables {
public:
    MathTables();
    virtual ~MathTables();

    MathTables(const MathTables&) = delete;
    MathTables& operator=(const MathTables&) = delete;

    // True when the double table exists or has been built now; false without memory for it.
    bool BuildFloatCosTable();

    // [k] = cos(2 pi k / 512) x 65536; the sine of k is [(k - 128) & 511].
    const std::int32_t* CosFixed() const { return m_cosFixed; }
    // [i] = atan(i / 256) with pi = 32768.
    const std::int16_t* AtanFixed() const { return m_atanFixed; }
    // [k] = cos(2 pi k / 512), or null until built.
    const double* CosFloat() const { return m_cosFloat; }

private:
    std::int32_t m_cosFixed[512];
    std::int16_t m_atanFixed[256];
    double* m_cosFloat = nullptr;
};

// The application's tables; null until it publishes them.
extern MathTables* g_mathTables;

// A corner of a quad; a quad lists the top-left, top-right, bottom-left and bottom-right corners
// of the unrotated rectangle.
struct QuadPoint {
    double x;
    double y;
};

// Zooms a width x height picture whose top-left lies at (offsetX, offsetY) and turns it by angle
// about the pivot (in unzoomed picture coordinates); a positive angle turns counter-clockwise on
// screen. quad receives the corners in the coordinates of an output picture of outWidth x
// outHeight; outOffsetX/Y receive where that picture's corner lies, and when they are null the
// offsets are built into the quad. False, writing nothing, for a null quad, no published tables,
// zoom 0, the identity (zoom 1, a whole number of turns, no offset) or no memory for the tables.
bool RotateQuad(QuadPoint* quad, std::int32_t offsetX, std::int32_t offsetY, std::int32_t angle, double zoom,
                std::int32_t width, std::int32_t height, std::int32_t pivotX, std::int32_t pivotY,
                std::int32_t* outWidth, std::int32_t* outHeight, std::int32_t* outOffsetX, std::int32_t* outOffsetY);
