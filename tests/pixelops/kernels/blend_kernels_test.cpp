// The per-pixel blend kernels of words 27-92, 109-136, 137-148 in every sampling form, against
// the reference formulas, on corner values and on fixed-seed random rows.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "pixelops/library/kernel_dispatch.h"
#include "pixelops/interfaces/pixel_op_words.h"
#include "tests/pixelops/kernels/kernel_reference.h"

using namespace pixelops;
using namespace pixelopstest;

namespace {

enum class Form { Plain, Stretch, BilinearStretch, Affine, BilinearAffine };

// Expected destination pixel from (destination, sampled source, opacity).
using Reference = std::function<Pixel(Pixel, Pixel, int)>;

struct KernelCase {
    int word;
    Form form;
    bool opacity;
    Reference ref;
};

int W(Pixel s, int op, bool opacity) {
    return opacity ? (op * A(s)) >> 8 : A(s);
}

// The alpha family by variant, weighted by source alpha (times opacity).
Reference AlphaPlain(bool op) {
    return [op](Pixel d, Pixel s, int o) { return RefLerp(d, s, W(s, o, op), 0); };
}
Reference AlphaHold(bool op) {
    return [op](Pixel d, Pixel s, int o) { return RefLerp(d, s, W(s, o, op), A(d)); };
}
Reference AlphaOntoAlpha(bool op) {
    return [op](Pixel d, Pixel s, int o) { return RefOntoAlpha(d, s, W(s, o, op)); };
}
Reference AlphaOntoAdditive(bool op) {
    return [op](Pixel d, Pixel s, int o) {
        const Pixel withAlpha = (s & 0x00FFFFFF) | (static_cast<Pixel>(W(s, o, op)) << 24);
        return RefAdditiveOntoAdditive(d, RefPremultiply(withAlpha));
    };
}
// Additive family on the source scaled by `k(op)` (or unscaled).
Reference AdditivePlain(int scale) {
    return [scale](Pixel d, Pixel s, int o) {
        return RefAdditiveOver(d, scale ? RefScale4(s, scale == 2 ? o + (o >> 7) : o) : s);
    };
}
Reference AdditiveHold(int scale) {
    return [scale](Pixel d, Pixel s, int o) {
        return (RefAdditiveOver(d, scale ? RefScale4(s, o) : s) & 0x00FFFFFF) | (d & 0xFF000000);
    };
}
Reference AdditiveOnto(int scale) {
    return [scale](Pixel d, Pixel s, int o) {
        return RefAdditiveOntoAdditive(d, scale ? RefScale4(s, o) : s);
    };
}
Reference Opaque() {
    return [](Pixel, Pixel s, int) { return s | 0xFF000000; };
}
Reference ConstPlain() {
    return [](Pixel d, Pixel s, int o) { return RefLerp(d, s, o, 0); };
}
Reference ConstHold() {
    return [](Pixel d, Pixel s, int o) { return RefLerp(d, s, o, A(d)); };
}
Reference ConstOntoAlpha() {
    return [](Pixel d, Pixel s, int o) { return RefOntoAlpha(d, s, o); };
}
Reference ConstOntoAdditive() {
    return [](Pixel d, Pixel s, int o) {
        return RefAdditiveOntoAdditive(d, (s & 0x00FFFFFF) | (static_cast<Pixel>(o) << 24));
    };
}
Reference Whole(bool widened) {
    return [widened](Pixel d, Pixel s, int o) {
        return RefBlendArgb(d, s, widened ? o + (o >> 7) : o);
    };
}
Reference Copy() {
    return [](Pixel, Pixel s, int) { return s; };
}
Reference ColourCopy() {
    return [](Pixel d, Pixel s, int) { return (s & 0x00FFFFFF) | (d & 0xFF000000); };
}

// Arithmetic modes: colour function, then the alpha rule.
enum AlphaRule { kZero, kKept, kFull, kSameFunction, kAddAll };

Reference Arithmetic(std::function<int(int, int)> f, AlphaRule rule,
                     std::function<int(int, int)> fade = nullptr) {
    return [f, rule, fade](Pixel d, Pixel s, int o) {
        auto g = [&](int dc, int sc) { return f(dc, fade ? fade(sc, o) : sc); };
        int alpha = 0;
        switch (rule) {
            case kZero: alpha = 0; break;
            case kKept: alpha = A(d); break;
            case kFull: alpha = 255; break;
            case kSameFunction: alpha = f(A(d), A(s)); break;
            case kAddAll: alpha = Min255(A(d) + A(s)); break;
        }
        return PerColour(d, s, g, alpha);
    };
}
Reference LerpTowards(std::function<int(int, int)> f, bool keep) {
    return [f, keep](Pixel d, Pixel s, int o) {
        return PerColour(
            d, s, [&](int dc, int sc) { return Lerp1(dc, f(dc, sc), o); }, keep ? A(d) : 0);
    };
}

int AddF(int d, int s) {
    return Min255(d + s);
}
int SubF(int d, int s) {
    return d + s - 255 > 0 ? d + s - 255 : 0;
}
int MulF(int d, int s) {
    return d * s >> 8;
}
int DodgeF(int d, int s) {
    return 255 - s > d ? 255 * d / (255 - s) : 255;
}
int MinF(int d, int s) {
    return d < s ? d : s;
}
int MaxF(int d, int s) {
    return d > s ? d : s;
}
int ScreenF(int d, int s) {
    return 255 - ((255 - d) * (255 - s) >> 8);
}
int ToWhite(int s, int o) {
    return 255 - ((255 - s) * o >> 8);
}
int ToBlack(int s, int o) {
    return s * o >> 8;
}

std::vector<KernelCase> Cases() {
    using F = Form;
    std::vector<KernelCase> c = {
        {27, F::Plain, false, AlphaPlain(false)},
        {28, F::Plain, false, AlphaHold(false)},
        {29, F::Plain, true, AlphaPlain(true)},
        {30, F::Plain, true, AlphaHold(true)},
        {31, F::Plain, false, AlphaOntoAlpha(false)},
        {32, F::Plain, false, AlphaOntoAdditive(false)},
        {33, F::Plain, true, AlphaOntoAlpha(true)},
        {34, F::Plain, true, AlphaOntoAdditive(true)},
        {36, F::Plain, false, AdditivePlain(0)},
        {37, F::Plain, false, AdditiveHold(0)},
        {38, F::Plain, true, AdditivePlain(1)},
        {39, F::Plain, true, AdditiveHold(1)},
        {40, F::Plain, false, AdditiveOnto(0)},
        {41, F::Plain, true, AdditiveOnto(1)},
        {52, F::Stretch, false, AdditivePlain(0)},
        {53, F::BilinearStretch, false, AdditivePlain(0)},
        {54, F::Stretch, false, AdditiveHold(0)},
        {55, F::Stretch, true, AdditivePlain(1)},
        {56, F::BilinearStretch, true, AdditivePlain(1)},
        {57, F::Stretch, true, AdditiveHold(1)},
        {58, F::Stretch, false, AdditiveOnto(0)},
        {59, F::Stretch, true, AdditiveOnto(1)},
        {68, F::Affine, false, AdditivePlain(0)},
        {69, F::BilinearAffine, false, AdditivePlain(0)},
        {70, F::Affine, false, AdditiveHold(0)},
        {71, F::Affine, true, AdditivePlain(1)},
        {72, F::BilinearAffine, true, AdditivePlain(2)},
        {73, F::Affine, true, AdditiveHold(1)},
        {74, F::Affine, false, AdditiveOnto(0)},
        {75, F::Affine, true, AdditiveOnto(1)},
        {76, F::Plain, false, Opaque()},
        {77, F::Plain, true, ConstPlain()},
        {78, F::Plain, true, ConstHold()},
        {79, F::Plain, true, ConstOntoAlpha()},
        {80, F::Plain, true, ConstOntoAdditive()},
        {81, F::Stretch, false, Opaque()},
        {82, F::Stretch, true, ConstPlain()},
        {83, F::BilinearStretch, true, Whole(false)},
        {84, F::Stretch, true, ConstHold()},
        {86, F::Stretch, true, ConstOntoAdditive()},
        {87, F::Affine, false, Opaque()},
        {88, F::Affine, true, ConstPlain()},
        {89, F::BilinearAffine, true, Whole(true)},
        {90, F::Affine, true, ConstHold()},
        {91, F::Affine, true, ConstOntoAlpha()},
        {92, F::Affine, true, ConstOntoAdditive()},
        {109, F::Plain, false, Arithmetic(AddF, kAddAll)},
        {110, F::Plain, false, Arithmetic(AddF, kKept)},
        {111, F::Plain, true, Arithmetic(AddF, kKept, ToBlack)},
        {112, F::Plain, true, Arithmetic(AddF, kKept, ToBlack)},
        {113, F::Plain, false, Arithmetic(SubF, kSameFunction)},
        {114, F::Plain, false, Arithmetic(SubF, kKept)},
        {115, F::Plain, true, Arithmetic(SubF, kKept, ToWhite)},
        {116, F::Plain, true, Arithmetic(SubF, kKept, ToWhite)},
        {117, F::Plain, false, Arithmetic(MulF, kZero)},
        {118, F::Plain, false, Arithmetic(MulF, kKept)},
        {119, F::Plain, true, Arithmetic(MulF, kZero, ToWhite)},
        {120, F::Plain, true, Arithmetic(MulF, kKept, ToWhite)},
        {121, F::Plain, false, Arithmetic(DodgeF, kZero)},
        {122, F::Plain, false, Arithmetic(DodgeF, kKept)},
        {123, F::Plain, true, Arithmetic(DodgeF, kZero, ToBlack)},
        {124, F::Plain, true, Arithmetic(DodgeF, kKept, ToBlack)},
        {125, F::Plain, false, Arithmetic(MinF, kSameFunction)},
        {126, F::Plain, false, Arithmetic(MinF, kKept)},
        {127, F::Plain, true, LerpTowards(MinF, false)},
        {128, F::Plain, true, LerpTowards(MinF, true)},
        {129, F::Plain, false, Arithmetic(MaxF, kSameFunction)},
        {130, F::Plain, false, Arithmetic(MaxF, kKept)},
        {131, F::Plain, true, LerpTowards(MaxF, false)},
        {132, F::Plain, true, LerpTowards(MaxF, true)},
        {133, F::Plain, false, Arithmetic(ScreenF, kFull)},
        {134, F::Plain, false, Arithmetic(ScreenF, kKept)},
        {135, F::Plain, true, Arithmetic(ScreenF, kFull, ToBlack)},
        {136, F::Plain, true, Arithmetic(ScreenF, kKept, ToBlack)},
        {137, F::Stretch, false, Copy()},
        {138, F::BilinearStretch, false, Copy()},
        {142, F::Stretch, false, ColourCopy()},
        {143, F::Affine, false, Copy()},
        {144, F::BilinearAffine, false, Copy()},
        {145, F::Affine, false, ColourCopy()},
        {147, F::Plain, false,
         [](Pixel d, Pixel s, int) { return (d & 0x00FFFFFF) | (s & 0xFF000000); }},
        {148, F::Plain, false, ColourCopy()},
    };
    // The stretched and affine alpha families repeat words 27-34 in their order.
    const Reference alphaFamily[8] = {AlphaPlain(false),     AlphaHold(false),
                                      AlphaPlain(true),      AlphaHold(true),
                                      AlphaOntoAlpha(false), AlphaOntoAdditive(false),
                                      AlphaOntoAlpha(true),  AlphaOntoAdditive(true)};
    const bool withOpacity[8] = {false, false, true, true, false, false, true, true};
    for (int k = 0; k < 8; ++k) {
        c.push_back({44 + k, Form::Stretch, withOpacity[k], alphaFamily[k]});
        c.push_back({60 + k, Form::Affine, withOpacity[k], alphaFamily[k]});
    }
    return c;
}

// A three-row source picture for the sampled forms.
struct Picture {
    static constexpr int kWidth = 1400;
    std::vector<Pixel> pixels = std::vector<Pixel>(kWidth * 3);
    const Pixel* Row(int y) const { return pixels.data() + y * kWidth; }
    Pixel At(int x, int y) const { return pixels[y * kWidth + x]; }
};

Pixel BilinearStretchRef(const Picture& pic, int fy, std::int32_t x) {
    const int x0 = x >> 16, fx = (x >> 8) & 0xFF;
    const Pixel top = RefBlendArgb(pic.At(x0, 0), pic.At(x0 + 1, 0), fx);
    const Pixel bottom = RefBlendArgb(pic.At(x0, 1), pic.At(x0 + 1, 1), fx);
    return RefBlendArgb(top, bottom, fy + (fy >> 7));
}

Pixel BilinearAffineRef(const Picture& pic, std::int32_t u, std::int32_t v) {
    const int x0 = u >> 16, y0 = v >> 16;
    const int wx = ((u >> 8) & 0xFF) + ((u >> 15) & 1), wy = ((v >> 8) & 0xFF) + ((v >> 15) & 1);
    return RefBlendArgb(RefBlendArgb(pic.At(x0, y0), pic.At(x0 + 1, y0), wx),
                        RefBlendArgb(pic.At(x0, y0 + 1), pic.At(x0 + 1, y0 + 1), wx), wy);
}

struct Walk {
    std::int32_t x, step, fy, u, v, du, dv;
};

// Runs the kernel of `c` once and compares every pixel with its reference.
void RunCase(const KernelCase& c, std::vector<Pixel> dst, const Picture& pic, const Walk& walk,
             int opacity, const std::string& what) {
    const std::vector<Pixel> before = dst;
    const int count = static_cast<int>(dst.size());
    const PixelOperation kernel = KernelSlot(c.word);
    const std::int32_t pitch = Picture::kWidth * 4;
    switch (c.form) {
        case Form::Plain:
            if (c.opacity)
                reinterpret_cast<RowKernelOpacity>(kernel)(dst.data(), pic.Row(0), count, opacity);
            else
                reinterpret_cast<RowKernel>(kernel)(dst.data(), pic.Row(0), count);
            break;
        case Form::Stretch:
            if (c.opacity)
                reinterpret_cast<StretchKernelOpacity>(kernel)(dst.data(), count, pic.Row(0),
                                                               walk.x, walk.step, opacity);
            else
                reinterpret_cast<StretchKernel>(kernel)(dst.data(), count, pic.Row(0), walk.x,
                                                        walk.step);
            break;
        case Form::BilinearStretch:
            if (c.opacity)
                reinterpret_cast<BilinearStretchKernelOpacity>(kernel)(
                    dst.data(), count, pic.Row(0), pic.Row(1), walk.fy, walk.x, walk.step, opacity);
            else
                reinterpret_cast<BilinearStretchKernel>(kernel)(
                    dst.data(), count, pic.Row(0), pic.Row(1), walk.fy, walk.x, walk.step);
            break;
        case Form::Affine:
        case Form::BilinearAffine:
            if (c.opacity)
                reinterpret_cast<AffineKernelOpacity>(kernel)(dst.data(), count, pic.Row(0), walk.u,
                                                              walk.v, walk.du, walk.dv, pitch,
                                                              opacity);
            else
                reinterpret_cast<AffineKernel>(kernel)(dst.data(), count, pic.Row(0), walk.u,
                                                       walk.v, walk.du, walk.dv, pitch);
            break;
    }
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        Pixel s = 0;
        switch (c.form) {
            case Form::Plain: s = pic.At(i, 0); break;
            case Form::Stretch: s = pic.At((walk.x + i * walk.step) >> 16, 0); break;
            case Form::BilinearStretch:
                s = BilinearStretchRef(pic, walk.fy, walk.x + i * walk.step);
                break;
            case Form::Affine:
                s = pic.At((walk.u + i * walk.du) >> 16, (walk.v + i * walk.dv) >> 16);
                break;
            case Form::BilinearAffine:
                s = BilinearAffineRef(pic, walk.u + i * walk.du, walk.v + i * walk.dv);
                break;
        }
        const Pixel expected = c.ref(before[i], s, opacity);
        if (dst[i] != expected && failures++ < 3)
            ADD_FAILURE() << "word " << c.word << " " << what << " pixel " << i << std::hex
                          << ": d=" << before[i] << " s=" << s << " op=" << std::dec << opacity
                          << std::hex << " gives " << dst[i] << ", expected " << expected;
    }
}

