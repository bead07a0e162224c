// Rows of the background-effect benchmark for bg_zoom, bg_rot and bg_blur. Each runs long enough
// (8 s of effect time) to outlast the timed frames, and changes its view at every frame.
#include "bench/bg_effect_bench.h"
#include "effects/objects/bg_blur_effect.h"
#include "effects/objects/bg_rot_effect.h"
#include "effects/objects/bg_zoom_effect.h"

namespace {

constexpr std::int32_t kDuration = 8000;
constexpr const char* kPath = "(0,0) (400,300,2.0) (800,600,1.0) (200,500,1.5)";

// bg_blur's centre-form words: zoom 1 to 2 about the middle, turning by endTurns, at half opacity.
std::vector<std::int32_t> CentreWords(const char* endTurns, bool direct) {
    return {0, 400, 300, bgbench::TextWord("1"), 0, bgbench::TextWord("2"),
            bgbench::TextWord(endTurns), kDuration, 128, 0, 0, 0, 0, direct, 0, 0, 0};
}

std::vector<std::int32_t> PathWords(bool direct) {
    return {bgbench::TextWord(kPath), 1, kDuration, 128, 0, 0, 0, 0, direct, 0, 0, 0};
}

EffectObject* NewBlur() { return new BgBlurEffect; }

const bgbench::RowAdder kRows({
    {"bg_zoom 1 to 4",
     [] { return static_cast<EffectObject*>(new BgZoomEffect); },
     [](bgbench::Scene&) {
         return std::vector<std::int32_t>{400, 300, bgbench::TextWord("4"), 0, kDuration};
     },
     nullptr},
    {"bg_rot one turn, zoom 1 to 2",
     [] { return static_cast<EffectObject*>(new BgRotEffect); },
     [](bgbench::Scene&) {
         return std::vector<std::int32_t>{0, 0, 512, bgbench::TextWord("2"), 0, kDuration};
     },
     nullptr},
    {"bg_blur centre zoom, cache", NewBlur,
     [](bgbench::Scene&) { return CentreWords("0", false); }, nullptr},
    {"bg_blur centre zoom, direct", NewBlur,
     [](bgbench::Scene&) { return CentreWords("0", true); }, nullptr},
    {"bg_blur centre turn, cache", NewBlur,
     [](bgbench::Scene&) { return CentreWords("0.5", false); }, nullptr},
    {"bg_blur path, cache", NewBlur, [](bgbench::Scene&) { return PathWords(false); }, nullptr},
    {"bg_blur path, direct", NewBlur, [](bgbench::Scene&) { return PathWords(true); }, nullptr},
});

}  // namespace
