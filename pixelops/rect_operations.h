// The rectangle operations of the library object (words 2-26).
//
// Bitmaps arrive as the host's Surface objects; the operations read their size, pitch, pixel
// memory and clip rectangle and never keep them. Every pixel goes through a row kernel taken
// from the kernel slots, so the processor forms chosen when the object was filled apply.
// Boolean answers are 0 or 1 in the whole result word.
#pragma once

#include <cstdint>

#include "graphics/interfaces/surface.h"
#include "pixelops/interfaces/pixel_op_library.h"

namespace pixelops {

// Status answers of the operations that answer an int32.
constexpr std::int32_t kRectDone = 0;
constexpr std::int32_t kRectNothingVisible = -1;
constexpr std::int32_t kRectCopyNothingVisible = -2;  // CopyRect; AffineBlendRect: no run found
// A mode, method, copy type, mapping or size the operation cannot draw: nothing is drawn and
// LastUpdatedRect keeps its value.
constexpr std::int32_t kRectRefused = -3;
constexpr std::int32_t kStretchSourceOutside = 2;
constexpr std::int32_t kStretchOutOfMemory = 3;
constexpr std::int32_t kAffineBadSourceRect = 3;
constexpr std::int32_t kAffineOutsideClip = 4;

// Copy types of CopyRect.
constexpr std::uint32_t kCopyColour = 1;
constexpr std::uint32_t kCopyAlpha = 2;
constexpr std::uint32_t kCopyPixels = 3;

constexpr std::int32_t kBlendModeCount = 32;

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

// Destination positions of the source rectangle's top-left, top-right and bottom-left corners.
struct AffineBlendPoints {
    double x0, y0;
    double x1, y1;
    double x2, y2;
};

typedef std::int32_t(QMXGL_CALL* CopyRectRoutine)(Surface* dest, Surface* src, std::int32_t x,
                                                  std::int32_t y, RECT* srcRect,
                                                  std::uint32_t type);

// The CopyRect form written into word 8 when the last object was filled; BlendRect and the
// transitions copy through it too.
extern CopyRectRoutine g_copyRect;

std::int32_t QMXGL_CALL FillRectArgb(Surface* dest, std::uint32_t colour, const RECT* rect);
std::int32_t QMXGL_CALL FillRect8(Surface* dest, std::uint32_t value, const RECT* rect);
std::int32_t QMXGL_CALL FillRectColor(Surface* dest, std::uint32_t colour, std::uint32_t opacity,
                                      const RECT* rect);
std::int32_t QMXGL_CALL FillRectColorWithAlpha(Surface* dest, std::uint32_t colour,
                                               std::uint32_t opacity, const RECT* rect,
                                               std::uint32_t additiveAlpha);
std::int32_t QMXGL_CALL RemoveRectOpacity(Surface* dest, std::uint32_t opacity, const RECT* rect);
std::int32_t QMXGL_CALL SetRectAlpha(Surface* dest, std::uint32_t alpha, const RECT* rect);
std::int32_t QMXGL_CALL CopyRectOwn(Surface* dest, Surface* src, std::int32_t x, std::int32_t y,
                                    RECT* srcRect, std::uint32_t type);
std::int32_t QMXGL_CALL CopyRectWithHostRoutines(Surface* dest, Surface* src, std::int32_t x,
                                                 std::int32_t y, RECT* srcRect,
                                                 std::uint32_t type);

std::int32_t QMXGL_CALL BlendRect(Surface* dest, Surface* src, std::int32_t x, std::int32_t y,
                                  RECT* srcRect, std::int32_t mode, std::uint32_t opacity,
                                  std::uint32_t holdDestAlpha);

std::int32_t QMXGL_CALL StretchBlendRect(StretchBlendParams params);

std::int32_t QMXGL_CALL AffineBlendRect(Surface* dest, Surface* src,
                                        const AffineBlendPoints* points, const RECT* srcRect,
                                        std::int32_t mode, std::int32_t type,
                                        std::uint32_t opacity, std::uint32_t holdDestAlpha,
                                        std::uint32_t fillOutside, std::uint32_t fillColour,
                                        const RECT* clip);
// matrix: m0..m5; source point (x, y) from the centre of the rectangle's top-left pixel maps to
// (m0 x + m2 y + m4, m1 x + m3 y + m5).
std::int32_t QMXGL_CALL AffineBlendRectMatrix(Surface* dest, Surface* src, const double* matrix,
                                              const RECT* srcRect, std::int32_t mode,
                                              std::int32_t type, std::uint32_t opacity,
                                              std::uint32_t holdDestAlpha,
                                              std::uint32_t fillOutside,
                                              std::uint32_t fillColour, const RECT* clip);

std::int32_t QMXGL_CALL BoxBlurRect(Surface* dest, std::int32_t extentX, std::int32_t extentY,
                                    const RECT* rect, std::uint32_t withAlpha);
std::int32_t QMXGL_CALL FlipRectVertical(Surface* dest, const RECT* rect);
std::int32_t QMXGL_CALL FlipRectVertical8(Surface* dest, const RECT* rect);
std::int32_t QMXGL_CALL FlipRectHorizontal(Surface* dest, const RECT* rect);
std::int32_t QMXGL_CALL FlipRectHorizontal8(Surface* dest, const RECT* rect);
std::int32_t QMXGL_CALL GrayScaleRect(Surface* dest, const RECT* rect);
std::int32_t QMXGL_CALL AdjustGammaRect(Surface* dest, const GammaRecord* gamma, const RECT* rect);
std::int32_t QMXGL_CALL AdjustGammaRectAdditiveAlpha(Surface* dest, const GammaRecord* gamma,
                                                     const RECT* rect);
std::int32_t QMXGL_CALL ConvertAdditiveAlphaToAlphaRect(Surface* dest);
std::int32_t QMXGL_CALL ConvertAlphaToAdditiveAlphaRect(Surface* dest);
std::int32_t QMXGL_CALL BlendColorUnderRect(Surface* dest, std::uint32_t colour);
std::int32_t QMXGL_CALL KeyColorToAlphaRect(Surface* dest, std::uint32_t key);

std::int32_t QMXGL_CALL CrossfadeRect(Surface* dest, Surface* src1, Surface* src2,
                                      std::uint32_t ratio, std::uint32_t method, std::int32_t x,
                                      std::int32_t y, std::int32_t width, std::int32_t height,
                                      std::int32_t src1X, std::int32_t src1Y, std::int32_t src2X,
                                      std::int32_t src2Y);
std::int32_t QMXGL_CALL RuleTransitionRect(Surface* dest, Surface* src1, Surface* src2,
                                           Surface* rule, std::uint32_t phase, std::int32_t vague,
                                           std::uint32_t method, std::int32_t x, std::int32_t y,
                                           std::int32_t width, std::int32_t height,
                                           std::int32_t src1X, std::int32_t src1Y,
                                           std::int32_t src2X, std::int32_t src2Y,
                                           std::int32_t ruleX, std::int32_t ruleY);

}  // namespace pixelops
