#include "game/commands/image_draw_forms.h"

#include "game/commands/command_args.h"

using command_args::Int;

namespace image_draw_forms {

namespace {

RECT RectAt(const std::uint32_t* words) { return RECT{Int(words[0]), Int(words[1]), Int(words[2]), Int(words[3])}; }

}  // namespace

PointForm ReadPoint(const std::uint32_t* words) {
    PointForm form;
    if (words[0] == kWhole) return form;
    form.x = Int(words[0]);
    form.y = Int(words[1]);
    if (words[2] != kWhole) {
        form.hasSource = true;
        form.source = RectAt(words + 2);
    }
    return form;
}

StretchForm ReadStretch(const std::uint32_t* words) {
    StretchForm form;
    if (words[0] == kWhole) return form;
    form.x = Int(words[0]);
    form.y = Int(words[1]);
    form.hasSize = true;
    form.size = SIZE{Int(words[2]), Int(words[3])};
    if (words[4] != kWhole) {
        form.hasSource = true;
        form.source = RectAt(words + 4);
    }
    return form;
}

RegionForm ReadRegion(const std::uint32_t* words) {
    RegionForm form;
    if (words[0] == kWhole) return form;
    form.given = true;
    form.rect = RectAt(words);
    return form;
}

SourceAndClip ReadSourceThenClip(const std::uint32_t* words) {
    SourceAndClip form;
    form.source = ReadRegion(words);
    if (form.source.given) form.clip = ReadRegion(words + 4);
    return form;
}

std::uint32_t PackColour(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return ((r & 0xFF) << 16) | ((g & 0xFF) << 8) | (b & 0xFF);
}

void ReadOptionalPairs(const std::uint32_t* words, std::int32_t count, std::int32_t* out) {
    bool present = true;
    for (std::int32_t i = 0; i < count; ++i) {
        if (present && words[2 * i] == kWhole) present = false;
        out[2 * i] = present ? Int(words[2 * i]) : 0;
        out[2 * i + 1] = present ? Int(words[2 * i + 1]) : 0;
    }
}

SurfaceEffectGroup ReadSurfaceEffectGroup(const std::uint32_t* words) {
    SurfaceEffectGroup group;
    if (words[0] == kWhole) {
        group.values[0] = kWhole;
        return group;
    }
    group.values[0] = words[0];
    group.values[1] = words[1];
    group.values[2] = words[2] & 0xFFFF;
    if ((words[3] & 0xFFFF) == kWhole) {
        group.values[3] = 0xFFFFFFFFu;
    } else {
        for (int i = 0; i < 4; ++i) group.values[3 + i] = words[3 + i] & 0xFFFF;
    }
    group.values[7] = words[7] & 0xFFFF;
    return group;
}

}  // namespace image_draw_forms
