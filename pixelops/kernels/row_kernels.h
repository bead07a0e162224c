// The portable row kernels, one per slot of words 27-234, with the signatures of
// interfaces/pixel_op_library.h. Slot 98 shares the builder of slot 97 and slot 151 the fill
// of slot 150.
#pragma once

#include <cstdint>

#include "pixelops/interfaces/pixel_op_library.h"

namespace pixelops {

void QMXGL_CALL AlphaBlendLine(Pixel* dst, const Pixel* src, std::int32_t count);           // 27
void QMXGL_CALL AlphaBlendLineHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count);  // 28
void QMXGL_CALL AlphaBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                      std::uint32_t opacity);  // 29
void QMXGL_CALL AlphaBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                               std::uint32_t opacity);                      // 30
void QMXGL_CALL AlphaBlendLineOntoAlpha(Pixel* dst, const Pixel* src, std::int32_t count);  // 31
void QMXGL_CALL AlphaBlendLineOntoAdditiveAlpha(Pixel* dst, const Pixel* src,
                                                std::int32_t count);  // 32
void QMXGL_CALL AlphaBlendLineOntoAlphaOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                               std::uint32_t opacity);  // 33
void QMXGL_CALL AlphaBlendLineOntoAdditiveAlphaOpacity(Pixel* dst, const Pixel* src,
                                                       std::int32_t count,
                                                       std::uint32_t opacity);              // 34
void QMXGL_CALL BlendColorUnderLine(Pixel* row, std::uint32_t colour, std::int32_t count);  // 35
void QMXGL_CALL AdditiveAlphaBlendLine(Pixel* dst, const Pixel* src, std::int32_t count);   // 36
void QMXGL_CALL AdditiveAlphaBlendLineHoldAlpha(Pixel* dst, const Pixel* src,
                                                std::int32_t count);  // 37
void QMXGL_CALL AdditiveAlphaBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                              std::uint32_t opacity);  // 38
void QMXGL_CALL AdditiveAlphaBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                       std::int32_t count,
                                                       std::uint32_t opacity);  // 39
void QMXGL_CALL AdditiveAlphaBlendLineOntoAdditiveAlpha(Pixel* dst, const Pixel* src,
                                                        std::int32_t count);  // 40
void QMXGL_CALL AdditiveAlphaBlendLineOntoAdditiveAlphaOpacity(Pixel* dst, const Pixel* src,
                                                               std::int32_t count,
                                                               std::uint32_t opacity);  // 41
void QMXGL_CALL ConvertAdditiveAlphaToAlphaLine(Pixel* row, std::int32_t count);        // 42
void QMXGL_CALL ConvertAlphaToAdditiveAlphaLine(Pixel* row, std::int32_t count);        // 43
void QMXGL_CALL StretchAlphaBlendLine(Pixel* dst, std::int32_t count, const Pixel* src,
                                      std::int32_t x, std::int32_t step);  // 44
void QMXGL_CALL StretchAlphaBlendLineHoldAlpha(Pixel* dst, std::int32_t count, const Pixel* src,
                                               std::int32_t x, std::int32_t step);  // 45
void QMXGL_CALL StretchAlphaBlendLineOpacity(Pixel* dst, std::int32_t count, const Pixel* src,
                                             std::int32_t x, std::int32_t step,
                                             std::uint32_t opacity);  // 46
void QMXGL_CALL StretchAlphaBlendLineHoldAlphaOpacity(Pixel* dst, std::int32_t count,
                                                      const Pixel* src, std::int32_t x,
                                                      std::int32_t step,
                                                      std::uint32_t opacity);  // 47
void QMXGL_CALL StretchAlphaBlendLineOntoAlpha(Pixel* dst, std::int32_t count, const Pixel* src,
                                               std::int32_t x, std::int32_t step);  // 48
void QMXGL_CALL StretchAlphaBlendLineOntoAdditiveAlpha(Pixel* dst, std::int32_t count,
                                                       const Pixel* src, std::int32_t x,
                                                       std::int32_t step);  // 49
void QMXGL_CALL StretchAlphaBlendLineOntoAlphaOpacity(Pixel* dst, std::int32_t count,
                                                      const Pixel* src, std::int32_t x,
                                                      std::int32_t step,
                                                      std::uint32_t opacity);  // 50
void QMXGL_CALL StretchAlphaBlendLineOntoAdditiveAlphaOpacity(Pixel* dst, std::int32_t count,
                                                              const Pixel* src, std::int32_t x,
                                                              std::int32_t step,
                                                              std::uint32_t opacity);  // 51
