// BlendRect (word 9): one row kernel chosen by mode, opacity and the hold flag, run over the
// rectangle clipped as CopyRect clips.
#include "pixelops/interfaces/pixel_op_words.h"
#include "pixelops/rects/rect_operations.h"
#include "pixelops/rects/rect_support.h"

namespace pixelops {

namespace {

// Words per mode 0-15: {opacity 255, flag clear}, {255, set}, {other, clear}, {other, set}.
// 0: no kernel (mode 0 at 255 copies; BlendNone draws nothing).
constexpr int kModeKernels[16][4] = {
    {0, 0, kWordConstAlphaBlendLine, kWordConstAlphaBlendLineHoldAlpha},
    {kWordCopyOpaqueLine, kWordCopyOpaqueLine, kWordConstAlphaBlendLineOntoAlpha,
     kWordConstAlphaBlendLineOntoAlpha},
    {kWordAlphaBlendLine, kWordAlphaBlendLineHoldAlpha, kWordAlphaBlendLineOpacity,
     kWordAlphaBlendLineHoldAlphaOpacity},
    {kWordAlphaBlendLineOntoAlpha, kWordAlphaBlendLineOntoAlpha,
     kWordAlphaBlendLineOntoAlphaOpacity, kWordAlphaBlendLineOntoAlphaOpacity},
    {kWordAddBlendLine, kWordAddBlendLineHoldAlpha, kWordAddBlendLineOpacity,
     kWordAddBlendLineHoldAlphaOpacity},
    {kWordSubBlendLine, kWordSubBlendLineHoldAlpha, kWordSubBlendLineOpacity,
     kWordSubBlendLineHoldAlphaOpacity},
    {kWordMulBlendLine, kWordMulBlendLineHoldAlpha, kWordMulBlendLineOpacity,
     kWordMulBlendLineHoldAlphaOpacity},
    {kWordColorDodgeBlendLine, kWordColorDodgeBlendLineHoldAlpha, kWordColorDodgeBlendLineOpacity,
     kWordColorDodgeBlendLineHoldAlphaOpacity},
    {kWordDarkenBlendLine, kWordDarkenBlendLineHoldAlpha, kWordDarkenBlendLineOpacity,
     kWordDarkenBlendLineHoldAlphaOpacity},
    {kWordLightenBlendLine, kWordLightenBlendLineHoldAlpha, kWordLightenBlendLineOpacity,
     kWordLightenBlendLineHoldAlphaOpacity},
    {kWordScreenBlendLine, kWordScreenBlendLineHoldAlpha, kWordScreenBlendLineOpacity,
     kWordScreenBlendLineHoldAlphaOpacity},
    {kWordAdditiveAlphaBlendLine, kWordAdditiveAlphaBlendLineHoldAlpha,
     kWordAdditiveAlphaBlendLineOpacity, kWordAdditiveAlphaBlendLineHoldAlphaOpacity},
    {kWordAdditiveAlphaBlendLineOntoAdditiveAlpha, kWordAdditiveAlphaBlendLineOntoAdditiveAlpha,
     kWordAdditiveAlphaBlendLineOntoAdditiveAlphaOpacity,
     kWordAdditiveAlphaBlendLineOntoAdditiveAlphaOpacity},
    {0, 0, 0, 0},
    {kWordAlphaBlendLineOntoAdditiveAlpha, kWordAlphaBlendLineOntoAdditiveAlpha,
     kWordAlphaBlendLineOntoAdditiveAlphaOpacity, kWordAlphaBlendLineOntoAdditiveAlphaOpacity},
    {kWordCopyOpaqueLine, kWordCopyOpaqueLine, kWordConstAlphaBlendLineOntoAdditiveAlpha,
     kWordConstAlphaBlendLineOntoAdditiveAlpha},
};

int BlendRectKernelWord(std::int32_t mode, std::uint32_t opacity, bool hold) {
    const bool full = (opacity & 0xFF) == 255;
    if (mode >= 16) return LayerWord(mode - 16, (full ? 0 : 1) + (hold ? 2 : 0));
    return kModeKernels[mode][(full ? 0 : 2) + (hold ? 1 : 0)];
}

}  // namespace

std::int32_t QMXGL_CALL BlendRect(Surface* dest, Surface* src, std::int32_t x, std::int32_t y,
                                  RECT* srcRect, std::int32_t mode, std::uint32_t opacity,
                                  std::uint32_t holdDestAlpha) {
    // A mode beyond the table would pick an arbitrary word as a kernel.
    if (mode < 0 || mode >= kBlendModeCount) return kRectRefused;
    opacity &= 0xFF;
    const bool hold = (holdDestAlpha & 0xFF) != 0;
    if (mode == 0 && opacity == 255)
        return g_copyRect(dest, src, x, y, srcRect, hold ? kCopyColour : kCopyPixels);
    if (opacity == 0) return kRectDone;

    RECT local;
    RECT& r = srcRect ? *srcRect : *src->GetRect(&local);
    if (!ClipCopyRects(dest, src, x, y, r)) return kRectNothingVisible;
    const std::int32_t w = r.right - r.left, h = r.bottom - r.top;
    const int word = BlendRectKernelWord(mode, opacity, hold);
    if (word != 0) {
        const std::int32_t dp = dest->Pitch(), sp = src->Pitch();
        Pixel* d = PixelAt(dest, x, y);
        const Pixel* s = PixelAt(src, r.left, r.top);
        if (opacity != 255) {
            const RowKernelOpacity kernel = Slot<RowKernelOpacity>(word);
            for (std::int32_t i = 0; i < h; ++i, d = NextRow(d, dp), s = NextRow(s, sp))
                kernel(d, s, w, opacity);
        } else {
            const RowKernel kernel = Slot<RowKernel>(word);
            for (std::int32_t i = 0; i < h; ++i, d = NextRow(d, dp), s = NextRow(s, sp))
                kernel(d, s, w);
        }
    }
    SetLastUpdated(x, y, x + w, y + h);
    return kRectDone;
}

}  // namespace pixelops
