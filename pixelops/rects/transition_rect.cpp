// CrossfadeRect and RuleTransitionRect (words 25 and 26): two sources mixed into the
// destination by a ratio, or per pixel by a rule picture and a phase.
#include "pixelops/interfaces/pixel_op_words.h"
#include "pixelops/rects/rect_operations.h"
#include "pixelops/rects/rect_support.h"

namespace pixelops {

namespace {

constexpr std::uint32_t kMethodCount = 3;
constexpr std::int32_t kPlainRuleFromVague = 512;

// The shared clipping of the transitions along one axis: every bitmap's start position and
// size; all positions move together so that none is negative, then the span shrinks to fit
// every bitmap. False when nothing is left.
bool ClipTransitionAxis(std::int64_t* positions, const std::int64_t* sizes, int count,
                        std::int64_t& span) {
    std::int64_t least = 0;
    for (int i = 0; i < count; ++i) least = positions[i] < least ? positions[i] : least;
    span += least;
    if (span <= 0) return false;
    for (int i = 0; i < count; ++i) {
        positions[i] -= least;
        const std::int64_t room = sizes[i] - positions[i];
        if (room <= 0) return false;
        if (room < span) span = room;
    }
    return true;
}

// The transition area over `count` bitmaps (destination first). Width or height of 0 or less
// means the destination's.
struct TransitionArea {
    std::int32_t x[4], y[4];
    std::int32_t width, height;
};

bool ClipTransition(Surface* const* bitmaps, int count, const std::int32_t* xs,
                    const std::int32_t* ys, std::int32_t width, std::int32_t height,
                    TransitionArea& area) {
    std::int64_t px[4], py[4], widths[4], heights[4];
    for (int i = 0; i < count; ++i) {
        px[i] = xs[i];
        py[i] = ys[i];
        widths[i] = bitmaps[i]->Width();
        heights[i] = bitmaps[i]->Height();
    }
    std::int64_t w = width > 0 ? width : widths[0];
    std::int64_t h = height > 0 ? height : heights[0];
    if (!ClipTransitionAxis(px, widths, count, w) || !ClipTransitionAxis(py, heights, count, h))
        return false;
    for (int i = 0; i < count; ++i) {
        area.x[i] = static_cast<std::int32_t>(px[i]);
        area.y[i] = static_cast<std::int32_t>(py[i]);
    }
    area.width = static_cast<std::int32_t>(w);
    area.height = static_cast<std::int32_t>(h);
    return true;
}

std::int32_t CopyWhole(Surface* dest, Surface* src, const TransitionArea& a, int index) {
    RECT from = {a.x[index], a.y[index], a.x[index] + a.width, a.y[index] + a.height};
    return g_copyRect(dest, src, a.x[0], a.y[0], &from, kCopyPixels);
}

}  // namespace

std::int32_t QMXGL_CALL CrossfadeRect(Surface* dest, Surface* src1, Surface* src2,
                                      std::uint32_t ratio, std::uint32_t method, std::int32_t x,
                                      std::int32_t y, std::int32_t width, std::int32_t height,
                                      std::int32_t src1X, std::int32_t src1Y, std::int32_t src2X,
                                      std::int32_t src2Y) {
    Surface* const bitmaps[3] = {dest, src1, src2};
    const std::int32_t xs[3] = {x, src1X, src2X}, ys[3] = {y, src1Y, src2Y};
    TransitionArea a;
    if (!ClipTransition(bitmaps, 3, xs, ys, width, height, a)) return kRectNothingVisible;
    ratio &= 0xFF;
    method &= 0xFF;
    if (ratio == 0) return CopyWhole(dest, src1, a, 1);
    if (ratio == 255) return CopyWhole(dest, src2, a, 2);
    if (method >= kMethodCount) return kRectRefused;

    static const int kKernels[kMethodCount] = {kWordCrossfadeLine, kWordCrossfadeLineAdditiveAlpha,
                                               kWordCrossfadeLineWithAlpha};
    const CrossfadeKernel kernel = Slot<CrossfadeKernel>(kKernels[method]);
    SetLastUpdated(a.x[0], a.y[0], a.x[0] + a.width, a.y[0] + a.height);
    for (std::int32_t i = 0; i < a.height; ++i)
        kernel(PixelAt(dest, a.x[0], a.y[0] + i), PixelAt(src1, a.x[1], a.y[1] + i),
               PixelAt(src2, a.x[2], a.y[2] + i), a.width, ratio);
    return kRectDone;
}

std::int32_t QMXGL_CALL RuleTransitionRect(Surface* dest, Surface* src1, Surface* src2,
                                           Surface* rule, std::uint32_t phase, std::int32_t vague,
                                           std::uint32_t method, std::int32_t x, std::int32_t y,
                                           std::int32_t width, std::int32_t height,
                                           std::int32_t src1X, std::int32_t src1Y,
                                           std::int32_t src2X, std::int32_t src2Y,
                                           std::int32_t ruleX, std::int32_t ruleY) {
    Surface* const bitmaps[4] = {dest, src1, src2, rule};
    const std::int32_t xs[4] = {x, src1X, src2X, ruleX}, ys[4] = {y, src1Y, src2Y, ruleY};
    TransitionArea a;
    if (!ClipTransition(bitmaps, 4, xs, ys, width, height, a)) return kRectNothingVisible;
    phase &= 0xFF;
    method &= 0xFF;
    if (phase == 0) return CopyWhole(dest, src1, a, 1);
    if (phase == 255) return CopyWhole(dest, src2, a, 2);
    if (method >= kMethodCount) return kRectRefused;

    static const int kTables[kMethodCount] = {kWordInitRuleTransitionTable,
                                              kWordInitRuleTransitionTableWithAlpha,
                                              kWordInitRuleTransitionTableAdditiveAlpha};
    static const int kLines[kMethodCount] = {kWordRuleTransitionLine,
                                             kWordRuleTransitionLineWithAlpha,
                                             kWordRuleTransitionLineAdditiveAlpha};
    static const int kSwitchLines[kMethodCount] = {kWordRuleTransitionLineSwitch,
                                                   kWordRuleTransitionLineWithAlphaSwitch,
                                                   kWordRuleTransitionLineAdditiveAlphaSwitch};
    SetLastUpdated(a.x[0], a.y[0], a.x[0] + a.width, a.y[0] + a.height);
    // 64 bits: the vague width comes from scripts unchecked.
    const std::int64_t threshold = (std::int64_t{phase} * (std::int64_t{vague} + 256)) >> 8;
    const std::int32_t p = SaturateToInt32(threshold);
    const std::int32_t bandStart = SaturateToInt32(threshold - vague);
    std::int32_t table[256];
    Slot<RuleTableKernel>(kTables[method])(table, p, vague);
    const bool plain = vague >= kPlainRuleFromVague;
    const RuleLineKernel line = Slot<RuleLineKernel>(kLines[method]);
    const RuleLineSwitchKernel switchLine = Slot<RuleLineSwitchKernel>(kSwitchLines[method]);
    for (std::int32_t i = 0; i < a.height; ++i) {
        Pixel* d = PixelAt(dest, a.x[0], a.y[0] + i);
        const Pixel* s1 = PixelAt(src1, a.x[1], a.y[1] + i);
        const Pixel* s2 = PixelAt(src2, a.x[2], a.y[2] + i);
        const std::uint8_t* r = BytesAt(rule, a.x[3], a.y[3] + i, 1);
        if (plain)
            line(d, s1, s2, r, table, a.width);
        else
            switchLine(d, s1, s2, r, table, a.width, p, bandStart);
    }
    return kRectDone;
}

}  // namespace pixelops
