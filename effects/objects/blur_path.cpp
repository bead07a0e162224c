#include "effects/objects/blur_path.h"

#include <cstdlib>
#include <string>

namespace {

bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n'; }

const char* SkipSeparators(const char* p) {
    while (IsSeparator(*p)) ++p;
    return p;
}

// An optional sign and digits, held to the int32 range; no digits read 0.
const char* ReadInteger(const char* p, double* value) {
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    std::int64_t v = 0;
    while (IsDigit(*p)) {
        if (v <= 2147483648LL) v = v * 10 + (*p - '0');
        ++p;
    }
    if (negative) v = -v;
    if (v > 2147483647LL) v = 2147483647LL;
    if (v < -2147483648LL) v = -2147483648LL;
    *value = static_cast<double>(v);
    return p;
}

// A decimal real (sign, digits, fraction, exponent) when one starts here; only that form is
// handed to strtod, which would also take "inf", "nan" and hexadecimal text.
const char* ReadReal(const char* p, double* value, bool* found) {
    std::string accepted;
    const char* q = p;
    if (*q == '+' || *q == '-') accepted += *q++;
    bool digits = false;
    while (IsDigit(*q)) accepted += *q++, digits = true;
    if (*q == '.') {
        accepted += *q++;
        while (IsDigit(*q)) accepted += *q++, digits = true;
    }
    *found = digits;
    if (!digits) return p;
    if (*q == 'e' || *q == 'E') {
        const char* e = q + 1;
        std::string exponent = "e";
        if (*e == '+' || *e == '-') exponent += *e++;
        if (IsDigit(*e)) {
            while (IsDigit(*e)) exponent += *e++;
            accepted += exponent;
            q = e;
        }
    }
    *value = std::strtod(accepted.c_str(), nullptr);
    return q;
}

BlurPoint ReadPoint(const char* p) {
    BlurPoint point = {0.0, 0.0, 1.0};
    p = ReadInteger(SkipSeparators(p), &point.x);
    p = ReadInteger(SkipSeparators(p), &point.y);
    bool found = false;
    double zoom = 1.0;
    ReadReal(SkipSeparators(p), &zoom, &found);
    if (found) point.zoom = zoom;
    return point;
}

}  // namespace

std::int32_t BlurPrepare(const char* text, std::vector<BlurPoint>* out) {
    if (!text) return -1;
    std::vector<const char*> opens;
    for (const char* p = text; *p;) {
        if (IsLead(static_cast<unsigned char>(*p))) {
            if (!p[1]) break;
            p += 2;
            continue;
        }
        if (*p == '(') opens.push_back(p + 1);
        ++p;
    }
    if (opens.size() < 2) return -2;
    if (out) {
        out->clear();
        out->reserve(opens.size());
        for (const char* start : opens) out->push_back(ReadPoint(start));
    }
    return static_cast<std::int32_t>(opens.size());
}

void BlurSegment(std::size_t count, double f, std::size_t* segment, double* share) {
    const double u = static_cast<double>(count - 1) * f;
    std::size_t i = u > 0.0 ? static_cast<std::size_t>(u) : 0;
    if (i > count - 2) i = count - 2;
    *segment = i;
    *share = u - static_cast<double>(i);
}

std::vector<double> SplineSecondDerivatives(const std::vector<double>& values) {
    const std::size_t n = values.size();
    std::vector<double> second(n, 0.0);
    if (n < 3) return second;
    // Tridiagonal system M[i-1] + 4 M[i] + M[i+1] = 6 (v[i+1] - 2 v[i] + v[i-1]), M at both
    // ends 0, solved by elimination.
    std::vector<double> diagonal(n, 4.0);
    std::vector<double> right(n, 0.0);
    for (std::size_t i = 1; i + 1 < n; ++i)
        right[i] = 6.0 * (values[i + 1] - 2.0 * values[i] + values[i - 1]);
    for (std::size_t i = 2; i + 1 < n; ++i) {
        const double m = 1.0 / diagonal[i - 1];
        diagonal[i] -= m;
        right[i] -= m * right[i - 1];
    }
    for (std::size_t i = n - 2; i >= 1; --i) {
        second[i] = (right[i] - second[i + 1]) / diagonal[i];
        if (i == 1) break;
    }
    return second;
}

double SplineAt(const std::vector<double>& values, const std::vector<double>& second,
                std::size_t i, double u) {
    const double a = 1.0 - u;
    return a * values[i] + u * values[i + 1] +
           ((a * a * a - a) * second[i] + (u * u * u - u) * second[i + 1]) / 6.0;
}