void QMXGL_CALL StretchAdditiveAlphaBlendLine(Pixel* dst, std::int32_t count, const Pixel* src,
                                              std::int32_t x, std::int32_t step);  // 52
void QMXGL_CALL BilinearStretchAdditiveAlphaBlendLine(Pixel* dst, std::int32_t count,
                                                      const Pixel* row0, const Pixel* row1,
                                                      std::uint32_t fy, std::int32_t x,
                                                      std::int32_t step);  // 53
void QMXGL_CALL StretchAdditiveAlphaBlendLineHoldAlpha(Pixel* dst, std::int32_t count,
                                                       const Pixel* src, std::int32_t x,
                                                       std::int32_t step);  // 54
void QMXGL_CALL StretchAdditiveAlphaBlendLineOpacity(Pixel* dst, std::int32_t count,
                                                     const Pixel* src, std::int32_t x,
                                                     std::int32_t step,
                                                     std::uint32_t opacity);  // 55
void QMXGL_CALL BilinearStretchAdditiveAlphaBlendLineOpacity(Pixel* dst, std::int32_t count,
                                                             const Pixel* row0, const Pixel* row1,
                                                             std::uint32_t fy, std::int32_t x,
                                                             std::int32_t step,
                                                             std::uint32_t opacity);  // 56
void QMXGL_CALL StretchAdditiveAlphaBlendLineHoldAlphaOpacity(Pixel* dst, std::int32_t count,
                                                              const Pixel* src, std::int32_t x,
                                                              std::int32_t step,
                                                              std::uint32_t opacity);  // 57
void QMXGL_CALL StretchAdditiveAlphaBlendLineOntoAdditiveAlpha(Pixel* dst, std::int32_t count,
                                                               const Pixel* src, std::int32_t x,
                                                               std::int32_t step);  // 58
void QMXGL_CALL StretchAdditiveAlphaBlendLineOntoAdditiveAlphaOpacity(
    Pixel* dst, std::int32_t count, const Pixel* src, std::int32_t x, std::int32_t step,
    std::uint32_t opacity);  // 59
void QMXGL_CALL AffineAlphaBlendLine(Pixel* dst, std::int32_t count, const void* src,
                                     std::int32_t u, std::int32_t v, std::int32_t du,
                                     std::int32_t dv, std::int32_t pitch);  // 60
void QMXGL_CALL AffineAlphaBlendLineHoldAlpha(Pixel* dst, std::int32_t count, const void* src,
                                              std::int32_t u, std::int32_t v, std::int32_t du,
                                              std::int32_t dv, std::int32_t pitch);  // 61
void QMXGL_CALL AffineAlphaBlendLineOpacity(Pixel* dst, std::int32_t count, const void* src,
                                            std::int32_t u, std::int32_t v, std::int32_t du,
                                            std::int32_t dv, std::int32_t pitch,
                                            std::uint32_t opacity);  // 62
void QMXGL_CALL AffineAlphaBlendLineHoldAlphaOpacity(Pixel* dst, std::int32_t count,
                                                     const void* src, std::int32_t u,
                                                     std::int32_t v, std::int32_t du,
                                                     std::int32_t dv, std::int32_t pitch,
                                                     std::uint32_t opacity);  // 63
void QMXGL_CALL AffineAlphaBlendLineOntoAlpha(Pixel* dst, std::int32_t count, const void* src,
                                              std::int32_t u, std::int32_t v, std::int32_t du,
                                              std::int32_t dv, std::int32_t pitch);  // 64
void QMXGL_CALL AffineAlphaBlendLineOntoAdditiveAlpha(Pixel* dst, std::int32_t count,
                                                      const void* src, std::int32_t u,
                                                      std::int32_t v, std::int32_t du,
                                                      std::int32_t dv, std::int32_t pitch);  // 65
void QMXGL_CALL AffineAlphaBlendLineOntoAlphaOpacity(Pixel* dst, std::int32_t count,
                                                     const void* src, std::int32_t u,
                                                     std::int32_t v, std::int32_t du,
                                                     std::int32_t dv, std::int32_t pitch,
                                                     std::uint32_t opacity);  // 66
void QMXGL_CALL AffineAlphaBlendLineOntoAdditiveAlphaOpacity(Pixel* dst, std::int32_t count,
                                                             const void* src, std::int32_t u,
                                                             std::int32_t v, std::int32_t du,
                                                             std::int32_t dv, std::int32_t pitch,
                                                             std::uint32_t opacity);  // 67
