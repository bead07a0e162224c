// The power easing that every motion effect and task shares.
#pragma once

#include <cmath>

// fraction in [0, 1]; exponent 0 linear, above 0 x^e (slow start), below 0 1 - (1 - x)^-e (slow
// end). An exponent that is not finite counts as 0, and the result is held to [0, 1] (NaN gives
// 0), so that a bad exponent from a script can never index past the points.
inline double EaseFraction(double fraction, double exponent) {
    if (!(fraction > 0.0)) fraction = 0.0;
    if (fraction > 1.0) fraction = 1.0;
    if (!std::isfinite(exponent)) exponent = 0.0;
    double eased = fraction;
    if (exponent > 0.0) eased = std::pow(fraction, exponent);
    else if (exponent < 0.0) eased = 1.0 - std::pow(1.0 - fraction, -exponent);
    if (!(eased > 0.0)) return 0.0;
    return eased > 1.0 ? 1.0 : eased;
}
