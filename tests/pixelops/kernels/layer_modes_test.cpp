// The sixteen layer blend modes in their four forms (words 171-234).
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "pixelops/library/kernel_dispatch.h"
#include "tests/pixelops/kernels/kernel_reference.h"
#include "tests/pixelops/library/reference_tables.h"

using namespace pixelops;
using namespace pixelopstest;

namespace {

enum LayerForm { kPlain = 0, kOpacity = 1, kHold = 2, kHoldOpacity = 3 };

int Overlay(int s, int d) {
    return d < 128 ? 2 * s * d / 255 : 2 * s + 2 * d - 2 * s * d / 255 - 255;
}
int Dodge(int s, int d) {
    return d < 255 - s ? 255 * d / (255 - s) : 255;
}
int Burn(int s, int d) {
    return s > 255 - d ? 255 - 255 * (255 - d) / s : 0;
}
int SoftLight(int s, int d) {
    static const std::vector<std::uint8_t> table = ReferenceSoftLightTable();
    return table[s * 256 + d];
}

// f(s, d) of the interpolating modes; modes 9 and 14 are the pre-alpha ones.
int ModeFunction(int mode, int s, int d) {
    switch (mode) {
        case 0: return s;
        case 1: return std::min(255, d + s);
        case 2: return std::max(0, d + s - 255);
        case 3: return d * s / 256;
        case 4: return d + s - d * s / 256;
        case 5: return Overlay(s, d);
        case 6: return Overlay(d, s);
        case 7: return SoftLight(s, d);
        case 8: return Dodge(s, d);
        case 10: return Burn(s, d);
        case 11: return std::max(s, d);
        case 12: return std::min(s, d);
        case 13: return std::abs(d - s);
        case 15: return d + s - 2 * d * s / 256;
        default: return -1;
    }
}

Pixel RefLayer(int mode, int form, Pixel d, Pixel s, int op) {
    const bool withOpacity = form == kOpacity || form == kHoldOpacity;
    const bool hold = form == kHold || form == kHoldOpacity;
    const int w = withOpacity ? A(s) * op / 256 : A(s);
    if (mode == 9 || mode == 14) {
        const int alpha = hold || mode == 14 ? A(d) : 0;
        return PerColour(
            d, s,
            [&](int dc, int sc) {
                const int p = sc * w / 256;
                return mode == 9 ? Dodge(p, dc) : std::abs(dc - p);
            },
            alpha);
    }
    return PerColour(
        d, s,
        [&](int dc, int sc) { return dc + FloorDiv256((ModeFunction(mode, sc, dc) - dc) * w); },
        hold ? A(d) : 0);
}

void RunLayer(int mode, int form, std::vector<Pixel> dst, const std::vector<Pixel>& src, int op,
              const char* what) {
    const std::vector<Pixel> before = dst;
    const int word = LayerWord(mode, form);
    const int count = static_cast<int>(dst.size());
    if (form == kOpacity || form == kHoldOpacity)
        reinterpret_cast<RowKernelOpacity>(KernelSlot(word))(dst.data(), src.data(), count, op);
    else
        reinterpret_cast<RowKernel>(KernelSlot(word))(dst.data(), src.data(), count);
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        const Pixel expected = RefLayer(mode, form, before[i], src[i], op);
        if (dst[i] != expected && failures++ < 3)
            ADD_FAILURE() << what << ": mode " << mode << " form " << form << " op " << op
                          << std::hex << " d=" << before[i] << " s=" << src[i] << " gives "
                          << dst[i] << ", expected " << expected;
    }
}

class LayerModes : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitPortableKernels(); }
};

}  // namespace

TEST_F(LayerModes, EveryModeAndFormOnCornerValues) {
    std::vector<Pixel> d, s;
    CornerRows(d, s);
    for (int mode = 0; mode < 16; ++mode)
        for (int form = 0; form < 4; ++form)
            for (int op : kCorners) {
                RunLayer(mode, form, d, s, op, "corners");
                if (form == kPlain || form == kHold) break;
            }
}