void QMXGL_CALL AffineAdditiveAlphaBlendLine(Pixel* dst, std::int32_t count, const void* src,
                                             std::int32_t u, std::int32_t v, std::int32_t du,
                                             std::int32_t dv, std::int32_t pitch);  // 68
void QMXGL_CALL BilinearAffineAdditiveAlphaBlendLine(Pixel* dst, std::int32_t count,
                                                     const void* src, std::int32_t u,
                                                     std::int32_t v, std::int32_t du,
                                                     std::int32_t dv, std::int32_t pitch);  // 69
void QMXGL_CALL AffineAdditiveAlphaBlendLineHoldAlpha(Pixel* dst, std::int32_t count,
                                                      const void* src, std::int32_t u,
                                                      std::int32_t v, std::int32_t du,
                                                      std::int32_t dv, std::int32_t pitch);  // 70
void QMXGL_CALL AffineAdditiveAlphaBlendLineOpacity(Pixel* dst, std::int32_t count, const void* src,
                                                    std::int32_t u, std::int32_t v, std::int32_t du,
                                                    std::int32_t dv, std::int32_t pitch,
                                                    std::uint32_t opacity);  // 71
void QMXGL_CALL BilinearAffineAdditiveAlphaBlendLineOpacity(Pixel* dst, std::int32_t count,
                                                            const void* src, std::int32_t u,
                                                            std::int32_t v, std::int32_t du,
                                                            std::int32_t dv, std::int32_t pitch,
                                                            std::uint32_t opacity);  // 72
void QMXGL_CALL AffineAdditiveAlphaBlendLineHoldAlphaOpacity(Pixel* dst, std::int32_t count,
                                                             const void* src, std::int32_t u,
                                                             std::int32_t v, std::int32_t du,
                                                             std::int32_t dv, std::int32_t pitch,
                                                             std::uint32_t opacity);  // 73
void QMXGL_CALL AffineAdditiveAlphaBlendLineOntoAdditiveAlpha(Pixel* dst, std::int32_t count,
                                                              const void* src, std::int32_t u,
                                                              std::int32_t v, std::int32_t du,
                                                              std::int32_t dv,
                                                              std::int32_t pitch);  // 74
void QMXGL_CALL AffineAdditiveAlphaBlendLineOntoAdditiveAlphaOpacity(
    Pixel* dst, std::int32_t count, const void* src, std::int32_t u, std::int32_t v,
    std::int32_t du, std::int32_t dv, std::int32_t pitch, std::uint32_t opacity);  // 75
void QMXGL_CALL CopyOpaqueLine(Pixel* dst, const Pixel* src, std::int32_t count);  // 76
void QMXGL_CALL ConstAlphaBlendLine(Pixel* dst, const Pixel* src, std::int32_t count,
                                    std::uint32_t opacity);  // 77
void QMXGL_CALL ConstAlphaBlendLineHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count,
                                             std::uint32_t opacity);  // 78
void QMXGL_CALL ConstAlphaBlendLineOntoAlpha(Pixel* dst, const Pixel* src, std::int32_t count,
                                             std::uint32_t opacity);  // 79
void QMXGL_CALL ConstAlphaBlendLineOntoAdditiveAlpha(Pixel* dst, const Pixel* src,
                                                     std::int32_t count,
                                                     std::uint32_t opacity);  // 80
void QMXGL_CALL StretchCopyOpaqueLine(Pixel* dst, std::int32_t count, const Pixel* src,
                                      std::int32_t x, std::int32_t step);  // 81
void QMXGL_CALL StretchConstAlphaBlendLine(Pixel* dst, std::int32_t count, const Pixel* src,
                                           std::int32_t x, std::int32_t step,
                                           std::uint32_t opacity);  // 82
void QMXGL_CALL BilinearStretchConstAlphaBlendLine(Pixel* dst, std::int32_t count,
                                                   const Pixel* row0, const Pixel* row1,
                                                   std::uint32_t fy, std::int32_t x,
                                                   std::int32_t step, std::uint32_t opacity);  // 83
void QMXGL_CALL StretchConstAlphaBlendLineHoldAlpha(Pixel* dst, std::int32_t count,
                                                    const Pixel* src, std::int32_t x,
                                                    std::int32_t step,
                                                    std::uint32_t opacity);  // 84
void QMXGL_CALL StretchConstAlphaBlendLineOntoAlpha(Pixel* dst, std::int32_t count,
                                                    const Pixel* src, std::int32_t x,
                                                    std::int32_t step,
                                                    std::uint32_t opacity);  // 85
