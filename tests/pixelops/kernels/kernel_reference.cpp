#include "tests/pixelops/kernels/kernel_reference.h"

#include "tests/pixelops/library/reference_tables.h"

namespace pixelopstest {

const int kCorners[6] = {0, 1, 127, 128, 254, 255};

Pixel RefLerp(Pixel x, Pixel y, int w, int alpha) {
    return PerColour(
        x, y, [w](int a, int b) { return Lerp1(a, b, w); }, alpha);
}

Pixel RefBlendArgb(Pixel x, Pixel y, int w) {
    return Make(Lerp1(Ch(x, 0), Ch(y, 0), w), Lerp1(Ch(x, 1), Ch(y, 1), w),
                Lerp1(Ch(x, 2), Ch(y, 2), w), Lerp1(Ch(x, 3), Ch(y, 3), w));
}

Pixel RefScale4(Pixel p, int k) {
    return Make(Ch(p, 0) * k >> 8, Ch(p, 1) * k >> 8, Ch(p, 2) * k >> 8, Ch(p, 3) * k >> 8);
}

Pixel RefPremultiply(Pixel p) {
    const int a = A(p);
    return Make(Ch(p, 0) * a >> 8, Ch(p, 1) * a >> 8, Ch(p, 2) * a >> 8, a);
}

Pixel RefAdditiveOver(Pixel d, Pixel s) {
    const int sa = A(s);
    return PerColour(
        d, s, [sa](int dc, int sc) { return Min255((dc * (255 - sa) >> 8) + sc); }, sa);
}

Pixel RefAdditiveOntoAdditive(Pixel d, Pixel s) {
    const int sa = A(s), da = A(d);
    return (RefAdditiveOver(d, s) & 0x00FFFFFF) |
           (static_cast<Pixel>(Min255(da + sa - (sa * da >> 8))) << 24);
}

int RefWeight(int s, int d) {
    static const std::vector<std::uint8_t> table = ReferenceWeightTable();
    return table[s * 256 + d];
}

int RefOverAlpha(int s, int d) {
    return 255 - (255 - s) * (255 - d) / 255;
}

Pixel RefOntoAlpha(Pixel d, Pixel s, int a) {
    return RefLerp(d, s, RefWeight(a, A(d)), RefOverAlpha(a, A(d)));
}

void CornerRows(std::vector<Pixel>& d, std::vector<Pixel>& s) {
    d.clear();
    s.clear();
    int k = 0;
    for (int dv : kCorners)
        for (int sv : kCorners)
            for (int sa : kCorners)
                for (int da : kCorners) {
                    d.push_back(Make(dv, kCorners[k % 6], kCorners[(k / 6 + 2) % 6], da));
                    s.push_back(Make(sv, kCorners[(k + 3) % 6], kCorners[(k / 36 + 1) % 6], sa));
                    ++k;
                }
}

}  // namespace pixelopstest