TEST_F(LayerModes, EveryModeAndFormOnRandomRows) {
    Random random(1234567);
    for (int mode = 0; mode < 16; ++mode)
        for (int form = 0; form < 4; ++form)
            for (int round = 0; round < 3; ++round) {
                std::vector<Pixel> d(1 + random.Below(200)), s(d.size());
                for (Pixel& p : d) p = random.NextPixel();
                for (Pixel& p : s) p = random.NextPixel();
                RunLayer(mode, form, d, s, random.Below(256), "random");
            }
}

TEST_F(LayerModes, NamedCases) {
    struct Case {
        const char* name;
        int mode, form;
        int d, s, sa, da, op;
        int colour, alpha;  // expected grey value and alpha byte
    };
    const Case cases[] = {
        {"normal, opaque white over black gives 254", 0, kPlain, 0, 255, 255, 255, 0, 254, 0},
        {"normal copies a source not above the destination", 0, kPlain, 200, 100, 255, 77, 0, 100,
         0},
        {"normal hold keeps the destination alpha", 0, kHold, 200, 100, 255, 77, 0, 100, 77},
        {"source alpha 0 leaves the colour", 5, kPlain, 90, 200, 0, 255, 0, 90, 0},
        {"sa times op below 256 leaves the colour", 11, kOpacity, 90, 200, 255, 255, 1, 90, 0},
        {"opacity 255 weighs sa 255 as 254", 0, kOpacity, 0, 255, 255, 0, 255, 253, 0},
        {"opacity 0 leaves the colour", 0, kHoldOpacity, 10, 250, 255, 9, 0, 10, 9},
        {"multiply white by white gives 254", 3, kPlain, 255, 255, 255, 0, 0, 254, 0},
        {"screen over 255 stays 255", 4, kPlain, 255, 37, 255, 0, 0, 255, 0},
        {"screen reaches 256 before interpolating", 4, kPlain, 1, 255, 255, 0, 0, 255, 0},
        {"overlay jumps at column 128", 5, kPlain, 128, 0, 255, 0, 0, 1, 0},
        {"hard light tests the source", 6, kPlain, 128, 0, 255, 0, 0, 0, 0},
        {"soft light row 128 truncates column 33", 7, kPlain, 33, 128, 255, 0, 0, 32, 0},
        {"dodge of 255 saturates", 8, kHold, 0, 255, 255, 40, 0, 254, 40},
        {"dodge pre-alpha with sa 0 leaves the colour", 9, kPlain, 123, 255, 0, 200, 0, 123, 0},
        {"dodge pre-alpha hold", 9, kHold, 123, 255, 0, 200, 0, 123, 200},
        {"burn by 0 gives 0", 10, kPlain, 255, 0, 255, 0, 0, 0, 0},
        {"difference pre-alpha keeps alpha in the plain form", 14, kPlain, 100, 255, 0, 66, 0, 100,
         66},
        {"difference pre-alpha keeps alpha with opacity", 14, kOpacity, 100, 255, 128, 66, 128, 37,
         66},
        {"exclusion", 15, kPlain, 128, 128, 255, 0, 0, 128, 0},
    };
    for (const Case& c : cases) {
        Pixel d = Make(c.d, c.d, c.d, c.da);
        const Pixel s = Make(c.s, c.s, c.s, c.sa);
        const int word = LayerWord(c.mode, c.form);
        if (c.form == kOpacity || c.form == kHoldOpacity)
            reinterpret_cast<RowKernelOpacity>(KernelSlot(word))(&d, &s, 1, c.op);
        else
            reinterpret_cast<RowKernel>(KernelSlot(word))(&d, &s, 1);
        EXPECT_EQ(Make(c.colour, c.colour, c.colour, c.alpha), d)
            << c.name << std::hex << ": " << d;
    }
}

TEST_F(LayerModes, EmptyCountTouchesNothing) {
    for (int word = kFirstLayerWord; word < kPixelOpWordCount; ++word) {
        Pixel d = 0x12345678;
        const Pixel s = 0xFFFFFFFF;
        reinterpret_cast<RowKernelOpacity>(KernelSlot(word))(&d, &s, 0, 255);
        reinterpret_cast<RowKernelOpacity>(KernelSlot(word))(&d, &s, -5, 255);
        EXPECT_EQ(0x12345678u, d) << word;
    }
}
