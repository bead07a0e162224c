// The blends against per-pixel formulas over the copy blits' table of rectangles, points, clip
// rectangles and sizes, in the four kernel and library configurations. Which source pixel a
// destination pixel shows comes from the copy blits' model (tests/graphics/blit_reference.h);
// the source's border outside its clip rectangle is poison, so a stray read shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "graphics/image/image.h"
#include "graphics/image/kernel_form.h"
#include "tests/graphics/blit_reference.h"
#include "tests/graphics/pixel_configs.h"
#include "tests/graphics/rect_helpers.h"

namespace {

using blitref::Call;
using blitref::Walk;
using testsupport::PixelConfig;
using testsupport::PixelConfigScope;

constexpr std::int32_t kSrcW = 12, kSrcH = 10;
constexpr RECT kSrcClip = {2, 1, 10, 8};
constexpr std::int32_t kDstW = 16, kDstH = 12;
constexpr RECT kDstClip = {1, 2, 14, 11};

std::uint32_t Mix(std::uint32_t v) {
    v ^= v >> 15;
    v *= 0x2C1B3C6Du;
    v ^= v >> 12;
    v *= 0x297A2D39u;
    return v ^ (v >> 15);
}

// Alpha bytes include the ends of the range, where the formulas change.
std::uint32_t SourcePixel(std::int32_t x, std::int32_t y) {
    const std::uint32_t h = Mix(static_cast<std::uint32_t>(x * 131 + y * 7919 + 17));
    const std::uint32_t alphas[4] = {0, 255, h >> 24, 128};
    return (alphas[(x + 2 * y) % 4] << 24) | (h & 0x00FFFFFFu);
}
std::uint32_t DestPixel(std::int32_t x, std::int32_t y) {
    const std::uint32_t h = Mix(static_cast<std::uint32_t>(x * 977 + y * 31 + 5));
    return (x + y) % 5 == 0 ? h & 0x00FFFFFFu : h | 0x01000000u;
}

void MakeSource(Image& image) {
    image.Create(kSrcW, kSrcH, 32, 0);
    for (std::int32_t y = 0; y < kSrcH; ++y)
        for (std::int32_t x = 0; x < kSrcW; ++x)
            image.SetPixel(x, y, blitref::Inside(kSrcClip, x, y) ? SourcePixel(x, y)
                                                                  : blitref::kPoison);
    image.SetClipRect(&kSrcClip);
}

void FillDest(Image& image) {
    for (std::int32_t y = 0; y < kDstH; ++y)
        for (std::int32_t x = 0; x < kDstW; ++x) image.SetPixel(x, y, DestPixel(x, y));
    image.GetDirtyRegion()->Clear();
    image.SetModified(false);
}

std::uint32_t Byte(std::uint32_t p, int k) { return (p >> (8 * k)) & 0xFF; }
std::uint32_t M(std::uint32_t i, std::uint32_t j) { return (2 * i * j + 255) / 510; }
std::uint32_t W(std::uint32_t a) { return a ? a + 1 : 0; }

// Colour bytes by f(d, s, channel), the alpha byte given.
template <class F>
std::uint32_t PerColour(std::uint32_t d, std::uint32_t s, std::uint32_t alpha, F f) {
    std::uint32_t out = alpha << 24;
    for (int k = 0; k < 3; ++k) out |= (f(Byte(d, k), Byte(s, k)) & 0xFF) << (8 * k);
    return out;
}

std::uint32_t Lerp(std::uint32_t d, std::uint32_t s, std::uint32_t w, std::uint32_t alpha) {
    return PerColour(d, s, alpha, [w](std::uint32_t dc, std::uint32_t sc) {
        const std::int32_t diff = static_cast<std::int32_t>(sc) - static_cast<std::int32_t>(dc);
        return static_cast<std::uint32_t>(static_cast<std::int32_t>(dc) +
                                          ((diff * static_cast<std::int32_t>(w)) >> 8));
    });
}

// --- The own kernels' formulas (mmx: the MMX form) ---
std::uint32_t OwnAlphaBlend(std::uint32_t d, std::uint32_t s, bool mmx) {
    const std::uint32_t sa = s >> 24;
    const std::uint32_t a = sa == 255 ? 256 : sa;
    const std::uint32_t b = mmx ? 256 - a : (sa == 0 ? 256 : 255 - sa);
    return PerColour(d, s, 0, [&](std::uint32_t dc, std::uint32_t sc) {
        return (sc * a) / 256 + (dc * b) / 256;
    });
}
constexpr std::uint32_t kOpacity = 128;
std::uint32_t OwnWeighted(std::uint32_t d, std::uint32_t s, bool mmx) {
    if (mmx) return Lerp(d, s, kOpacity + 1, d >> 24);
    return PerColour(d, s, d >> 24, [](std::uint32_t dc, std::uint32_t sc) {
        return M(kOpacity, sc) + M(255 - kOpacity, dc);
    });
}
constexpr std::uint32_t kDestWeights = 0x00C0403Fu, kSourceWeights = 0x003FBFC0u;
std::uint32_t OwnChannelWeights(std::uint32_t d, std::uint32_t s, bool mmx) {
    std::uint32_t out = 0;
    for (int k = 0; k < 4; ++k) {
        const std::uint32_t dw = Byte(kDestWeights, k), sw = Byte(kSourceWeights, k);
        const std::uint32_t v = mmx ? std::min<std::uint32_t>(
                                          255, (Byte(s, k) * sw + Byte(d, k) * dw) / 256)
                                    : (k == 3 ? Byte(d, 3) : M(sw, Byte(s, k)) + M(dw, Byte(d, k)));
        out |= v << (8 * k);
    }
    return out;
}
std::uint32_t OwnAdd(std::uint32_t d, std::uint32_t s, bool) {
    return PerColour(d, s, 0, [](std::uint32_t dc, std::uint32_t sc) {
        return std::min<std::uint32_t>(255, dc + sc);
    });
}
std::uint32_t OwnCopyColour(std::uint32_t d, std::uint32_t s, bool) {
    return (s & 0x00FFFFFFu) | (d & 0xFF000000u);
}
std::uint32_t OwnCopyAlpha(std::uint32_t d, std::uint32_t s, bool) {
    return (d & 0x00FFFFFFu) | (s & 0xFF000000u);
}
constexpr std::uint32_t kFade = 100;
std::uint32_t OwnCrossfade(std::uint32_t d, std::uint32_t s, bool) {
    const std::uint32_t da = d >> 24, sa = s >> 24;
    const std::uint32_t alpha = M(255 - kFade, da) + M(kFade, sa);
    if (sa == 0) return (d & 0x00FFFFFFu) | (alpha << 24);
    if (da == 0) return (s & 0x00FFFFFFu) | (alpha << 24);
    return PerColour(d, s, alpha, [](std::uint32_t dc, std::uint32_t sc) {
        return M(255 - kFade, dc) + M(kFade, sc);
    });
}
std::uint32_t OwnTableBlend(std::uint32_t d, std::uint32_t s, bool) {
    return Lerp(d, s, W(M(kOpacity, s >> 24)), d >> 24);
}
std::uint32_t OwnTableSub(std::uint32_t d, std::uint32_t s, bool) {
    const std::uint32_t w = W(M(kOpacity, s >> 24));
    return PerColour(d, s, d >> 24, [w](std::uint32_t dc, std::uint32_t sc) {
        const std::uint32_t take = (sc * w) >> 8;
        return dc > take ? dc - take : 0;
    });
}
std::uint32_t OwnOpacityAdd(std::uint32_t d, std::uint32_t s, bool) {
    return PerColour(d, s, d >> 24, [](std::uint32_t dc, std::uint32_t sc) {
        return std::min<std::uint32_t>(255, dc + ((sc * W(kOpacity)) >> 8));
    });
}

// --- The library's formulas: its colour arithmetic, the alpha byte 0 ---
std::uint32_t LibAlphaBlend(std::uint32_t d, std::uint32_t s) { return Lerp(d, s, s >> 24, 0); }
std::uint32_t LibWeighted(std::uint32_t d, std::uint32_t s) { return Lerp(d, s, kOpacity, 0); }
std::uint32_t LibTableBlend(std::uint32_t d, std::uint32_t s) {
    return Lerp(d, s, (kOpacity * (s >> 24)) >> 8, 0);
}

using Run = std::int32_t (*)(Image& d, Image& s, const SIZE* size, std::int32_t x,
                             std::int32_t y, const RECT* r);

struct BlendOp {
    const char* name;
    bool stretched, mirror, flip;
    bool library;             // drawn by the library when it is bound
    std::uint32_t ownMask;    // the bits the own formula fixes (0: coverage only)
    std::uint32_t (*own)(std::uint32_t d, std::uint32_t s, bool mmx);
    std::uint32_t (*lib)(std::uint32_t d, std::uint32_t s);  // null: coverage only
    Run run;
};

const BlendOp kOps[] = {
    {"AlphaBlend", false, false, false, true, ~0u, OwnAlphaBlend, LibAlphaBlend,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.AlphaBlend(&s, x, y, r, false);
     }},
    {"AlphaBlend flipped", false, false, true, false, ~0u, OwnAlphaBlend, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.AlphaBlend(&s, x, y, r, true);
     }},
    {"AlphaBlendMirrored 5", false, true, true, false, ~0u, OwnAlphaBlend, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.AlphaBlendMirrored(&s, 5, x, y, r);
     }},
    {"StretchAlphaBlend", true, false, false, true, ~0u, OwnAlphaBlend, LibAlphaBlend,
     [](Image& d, Image& s, const SIZE* size, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.StretchAlphaBlend(&s, size, x, y, r, false);
     }},
    {"StretchAlphaBlendMirrored 0", true, true, false, false, ~0u, OwnAlphaBlend, nullptr,
     [](Image& d, Image& s, const SIZE* size, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.StretchAlphaBlendMirrored(&s, 0, size, x, y, r);
     }},
    {"BlendWeighted", false, false, false, true, ~0u, OwnWeighted, LibWeighted,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.BlendWeighted(&s, kOpacity, x, y, r);
     }},
    {"StretchBlendWeighted", true, false, false, true, ~0u, OwnWeighted, LibWeighted,
     [](Image& d, Image& s, const SIZE* size, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.StretchBlendWeighted(&s, kOpacity, size, x, y, r);
     }},
    {"BlendChannelWeights", false, false, false, false, ~0u, OwnChannelWeights, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.BlendChannelWeights(&s, kDestWeights, kSourceWeights, x, y, r);
     }},
    {"StretchBlendMode 1", true, false, false, false, 0x00FFFFFFu, OwnAdd, nullptr,
     [](Image& d, Image& s, const SIZE* size, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.StretchBlendMode(1, &s, size, x, y, r);
     }},
    {"StretchCopyColour", true, false, false, false, ~0u, OwnCopyColour, nullptr,
     [](Image& d, Image& s, const SIZE* size, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.StretchCopyColour(&s, size, x, y, r);
     }},
    {"CopyAlpha", false, false, false, false, ~0u, OwnCopyAlpha, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.CopyAlpha(&s, x, y, r);
     }},
    {"CrossfadeOver", false, false, false, false, ~0u, OwnCrossfade, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.CrossfadeOver(&s, kFade, x, y, r);
     }},
    {"StretchBlendTable 0", true, false, false, true, ~0u, OwnTableBlend, LibTableBlend,
     [](Image& d, Image& s, const SIZE* size, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.StretchBlendTable(0, &s, kOpacity, size, x, y, r);
     }},
    {"BlendTable 2", false, false, false, false, ~0u, OwnTableSub, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.BlendTable(2, &s, kOpacity, x, y, r);
     }},
    {"BlitOpacityA", false, false, false, true, ~0u, OwnOpacityAdd, nullptr,
     [](Image& d, Image& s, const SIZE*, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.BlitOpacityA(&s, kOpacity, x, y, r);
     }},
    {"StretchBlendOpacity", true, false, false, true, 0, nullptr, nullptr,
     [](Image& d, Image& s, const SIZE* size, std::int32_t x, std::int32_t y, const RECT* r) {
         return d.StretchBlendOpacity(&s, kOpacity, size, x, y, r);
     }},
};

