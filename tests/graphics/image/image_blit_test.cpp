// The copy blits against the tests' own per-pixel model (tests/graphics/blit_reference.h), in
// the four kernel and library configurations.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "graphics/image/image.h"
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

using graphicstest::Intersection;
using graphicstest::RectText;
using graphicstest::SameRect;

// The single dirty rectangle of an image, or false when it has none (more than one fails).
bool OnlyDirtyRect(const Image& image, RECT* out) {
    const DirtyRegion* region = image.GetDirtyRegion();
    if (!region || region->Count() == 0) return false;
    EXPECT_EQ(1, region->Count());
    const RectNode* n = region->Head();
    *out = RECT{n->left, n->top, n->right, n->bottom};
    return true;
}

struct DepthPair {
    std::uint8_t dest, source;
};

struct SizeCase {
    const char* what;
    bool stretched;
    bool null;
    // From the resolved source width and height.
    std::int64_t (*width)(std::int64_t srcW);
    std::int64_t (*height)(std::int64_t srcH);
};

std::int64_t Same(std::int64_t v) { return v; }
std::int64_t Twice(std::int64_t v) { return 2 * v; }
std::int64_t Third(std::int64_t v) { return v / 3; }
std::int64_t One(std::int64_t) { return 1; }
std::int64_t Zero(std::int64_t) { return 0; }
std::int64_t Negative(std::int64_t v) { return -v - 1; }
std::int64_t Largest(std::int64_t) { return INT_MAX; }

const SizeCase kSizes[] = {
    {"unstretched", false, false, Same, Same}, {"null size", true, true, Same, Same},
    {"equal size", true, false, Same, Same},   {"twice", true, false, Twice, Twice},
    {"a third", true, false, Third, Third},    {"1 x 1", true, false, One, One},
    {"zero width", true, false, Zero, Same},   {"negative width", true, false, Negative, Same},
    {"INT_MAX", true, false, Largest, Largest},
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
    {"across top", false, {3, 0, 7, 4}},
    {"across right", false, {6, 2, 11, 6}},
    {"across bottom", false, {3, 5, 7, 10}},
    {"outside the clip", false, {10, 8, 12, 10}},
    {"negative", false, {-5, -4, 3, 3}},
    {"inverted", false, {7, 6, 3, 2}},
    {"empty", false, {4, 4, 4, 6}},
};

struct PointCase {
    const char* what;
    std::int32_t x, y;
};

const PointCase kPoints[] = {
    {"inside", 4, 4},          {"beyond left", -2, 4},
    {"beyond top", 4, 0},      {"beyond right", 12, 4},
    {"beyond bottom", 4, 9},   {"outside", 20, 20},
    {"near INT_MIN", INT_MIN + 2, INT_MIN + 2},
    {"near INT_MAX", INT_MAX - 2, INT_MAX - 2},
};

struct ClipCase {
    const char* what;
    bool null;
    RECT rect;
};

const ClipCase kClips[] = {
    {"no clip", true, {}},
    {"smaller clip", false, {3, 3, 10, 9}},
    {"larger clip", false, {-5, -5, 30, 30}},
    {"empty clip", false, {5, 5, 5, 9}},
};

struct Orientation {
    bool mirror, flip;
};

const Orientation kOrientations[] = {{false, false}, {false, true}, {true, false}, {true, true}};

std::int32_t RunBlit(Image& dest, Image& source, const SizeCase& sc, const SIZE& size,
                     std::int32_t x, std::int32_t y, const RECT* rect, Orientation o) {
    const SIZE* sizeArg = sc.null ? nullptr : &size;
    const std::uint8_t mode = o.mirror ? (o.flip ? 2 : 0) : 1;
    if (!sc.stretched) {
        return o.mirror ? dest.BlitMirrored(&source, mode, x, y, rect)
                        : dest.Blit(&source, x, y, rect, o.flip);
    }
    return o.mirror ? dest.StretchBlitMirrored(&source, mode, sizeArg, x, y, rect)
                    : dest.StretchBlit(&source, sizeArg, x, y, rect, o.flip);
}

// The case being drawn, named when a blit faults: a stray access ends the program, and the
// table's own report would go with it.
std::string g_currentCase;

LONG CALLBACK NameTheCase(EXCEPTION_POINTERS* info) {
    if (info->ExceptionRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION)
        std::printf("access violation while drawing: %s\n", g_currentCase.c_str());
    return EXCEPTION_CONTINUE_SEARCH;
}

class CrossedBlitTable : public ::testing::TestWithParam<PixelConfig> {
protected:
    void SetUp() override { m_handler = AddVectoredExceptionHandler(1, NameTheCase); }
    void TearDown() override { RemoveVectoredExceptionHandler(m_handler); }

private:
    void* m_handler = nullptr;
};