void QMXGL_CALL StretchConstAlphaBlendLineOntoAdditiveAlpha(Pixel* dst, std::int32_t count,
                                                            const Pixel* src, std::int32_t x,
                                                            std::int32_t step,
                                                            std::uint32_t opacity);  // 86
void QMXGL_CALL AffineCopyOpaqueLine(Pixel* dst, std::int32_t count, const void* src,
                                     std::int32_t u, std::int32_t v, std::int32_t du,
                                     std::int32_t dv, std::int32_t pitch);  // 87
void QMXGL_CALL AffineConstAlphaBlendLine(Pixel* dst, std::int32_t count, const void* src,
                                          std::int32_t u, std::int32_t v, std::int32_t du,
                                          std::int32_t dv, std::int32_t pitch,
                                          std::uint32_t opacity);  // 88
void QMXGL_CALL BilinearAffineConstAlphaBlendLine(Pixel* dst, std::int32_t count, const void* src,
                                                  std::int32_t u, std::int32_t v, std::int32_t du,
                                                  std::int32_t dv, std::int32_t pitch,
                                                  std::uint32_t opacity);  // 89
void QMXGL_CALL AffineConstAlphaBlendLineHoldAlpha(Pixel* dst, std::int32_t count, const void* src,
                                                   std::int32_t u, std::int32_t v, std::int32_t du,
                                                   std::int32_t dv, std::int32_t pitch,
                                                   std::uint32_t opacity);  // 90
void QMXGL_CALL AffineConstAlphaBlendLineOntoAlpha(Pixel* dst, std::int32_t count, const void* src,
                                                   std::int32_t u, std::int32_t v, std::int32_t du,
                                                   std::int32_t dv, std::int32_t pitch,
                                                   std::uint32_t opacity);  // 91
void QMXGL_CALL AffineConstAlphaBlendLineOntoAdditiveAlpha(Pixel* dst, std::int32_t count,
                                                           const void* src, std::int32_t u,
                                                           std::int32_t v, std::int32_t du,
                                                           std::int32_t dv, std::int32_t pitch,
                                                           std::uint32_t opacity);  // 92
void QMXGL_CALL CrossfadeLine(Pixel* dst, const Pixel* src1, const Pixel* src2, std::int32_t count,
                              std::uint32_t ratio);  // 93
void QMXGL_CALL CrossfadeLineAdditiveAlpha(Pixel* dst, const Pixel* src1, const Pixel* src2,
                                           std::int32_t count, std::uint32_t ratio);  // 94
void QMXGL_CALL CrossfadeLineWithAlpha(Pixel* dst, const Pixel* src1, const Pixel* src2,
                                       std::int32_t count, std::uint32_t ratio);  // 95
void QMXGL_CALL InitRuleTransitionTable(std::int32_t* table, std::int32_t phase,
                                        std::int32_t vague);  // 96
void QMXGL_CALL InitRuleTransitionTableWithAlpha(std::int32_t* table, std::int32_t phase,
                                                 std::int32_t vague);  // 97
void QMXGL_CALL RuleTransitionLine(Pixel* dst, const Pixel* src1, const Pixel* src2,
                                   const std::uint8_t* rule, const std::int32_t* table,
                                   std::int32_t count);  // 99
void QMXGL_CALL RuleTransitionLineSwitch(Pixel* dst, const Pixel* src1, const Pixel* src2,
                                         const std::uint8_t* rule, const std::int32_t* table,
                                         std::int32_t count, std::int32_t copyFirstFrom,
                                         std::int32_t copySecondBelow);  // 100
void QMXGL_CALL RuleTransitionLineWithAlpha(Pixel* dst, const Pixel* src1, const Pixel* src2,
                                            const std::uint8_t* rule, const std::int32_t* table,
                                            std::int32_t count);  // 101
void QMXGL_CALL RuleTransitionLineWithAlphaSwitch(Pixel* dst, const Pixel* src1, const Pixel* src2,
                                                  const std::uint8_t* rule,
                                                  const std::int32_t* table, std::int32_t count,
                                                  std::int32_t copyFirstFrom,
                                                  std::int32_t copySecondBelow);  // 102
void QMXGL_CALL RuleTransitionLineAdditiveAlpha(Pixel* dst, const Pixel* src1, const Pixel* src2,
                                                const std::uint8_t* rule, const std::int32_t* table,
                                                std::int32_t count);  // 103
