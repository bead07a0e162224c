// Scalar models of the processor forms whose pixels differ from the portable kernels: each has
// its kernel's signature and computes per lane from the documented rules, walking the row in
// the form's own groups where the grouping changes the result.
#pragma once

#include <cstdint>

#include "pixelops/interfaces/pixel_op_library.h"

namespace pixelopstest {

// The model for `word` in `form`, or null where the form must equal the portable kernel.
::PixelOperation SimdModel(int word, int form);

// The 16-bit rule-transition table of the MMX line kernels.
void QMXGL_CALL ModelMmxRuleTable(std::int32_t* table, std::int32_t phase, std::int32_t vague);

}  // namespace pixelopstest
