#include "graphics/compose/math_tables.h"

#include <float.h>

#include <algorithm>
#include <cmath>
#include <new>

MathTables* g_mathTables = nullptr;

namespace {

constexpr double kPi = 3.14159265358979323846;

// The x87 unit computes with 64-bit mantissas unless told otherwise; the tables and the quad
// corners are defined by double-precision steps, so they are computed with 53-bit rounding.
class DoublePrecisionScope {
public:
    DoublePrecisionScope() : m_saved(_controlfp(0, 0)) { _controlfp(_PC_53, _MCW_PC); }
    ~DoublePrecisionScope() { _controlfp(m_saved, _MCW_PC); }

    DoublePrecisionScope(const DoublePrecisionScope&) = delete;
    DoublePrecisionScope& operator=(const DoublePrecisionScope&) = delete;

private:
    unsigned int m_saved;
};

// cos(i * pi / 256) for i = 1..127, with pi / 256 formed as pi times 1/256.
double StepCos(int i) { return std::cos(i * (kPi * 0.00390625)); }

// A 512-step cosine table from its first quarter: one for cos 0, value(i) for i = 1..127, and
// the rest by symmetry.
template <class T, class Value>
void FillCosTable(T* table, T one, Value value) {
    table[0] = one;
    table[128] = 0;
    table[256] = -one;
    table[384] = 0;
    for (int i = 1; i < 128; ++i) {
        const T v = value(i);
        table[i] = v;
        table[512 - i] = v;
        table[256 - i] = -v;
        table[256 + i] = -v;
    }
}

}  // namespace

MathTables::MathTables() {
    DoublePrecisionScope precision;
    FillCosTable(m_cosFixed, std::int32_t{65536},
                 [](int i) { return static_cast<std::int32_t>(StepCos(i) * 65536.0); });
    for (int i = 0; i < 256; ++i) {
        m_atanFixed[i] = static_cast<std::int16_t>(std::atan2(i * 0.00390625, 1.0) * 32768.0 / kPi);
    }
}

MathTables::~MathTables() { delete[] m_cosFloat; }

bool MathTables::BuildFloatCosTable() {
    if (m_cosFloat) return true;
    double* table = new (std::nothrow) double[512];
    if (!table) return false;
    DoublePrecisionScope precision;
    FillCosTable(table, 1.0, StepCos);
    m_cosFloat = table;
    return true;
}

namespace {

bool FitsInt32(double v) {
    return std::isfinite(v) && v > -2147483648.0 && v < 2147483647.0;
}

}  // namespace

bool RotateQuad(QuadPoint* quad, std::int32_t offsetX, std::int32_t offsetY, std::int32_t angle,
                double zoom, std::int32_t width, std::int32_t height, std::int32_t pivotX,
                std::int32_t pivotY, std::int32_t* outWidth, std::int32_t* outHeight,
                std::int32_t* outOffsetX, std::int32_t* outOffsetY) {
    if (!quad || !g_mathTables || zoom == 0.0 || !std::isfinite(zoom)) return false;
    if (zoom == 1.0 && (angle & 511) == 0 && offsetX == 0 && offsetY == 0) return false;
    if (!g_mathTables->BuildFloatCosTable()) return false;

    DoublePrecisionScope precision;
    const double* cosFloat = g_mathTables->CosFloat();
    const double c = cosFloat[(-angle) & 511];
    const double s = cosFloat[(-angle - 128) & 511];
    const double px = pivotX * zoom;
    const double py = pivotY * zoom;
    const double w = width * zoom;
    const double h = height * zoom;
    const QuadPoint corners[4] = {{0.0, 0.0}, {w, 0.0}, {0.0, h}, {w, h}};

    QuadPoint turned[4];
    for (int i = 0; i < 4; ++i) {
        const double dx = corners[i].x - px;
        const double dy = corners[i].y - py;
        turned[i] = QuadPoint{px + dx * c - dy * s, py + dx * s + dy * c};
    }
    double minX = turned[0].x, maxX = turned[0].x, minY = turned[0].y, maxY = turned[0].y;
    for (int i = 1; i < 4; ++i) {
        minX = std::min(minX, turned[i].x);
        maxX = std::max(maxX, turned[i].x);
        minY = std::min(minY, turned[i].y);
        maxY = std::max(maxY, turned[i].y);
    }
    // Every figure handed out must fit an int32 (a huge zoom would otherwise wrap the size and
    // the corner); such a call is refused and writes nothing.
    const double ox64 = std::trunc(pivotX - px + minX + 0.5) + offsetX;
    const double oy64 = std::trunc(pivotY - py + minY + 0.5) + offsetY;
    if (!FitsInt32(maxX - minX) || !FitsInt32(maxY - minY) || !FitsInt32(ox64) ||
        !FitsInt32(oy64))
        return false;
    if (outWidth) *outWidth = static_cast<std::int32_t>(maxX - minX);
    if (outHeight) *outHeight = static_cast<std::int32_t>(maxY - minY);
    const std::int32_t ox = static_cast<std::int32_t>(ox64);
    const std::int32_t oy = static_cast<std::int32_t>(oy64);
    if (outOffsetX) *outOffsetX = ox;
    if (outOffsetY) *outOffsetY = oy;
    for (int i = 0; i < 4; ++i) {
        quad[i] = QuadPoint{turned[i].x - (minX + 0.5), turned[i].y - (minY + 0.5)};
        if (!outOffsetX) quad[i].x += ox;
        if (!outOffsetY) quad[i].y += oy;
    }
    return true;
}
