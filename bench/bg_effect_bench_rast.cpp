// The benchmark rows of bg_rast, bg_haze ("(1,0,10)", N 64), bg_loop and bg_cross, each running
// endlessly with edge fill where the effect has it.
#include <cstdint>
#include <vector>

#include "bench/bg_effect_bench.h"
#include "effects/objects/bg_cross_effect.h"
#include "effects/objects/bg_haze_effect.h"
#include "effects/objects/bg_loop_effect.h"
#include "effects/objects/bg_rast_effect.h"

namespace {

const bgbench::RowAdder kRows({
    {"bg_rast  A 16, L 200, P 1000",
     [] { return static_cast<EffectObject*>(new BgRastEffect); },
     [](bgbench::Scene&) { return std::vector<std::int32_t>{16, 200, 1000, 0, 0, 0, 1, 0}; },
     nullptr},
    {"bg_haze  (1,0,10), N 64, P 1000",
     [] { return static_cast<EffectObject*>(new BgHazeEffect); },
     [](bgbench::Scene&) {
         return std::vector<std::int32_t>{bgbench::TextWord("(1,0,10)"), 64, 1000, 0, 0, 0, 1, 0};
     },
     nullptr},
    {"bg_loop  direction 0, P 4000",
     [] { return static_cast<EffectObject*>(new BgLoopEffect); },
     [](bgbench::Scene&) { return std::vector<std::int32_t>{0, 4000, 0, 0}; }, nullptr},
    {"bg_cross P 2000, mode 0",
     [] { return static_cast<EffectObject*>(new BgCrossEffect); },
     [](bgbench::Scene&) { return std::vector<std::int32_t>{2000, 0, 0, 0, 0}; }, nullptr},
});

}  // namespace