void QMXGL_CALL RuleTransitionLineAdditiveAlphaSwitch(Pixel* dst, const Pixel* src1,
                                                      const Pixel* src2, const std::uint8_t* rule,
                                                      const std::int32_t* table, std::int32_t count,
                                                      std::int32_t copyFirstFrom,
                                                      std::int32_t copySecondBelow);  // 104
void QMXGL_CALL ConstColorAlphaBlendLine(Pixel* row, std::int32_t count, std::uint32_t colour,
                                         std::uint32_t opacity);  // 105
void QMXGL_CALL ConstColorAlphaBlendLineOntoAlpha(Pixel* row, std::int32_t count,
                                                  std::uint32_t colour,
                                                  std::uint32_t opacity);  // 106
void QMXGL_CALL ConstColorAlphaBlendLineOntoAdditiveAlpha(Pixel* row, std::int32_t count,
                                                          std::uint32_t colour,
                                                          std::uint32_t opacity);         // 107
void QMXGL_CALL RemoveOpacityLine(Pixel* row, std::int32_t count, std::uint32_t value);   // 108
void QMXGL_CALL AddBlendLine(Pixel* dst, const Pixel* src, std::int32_t count);           // 109
void QMXGL_CALL AddBlendLineHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count);  // 110
void QMXGL_CALL AddBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                    std::uint32_t opacity);  // 111
void QMXGL_CALL AddBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                             std::uint32_t opacity);                      // 112
void QMXGL_CALL SubBlendLine(Pixel* dst, const Pixel* src, std::int32_t count);           // 113
void QMXGL_CALL SubBlendLineHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count);  // 114
void QMXGL_CALL SubBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                    std::uint32_t opacity);  // 115
void QMXGL_CALL SubBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                             std::uint32_t opacity);                      // 116
void QMXGL_CALL MulBlendLine(Pixel* dst, const Pixel* src, std::int32_t count);           // 117
void QMXGL_CALL MulBlendLineHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count);  // 118
void QMXGL_CALL MulBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                    std::uint32_t opacity);  // 119
void QMXGL_CALL MulBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                             std::uint32_t opacity);                    // 120
void QMXGL_CALL ColorDodgeBlendLine(Pixel* dst, const Pixel* src, std::int32_t count);  // 121
void QMXGL_CALL ColorDodgeBlendLineHoldAlpha(Pixel* dst, const Pixel* src,
                                             std::int32_t count);  // 122
void QMXGL_CALL ColorDodgeBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                           std::uint32_t opacity);  // 123
void QMXGL_CALL ColorDodgeBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                    std::int32_t count,
                                                    std::uint32_t opacity);                  // 124
void QMXGL_CALL DarkenBlendLine(Pixel* dst, const Pixel* src, std::int32_t count);           // 125
void QMXGL_CALL DarkenBlendLineHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count);  // 126
void QMXGL_CALL DarkenBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                       std::uint32_t opacity);  // 127
void QMXGL_CALL DarkenBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                                std::uint32_t opacity);                       // 128
void QMXGL_CALL LightenBlendLine(Pixel* dst, const Pixel* src, std::int32_t count);           // 129
void QMXGL_CALL LightenBlendLineHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count);  // 130
void QMXGL_CALL LightenBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                        std::uint32_t opacity);  // 131
void QMXGL_CALL LightenBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                                 std::uint32_t opacity);                     // 132
void QMXGL_CALL ScreenBlendLine(Pixel* dst, const Pixel* src, std::int32_t count);           // 133
void QMXGL_CALL ScreenBlendLineHoldAlpha(Pixel* dst, const Pixel* src, std::int32_t count);  // 134
void QMXGL_CALL ScreenBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                       std::uint32_t opacity);  // 135
void QMXGL_CALL ScreenBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                                std::uint32_t opacity);  // 136
void QMXGL_CALL StretchCopyLine(Pixel* dst, std::int32_t count, const Pixel* src, std::int32_t x,
                                std::int32_t step);  // 137
void QMXGL_CALL BilinearStretchCopyLine(Pixel* dst, std::int32_t count, const Pixel* row0,
                                        const Pixel* row1, std::uint32_t fy, std::int32_t x,
                                        std::int32_t step);  // 138
void QMXGL_CALL InterpolateLineDoubleForward(Pixel* dst, std::int32_t count,
                                             const Pixel* src);  // 139
void QMXGL_CALL InterpolateLineDoubleBackward(Pixel* dst, std::int32_t count,
                                              const Pixel* src);  // 140
