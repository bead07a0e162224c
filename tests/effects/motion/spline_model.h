// An independent model of the motion paths' closed spline: the knots' second differences
// solved densely by Gaussian elimination, and the check that allows a position to differ by 1
// where the model lies within 1e-6 of a whole number.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace effecttest {

// The knots and the system of the closed spline, solved densely by Gaussian elimination.
inline std::vector<double> DenseSigma(const std::vector<double>& keys) {
    std::vector<double> p(keys);
    p.push_back(keys[1]);
    p.push_back(keys[2]);
    const std::size_t n = keys.size();
    std::vector<std::vector<double>> m(n, std::vector<double>(n + 1, 0.0));
    for (std::size_t i = 1; i <= n; ++i) {
        auto& row = m[i - 1];
        if (i > 1) row[i - 2] = 1;
        row[i - 1] = 4;
        if (i < n) row[i] = 1;
        row[n] = p[i + 1] - 2 * p[i] + p[i - 1];
    }
    for (std::size_t c = 0; c < n; ++c) {
        for (std::size_t r = c + 1; r < n; ++r) {
            const double f = m[r][c] / m[c][c];
            for (std::size_t k = c; k <= n; ++k) m[r][k] -= f * m[c][k];
        }
    }
    std::vector<double> sigma(n + 2, 0.0);
    for (std::size_t c = n; c-- > 0;) {
        double s = m[c][n];
        for (std::size_t k = c + 1; k < n; ++k) s -= m[c][k] * sigma[k + 1];
        sigma[c + 1] = s / m[c][c];
    }
    return sigma;
}

inline bool CloseToModel(double model, std::int32_t got) {
    const double truncated = std::trunc(model);
    if (got == static_cast<std::int32_t>(truncated)) return true;
    return std::fabs(model - std::round(model)) < 1e-6 && std::abs(got - truncated) <= 1;
}

// The position along the spline segment from p0 to p1 with knot index k at t.
inline double SplineModel(double p0, double p1, const std::vector<double>& s, std::size_t k,
                          double t) {
    return t * (p1 - p0 - (2 * s[k] + s[k + 1]) + t * (t * (s[k + 1] - s[k]) + 3 * s[k])) + p0;
}

}  // namespace effecttest