class BlendKernels : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitPortableKernels(); }
};

}  // namespace

TEST_F(BlendKernels, CornerValues) {
    std::vector<Pixel> d, s;
    CornerRows(d, s);
    Picture pic;
    for (std::size_t i = 0; i < s.size(); ++i) {
        pic.pixels[i] = s[i];
        pic.pixels[Picture::kWidth + i] = s[(i * 7 + 3) % s.size()];
        pic.pixels[2 * Picture::kWidth + i] = s[(i * 13 + 5) % s.size()];
    }
    // Sampled forms walk the picture with fractions that hit 0, 0x80 and 0xFF.
    const Walk walk = {0x00FF, 0x0FF80, 128, 0x8000, 0x7F00, 0xFF80, 0x0001};
    const int sampled = 1200;
    for (const KernelCase& c : Cases()) {
        const std::vector<Pixel> rows =
            c.form == Form::Plain ? d : std::vector<Pixel>(d.begin(), d.begin() + sampled);
        for (int op : kCorners) {
            RunCase(c, rows, pic, walk, op, "corners");
            if (!c.opacity) break;
        }
    }
}

TEST_F(BlendKernels, RandomRows) {
    Random random(20240607);
    for (const KernelCase& c : Cases()) {
        // The last round walks by exactly one pixel, where the copies become block copies.
        for (int round = 0; round < 5; ++round) {
            Picture pic;
            for (Pixel& p : pic.pixels) p = random.NextPixel();
            std::vector<Pixel> dst(1 + random.Below(300));
            for (Pixel& p : dst) p = random.NextPixel();
            Walk walk;
            walk.x = random.Below(0x10000);
            walk.step = round == 4 ? 0x10000 : 0x4000 + random.Below(0x3C000);
            walk.fy = random.Below(256);
            walk.u = random.Below(0x40000);
            walk.v = random.Below(0x10000);
            walk.du = 0x2000 + random.Below(0x3E000);
            walk.dv = random.Below(0x80);
            RunCase(c, dst, pic, walk, random.Below(256), "random");
        }
    }
}