void QMXGL_CALL AverageTwoLines(Pixel* dst, std::int32_t count, const Pixel* a,
                                const Pixel* b);  // 141
void QMXGL_CALL StretchColorCopyLine(Pixel* dst, std::int32_t count, const Pixel* src,
                                     std::int32_t x, std::int32_t step);  // 142
void QMXGL_CALL AffineCopyLine(Pixel* dst, std::int32_t count, const void* src, std::int32_t u,
                               std::int32_t v, std::int32_t du, std::int32_t dv,
                               std::int32_t pitch);  // 143
void QMXGL_CALL BilinearAffineCopyLine(Pixel* dst, std::int32_t count, const void* src,
                                       std::int32_t u, std::int32_t v, std::int32_t du,
                                       std::int32_t dv, std::int32_t pitch);  // 144
void QMXGL_CALL AffineColorCopyLine(Pixel* dst, std::int32_t count, const void* src, std::int32_t u,
                                    std::int32_t v, std::int32_t du, std::int32_t dv,
                                    std::int32_t pitch);                                   // 145
void QMXGL_CALL KeyColorToAlphaLine(Pixel* row, std::int32_t count, std::uint32_t value);  // 146
void QMXGL_CALL CopyAlphaLine(Pixel* dst, const Pixel* src, std::int32_t count);           // 147
void QMXGL_CALL CopyColorLine(Pixel* dst, const Pixel* src, std::int32_t count);           // 148
void QMXGL_CALL CopyMaskToAlphaLine(Pixel* row, const std::uint8_t* mask,
                                    std::int32_t count);                             // 149
void QMXGL_CALL FillArgbLine(Pixel* row, std::int32_t count, std::uint32_t value);   // 150
void QMXGL_CALL FillColorLine(Pixel* row, std::int32_t count, std::uint32_t value);  // 152
void QMXGL_CALL FillAlphaLine(Pixel* row, std::int32_t count, std::uint32_t value);  // 153
void QMXGL_CALL BoxBlurAddSubSum16Line(std::uint16_t* sums, const Pixel* entering,
                                       const Pixel* leaving, std::int32_t count);  // 154
void QMXGL_CALL BoxBlurAddSubSum16LineWithAlpha(std::uint16_t* sums, const Pixel* entering,
                                                const Pixel* leaving, std::int32_t count);  // 155
void QMXGL_CALL BoxBlurAddSubSum32Line(std::uint32_t* sums, const Pixel* entering,
                                       const Pixel* leaving, std::int32_t count);  // 156
void QMXGL_CALL BoxBlurAddSubSum32LineWithAlpha(std::uint32_t* sums, const Pixel* entering,
                                                const Pixel* leaving, std::int32_t count);  // 157
void QMXGL_CALL BoxBlurAverage16Line(Pixel* dst, std::uint16_t* running,
                                     const std::uint16_t* entering, const std::uint16_t* leaving,
                                     std::int32_t area, std::int32_t count);  // 158
void QMXGL_CALL BoxBlurAverage16LineWithAlpha(Pixel* dst, std::uint16_t* running,
                                              const std::uint16_t* entering,
                                              const std::uint16_t* leaving, std::int32_t area,
                                              std::int32_t count);  // 159
void QMXGL_CALL BoxBlurAverage32Line(Pixel* dst, std::uint32_t* running,
                                     const std::uint32_t* entering, const std::uint32_t* leaving,
                                     std::int32_t area, std::int32_t count);  // 160
void QMXGL_CALL BoxBlurAverage32LineWithAlpha(Pixel* dst, std::uint32_t* running,
                                              const std::uint32_t* entering,
                                              const std::uint32_t* leaving, std::int32_t area,
                                              std::int32_t count);                          // 161
void QMXGL_CALL SwapLine8(std::uint8_t* a, std::uint8_t* b, std::int32_t count);            // 162
void QMXGL_CALL SwapLine32(Pixel* a, Pixel* b, std::int32_t count);                         // 163
void QMXGL_CALL ReverseLine8(std::uint8_t* row, std::int32_t count);                        // 164
void QMXGL_CALL ReverseLine32(Pixel* row, std::int32_t count);                              // 165
void QMXGL_CALL GrayScaleLine(Pixel* row, std::int32_t count);                              // 166
void QMXGL_CALL InitGammaTable(std::uint8_t* table, const GammaRecord* record);             // 167
void QMXGL_CALL ReleaseGammaTable(std::uint8_t* table);                                     // 168
void QMXGL_CALL ApplyGammaLine(Pixel* row, std::int32_t count, const std::uint8_t* table);  // 169
void QMXGL_CALL ApplyGammaLineAdditiveAlpha(Pixel* row, std::int32_t count,
                                            const std::uint8_t* table);                  // 170
