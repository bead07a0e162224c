// The rectangle operations of a PixelOpLibrary object (words 2-26) as the program calls them:
// their argument records, blend modes, result codes and signatures.
//
// Every bitmap is one of the program's Surface objects; the library reads its size, pitch,
// pixel memory and clip rectangle during the call and keeps nothing. Operations that answer a
// boolean put 0 or 1 into the whole result word. Each one that draws writes the destination
// rectangle it covered into LastUpdatedRect; one that draws nothing leaves it alone.
#pragma once

#include <cstdint>

#include "graphics/interfaces/surface.h"
#include "pixelops/interfaces/pixel_op_library.h"

namespace pixelops {

enum EBlendMode : std::int32_t {
    BlendCopy = 0,
    BlendCopyOnAlpha = 1,
    BlendAlpha = 2,
    BlendAlphaOnAlpha = 3,
    BlendAdd = 4,
    BlendSub = 5,
    BlendMul = 6,
    BlendColorDodge = 7,
    BlendDarken = 8,
    BlendLighten = 9,
    BlendScreen = 10,
    BlendAdditiveAlpha = 11,
    BlendAdditiveAlphaOnAdditiveAlpha = 12,
    BlendNone = 13,
    BlendAlphaOnAdditiveAlpha = 14,
    BlendCopyOnAdditiveAlpha = 15,
    BlendLayerNormal = 16,
    BlendLayerAdditive = 17,
    BlendLayerSubtractive = 18,
    BlendLayerMultiply = 19,
    BlendLayerScreen = 20,
    BlendLayerOverlay = 21,
    BlendLayerHardLight = 22,
    BlendLayerSoftLight = 23,
    BlendLayerColorDodge = 24,
    BlendLayerColorDodgePreAlpha = 25,
    BlendLayerColorBurn = 26,
    BlendLayerLighten = 27,
    BlendLayerDarken = 28,
    BlendLayerDifference = 29,
    BlendLayerDifferencePreAlpha = 30,
    BlendLayerExclusion = 31,
};
constexpr std::int32_t kBlendModeCount = 32;

// Status answers of the operations that answer an int32.
constexpr std::int32_t kRectDone = 0;
constexpr std::int32_t kRectNothingVisible = -1;
constexpr std::int32_t kRectCopyNothingVisible = -2;  // CopyRect; AffineBlendRect: no run found
// A mode, method, copy type, mapping or size the operation cannot draw: nothing is drawn.
constexpr std::int32_t kRectRefused = -3;
constexpr std::int32_t kStretchSourceOutside = 2;
constexpr std::int32_t kStretchOutOfMemory = 3;
constexpr std::int32_t kAffineBadSourceRect = 3;
constexpr std::int32_t kAffineOutsideClip = 4;
constexpr std::int32_t kAffineMatrixNoSource = 1;

// Copy types of CopyRect.
constexpr std::uint32_t kCopyColour = 1;
constexpr std::uint32_t kCopyAlpha = 2;
constexpr std::uint32_t kCopyPixels = 3;

// StretchBlendRect's argument, passed by value as ten words.
struct StretchBlendParams {
    Surface* dest;
    Surface* src;
    const std::int32_t* destSize;  // width, height; negative mirrors; null: the whole destination
    std::int32_t destX;
    std::int32_t destY;
    const RECT* srcRect;  // null: the whole source; right < left (bottom < top) mirrors
    std::int32_t mode;
    std::int32_t type;  // low 4 bits: 0 nearest, 1 bilinear, 2 tent, 3 quadratic B-spline
    std::int32_t opacity;
    std::int32_t holdDestAlpha;
};

// Destination positions of the source rectangle's outer top-left, top-right and bottom-left
// corners; the centre of destination pixel (i, j) is at (i, j).
struct AffineBlendPoints {
    double x0, y0;
    double x1, y1;
    double x2, y2;
};

typedef std::int32_t(QMXGL_CALL* FillRectArgbOp)(Surface* dest, std::uint32_t colour,
                                                 const RECT* rect);
typedef std::int32_t(QMXGL_CALL* FillRect8Op)(Surface* dest, std::uint32_t value, const RECT* rect);
typedef std::int32_t(QMXGL_CALL* FillRectColorOp)(Surface* dest, std::uint32_t colour,
                                                  std::uint32_t opacity, const RECT* rect);
typedef std::int32_t(QMXGL_CALL* FillRectColorWithAlphaOp)(Surface* dest, std::uint32_t colour,
                                                           std::uint32_t opacity, const RECT* rect,
                                                           std::uint32_t additiveAlpha);
typedef std::int32_t(QMXGL_CALL* RemoveRectOpacityOp)(Surface* dest, std::uint32_t opacity,
                                                      const RECT* rect);
typedef std::int32_t(QMXGL_CALL* SetRectAlphaOp)(Surface* dest, std::uint32_t alpha,
                                                 const RECT* rect);
// srcRect (null: the whole source) is clipped in place.
typedef std::int32_t(QMXGL_CALL* CopyRectOp)(Surface* dest, Surface* src, std::int32_t x,
                                             std::int32_t y, RECT* srcRect, std::uint32_t type);
typedef std::int32_t(QMXGL_CALL* BlendRectOp)(Surface* dest, Surface* src, std::int32_t x,
                                              std::int32_t y, RECT* srcRect, std::int32_t mode,
                                              std::uint32_t opacity, std::uint32_t holdDestAlpha);
typedef std::int32_t(QMXGL_CALL* StretchBlendRectOp)(StretchBlendParams params);
typedef std::int32_t(QMXGL_CALL* AffineBlendRectOp)(
    Surface* dest, Surface* src, const AffineBlendPoints* points, const RECT* srcRect,
    std::int32_t mode, std::int32_t type, std::uint32_t opacity, std::uint32_t holdDestAlpha,
    std::uint32_t fillOutside, std::uint32_t fillColour, const RECT* clip);
// matrix: m0..m5; source point (x, y) from the centre of the rectangle's top-left pixel maps to
// (m0 x + m2 y + m4, m1 x + m3 y + m5).
typedef std::int32_t(QMXGL_CALL* AffineBlendRectMatrixOp)(
    Surface* dest, Surface* src, const double* matrix, const RECT* srcRect, std::int32_t mode,
    std::int32_t type, std::uint32_t opacity, std::uint32_t holdDestAlpha,
    std::uint32_t fillOutside, std::uint32_t fillColour, const RECT* clip);
typedef std::int32_t(QMXGL_CALL* BoxBlurRectOp)(Surface* dest, std::int32_t extentX,
                                                std::int32_t extentY, const RECT* rect,
                                                std::uint32_t withAlpha);
// Words 14-18.
typedef std::int32_t(QMXGL_CALL* RectFilterOp)(Surface* dest, const RECT* rect);
typedef std::int32_t(QMXGL_CALL* AdjustGammaRectOp)(Surface* dest, const GammaRecord* gamma,
                                                    const RECT* rect);
// Words 21 and 22.
typedef std::int32_t(QMXGL_CALL* WholeBitmapOp)(Surface* dest);
// Words 23 and 24.
typedef std::int32_t(QMXGL_CALL* WholeBitmapColourOp)(Surface* dest, std::uint32_t colour);
typedef std::int32_t(QMXGL_CALL* CrossfadeRectOp)(Surface* dest, Surface* src1, Surface* src2,
                                                  std::uint32_t ratio, std::uint32_t method,
                                                  std::int32_t x, std::int32_t y,
                                                  std::int32_t width, std::int32_t height,
                                                  std::int32_t src1X, std::int32_t src1Y,
                                                  std::int32_t src2X, std::int32_t src2Y);
typedef std::int32_t(QMXGL_CALL* RuleTransitionRectOp)(
    Surface* dest, Surface* src1, Surface* src2, Surface* rule, std::uint32_t phase,
    std::int32_t vague, std::uint32_t method, std::int32_t x, std::int32_t y, std::int32_t width,
    std::int32_t height, std::int32_t src1X, std::int32_t src1Y, std::int32_t src2X,
    std::int32_t src2Y, std::int32_t ruleX, std::int32_t ruleY);

}  // namespace pixelops
