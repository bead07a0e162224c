// A PointerSprite for tests: its kind, surface and source rectangle are what the test sets, and
// it records what the mouse asked of it.
#pragma once

#include <vector>

#include "framework/input/pointer_sprite.h"

namespace testsupport {

class FakePointerSprite : public PointerSprite {
public:
    struct OffsetCall {
        bool texturedQuad;
        std::int32_t x;
        std::int32_t y;
    };

    explicit FakePointerSprite(std::uint8_t kind = kSurfaceSprite) : kind(kind) {}
    virtual ~FakePointerSprite() = default;

    std::uint8_t Kind() override { return kind; }
    bool HasUsableSurface() override { return usable; }
    std::int32_t SourceWidth() override { return sourceWidth; }
    POINT SourceOffset() override { return sourceOffset; }
    void SetSurfaceSpriteSourceOffset(std::int32_t x, std::int32_t y) override {
        offsetCalls.push_back({false, x, y});
        sourceOffset = {x, y};
    }
    void SetTexturedQuadSourceOffset(std::int32_t x, std::int32_t y) override {
        offsetCalls.push_back({true, x, y});
        sourceOffset = {x, y};
    }
    void SetEnabled(bool on) override { enabled = on; }
    void SetPosition(std::int32_t x, std::int32_t y) override {
        position = {x, y};
        ++positionCalls;
    }

    // The frame shown last, from the last offset call (-1 before any).
    int LastFrame(std::int32_t firstX) const {
        if (offsetCalls.empty() || sourceWidth == 0) return -1;
        return (offsetCalls.back().x - firstX) / sourceWidth;
    }

    std::uint8_t kind;
    bool usable = true;
    std::int32_t sourceWidth = 32;
    POINT sourceOffset = {0, 0};
    bool enabled = false;
    POINT position = {0, 0};
    int positionCalls = 0;
    std::vector<OffsetCall> offsetCalls;
};

}  // namespace testsupport
