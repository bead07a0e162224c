// The pixel benchmark's reference loops (built with MMX in their own file).
#pragma once

#include <cstdint>

#include "pixelops/interfaces/pixel_op_library.h"

namespace bench {

// A plain 64-bit MMX load/store copy, four pixels per step.
void MmxCopyLoop(pixelops::Pixel* dst, const pixelops::Pixel* src, std::int32_t count);

// The extended-MMX alpha blend (word 27) before its rows went two pairs per step.
void PreviousAlphaBlendMmxExt(pixelops::Pixel* dst, const pixelops::Pixel* src,
                              std::int32_t count);

}  // namespace bench