TEST_F(BlendKernels, ZeroOrNegativeCountTouchesNothing) {
    for (const KernelCase& c : Cases()) {
        Picture pic;
        std::vector<Pixel> dst(4, 0x12345678);
        for (int count : {0, -1}) {
            const PixelOperation kernel = KernelSlot(c.word);
            Pixel* p = dst.data();
            switch (c.form) {
                case Form::Plain:
                    reinterpret_cast<RowKernelOpacity>(kernel)(p, pic.Row(0), count, 128);
                    break;
                case Form::Stretch:
                    reinterpret_cast<StretchKernelOpacity>(kernel)(p, count, pic.Row(0), 0, 0x10000,
                                                                   128);
                    break;
                case Form::BilinearStretch:
                    reinterpret_cast<BilinearStretchKernelOpacity>(kernel)(
                        p, count, pic.Row(0), pic.Row(1), 0, 0, 0x10000, 128);
                    break;
                default:
                    reinterpret_cast<AffineKernelOpacity>(kernel)(p, count, pic.Row(0), 0, 0,
                                                                  0x10000, 0, 4, 128);
                    break;
            }
        }
        EXPECT_EQ(std::vector<Pixel>(4, 0x12345678), dst) << c.word;
    }
}

TEST_F(BlendKernels, EdgeCases) {
    struct Edge {
        const char* name;
        int word;
        Pixel d, s;
        int opacity;
        Pixel expected;
    };
    const Edge edges[] = {
        {"alpha 255: 0 to 255 ends at 254", kWordAlphaBlendLine, 0xFF000000, 0xFFFFFFFF, 0,
         0x00FEFEFE},
        {"alpha 0 keeps the colour, alpha 0", kWordAlphaBlendLine, 0xFF123456, 0x00FFFFFF, 0,
         0x00123456},
        {"onto alpha 0 uses weight 255", kWordAlphaBlendLineOntoAlpha, 0x00000000, 0x80FFFFFF, 0,
         0x80FEFEFE},
        {"additive over anything at alpha 255", kWordAdditiveAlphaBlendLine, 0x80FFFFFF, 0xFF0A141E,
         0, 0xFF0A141E},
        {"additive onto additive limits alpha", kWordAdditiveAlphaBlendLineOntoAdditiveAlpha,
         0xFF000000, 0xFF000000, 0, 0xFF000000},
        {"add", kWordAddBlendLine, 0x80808080, 0xFF808080, 0, 0xFFFFFFFF},
        {"add with opacity keeps alpha", kWordAddBlendLineOpacity, 0x80808080, 0xFF808080, 128,
         0x80C0C0C0},
        {"subtract white removes nothing", kWordSubBlendLine, 0x80123456, 0xFFFFFFFF, 0,
         0x80123456},
        {"subtract black", kWordSubBlendLine, 0xC0123456, 0x80000000, 0, 0x41000000},
        {"multiply by white", kWordMulBlendLine, 0x00FF0102, 0xFFFFFFFF, 0, 0x00FE0001},
        {"dodge with 255", kWordColorDodgeBlendLine, 0x00000000, 0x00FFFFFF, 0, 0x00FFFFFF},
        {"dodge with 0", kWordColorDodgeBlendLine, 0x00123456, 0x00000000, 0, 0x00123456},
        {"screen with 0", kWordScreenBlendLine, 0x0000FF10, 0x00000000, 0, 0xFF01FF11},
    };
    for (const Edge& e : edges) {
        Pixel d = e.d;
        const Pixel s = e.s;
        reinterpret_cast<RowKernelOpacity>(KernelSlot(e.word))(&d, &s, 1, e.opacity);
        EXPECT_EQ(e.expected, d) << e.name << std::hex << " gives " << d;
    }
}