struct SizeCase {
    const char* what;
    bool stretched;
    std::int64_t (*scale)(std::int64_t);
};
const SizeCase kSizes[] = {
    {"unstretched", false, [](std::int64_t v) { return v; }},
    {"equal size", true, [](std::int64_t v) { return v; }},
    {"twice", true, [](std::int64_t v) { return 2 * v; }},
    {"a third", true, [](std::int64_t v) { return v / 3; }},
};

struct RectCase {
    const char* what;
    bool null;
    RECT rect;
};
const RectCase kRects[] = {
    {"null", true, {}},
    {"inside", false, {3, 2, 7, 6}},
    {"across left", false, {0, 2, 5, 6}},
    {"across bottom", false, {3, 5, 7, 10}},
    {"outside the clip", false, {10, 8, 12, 10}},
};

struct PointCase {
    const char* what;
    std::int32_t x, y;
};
const PointCase kPoints[] = {
    {"inside", 4, 4},         {"beyond left", -2, 4},
    {"beyond bottom", 4, 9},  {"near INT_MIN", INT_MIN + 2, INT_MIN + 2},
    {"near INT_MAX", INT_MAX - 2, INT_MAX - 2},
};

struct ClipCase {
    const char* what;
    bool null;
    RECT rect;
};
const ClipCase kClips[] = {
    {"own clip", true, {}},
    {"smaller clip", false, {3, 3, 10, 9}},
};

