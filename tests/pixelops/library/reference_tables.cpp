#include "tests/pixelops/library/reference_tables.h"

#include <cmath>

namespace pixelopstest {

std::vector<std::uint8_t> ReferenceWeightTable() {
    std::vector<std::uint8_t> table(65536);
    const double k = 1.0 / 255.0;
    for (int s = 0; s < 256; ++s) {
        for (int d = 0; d < 256; ++d) {
            int entry = 255;
            if (d != 0) {
                const double S = s * k, D = d * k;
                const double r = S / D;
                entry = static_cast<int>(r / ((1.0 - S) + r) * 255.0);
                if (entry > 255) entry = 255;
            }
            table[s * 256 + d] = static_cast<std::uint8_t>(entry);
        }
    }
    return table;
}

std::vector<std::uint8_t> ReferenceSoftLightTable() {
    std::vector<std::uint8_t> table(65536);
    const double K = 1.0 / 255.0;
    for (int s = 0; s < 256; ++s) {
        const double e = s < 128 ? 2.0 * (1.0 - s * K) : 128.0 / s;
        for (int d = 0; d < 256; ++d) {
            const double x = d * K;
            table[s * 256 + d] =
                static_cast<std::uint8_t>(static_cast<int>(255.0 * std::pow(x, e)));
        }
    }
    return table;
}

std::vector<std::uint8_t> ReferenceGammaChannel(float gamma, int floor, int ceiling) {
    std::vector<std::uint8_t> channel(256);
    for (int i = 0; i < 256; ++i) {
        const double v =
            (static_cast<double>(ceiling) - floor) * std::pow(i / 255.0, 1.0 / gamma) + floor + 0.5;
        channel[i] = static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : static_cast<int>(v));
    }
    return channel;
}

}  // namespace pixelopstest
