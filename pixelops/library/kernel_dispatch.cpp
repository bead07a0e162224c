#include "pixelops/library/kernel_dispatch.h"

#include "pixelops/library/blend_tables.h"
#include "pixelops/kernels/row_kernels.h"

namespace pixelops {

PixelOperation KernelDispatch[kKernelSlotCount];

namespace {

template <class F>
PixelOperation Kernel(F* kernel) {
    return reinterpret_cast<PixelOperation>(kernel);
}

}  // namespace

const PixelOperation kPortableKernels[kKernelSlotCount] = {
    Kernel(AlphaBlendLine),                                         // 27
    Kernel(AlphaBlendLineHoldAlpha),                                // 28
    Kernel(AlphaBlendLineOpacity),                                  // 29
    Kernel(AlphaBlendLineHoldAlphaOpacity),                         // 30
    Kernel(AlphaBlendLineOntoAlpha),                                // 31
    Kernel(AlphaBlendLineOntoAdditiveAlpha),                        // 32
    Kernel(AlphaBlendLineOntoAlphaOpacity),                         // 33
    Kernel(AlphaBlendLineOntoAdditiveAlphaOpacity),                 // 34
    Kernel(BlendColorUnderLine),                                    // 35
    Kernel(AdditiveAlphaBlendLine),                                 // 36
    Kernel(AdditiveAlphaBlendLineHoldAlpha),                        // 37
    Kernel(AdditiveAlphaBlendLineOpacity),                          // 38
    Kernel(AdditiveAlphaBlendLineHoldAlphaOpacity),                 // 39
    Kernel(AdditiveAlphaBlendLineOntoAdditiveAlpha),                // 40
    Kernel(AdditiveAlphaBlendLineOntoAdditiveAlphaOpacity),         // 41
    Kernel(ConvertAdditiveAlphaToAlphaLine),                        // 42
    Kernel(ConvertAlphaToAdditiveAlphaLine),                        // 43
    Kernel(StretchAlphaBlendLine),                                  // 44
    Kernel(StretchAlphaBlendLineHoldAlpha),                         // 45
    Kernel(StretchAlphaBlendLineOpacity),                           // 46
    Kernel(StretchAlphaBlendLineHoldAlphaOpacity),                  // 47
    Kernel(StretchAlphaBlendLineOntoAlpha),                         // 48
    Kernel(StretchAlphaBlendLineOntoAdditiveAlpha),                 // 49
    Kernel(StretchAlphaBlendLineOntoAlphaOpacity),                  // 50
    Kernel(StretchAlphaBlendLineOntoAdditiveAlphaOpacity),          // 51
    Kernel(StretchAdditiveAlphaBlendLine),                          // 52
    Kernel(BilinearStretchAdditiveAlphaBlendLine),                  // 53
    Kernel(StretchAdditiveAlphaBlendLineHoldAlpha),                 // 54
    Kernel(StretchAdditiveAlphaBlendLineOpacity),                   // 55
    Kernel(BilinearStretchAdditiveAlphaBlendLineOpacity),           // 56
    Kernel(StretchAdditiveAlphaBlendLineHoldAlphaOpacity),          // 57
    Kernel(StretchAdditiveAlphaBlendLineOntoAdditiveAlpha),         // 58
    Kernel(StretchAdditiveAlphaBlendLineOntoAdditiveAlphaOpacity),  // 59
    Kernel(AffineAlphaBlendLine),                                   // 60
    Kernel(AffineAlphaBlendLineHoldAlpha),                          // 61
    Kernel(AffineAlphaBlendLineOpacity),                            // 62
    Kernel(AffineAlphaBlendLineHoldAlphaOpacity),                   // 63
    Kernel(AffineAlphaBlendLineOntoAlpha),                          // 64
    Kernel(AffineAlphaBlendLineOntoAdditiveAlpha),                  // 65
    Kernel(AffineAlphaBlendLineOntoAlphaOpacity),                   // 66
    Kernel(AffineAlphaBlendLineOntoAdditiveAlphaOpacity),           // 67
    Kernel(AffineAdditiveAlphaBlendLine),                           // 68
    Kernel(BilinearAffineAdditiveAlphaBlendLine),                   // 69
    Kernel(AffineAdditiveAlphaBlendLineHoldAlpha),                  // 70
    Kernel(AffineAdditiveAlphaBlendLineOpacity),                    // 71
    Kernel(BilinearAffineAdditiveAlphaBlendLineOpacity),            // 72
    Kernel(AffineAdditiveAlphaBlendLineHoldAlphaOpacity),           // 73
    Kernel(AffineAdditiveAlphaBlendLineOntoAdditiveAlpha),          // 74
    Kernel(AffineAdditiveAlphaBlendLineOntoAdditiveAlphaOpacity),   // 75
    Kernel(CopyOpaqueLine),                                         // 76
    Kernel(ConstAlphaBlendLine),                                    // 77
    Kernel(ConstAlphaBlendLineHoldAlpha),                           // 78
    Kernel(ConstAlphaBlendLineOntoAlpha),                           // 79
    Kernel(ConstAlphaBlendLineOntoAdditiveAlpha),                   // 80
    Kernel(StretchCopyOpaqueLine),                                  // 81
    Kernel(StretchConstAlphaBlendLine),                             // 82
    Kernel(BilinearStretchConstAlphaBlendLine),                     // 83
    Kernel(StretchConstAlphaBlendLineHoldAlpha),                    // 84
    Kernel(StretchConstAlphaBlendLineOntoAlpha),                    // 85
    Kernel(StretchConstAlphaBlendLineOntoAdditiveAlpha),            // 86
    Kernel(AffineCopyOpaqueLine),                                   // 87
    Kernel(AffineConstAlphaBlendLine),                              // 88
    Kernel(BilinearAffineConstAlphaBlendLine),                      // 89
    Kernel(AffineConstAlphaBlendLineHoldAlpha),                     // 90
    Kernel(AffineConstAlphaBlendLineOntoAlpha),                     // 91
    Kernel(AffineConstAlphaBlendLineOntoAdditiveAlpha),             // 92
    Kernel(CrossfadeLine),                                          // 93
    Kernel(CrossfadeLineAdditiveAlpha),                             // 94
    Kernel(CrossfadeLineWithAlpha),                                 // 95
    Kernel(InitRuleTransitionTable),                                // 96
    Kernel(InitRuleTransitionTableWithAlpha),                       // 97
    Kernel(InitRuleTransitionTableWithAlpha),                       // 98
    Kernel(RuleTransitionLine),                                     // 99
    Kernel(RuleTransitionLineSwitch),                               // 100
    Kernel(RuleTransitionLineWithAlpha),                            // 101
    Kernel(RuleTransitionLineWithAlphaSwitch),                      // 102
    Kernel(RuleTransitionLineAdditiveAlpha),                        // 103
    Kernel(RuleTransitionLineAdditiveAlphaSwitch),                  // 104
    Kernel(ConstColorAlphaBlendLine),                               // 105
    Kernel(ConstColorAlphaBlendLineOntoAlpha),                      // 106
    Kernel(ConstColorAlphaBlendLineOntoAdditiveAlpha),              // 107
    Kernel(RemoveOpacityLine),                                      // 108
    Kernel(AddBlendLine),                                           // 109
    Kernel(AddBlendLineHoldAlpha),                                  // 110
    Kernel(AddBlendLineOpacity),                                    // 111
    Kernel(AddBlendLineHoldAlphaOpacity),                           // 112
    Kernel(SubBlendLine),                                           // 113
    Kernel(SubBlendLineHoldAlpha),                                  // 114
    Kernel(SubBlendLineOpacity),                                    // 115
    Kernel(SubBlendLineHoldAlphaOpacity),                           // 116
    Kernel(MulBlendLine),                                           // 117
    Kernel(MulBlendLineHoldAlpha),                                  // 118
    Kernel(MulBlendLineOpacity),                                    // 119
    Kernel(MulBlendLineHoldAlphaOpacity),                           // 120
    Kernel(ColorDodgeBlendLine),                                    // 121
    Kernel(ColorDodgeBlendLineHoldAlpha),                           // 122
    Kernel(ColorDodgeBlendLineOpacity),                             // 123
    Kernel(ColorDodgeBlendLineHoldAlphaOpacity),                    // 124
    Kernel(DarkenBlendLine),                                        // 125
    Kernel(DarkenBlendLineHoldAlpha),                               // 126
    Kernel(DarkenBlendLineOpacity),                                 // 127
    Kernel(DarkenBlendLineHoldAlphaOpacity),                        // 128
    Kernel(LightenBlendLine),                                       // 129
    Kernel(LightenBlendLineHoldAlpha),                              // 130
    Kernel(LightenBlendLineOpacity),                                // 131
    Kernel(LightenBlendLineHoldAlphaOpacity),                       // 132
    Kernel(ScreenBlendLine),                                        // 133
    Kernel(ScreenBlendLineHoldAlpha),                               // 134
    Kernel(ScreenBlendLineOpacity),                                 // 135
    Kernel(ScreenBlendLineHoldAlphaOpacity),                        // 136
    Kernel(StretchCopyLine),                                        // 137
    Kernel(BilinearStretchCopyLine),                                // 138
    Kernel(InterpolateLineDoubleForward),                           // 139
    Kernel(InterpolateLineDoubleBackward),                          // 140
    Kernel(AverageTwoLines),                                        // 141
    Kernel(StretchColorCopyLine),                                   // 142
    Kernel(AffineCopyLine),                                         // 143
    Kernel(BilinearAffineCopyLine),                                 // 144
    Kernel(AffineColorCopyLine),                                    // 145
    Kernel(KeyColorToAlphaLine),                                    // 146
    Kernel(CopyAlphaLine),                                          // 147
    Kernel(CopyColorLine),                                          // 148
    Kernel(CopyMaskToAlphaLine),                                    // 149
    Kernel(FillArgbLine),                                           // 150
    Kernel(FillArgbLine),                                           // 151
    Kernel(FillColorLine),                                          // 152
    Kernel(FillAlphaLine),                                          // 153
    Kernel(BoxBlurAddSubSum16Line),                                 // 154
    Kernel(BoxBlurAddSubSum16LineWithAlpha),                        // 155
    Kernel(BoxBlurAddSubSum32Line),                                 // 156
    Kernel(BoxBlurAddSubSum32LineWithAlpha),                        // 157
    Kernel(BoxBlurAverage16Line),                                   // 158
    Kernel(BoxBlurAverage16LineWithAlpha),                          // 159
    Kernel(BoxBlurAverage32Line),                                   // 160
    Kernel(BoxBlurAverage32LineWithAlpha),                          // 161
    Kernel(SwapLine8),                                              // 162
    Kernel(SwapLine32),                                             // 163
    Kernel(ReverseLine8),                                           // 164
    Kernel(ReverseLine32),                                          // 165
    Kernel(GrayScaleLine),                                          // 166
    Kernel(InitGammaTable),                                         // 167
    Kernel(ReleaseGammaTable),                                      // 168
    Kernel(ApplyGammaLine),                                         // 169
    Kernel(ApplyGammaLineAdditiveAlpha),                            // 170
    Kernel(LayerNormalBlendLine),                                   // 171
    Kernel(LayerNormalBlendLineOpacity),                            // 172
    Kernel(LayerNormalBlendLineHoldAlpha),                          // 173
    Kernel(LayerNormalBlendLineHoldAlphaOpacity),                   // 174
    Kernel(LayerAdditiveBlendLine),                                 // 175
    Kernel(LayerAdditiveBlendLineOpacity),                          // 176
    Kernel(LayerAdditiveBlendLineHoldAlpha),                        // 177
    Kernel(LayerAdditiveBlendLineHoldAlphaOpacity),                 // 178
    Kernel(LayerSubtractiveBlendLine),                              // 179
    Kernel(LayerSubtractiveBlendLineOpacity),                       // 180
    Kernel(LayerSubtractiveBlendLineHoldAlpha),                     // 181
    Kernel(LayerSubtractiveBlendLineHoldAlphaOpacity),              // 182
    Kernel(LayerMultiplyBlendLine),                                 // 183
    Kernel(LayerMultiplyBlendLineOpacity),                          // 184
    Kernel(LayerMultiplyBlendLineHoldAlpha),                        // 185
    Kernel(LayerMultiplyBlendLineHoldAlphaOpacity),                 // 186
    Kernel(LayerScreenBlendLine),                                   // 187
    Kernel(LayerScreenBlendLineOpacity),                            // 188
    Kernel(LayerScreenBlendLineHoldAlpha),                          // 189
    Kernel(LayerScreenBlendLineHoldAlphaOpacity),                   // 190
    Kernel(LayerOverlayBlendLine),                                  // 191
    Kernel(LayerOverlayBlendLineOpacity),                           // 192
    Kernel(LayerOverlayBlendLineHoldAlpha),                         // 193
    Kernel(LayerOverlayBlendLineHoldAlphaOpacity),                  // 194
    Kernel(LayerHardLightBlendLine),                                // 195
    Kernel(LayerHardLightBlendLineOpacity),                         // 196
    Kernel(LayerHardLightBlendLineHoldAlpha),                       // 197
    Kernel(LayerHardLightBlendLineHoldAlphaOpacity),                // 198
    Kernel(LayerSoftLightBlendLine),                                // 199
    Kernel(LayerSoftLightBlendLineOpacity),                         // 200
    Kernel(LayerSoftLightBlendLineHoldAlpha),                       // 201
    Kernel(LayerSoftLightBlendLineHoldAlphaOpacity),                // 202
    Kernel(LayerColorDodgeBlendLine),                               // 203
    Kernel(LayerColorDodgeBlendLineOpacity),                        // 204
    Kernel(LayerColorDodgeBlendLineHoldAlpha),                      // 205
    Kernel(LayerColorDodgeBlendLineHoldAlphaOpacity),               // 206
    Kernel(LayerColorDodgePreAlphaBlendLine),                       // 207
    Kernel(LayerColorDodgePreAlphaBlendLineOpacity),                // 208
    Kernel(LayerColorDodgePreAlphaBlendLineHoldAlpha),              // 209
    Kernel(LayerColorDodgePreAlphaBlendLineHoldAlphaOpacity),       // 210
    Kernel(LayerColorBurnBlendLine),                                // 211
    Kernel(LayerColorBurnBlendLineOpacity),                         // 212
    Kernel(LayerColorBurnBlendLineHoldAlpha),                       // 213
    Kernel(LayerColorBurnBlendLineHoldAlphaOpacity),                // 214
    Kernel(LayerLightenBlendLine),                                  // 215
    Kernel(LayerLightenBlendLineOpacity),                           // 216
    Kernel(LayerLightenBlendLineHoldAlpha),                         // 217
    Kernel(LayerLightenBlendLineHoldAlphaOpacity),                  // 218
    Kernel(LayerDarkenBlendLine),                                   // 219
    Kernel(LayerDarkenBlendLineOpacity),                            // 220
    Kernel(LayerDarkenBlendLineHoldAlpha),                          // 221
    Kernel(LayerDarkenBlendLineHoldAlphaOpacity),                   // 222
    Kernel(LayerDifferenceBlendLine),                               // 223
    Kernel(LayerDifferenceBlendLineOpacity),                        // 224
    Kernel(LayerDifferenceBlendLineHoldAlpha),                      // 225
    Kernel(LayerDifferenceBlendLineHoldAlphaOpacity),               // 226
    Kernel(LayerDifferencePreAlphaBlendLine),                       // 227
    Kernel(LayerDifferencePreAlphaBlendLineOpacity),                // 228
    Kernel(LayerDifferencePreAlphaBlendLineHoldAlpha),              // 229
    Kernel(LayerDifferencePreAlphaBlendLineHoldAlphaOpacity),       // 230
    Kernel(LayerExclusionBlendLine),                                // 231
    Kernel(LayerExclusionBlendLineOpacity),                         // 232
    Kernel(LayerExclusionBlendLineHoldAlpha),                       // 233
    Kernel(LayerExclusionBlendLineHoldAlphaOpacity),                // 234
};

void InitPortableKernels() {
    for (int i = 0; i < kKernelSlotCount; ++i) KernelDispatch[i] = kPortableKernels[i];
    BuildCompositeTables();
    BuildBlendCurveTables();
}

}  // namespace pixelops
