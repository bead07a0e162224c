// The path of "bg_blur": points read from a text such as "(0,0) (100, 50, 2.0)" and the
// positions along them, straight from point to point or on a natural cubic spline.
#pragma once

#include <cstdint>
#include <vector>

struct BlurPoint {
    double x;
    double y;
    double zoom;
};

// Reads the points: one per '(' (a Shift-JIS pair is passed over whole, and a lead byte in the
// last place ends the text), each its x and y as integers (held to the int32 range) and an
// optional real zoom (absent: 1.0), with blanks and commas between. The number of points; -1 a
// null text; -2 an empty text or fewer than two points. out (when given) gets the points.
// A zoom written so large that it is not finite is read as such: the caller refuses it.
std::int32_t BlurPrepare(const char* text, std::vector<BlurPoint>* out);

// Where along the points a fraction f in [0, 1] of the way lies: segment i (at most count - 2,
// so f = 1.0 is the end of the last segment) and the share u in [0, 1] of it.
void BlurSegment(std::size_t count, double f, std::size_t* segment, double* share);

// The natural cubic spline through the values (one per point, evenly spaced): its second
// derivatives, 0 at both ends.
std::vector<double> SplineSecondDerivatives(const std::vector<double>& values);
// The spline between point i and i + 1 at share u.
double SplineAt(const std::vector<double>& values, const std::vector<double>& second,
                std::size_t i, double u);
