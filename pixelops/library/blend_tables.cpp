#include "pixelops/library/blend_tables.h"

#include <cmath>

namespace pixelops {

std::uint8_t T_alpha[256 * 256];
std::uint8_t T_weight[256 * 256];
std::uint8_t T_div[256 * 256];
std::uint8_t T_softlight[256 * 256];
std::uint8_t T_overlay[256 * 256];
std::uint8_t T_dodge[256 * 256];
std::uint8_t T_burn[256 * 256];

namespace {

std::uint16_t ReadControlWord() {
    std::uint16_t cw = 0;
    asm volatile("fnstcw %0" : "=m"(cw));
    return cw;
}

void WriteControlWord(std::uint16_t cw) {
    asm volatile("fldcw %0" : : "m"(cw));
}

}  // namespace

double PowDouble(double base, double exponent) {
    if (exponent == 1.0) return base;
    const std::uint16_t saved = ReadControlWord();
    WriteControlWord(static_cast<std::uint16_t>(saved | 0x300));
    volatile double result = std::pow(base, exponent);
    WriteControlWord(saved);
    return result;
}

X87DoublePrecision::X87DoublePrecision() : m_saved(ReadControlWord()) {
    // Precision control 10b (53 bits), rounding control 00b (to nearest).
    WriteControlWord(static_cast<std::uint16_t>((m_saved & ~0xF00) | 0x200));
}

X87DoublePrecision::~X87DoublePrecision() {
    WriteControlWord(m_saved);
}

void BuildCompositeTables() {
    X87DoublePrecision precision;
    const double k = 1.0 / 255.0;
    for (int d = 0; d < 256; ++d) {
        for (int s = 0; s < 256; ++s) {
            const int product = (255 - d) * (255 - s);
            T_alpha[s * 256 + d] = static_cast<std::uint8_t>(255 - product / 255);
            int weight = 255;
            if (d > 0) {
                const double S = s * k;
                const double D = d * k;
                const double r = S / D;
                const double w = r / ((1.0 - S) + r);
                weight = static_cast<int>(w * 255.0);
                if (weight > 255) weight = 255;
            }
            T_weight[s * 256 + d] = static_cast<std::uint8_t>(weight);
        }
    }
    for (int i = 0; i < 256; ++i) T_div[i] = 0;
    for (int i = 0; i < 256; ++i) {
        for (int j = 1; j < 256; ++j) {
            const int q = 255 * i / j;
            T_div[j * 256 + i] = static_cast<std::uint8_t>(q > 255 ? 255 : q);
        }
    }
}

void BuildBlendCurveTables() {
    X87DoublePrecision precision;
    const double K = 1.0 / 255.0;
    for (int s = 0; s < 256; ++s) {
        const double e = s < 128 ? 2.0 * (1.0 - s * K) : 128.0 / s;
        for (int d = 0; d < 256; ++d) {
            const double base = d * K;
            const double p = PowDouble(base, e);
            T_softlight[s * 256 + d] = static_cast<std::uint8_t>(static_cast<int>(255.0 * p));

            const int twice = 2 * s * d / 255;
            T_overlay[s * 256 + d] =
                static_cast<std::uint8_t>(d < 128 ? twice : 2 * s + 2 * d - twice - 255);
            T_dodge[s * 256 + d] =
                static_cast<std::uint8_t>(d < 255 - s ? 255 * d / (255 - s) : 255);
            T_burn[s * 256 + d] =
                static_cast<std::uint8_t>(s > 255 - d ? 255 - 255 * (255 - d) / s : 0);
        }
    }
}

}  // namespace pixelops