TEST_P(CrossedBlitTable, EveryPixelResultAndDirtyRectFollowTheModel) {
    PixelConfigScope scope(GetParam());
    ASSERT_TRUE(scope.Ready());
    const bool library = testsupport::UsesLibrary(GetParam());
    const DepthPair pairs[] = {{32, 32}, {32, 8}, {8, 8}};
    int failures = 0;
    auto fail = [&](const std::string& where, const std::string& what) {
        if (++failures <= 12) ADD_FAILURE() << where << ": " << what;
    };
    for (const DepthPair& pair : pairs) {
        Image source, dest;
        blitref::MakeCodedSource(source, kSrcW, kSrcH, pair.source, kSrcClip);
        blitref::MakeBackground(dest, kDstW, kDstH, pair.dest);
        std::vector<std::uint32_t> expected(kDstW * kDstH);
        for (const Orientation o : kOrientations)
        for (const SizeCase& sc : kSizes)
        for (const RectCase& rc : kRects)
        for (const PointCase& pc : kPoints)
        for (const ClipCase& cc : kClips) {
            std::ostringstream where;
            where << int(pair.dest) << "<-" << int(pair.source) << (o.mirror ? " mirrored" : "")
                  << (o.flip ? " flipped" : "") << ", " << sc.what << ", source " << rc.what
                  << ", point " << pc.what << ", " << cc.what;
            g_currentCase = where.str();
            Call call;
            call.x = pc.x;
            call.y = pc.y;
            call.src = rc.null ? kSrcClip : rc.rect;
            const std::int64_t srcW = std::int64_t{call.src.right} - call.src.left;
            const std::int64_t srcH = std::int64_t{call.src.bottom} - call.src.top;
            const SIZE size = {static_cast<LONG>(sc.width(srcW)), static_cast<LONG>(sc.height(srcH))};
            call.w = !sc.stretched ? srcW : sc.null ? kDstW : size.cx;
            call.h = !sc.stretched ? srcH : sc.null ? kDstH : size.cy;
            call.mirror = o.mirror;
            call.flip = o.flip;
            const bool inside = call.src.left >= kSrcClip.left && call.src.top >= kSrcClip.top &&
                                call.src.right <= kSrcClip.right &&
                                call.src.bottom <= kSrcClip.bottom;
            const bool libraryPath = library && sc.stretched && !o.mirror && !o.flip &&
                                     pair.dest == 32 && pair.source == 32 && inside &&
                                     (call.w != srcW || call.h != srcH);
            call.walk = libraryPath ? Walk::Library : Walk::Model;

            const RECT clip = cc.null ? kDstClip : Intersection(cc.rect, kDstClip);
            // The drawn pixels by the model, and their bounds.
            RECT bounds = {INT_MAX, INT_MAX, INT_MIN, INT_MIN};
            bool drawnAny = false;
            for (std::int32_t py = 0; py < kDstH; ++py) {
                for (std::int32_t px = 0; px < kDstW; ++px) {
                    std::int64_t sx, sy;
                    std::uint32_t& e = expected[py * kDstW + px];
                    const bool empty = clip.left >= clip.right || clip.top >= clip.bottom;
                    if (!empty && blitref::SourceOf(call, clip, &kSrcClip, px, py, &sx, &sy)) {
                        e = blitref::Converted(source, sx, sy, pair.dest);
                        drawnAny = true;
                        bounds = RECT{std::min<LONG>(bounds.left, px), std::min<LONG>(bounds.top, py),
                                      std::max<LONG>(bounds.right, px + 1),
                                      std::max<LONG>(bounds.bottom, py + 1)};
                    } else {
                        e = pair.dest == 8 ? blitref::kBackground8 : blitref::Background32(px, py);
                    }
                }
            }

            // The clipping step alone, with the clip argument.
            dest.SetClipRect(&kDstClip);
            {
                RECT clipArg = cc.rect;
                StretchStep step;
                const SIZE resolved = {static_cast<LONG>(call.w), static_cast<LONG>(call.h)};
                const std::int32_t r = dest.ClipBlitOriented(
                    &source, pc.x, pc.y, rc.null ? nullptr : &rc.rect,
                    sc.stretched ? &resolved : nullptr, &step, cc.null ? nullptr : &clipArg,
                    o.mirror, o.flip);
                if (call.walk == Walk::Model && r != (drawnAny ? 0 : -1))
                    fail(where.str(), "ClipBlit answered " + std::to_string(r));
                if (r == 0 && call.walk == Walk::Model && !SameRect(dest.BlitDestRect(), bounds))
                    fail(where.str(), "ClipBlit's blitDestRect " + RectText(dest.BlitDestRect()));
                if (!cc.null && cc.rect.left < cc.rect.right && !SameRect(clipArg, clip))
                    fail(where.str(), "clip argument left as " + RectText(clipArg));
            }
            if (clip.left >= clip.right) continue;  // an image's own clip cannot be empty

            blitref::FillBackground(dest);
            dest.SetClipRect(&clip);
            const std::int32_t result =
                RunBlit(dest, source, sc, size, pc.x, pc.y, rc.null ? nullptr : &rc.rect, o);
            if (result != 0) fail(where.str(), "result " + std::to_string(result));
            for (std::int32_t py = 0; py < kDstH; ++py) {
                for (std::int32_t px = 0; px < kDstW; ++px) {
                    const std::uint32_t got = dest.GetPixel(px, py);
                    if (got != expected[py * kDstW + px]) {
                        std::ostringstream what;
                        what << "pixel (" << px << ", " << py << ") is " << std::hex << got
                             << ", expected " << expected[py * kDstW + px];
                        fail(where.str(), what.str());
                        py = kDstH;
                        break;
                    }
                }
            }
            RECT dirty = {};
            const bool hasDirty = OnlyDirtyRect(dest, &dirty);
            if (hasDirty != drawnAny) fail(where.str(), "dirty region does not match");
            if (drawnAny && hasDirty && !SameRect(dirty, bounds))
                fail(where.str(), "dirty " + RectText(dirty) + ", drawn " + RectText(bounds));
            if (drawnAny && !SameRect(dest.BlitDestRect(), bounds))
                fail(where.str(), "blitDestRect " + RectText(dest.BlitDestRect()));
            if (dest.Modified() != drawnAny) fail(where.str(), "modified flag");
        }
    }
    EXPECT_EQ(0, failures);
}

INSTANTIATE_TEST_SUITE_P(Configurations, CrossedBlitTable,
                         ::testing::ValuesIn(testsupport::kPixelConfigs),
                         testsupport::PixelConfigTestName);

}  // namespace