TEST_F(BlendKernels, StretchedOntoAlphaLetsTheSourceAlphaTakePart) {
    // At opacity 200 a transparent source leaves the destination colour; the plain form blends.
    const Pixel src[2] = {0x00FFFFFF, 0x00FFFFFF};
    Pixel stretched = 0x80102030;
    reinterpret_cast<StretchKernelOpacity>(KernelSlot(kWordStretchConstAlphaBlendLineOntoAlpha))(
        &stretched, 1, src, 0, 0x10000, 200);
    EXPECT_EQ(0x00102030u, stretched & 0x00FFFFFF);
    Pixel plain = 0x80102030;
    reinterpret_cast<RowKernelOpacity>(KernelSlot(kWordConstAlphaBlendLineOntoAlpha))(&plain, src,
                                                                                      1, 200);
    EXPECT_NE(0x00102030u, plain & 0x00FFFFFF);
    // Opacities above 128 count one more: sa 255 at opacity 200 weighs as a = 201.
    const Pixel opaque = 0xFFFFFFFF;
    for (int op : {128, 129, 200, 255}) {
        Pixel d = 0x40000000;
        reinterpret_cast<StretchKernelOpacity>(
            KernelSlot(kWordStretchConstAlphaBlendLineOntoAlpha))(&d, 1, &opaque, 0, 0x10000, op);
        const int a = 255 * (op > 128 ? op + 1 : op) >> 8;
        EXPECT_EQ(RefOntoAlpha(0x40000000, opaque, a), d) << op;
    }
}

// A step of one pixel over a destination one pixel past its source: the copy walks like the
// pixel loop (each pixel copied onto the next), not like a block copy.
TEST_F(BlendKernels, StepOneCopyOverItsOwnSourceWalksPixelByPixel) {
    Pixel row[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    reinterpret_cast<StretchKernel>(KernelSlot(kWordStretchCopyLine))(row + 1, 6, row, 0, 0x10000);
    EXPECT_EQ((std::vector<Pixel>{1, 1, 1, 1, 1, 1, 1, 8}), std::vector<Pixel>(row, row + 8));
}
