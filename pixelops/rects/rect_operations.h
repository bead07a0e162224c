// The rectangle operations of the library object (words 2-26), with the signatures of
// interfaces/pixel_op_rect_operations.h.
//
// Every pixel goes through a row kernel taken from the kernel slots, so the processor forms
// chosen when the object was filled apply.
#pragma once

#include <cstdint>

#include "pixelops/interfaces/pixel_op_rect_operations.h"

namespace pixelops {

// The CopyRect form written into word 8 when the last object was filled; BlendRect and the
// transitions copy through it too.
extern CopyRectOp g_copyRect;

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
                                                 std::int32_t y, RECT* srcRect, std::uint32_t type);

std::int32_t QMXGL_CALL BlendRect(Surface* dest, Surface* src, std::int32_t x, std::int32_t y,
                                  RECT* srcRect, std::int32_t mode, std::uint32_t opacity,
                                  std::uint32_t holdDestAlpha);

std::int32_t QMXGL_CALL StretchBlendRect(StretchBlendParams params);

std::int32_t QMXGL_CALL AffineBlendRect(Surface* dest, Surface* src,
                                        const AffineBlendPoints* points, const RECT* srcRect,
                                        std::int32_t mode, std::int32_t type, std::uint32_t opacity,
                                        std::uint32_t holdDestAlpha, std::uint32_t fillOutside,
                                        std::uint32_t fillColour, const RECT* clip);
// matrix: m0..m5; source point (x, y) from the centre of the rectangle's top-left pixel maps to
// (m0 x + m2 y + m4, m1 x + m3 y + m5).
std::int32_t QMXGL_CALL AffineBlendRectMatrix(Surface* dest, Surface* src, const double* matrix,
                                              const RECT* srcRect, std::int32_t mode,
                                              std::int32_t type, std::uint32_t opacity,
                                              std::uint32_t holdDestAlpha,
                                              std::uint32_t fillOutside, std::uint32_t fillColour,
                                              const RECT* clip);

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