void QMXGL_CALL LayerNormalBlendLine(Pixel* dst, const Pixel* src, std::int32_t count);  // 171
void QMXGL_CALL LayerNormalBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                            std::uint32_t opacity);  // 172
void QMXGL_CALL LayerNormalBlendLineHoldAlpha(Pixel* dst, const Pixel* src,
                                              std::int32_t count);  // 173
void QMXGL_CALL LayerNormalBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                     std::int32_t count,
                                                     std::uint32_t opacity);               // 174
void QMXGL_CALL LayerAdditiveBlendLine(Pixel* dst, const Pixel* src, std::int32_t count);  // 175
void QMXGL_CALL LayerAdditiveBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                              std::uint32_t opacity);  // 176
void QMXGL_CALL LayerAdditiveBlendLineHoldAlpha(Pixel* dst, const Pixel* src,
                                                std::int32_t count);  // 177
void QMXGL_CALL LayerAdditiveBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                       std::int32_t count,
                                                       std::uint32_t opacity);                // 178
void QMXGL_CALL LayerSubtractiveBlendLine(Pixel* dst, const Pixel* src, std::int32_t count);  // 179
void QMXGL_CALL LayerSubtractiveBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                                 std::uint32_t opacity);  // 180
void QMXGL_CALL LayerSubtractiveBlendLineHoldAlpha(Pixel* dst, const Pixel* src,
                                                   std::int32_t count);  // 181
void QMXGL_CALL LayerSubtractiveBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                          std::int32_t count,
                                                          std::uint32_t opacity);          // 182
void QMXGL_CALL LayerMultiplyBlendLine(Pixel* dst, const Pixel* src, std::int32_t count);  // 183
void QMXGL_CALL LayerMultiplyBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                              std::uint32_t opacity);  // 184
void QMXGL_CALL LayerMultiplyBlendLineHoldAlpha(Pixel* dst, const Pixel* src,
                                                std::int32_t count);  // 185
void QMXGL_CALL LayerMultiplyBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                       std::int32_t count,
                                                       std::uint32_t opacity);           // 186
void QMXGL_CALL LayerScreenBlendLine(Pixel* dst, const Pixel* src, std::int32_t count);  // 187
void QMXGL_CALL LayerScreenBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                            std::uint32_t opacity);  // 188
void QMXGL_CALL LayerScreenBlendLineHoldAlpha(Pixel* dst, const Pixel* src,
                                              std::int32_t count);  // 189
void QMXGL_CALL LayerScreenBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                     std::int32_t count,
                                                     std::uint32_t opacity);              // 190
void QMXGL_CALL LayerOverlayBlendLine(Pixel* dst, const Pixel* src, std::int32_t count);  // 191
void QMXGL_CALL LayerOverlayBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                             std::uint32_t opacity);  // 192
void QMXGL_CALL LayerOverlayBlendLineHoldAlpha(Pixel* dst, const Pixel* src,
                                               std::int32_t count);  // 193
void QMXGL_CALL LayerOverlayBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                      std::int32_t count,
                                                      std::uint32_t opacity);               // 194
void QMXGL_CALL LayerHardLightBlendLine(Pixel* dst, const Pixel* src, std::int32_t count);  // 195
void QMXGL_CALL LayerHardLightBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                               std::uint32_t opacity);  // 196
void QMXGL_CALL LayerHardLightBlendLineHoldAlpha(Pixel* dst, const Pixel* src,
                                                 std::int32_t count);  // 197
void QMXGL_CALL LayerHardLightBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                        std::int32_t count,
                                                        std::uint32_t opacity);             // 198
void QMXGL_CALL LayerSoftLightBlendLine(Pixel* dst, const Pixel* src, std::int32_t count);  // 199
void QMXGL_CALL LayerSoftLightBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                               std::uint32_t opacity);  // 200
void QMXGL_CALL LayerSoftLightBlendLineHoldAlpha(Pixel* dst, const Pixel* src,
                                                 std::int32_t count);  // 201
void QMXGL_CALL LayerSoftLightBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                        std::int32_t count,
                                                        std::uint32_t opacity);              // 202