using graphicstest::Intersection;
using graphicstest::RectText;

class CrossedBlendTable : public ::testing::TestWithParam<PixelConfig> {};

TEST_P(CrossedBlendTable, EveryPixelResultAndDirtyRectFollowTheFormulas) {
    PixelConfigScope scope(GetParam());
    ASSERT_TRUE(scope.Ready());
    const bool library = testsupport::UsesLibrary(GetParam());
    const bool exactLibrary = GetParam() == PixelConfig::LibraryPortable;
    const bool mmx = UseMmxKernels();  // the detected library leaves the own kernels detected
    Image source, dest;
    MakeSource(source);
    dest.Create(kDstW, kDstH, 32, kImageDirtyRegion);
    int failures = 0;
    auto fail = [&](const std::string& where, const std::string& what) {
        if (++failures <= 12)
            ADD_FAILURE() << testsupport::PixelConfigName(GetParam()) << ", " << where << ": "
                          << what;
    };
    for (const BlendOp& op : kOps)
    for (const SizeCase& sc : kSizes)
    for (const RectCase& rc : kRects)
    for (const PointCase& pc : kPoints)
    for (const ClipCase& cc : kClips) {
        if (sc.stretched != op.stretched) continue;
        std::ostringstream where;
        where << op.name << ", " << sc.what << ", source " << rc.what << ", point " << pc.what
              << ", " << cc.what;
        Call call;
        call.x = pc.x;
        call.y = pc.y;
        call.src = rc.null ? kSrcClip : rc.rect;
        const std::int64_t srcW = std::int64_t{call.src.right} - call.src.left;
        const std::int64_t srcH = std::int64_t{call.src.bottom} - call.src.top;
        const SIZE size = {static_cast<LONG>(sc.scale(srcW)), static_cast<LONG>(sc.scale(srcH))};
        call.w = sc.stretched ? size.cx : srcW;
        call.h = sc.stretched ? size.cy : srcH;
        call.mirror = op.mirror;
        call.flip = op.flip;
        const bool inside = call.src.left >= kSrcClip.left && call.src.top >= kSrcClip.top &&
                            call.src.right <= kSrcClip.right &&
                            call.src.bottom <= kSrcClip.bottom;
        const bool differs = call.w != srcW || call.h != srcH;
        const bool libraryPath = library && op.library && (!sc.stretched || !differs || inside);
        call.walk = libraryPath && sc.stretched && differs ? Walk::Library : Walk::Model;
        const RECT clip = cc.null ? kDstClip : Intersection(cc.rect, kDstClip);

        FillDest(dest);
        dest.SetClipRect(&clip);
        RECT argument = rc.rect;
        const std::int32_t result =
            op.run(dest, source, sc.stretched ? &size : nullptr, pc.x, pc.y,
                   rc.null ? nullptr : &argument);
        if (result != 0) fail(where.str(), "result " + std::to_string(result));
        if (!rc.null && memcmp(&argument, &rc.rect, sizeof(RECT)) != 0)
            fail(where.str(), "the source rectangle was changed");

        RECT bounds = {INT_MAX, INT_MAX, INT_MIN, INT_MIN};
        bool drawnAny = false;
        for (std::int32_t py = 0; py < kDstH; ++py) {
            for (std::int32_t px = 0; px < kDstW; ++px) {
                const std::uint32_t d = DestPixel(px, py);
                const std::uint32_t got = dest.GetPixel(px, py);
                std::int64_t sx, sy;
                std::uint32_t want = d, mask = ~0u;
                if (blitref::SourceOf(call, clip, &kSrcClip, px, py, &sx, &sy)) {
                    drawnAny = true;
                    bounds = RECT{std::min<LONG>(bounds.left, px), std::min<LONG>(bounds.top, py),
                                  std::max<LONG>(bounds.right, px + 1),
                                  std::max<LONG>(bounds.bottom, py + 1)};
                    const std::uint32_t s = SourcePixel(static_cast<std::int32_t>(sx),
                                                        static_cast<std::int32_t>(sy));
                    if (libraryPath) {
                        mask = exactLibrary && op.lib ? ~0u : 0;
                        want = op.lib ? op.lib(d, s) : 0;
                    } else {
                        mask = op.ownMask;
                        want = op.own ? op.own(d, s, mmx) : 0;
                    }
                }
                if (((got ^ want) & mask) != 0) {
                    std::ostringstream what;
                    what << "pixel (" << px << ", " << py << ") is " << std::hex << got
                         << ", expected " << want << (libraryPath ? " (library)" : "");
                    fail(where.str(), what.str());
                    py = kDstH;
                    break;
                }
            }
        }
        const DirtyRegion* region = dest.GetDirtyRegion();
        if (!drawnAny) {
            if (region->Count() != 0 || dest.Modified()) fail(where.str(), "marked without drawing");
            continue;
        }
        if (region->Count() != 1 || !dest.Modified()) {
            fail(where.str(), "not marked once");
            continue;
        }
        const RectNode* n = region->Head();
        const RECT dirty = {n->left, n->top, n->right, n->bottom};
        if (memcmp(&dirty, &bounds, sizeof(RECT)) != 0)
            fail(where.str(), "dirty " + RectText(dirty) + ", drawn " + RectText(bounds));
    }
    EXPECT_EQ(0, failures);
}

INSTANTIATE_TEST_SUITE_P(Configurations, CrossedBlendTable,
                         ::testing::ValuesIn(testsupport::kPixelConfigs),
                         testsupport::PixelConfigTestName);

}  // namespace