void QMXGL_CALL LayerColorDodgeBlendLine(Pixel* dst, const Pixel* src, std::int32_t count);  // 203
void QMXGL_CALL LayerColorDodgeBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                                std::uint32_t opacity);  // 204
void QMXGL_CALL LayerColorDodgeBlendLineHoldAlpha(Pixel* dst, const Pixel* src,
                                                  std::int32_t count);  // 205
void QMXGL_CALL LayerColorDodgeBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                         std::int32_t count,
                                                         std::uint32_t opacity);  // 206
void QMXGL_CALL LayerColorDodgePreAlphaBlendLine(Pixel* dst, const Pixel* src,
                                                 std::int32_t count);  // 207
void QMXGL_CALL LayerColorDodgePreAlphaBlendLineOpacity(Pixel* dst, const Pixel* src,
                                                        std::int32_t count,
                                                        std::uint32_t opacity);  // 208
void QMXGL_CALL LayerColorDodgePreAlphaBlendLineHoldAlpha(Pixel* dst, const Pixel* src,
                                                          std::int32_t count);  // 209
void QMXGL_CALL LayerColorDodgePreAlphaBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                                 std::int32_t count,
                                                                 std::uint32_t opacity);    // 210
void QMXGL_CALL LayerColorBurnBlendLine(Pixel* dst, const Pixel* src, std::int32_t count);  // 211
void QMXGL_CALL LayerColorBurnBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                               std::uint32_t opacity);  // 212
void QMXGL_CALL LayerColorBurnBlendLineHoldAlpha(Pixel* dst, const Pixel* src,
                                                 std::int32_t count);  // 213
void QMXGL_CALL LayerColorBurnBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                        std::int32_t count,
                                                        std::uint32_t opacity);           // 214
void QMXGL_CALL LayerLightenBlendLine(Pixel* dst, const Pixel* src, std::int32_t count);  // 215
void QMXGL_CALL LayerLightenBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                             std::uint32_t opacity);  // 216
void QMXGL_CALL LayerLightenBlendLineHoldAlpha(Pixel* dst, const Pixel* src,
                                               std::int32_t count);  // 217
void QMXGL_CALL LayerLightenBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                      std::int32_t count,
                                                      std::uint32_t opacity);            // 218
void QMXGL_CALL LayerDarkenBlendLine(Pixel* dst, const Pixel* src, std::int32_t count);  // 219
void QMXGL_CALL LayerDarkenBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                            std::uint32_t opacity);  // 220
void QMXGL_CALL LayerDarkenBlendLineHoldAlpha(Pixel* dst, const Pixel* src,
                                              std::int32_t count);  // 221
void QMXGL_CALL LayerDarkenBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                     std::int32_t count,
                                                     std::uint32_t opacity);                 // 222
void QMXGL_CALL LayerDifferenceBlendLine(Pixel* dst, const Pixel* src, std::int32_t count);  // 223
void QMXGL_CALL LayerDifferenceBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                                std::uint32_t opacity);  // 224
void QMXGL_CALL LayerDifferenceBlendLineHoldAlpha(Pixel* dst, const Pixel* src,
                                                  std::int32_t count);  // 225
void QMXGL_CALL LayerDifferenceBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                         std::int32_t count,
                                                         std::uint32_t opacity);  // 226
void QMXGL_CALL LayerDifferencePreAlphaBlendLine(Pixel* dst, const Pixel* src,
                                                 std::int32_t count);  // 227
void QMXGL_CALL LayerDifferencePreAlphaBlendLineOpacity(Pixel* dst, const Pixel* src,
                                                        std::int32_t count,
                                                        std::uint32_t opacity);  // 228
void QMXGL_CALL LayerDifferencePreAlphaBlendLineHoldAlpha(Pixel* dst, const Pixel* src,
                                                          std::int32_t count);  // 229
void QMXGL_CALL LayerDifferencePreAlphaBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                                 std::int32_t count,
                                                                 std::uint32_t opacity);    // 230
void QMXGL_CALL LayerExclusionBlendLine(Pixel* dst, const Pixel* src, std::int32_t count);  // 231
void QMXGL_CALL LayerExclusionBlendLineOpacity(Pixel* dst, const Pixel* src, std::int32_t count,
                                               std::uint32_t opacity);  // 232
void QMXGL_CALL LayerExclusionBlendLineHoldAlpha(Pixel* dst, const Pixel* src,
                                                 std::int32_t count);  // 233
void QMXGL_CALL LayerExclusionBlendLineHoldAlphaOpacity(Pixel* dst, const Pixel* src,
                                                        std::int32_t count,
                                                        std::uint32_t opacity);  // 234

}  // namespace pixelops
